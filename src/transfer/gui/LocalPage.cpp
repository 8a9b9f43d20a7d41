#include "transfer/gui/LocalPage.h"

#include "host/FileDialog.h"
#include "host/MessageBox.h"
#include "transfer/ServerWorkArea.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

LocalPage::LocalPage(TransferState& state, QWidget* parent) : CheckedPage(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmLocal"));
    setTitle(QStringLiteral("Config File On Local Machine"));
    setSubTitle(
        QStringLiteral("Config file on local machine determine the path where config file to be administered "
                       "is present."));
    txtFilename = new QLineEdit(this);
    txtFilename->setObjectName(QStringLiteral("txtFilename"));
    cmdBrowse = new QPushButton(QStringLiteral("Browse..."), this);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    auto* row = new QHBoxLayout;
    row->addWidget(txtFilename, 1);
    row->addWidget(cmdBrowse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral(
            "Path of the main configuration file, or of a folder holding httpd.conf or apache2.conf:"),
        this));
    layout->addLayout(row);
    layout->addStretch();
    addWhyNotLabel(layout);
    connect(txtFilename, &QLineEdit::textChanged, this, &QWizardPage::completeChanged);
    connect(cmdBrowse, &QPushButton::clicked, this, [this] {
        const QString chosen =
            FileDialog::getOpenFileName(this, QStringLiteral("Select the main configuration file"), QString(),
                                        QStringLiteral("Apache configuration (*.conf);;All files (*)"));
        if (!chosen.isEmpty())
            txtFilename->setText(chosen);
    });
}

void LocalPage::initializePage()
{
    txtFilename->setText(m_state.WizardLocalConf);
}

void LocalPage::cleanupPage()
{
    m_state.WizardLocalConf = txtFilename->text().trimmed();
}

QString LocalPage::whyNot() const
{
    const QString path = txtFilename->text().trimmed();
    if (path.isEmpty())
        return QStringLiteral("Enter the path of the server's configuration file");
    if (!ServerWorkArea::localMainFile(path).isEmpty())
        return QString();
    if (QFileInfo(path).isDir())
        return QStringLiteral("The folder %1 holds neither httpd.conf nor apache2.conf").arg(path);
    return QStringLiteral("The file %1 does not exist").arg(path);
}

bool LocalPage::validatePage()
{
    // A file of any name, or a folder holding httpd.conf or apache2.conf.
    const QString path = ServerWorkArea::localMainFile(txtFilename->text().trimmed());
    if (path.isEmpty()) {
        MessageBox::critical(this, QStringLiteral("File Not Found! Please verify the path you entered."));
        return false;
    }
    m_state.WizardLocalConf = path;
    m_state.WizardMainFile = QFileInfo(path).fileName();
    // A local server has no remote connection, whatever was typed before.
    m_state.WizardRemoteHost.clear();
    m_state.WizardIsSftp = false;
    m_state.WizardIsRemote = false;
    return true;
}

} // namespace corvane
