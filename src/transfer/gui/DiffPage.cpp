#include "transfer/gui/DiffPage.h"

#include "transfer/ServerWorkArea.h"
#include "transfer/UnifiedDiff.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace corvane {

DiffPage::DiffPage(AppFolder folder, TransferState& state, QWidget* parent)
    : QWizardPage(parent), m_folder(std::move(folder)), m_state(state)
{
    setObjectName(QStringLiteral("frmDiff"));
    setTitle(QStringLiteral("Changes to be sent"));
    setSubTitle(QStringLiteral(
        "Lines marked - are removed from the file as last fetched from the server, lines marked "
        "+ are added."));
    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    txtDiff = new QPlainTextEdit(this);
    txtDiff->setObjectName(QStringLiteral("txtDiff"));
    txtDiff->setReadOnly(true);
    txtDiff->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtDiff->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary);
    layout->addWidget(txtDiff, 1);
}

void DiffPage::initializePage()
{
    const ServerWorkArea area(m_folder, m_state.SyncServerName);
    const QString server = m_state.SyncServerName.trimmed();
    const QByteArray diff = UnifiedDiff::diffTree(area, server);
    int added = 0, removed = 0;
    for (const QByteArray& line : diff.split('\n')) {
        if (line.startsWith('+') && !line.startsWith("+++"))
            ++added;
        else if (line.startsWith('-') && !line.startsWith("---"))
            ++removed;
    }
    lblSummary->setText(diff.isEmpty()
                            ? QStringLiteral("The working copy has no changes against the file as last "
                                             "fetched.")
                            : QStringLiteral("%1 lines added, %2 lines removed.").arg(added).arg(removed));
    // Shown as UTF-8 when it is, otherwise byte for byte.
    QString text = QString::fromUtf8(diff);
    if (text.toUtf8() != diff)
        text = QString::fromLatin1(diff);
    txtDiff->setPlainText(text);
}

QString DiffPage::diffText() const
{
    return txtDiff->toPlainText();
}

} // namespace corvane
