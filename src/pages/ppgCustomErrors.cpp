#include "pages/ppgCustomErrors.h"

#include "dialogs/EntrySpecs.h"
#include "forms/EntryDialog.h"
#include "forms/FormSupport.h"
#include "forms/ListEditor.h"
#include "forms/ListViewRows.h"
#include "forms/PageWidgets.h"
#include "host/MessageBox.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

namespace {

constexpr int kCode = 0;
constexpr int kDocument = 1;
constexpr int kType = 2;

} // namespace

ppgCustomErrors::ppgCustomErrors(QWidget* parent)
    : CorvanePage(QStringLiteral("Custom Errors"), 120, MainServer | Sections, parent)
{
    setObjectName(QStringLiteral("ppgCustomErrors"));
    const QString tag = QStringLiteral("ErrorDocument");
    auto* layout = new QVBoxLayout(this);
    auto* frame = new QGroupBox(QStringLiteral("Error Messages for HTTP Errors"), this);
    auto* row = new QHBoxLayout(frame);
    m_lstvError = new QTreeWidget(frame);
    m_lstvError->setObjectName(QStringLiteral("lstvError"));
    ListViewRows::setup(m_lstvError,
                        {QStringLiteral("Error Code"), QStringLiteral("Dcoument"), QStringLiteral("Type")});
    bindList(m_lstvError, tag, RowShape::FirstRest);
    row->addWidget(m_lstvError, 1);
    auto* buttons = new QVBoxLayout;
    ListEditor::Buttons b;
    b.add = PageWidgets::button(frame, "cmdAddError", "Add...");
    b.edit = PageWidgets::button(frame, "cmdEditError", "Edit...");
    b.remove = PageWidgets::button(frame, "cmdRemoveError", "Remove");
    for (QAbstractButton* w : {b.add, b.edit, b.remove}) {
        setTag(w, tag);
        buttons->addWidget(w);
    }
    buttons->addStretch(1);
    row->addLayout(buttons);
    layout->addWidget(frame);

    // Dialog fields: code, type, document; list columns: code, document, type.
    m_editor = new ListEditor(m_lstvError, EntrySpecs::frmAddErrorDoc(), context(), b, this);
    m_editor->setCaptions(QStringLiteral("Add Error"), QStringLiteral("Edit Error"));
    m_editor->setColumns({0, 2, 1});
    m_editor->setPrepare([](EntryDialog& dialog, const QTreeWidgetItem* editing) {
        // Codes are chosen from the table; the status of a row being edited
        // (418 read from the file, say) stays what it is.
        if (!editing)
            return;
        const QString code = editing->text(kCode);
        if (!EntrySpecs::errorCodes().contains(code))
            dialog.setEntries(0, EntrySpecs::errorCodes() << code);
        dialog.form().setUsable(dialog.field(0), false);
    });
    m_editor->setAcceptRow([this](const QStringList& values, const QTreeWidgetItem* editing) {
        if (editing)
            return true;
        for (int i = 0; i < m_lstvError->topLevelItemCount(); ++i) {
            if (m_lstvError->topLevelItem(i)->text(kCode).trimmed() == values.value(0).trimmed()) {
                MessageBox::information(this, QStringLiteral("Error details already exist"));
                return false;
            }
        }
        return true;
    });
    connect(m_editor, &ListEditor::changed, this, [this] { setChanged(); });
}

QString ppgCustomErrors::documentType(const QString& code, const QString& document)
{
    if (document.trimmed().toUpper().contains(QLatin1String("HTTP")))
        return QStringLiteral("URL");
    const QString description = EntrySpecs::errorDescription(code);
    if (!description.isEmpty() && description == document)
        return QStringLiteral("Default");
    return QStringLiteral("File");
}

void ppgCustomErrors::LoadControls()
{
    m_editor->setContext(context());
    // The type is not in the file: it is read off each row's document.
    for (int i = 0; i < m_lstvError->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_lstvError->topLevelItem(i);
        item->setText(kType, documentType(item->text(kCode), item->text(kDocument)));
    }
}

} // namespace corvane
