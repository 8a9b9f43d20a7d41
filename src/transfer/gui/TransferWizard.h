#pragma once
// The wizards of the transfer as one QWizard: the connection wizard
// (welcome, server properties, remote or local file, connecting), the upload
// wizard (syntax check, changes, connecting) and the Get command (connecting
// only). The wizard owns the state its pages share.
#include "registry/AppFolder.h"
#include "transfer/TransferState.h"

#include <QWizard>

namespace corvane {

class ConnectPage;
class ConnectingPage;
class WelcomePage;

class TransferWizard : public QWizard
{
    Q_OBJECT
public:
    enum Kind
    {
        Connection,
        Upload,
        GetConfig
    };
    enum PageId
    {
        Welcome,
        Connect,
        Remote,
        Local,
        Diff,
        Connecting
    };

    TransferWizard(Kind kind, const AppFolder& folder, const QString& server = QString(),
                   QWidget* parent = nullptr);

    int nextId() const override;
    void reject() override; // not while a transfer runs

    TransferState& state() { return m_state; }
    ConnectingPage* connectingPage() const { return m_connecting; }
    WelcomePage* welcomePage() const { return m_welcome; }
    // After Finish of the connection wizard: the new server ("" when none).
    QString addedServer() const;

private:
    Kind m_kind;
    TransferState m_state;
    WelcomePage* m_welcome = nullptr;
    ConnectPage* m_connect = nullptr;
    ConnectingPage* m_connecting = nullptr;
};

} // namespace corvane
