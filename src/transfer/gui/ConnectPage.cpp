#include "transfer/gui/ConnectPage.h"

#include "host/MessageBox.h"
#include "transfer/SyntaxCheck.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvane {

QStringList ConnectPage::versions()
{
    QStringList list;
    for (int p = 26; p <= 34; ++p)
        list << QStringLiteral("1.3.%1").arg(p);
    for (int p = 44; p <= 55; ++p)
        list << QStringLiteral("2.0.%1").arg(p);
    for (int p = 0; p <= 34; ++p)
        list << QStringLiteral("2.2.%1").arg(p);
    for (int p = 1; p <= 71; ++p)
        list << QStringLiteral("2.4.%1").arg(p);
    return list;
}

ConnectPage::ConnectPage(AppFolder folder, TransferState& state, QWidget* parent)
    : CheckedPage(parent), m_folder(std::move(folder)), m_state(state)
{
    setObjectName(QStringLiteral("frmConnect"));
    setTitle(QStringLiteral("Server Properties"));
    setSubTitle(
        QStringLiteral("Server properties determine where the config files are located and what directives "
                       "are supported in the particular version of Apache server."));
    txtServer = new QLineEdit(this);
    txtServer->setObjectName(QStringLiteral("txtServer"));
    txtVersion = new QComboBox(this);
    txtVersion->setObjectName(QStringLiteral("txtVersion"));
    txtVersion->setEditable(true);
    txtVersion->addItems(versions());
    CmbOS = new QComboBox(this);
    CmbOS->setObjectName(QStringLiteral("CmbOS"));
    CmbOS->addItems({QStringLiteral("Windows"), QStringLiteral("Linux / Unix")});
    optRemote = new QRadioButton(QStringLiteral("Connect to Remote Machine"), this);
    optRemote->setObjectName(QStringLiteral("optRemote"));
    optLocal = new QRadioButton(QStringLiteral("Connect to Local Machine"), this);
    optLocal->setObjectName(QStringLiteral("optLocal"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Server Name:"), txtServer);
    form->addRow(QStringLiteral("Apache Version:"), txtVersion);
    form->addRow(QStringLiteral("Operating System:"), CmbOS);
    auto* question =
        new QLabel(QStringLiteral("Do you want to connect to a config file located on a remote server or "
                                  "do you want to connect to the one that is located in this machine?"),
                   this);
    question->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(question);
    layout->addWidget(optRemote);
    layout->addWidget(optLocal);
    layout->addStretch();
    addWhyNotLabel(layout);

    auto changed = [this] { emit completeChanged(); };
    connect(txtServer, &QLineEdit::textChanged, this, changed);
    connect(txtVersion, &QComboBox::currentTextChanged, this, changed);
    connect(CmbOS, &QComboBox::currentTextChanged, this, changed);
    connect(optRemote, &QRadioButton::toggled, this, changed);
    connect(optLocal, &QRadioButton::toggled, this, changed);
    connect(optLocal, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            proposeLocalVersion();
    });
}

void ConnectPage::proposeLocalVersion()
{
    if (!txtVersion->currentText().trimmed().isEmpty())
        return; // what the administrator chose stays
    const QString version = SyntaxCheck(m_folder).localApacheVersion();
    if (!version.isEmpty())
        txtVersion->setCurrentText(version);
}

void ConnectPage::initializePage()
{
    txtServer->setText(m_state.WizardServerName);
    txtVersion->setCurrentText(m_state.WizardApacheVersion);
    CmbOS->setCurrentIndex(m_state.WizardOsType.isEmpty() ? -1 : CmbOS->findText(m_state.WizardOsType));
}

void ConnectPage::cleanupPage()
{
    // Back to the welcome page: what was entered comes back with Next.
    m_state.WizardServerName = txtServer->text().trimmed();
    m_state.WizardApacheVersion = txtVersion->currentText().trimmed();
    m_state.WizardOsType = CmbOS->currentText().trimmed();
}

QString ConnectPage::whyNot() const
{
    const QString name = txtServer->text().trimmed();
    if (name.isEmpty())
        return QStringLiteral("Enter the server's name");
    if (name.toUpper() == QLatin1String("SAMPLE"))
        return QStringLiteral("Sorry Server Name Sample Already Assigned By System");
    QString why;
    if (!m_folder.checkServerName(name.toStdString(), &why))
        return why;
    if (m_folder.serverNameTaken(name.toStdString()))
        return QStringLiteral("The name is already used by another server");
    if (txtVersion->currentText().trimmed().isEmpty())
        return QStringLiteral("Enter the server's Apache version");
    if (CmbOS->currentText().trimmed().isEmpty())
        return QStringLiteral("Choose the server's operating system");
    if (!optRemote->isChecked() && !optLocal->isChecked())
        return QStringLiteral("Choose whether the configuration is on a remote server or on this machine");
    return QString();
}

bool ConnectPage::remoteChosen() const
{
    return optRemote->isChecked();
}

bool ConnectPage::validatePage()
{
    const QString name = txtServer->text().trimmed();
    if (name.toUpper() == QLatin1String("SAMPLE")) {
        MessageBox::critical(this, QStringLiteral("Sorry Server Name Sample Already Assigned By System"));
        return false;
    }
    m_state.WizardServerName = name;
    m_state.WizardApacheVersion = txtVersion->currentText().trimmed();
    m_state.WizardOsType = CmbOS->currentText().trimmed();
    QString why;
    if (!m_folder.checkServerName(name.toStdString(), &why)) {
        MessageBox::critical(this, why);
        return false;
    }
    // Names compare without regard to case, as the registry compares them.
    if (m_folder.serverNameTaken(name.toStdString())) {
        MessageBox::critical(this, QStringLiteral("Server name already exists."));
        return false;
    }
    m_state.WizardIsRemote = optRemote->isChecked();
    return true;
}

} // namespace corvane
