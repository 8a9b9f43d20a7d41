#pragma once
// frmConnecting: the last page of both wizards. It runs the transfer once, on
// its first showing, and shows the status line and the SFTP log; Back and
// Finish follow the transfer's outcome.
#include "registry/AppFolder.h"
#include "transfer/TransferState.h"

#include <QWizardPage>

#include <memory>

class QLabel;
class QListWidget;

namespace corvane {

class ConfigTransfer;

class ConnectingPage : public QWizardPage
{
    Q_OBJECT
public:
    ConnectingPage(AppFolder folder, TransferState& state, QWidget* parent = nullptr);
    ~ConnectingPage() override;

    void initializePage() override;
    void cleanupPage() override; // Back
    bool isComplete() const override;
    bool validatePage() override; // Finish
    // Cancel of the wizard: a new server's folder fetched but not
    // registered goes again.
    void cancelTransfer();
    bool busy() const { return m_busy; }
    bool finished() const { return m_finished; }
    // Whether Finish registered a new server, and its name.
    bool saved() const { return m_saved; }
    const QString& savedServer() const { return m_savedServer; }

signals:
    void transferFinished(bool failed);

private:
    void startTransfer();

    AppFolder m_folder;
    TransferState& m_state;
    std::unique_ptr<ConfigTransfer> m_transfer;
    QLabel* lblConnStatus;
    QLabel* lblAuthUsed;     // how the SFTP login succeeded
    QLabel* lblProtection;   // how the FTP connection is protected
    QLabel* lblFailureCause; // what went wrong, under the closing "... failed."
    QLabel* Label2;
    QLabel* lblLog;
    QListWidget* Log;
    int m_activations = 0;
    bool m_busy = false;
    bool m_finished = false;
    bool m_saved = false;
    bool m_backEnabled = false;
    bool m_backVisible = true;
    QString m_savedServer;
};

} // namespace corvane
