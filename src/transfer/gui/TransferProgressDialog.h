#pragma once
// dlgTransferProgress: files and bytes of a running fetch or upload, the file
// being moved and a Cancel button. It is shown, never run modally: the
// transfer keeps the events running while it works, and the dialog follows
// its reports. Cancel (or closing the window) only asks the transfer to stop;
// the transfer says when it has, and whoever showed the dialog closes it.
#include "transfer/TransferProgress.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace corvane {

class TransferProgressDialog : public QDialog
{
    Q_OBJECT
public:
    TransferProgressDialog(bool upload, QWidget* parent = nullptr);

    void showProgress(const TransferProgress& progress);
    bool cancelAsked() const { return m_cancelAsked; }

signals:
    void cancelRequested();

public slots:
    // Escape and the window's close button ask to stop, like Cancel.
    void reject() override;

private:
    void askCancel();

    QLabel* lblProgressFiles;
    QLabel* lblProgressBytes;
    QLabel* lblProgressFile;
    QProgressBar* prgTransfer;
    QPushButton* cmdCancel;
    bool m_cancelAsked = false;
};

} // namespace corvane
