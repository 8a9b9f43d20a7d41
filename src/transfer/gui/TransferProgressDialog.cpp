#include "transfer/gui/TransferProgressDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

TransferProgressDialog::TransferProgressDialog(bool upload, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgTransferProgress"));
    setWindowTitle(upload ? QStringLiteral("Uploading the configuration")
                          : QStringLiteral("Fetching the configuration"));
    lblProgressFiles = new QLabel(this);
    lblProgressFiles->setObjectName(QStringLiteral("lblProgressFiles"));
    lblProgressBytes = new QLabel(this);
    lblProgressBytes->setObjectName(QStringLiteral("lblProgressBytes"));
    lblProgressFile = new QLabel(this);
    lblProgressFile->setObjectName(QStringLiteral("lblProgressFile"));
    // A server's path is shown as text, never as markup.
    lblProgressFile->setTextFormat(Qt::PlainText);
    lblProgressFile->setMinimumWidth(360);
    prgTransfer = new QProgressBar(this);
    prgTransfer->setObjectName(QStringLiteral("prgTransfer"));
    prgTransfer->setRange(0, 0); // busy until the totals are known
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdCancel, &QPushButton::clicked, this, &TransferProgressDialog::askCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblProgressFiles);
    layout->addWidget(lblProgressBytes);
    layout->addWidget(lblProgressFile);
    layout->addWidget(prgTransfer);
    layout->addWidget(cmdCancel, 0, Qt::AlignRight);
    showProgress(TransferProgress());
}

void TransferProgressDialog::showProgress(const TransferProgress& p)
{
    lblProgressFiles->setText(p.filesText());
    lblProgressBytes->setText(p.bytesText());
    if (!m_cancelAsked)
        lblProgressFile->setText(p.currentFile);
    // The bar follows the bytes when their total is known, else the files.
    if (p.bytesTotal > 0) {
        prgTransfer->setRange(0, 1000);
        prgTransfer->setValue(int(std::min<qint64>(1000, p.bytesDone * 1000 / p.bytesTotal)));
    } else if (p.filesTotal > 0) {
        prgTransfer->setRange(0, p.filesTotal);
        prgTransfer->setValue(std::min(p.filesDone, p.filesTotal));
    } else if (p.finished) {
        prgTransfer->setRange(0, 1);
        prgTransfer->setValue(1);
    } else {
        prgTransfer->setRange(0, 0);
    }
}

void TransferProgressDialog::reject()
{
    askCancel();
}

void TransferProgressDialog::askCancel()
{
    if (m_cancelAsked)
        return;
    m_cancelAsked = true;
    cmdCancel->setEnabled(false);
    lblProgressFile->setText(QStringLiteral("Stopping after the current file..."));
    emit cancelRequested();
}

} // namespace corvane
