#include "dialogs/frmExpireByType.h"

#include "dialogs/EntrySpecs.h"
#include "forms/EntryDialog.h"
#include "forms/FormSupport.h"
#include "forms/ListEditor.h"
#include "forms/ListViewRows.h"
#include "forms/PageWidgets.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

frmExpireByType::frmExpireByType(QWidget* parent)
    : FormDialog(QStringLiteral("frmExpireByType"), QStringLiteral("Expire By Type"), 1720, parent)
{
    auto* frame = new QGroupBox(QStringLiteral("ExpiresByType List"), this);
    auto* row = new QHBoxLayout(frame);
    m_list = new QTreeWidget(frame);
    m_list->setObjectName(QStringLiteral("lstvExpiresByType"));
    ListViewRows::setup(m_list, {QStringLiteral("Mime Type"), QStringLiteral("Time")});
    FormSupport::setTag(m_list, QStringLiteral("ExpiresByType"));
    row->addWidget(m_list, 1);
    auto* buttons = new QVBoxLayout;
    for (auto [name, caption] :
         {std::pair{"cmdAdd", "Add..."}, {"cmdEdit", "Edit..."}, {"cmdRemove", "Remove"}})
        buttons->addWidget(PageWidgets::button(frame, name, caption));
    buttons->addStretch(1);
    row->addLayout(buttons);
    body()->addWidget(frame);
    contextChanged();
    resize(480, 320);
}

void frmExpireByType::contextChanged()
{
    delete m_editor;
    ListEditor::Buttons b;
    b.add = findChild<QPushButton*>(QStringLiteral("cmdAdd"));
    b.edit = findChild<QPushButton*>(QStringLiteral("cmdEdit"));
    b.remove = findChild<QPushButton*>(QStringLiteral("cmdRemove"));
    m_editor = new ListEditor(m_list, EntrySpecs::frmExpirationTime(), context(), b, this);
    m_editor->setPrepare(
        [this](EntryDialog& dialog, const QTreeWidgetItem*) { dialog.setEntries(0, m_types); });
}

} // namespace corvane
