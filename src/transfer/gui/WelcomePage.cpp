#include "transfer/gui/WelcomePage.h"

#include "host/MessageBox.h"
#include "transfer/DOSOutputs.h"
#include "transfer/SyntaxCheck.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace corvane {

WelcomePage::WelcomePage(AppFolder folder, TransferState& state, QWidget* parent)
    : QWizardPage(parent), m_folder(std::move(folder)), m_state(state)
{
    setObjectName(QStringLiteral("frmWelcome"));
    auto label = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setWordWrap(true);
        return l;
    };
    lblCaption = label("lblCaption");
    QFont big = lblCaption->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    lblCaption->setFont(big);
    Label2 = label("Label2");
    Label3 = label("Label3");
    txtOutputs = new QPlainTextEdit(this);
    txtOutputs->setObjectName(QStringLiteral("txtOutputs"));
    txtOutputs->setReadOnly(true);
    txtOutputs->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Label1 = label("Label1");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblCaption);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    layout->addWidget(txtOutputs, 1);
    layout->addWidget(Label1);
}

QString WelcomePage::continueQuestion()
{
    return QStringLiteral(
        "Uploading this conf file may render Apache Server Unstable\r\nContinue with Upload ?");
}

QString WelcomePage::outputs() const
{
    return txtOutputs->toPlainText();
}

void WelcomePage::initializePage()
{
    m_state.TransferFailed = false;
    Label1->setText(QStringLiteral("Click Next to continue."));
    if (!m_state.UploadMode) {
        txtOutputs->hide();
        lblCaption->setText(QStringLiteral("Welcome to Corvane connection wizard"));
        Label2->setText(QStringLiteral(
            "This wizard will help you configure new connections to Apache server config files."));
        Label3->setText(
            QStringLiteral("This Corvane connection wizard will guide you through the necessary steps in "
                           "configuring and connecting to Apache server config file."));
        m_checked = true;
        return;
    }
    lblCaption->setText(QStringLiteral("Config file transfer"));
    Label2->setText(QStringLiteral("This will transfer the updated config file to the Apache server."));
    Label3->setText(
        QStringLiteral("Updated config file will now be transfered to the server. Incorrect settings in the "
                       "config file may prevent the Apache server from functioning properly.") +
        QStringLiteral("\r\n\r\n") +
        QStringLiteral("The current config file on the server will be backed up before transfering the "
                       "updated file. Please wait while the config file is being syntax checked"));
    txtOutputs->show();
    if (!m_checked && !m_checking)
        QTimer::singleShot(0, this, &WelcomePage::runCheck);
}

void WelcomePage::runCheck()
{
    m_checking = true;
    emit completeChanged();
    txtOutputs->clear();
    DOSOutputs runner;
    connect(&runner, &DOSOutputs::ReceiveOutputs, this, [this](const QString& text) {
        txtOutputs->moveCursor(QTextCursor::End);
        txtOutputs->insertPlainText(text);
    });
    SyntaxCheck(m_folder).run(m_state.SyncServerName, runner);
    m_checking = false;
    m_checked = true;
    emit completeChanged();
}

bool WelcomePage::isComplete() const
{
    return m_checked && !m_checking;
}

bool WelcomePage::validatePage()
{
    if (!m_state.UploadMode)
        return true;
    if (SyntaxCheck::syntaxOk(txtOutputs->toPlainText()))
        return true;
    return MessageBox::show(this, QMessageBox::Critical, continueQuestion(),
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

} // namespace corvane
