#pragma once
// frmConnect: the new server's name, Apache version, operating system, and
// whether its httpd.conf is on this machine or on a remote host. For a server
// on this machine the version of the local Apache is proposed; going Back
// keeps what was entered.
#include "registry/AppFolder.h"
#include "transfer/TransferState.h"
#include "transfer/gui/CheckedPage.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace corvane {

class ConnectPage : public CheckedPage
{
    Q_OBJECT
public:
    ConnectPage(AppFolder folder, TransferState& state, QWidget* parent = nullptr);

    void initializePage() override;
    void cleanupPage() override;
    QString whyNot() const override;
    bool validatePage() override;
    bool remoteChosen() const;

    // The versions offered: those of 1.3 and 2.0 the program always knew, and
    // the 2.2 and 2.4 releases the catalogue lists.
    static QStringList versions();

private:
    void proposeLocalVersion();

    AppFolder m_folder;
    TransferState& m_state;
    QLineEdit* txtServer;
    QComboBox* txtVersion;
    QComboBox* CmbOS;
    QRadioButton* optRemote;
    QRadioButton* optLocal;
};

} // namespace corvane
