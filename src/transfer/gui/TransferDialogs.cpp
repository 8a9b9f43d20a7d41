#include "transfer/gui/TransferDialogs.h"

#include "host/MessageBox.h"
#include "transfer/ServerWorkArea.h"
#include "transfer/UnifiedDiff.h"
#include "transfer/gui/TransferWizard.h"

#include <QDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStyle>
#include <QVBoxLayout>

namespace corvane {

QString TransferDialogs::connectServer(const AppFolder& folder, QWidget* parent)
{
    TransferWizard wizard(TransferWizard::Connection, folder, QString(), parent);
    wizard.exec();
    return wizard.addedServer().trimmed();
}

void TransferDialogs::getConfig(const AppFolder& folder, const QString& server, QWidget* parent)
{
    TransferWizard wizard(TransferWizard::GetConfig, folder, server, parent);
    wizard.exec();
}

void TransferDialogs::synchronize(const AppFolder& folder, const QString& server, QWidget* parent)
{
    TransferWizard wizard(TransferWizard::Upload, folder, server, parent);
    wizard.exec();
}

QWidget* TransferDialogs::showChanges(const AppFolder& folder, const QString& server, QWidget* parent)
{
    const ServerWorkArea area(folder, server);
    QByteArray diff = UnifiedDiff::diffTree(area, server);
    auto* view = new QDialog(parent);
    view->setObjectName(QStringLiteral("frmChanges"));
    view->setWindowTitle(QStringLiteral("Changes of %1").arg(server));
    view->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(view);
    auto* text = new QPlainTextEdit(view);
    text->setObjectName(QStringLiteral("txtChanges"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The fetched text is shown, never interpreted: decoded as UTF-8 when
    // valid, otherwise as Latin-1.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString shown = utf8(diff);
    if (utf8.hasError())
        shown = QString::fromLatin1(diff);
    text->setPlainText(diff.isEmpty() ? QStringLiteral("The working copy is as it was last fetched.")
                                      : shown);
    layout->addWidget(text, 1);
    auto* close = new QPushButton(QStringLiteral("Close"), view);
    close->setObjectName(QStringLiteral("cmdClose"));
    QObject::connect(close, &QPushButton::clicked, view, &QDialog::close);
    layout->addWidget(close, 0, Qt::AlignRight);
    view->resize(760, 520);
    view->show();
    return view;
}

bool TransferDialogs::revertChanges(const AppFolder& folder, const QString& server, QWidget* parent)
{
    const ServerWorkArea area(folder, server);
    if (area.changedFiles(area.manifest()).empty()) {
        MessageBox::information(parent, QStringLiteral("The working copy of %1 has no changes.").arg(server));
        return false;
    }
    if (MessageBox::question(parent,
                             QStringLiteral("Revert every change of %1 that was not sent to the server? "
                                            "The changed files are kept in Backup.")
                                 .arg(server)) != QMessageBox::Yes)
        return false;
    QString kept;
    QString why;
    if (!area.revertChanges(&kept, &why)) {
        MessageBox::warning(parent, QStringLiteral("Nothing was reverted: %1").arg(why));
        return false;
    }
    MessageBox::information(parent, QStringLiteral("The changes are kept as %1.").arg(kept));
    return true;
}

QString TransferDialogs::offerFirstConnection(const AppFolder& folder, QWidget* parent)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("FrmDialogWindow"));
    dialog.setWindowTitle(QStringLiteral("Add Connection"));
    auto* image = new QLabel(&dialog);
    image->setPixmap(dialog.style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    auto* message =
        new QLabel(QStringLiteral("Currently there are no configured active apache servers. Do you wish "
                                  "to create a new connection?"),
                   &dialog);
    message->setWordWrap(true);
    auto* cmdOk = new QPushButton(QStringLiteral("OK"), &dialog);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    auto* cmdClose = new QPushButton(QStringLiteral("Close"), &dialog);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    QObject::connect(cmdOk, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cmdClose, &QPushButton::clicked, &dialog, &QDialog::reject);
    auto* top = new QHBoxLayout;
    top->addWidget(image, 0, Qt::AlignTop);
    top->addWidget(message, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(top);
    layout->addLayout(buttons);
    // Tests run without windows: nothing is offered there.
    if (QStandardPaths::isTestModeEnabled() || dialog.exec() != QDialog::Accepted)
        return QString();
    return connectServer(folder, parent);
}

} // namespace corvane
