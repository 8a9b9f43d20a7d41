#include "transfer/gui/TransferWizard.h"

#include "transfer/ConfigTransfer.h"
#include "transfer/gui/ConnectPage.h"
#include "transfer/gui/ConnectingPage.h"
#include "transfer/gui/DiffPage.h"
#include "transfer/gui/LocalPage.h"
#include "transfer/gui/RemotePage.h"
#include "transfer/gui/WelcomePage.h"

namespace corvane {

TransferWizard::TransferWizard(Kind kind, const AppFolder& folder, const QString& server, QWidget* parent)
    : QWizard(parent), m_kind(kind)
{
    setObjectName(QStringLiteral("transferWizard"));
    setWizardStyle(QWizard::ModernStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    setButtonText(QWizard::BackButton, QStringLiteral("< Back"));
    setButtonText(QWizard::NextButton, QStringLiteral("Next >"));
    m_state.IniPath = folder.iniPath();
    switch (kind) {
    case Connection:
        setWindowTitle(QStringLiteral("Connection Wizard"));
        m_welcome = new WelcomePage(folder, m_state, this);
        m_connect = new ConnectPage(folder, m_state, this);
        setPage(Welcome, m_welcome);
        setPage(Connect, m_connect);
        setPage(Remote, new RemotePage(m_state, this));
        setPage(Local, new LocalPage(m_state, this));
        break;
    case Upload:
        setWindowTitle(QStringLiteral("Config file transfer"));
        m_state.UploadMode = true;
        m_state.SyncServerName = server.trimmed();
        m_welcome = new WelcomePage(folder, m_state, this);
        setPage(Welcome, m_welcome);
        setPage(Diff, new DiffPage(folder, m_state, this));
        break;
    case GetConfig:
        setWindowTitle(QStringLiteral("Get Config File"));
        ConfigTransfer::loadServerIntoState(folder, server, m_state);
        m_state.SyncServerName = server.trimmed();
        m_state.GetConfigMode = true;
        break;
    }
    m_connecting = new ConnectingPage(folder, m_state, this);
    setPage(Connecting, m_connecting);
    setStartId(kind == GetConfig ? Connecting : Welcome);
}

int TransferWizard::nextId() const
{
    switch (currentId()) {
    case Welcome:
        return m_kind == Connection ? Connect : Diff;
    case Connect:
        return m_connect->remoteChosen() ? Remote : Local;
    case Remote:
    case Local:
    case Diff:
        return Connecting;
    default:
        return -1;
    }
}

void TransferWizard::reject()
{
    if (m_connecting->busy())
        return;
    m_connecting->cancelTransfer();
    if (m_kind == Connection) {
        m_state.WizardServerName.clear();
        m_state.WizardApacheVersion.clear();
        m_state.WizardOsType.clear();
    }
    QWizard::reject();
}

QString TransferWizard::addedServer() const
{
    return m_connecting->saved() ? m_connecting->savedServer() : QString();
}

} // namespace corvane
