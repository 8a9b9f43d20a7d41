#pragma once
// frmLocal: the path of an httpd.conf on this machine.
#include "transfer/TransferState.h"
#include "transfer/gui/CheckedPage.h"

class QLineEdit;
class QPushButton;

namespace corvane {

class LocalPage : public CheckedPage
{
    Q_OBJECT
public:
    explicit LocalPage(TransferState& state, QWidget* parent = nullptr);

    void initializePage() override;
    void cleanupPage() override;
    QString whyNot() const override;
    bool validatePage() override;

private:
    TransferState& m_state;
    QLineEdit* txtFilename;
    QPushButton* cmdBrowse;
};

} // namespace corvane
