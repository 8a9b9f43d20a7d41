#pragma once
// frmWelcome: the first page of both wizards. In the connection wizard it
// only welcomes; in the upload wizard it checks the working copy's syntax
// with a real Apache and shows the output as it arrives.
#include "registry/AppFolder.h"
#include "transfer/TransferState.h"

#include <QWizardPage>

class QLabel;
class QPlainTextEdit;

namespace corvane {

class WelcomePage : public QWizardPage
{
    Q_OBJECT
public:
    WelcomePage(AppFolder folder, TransferState& state, QWidget* parent = nullptr);

    void initializePage() override;
    bool isComplete() const override;
    // Upload mode: without "Syntax OK" the administrator is asked first.
    bool validatePage() override;
    bool checked() const { return m_checked; }
    QString outputs() const;

    static QString continueQuestion();

private:
    void runCheck();

    AppFolder m_folder;
    TransferState& m_state;
    QLabel* lblCaption;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QPlainTextEdit* txtOutputs;
    bool m_checked = false;
    bool m_checking = false;
};

} // namespace corvane
