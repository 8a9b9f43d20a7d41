#pragma once
// What the upload will change: a unified diff between the file as last
// fetched (Backup/httpd.conf) and the working copy.
#include "registry/AppFolder.h"
#include "transfer/TransferState.h"

#include <QWizardPage>

class QLabel;
class QPlainTextEdit;

namespace corvane {

class DiffPage : public QWizardPage
{
    Q_OBJECT
public:
    DiffPage(AppFolder folder, TransferState& state, QWidget* parent = nullptr);
    void initializePage() override;
    QString diffText() const;

private:
    AppFolder m_folder;
    TransferState& m_state;
    QLabel* lblSummary;
    QPlainTextEdit* txtDiff;
};

} // namespace corvane
