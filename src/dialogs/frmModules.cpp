#include "dialogs/frmModules.h"

#include "dialogs/EntrySpecs.h"
#include "forms/ListEditor.h"
#include "forms/ListViewRows.h"
#include "host/MessageBox.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

frmModules::frmModules(const EditorInputs& inputs, QWidget* parent)
    : CorvaneDialog(inputs, QStringLiteral("frmModules"), QStringLiteral("Modules"), 1030, parent)
{
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("ssTabLoadModule"));
    body()->addWidget(m_tabs);
    ListEditor* loadEditor = nullptr;
    ListEditor* addEditor = nullptr;
    m_load = buildTab(QStringLiteral("Load Modules"), QStringLiteral("LoadModule"), "LD",
                      {"cmdLDAddModule", "cmdLDEditModule", "cmdLDRemoveModule", "cmdLDUp", "cmdLDDown"},
                      QStringLiteral("Module Already Loaded"), &loadEditor);
    m_load->setObjectName(QStringLiteral("lstLoadModule"));
    m_add = buildTab(QStringLiteral("Add Modules"), QStringLiteral("AddModule"), "AD",
                     {"cmdADAddModule", "cmdADEditModule", "cmdADRemove", "cmdADUp", "cmdAdDown"},
                     QStringLiteral("Module Already Available"), &addEditor);
    m_add->setObjectName(QStringLiteral("lstAddModule"));
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        QTreeWidget* list = index == 0 ? m_load : m_add;
        if (list->topLevelItemCount() > 0)
            ListViewRows::selectRow(list, 0);
    });
    resize(560, 380);
}

QTreeWidget* frmModules::buildTab(const QString& title, const QString& tag, const char*,
                                  const QStringList& names, const QString& duplicateMessage,
                                  ListEditor** editor)
{
    auto* page = new QWidget(m_tabs);
    auto* layout = new QHBoxLayout(page);
    auto* list = new QTreeWidget(page);
    ListViewRows::setup(list, {QStringLiteral("Module Name"), QStringLiteral("File Name")});
    bindings().bindList(list, tag, FormBindings::RowShape::FirstRest);
    layout->addWidget(list, 1);
    auto* buttons = new QVBoxLayout;
    const QStringList captions{QStringLiteral("Add..."), QStringLiteral("Edit..."), QStringLiteral("Remove"),
                               QStringLiteral("Up"), QStringLiteral("Down")};
    QList<QPushButton*> made;
    for (int i = 0; i < names.size(); ++i) {
        auto* b = new QPushButton(captions[i], page);
        b->setObjectName(names[i]);
        FormSupport::setTag(b, tag);
        buttons->addWidget(b);
        made << b;
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    m_tabs->addTab(page, title);

    *editor = new ListEditor(list, EntrySpecs::frmAddModule(), inputs().context,
                             {made[0], made[1], made[2], made[3], made[4]}, this);
    (*editor)->setAcceptRow(
        [this, list, duplicateMessage](const QStringList& values, const QTreeWidgetItem* editing) {
            const QString name = values.value(0).trimmed();
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                const QTreeWidgetItem* row = list->topLevelItem(i);
                if (row != editing && row->text(0).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
                    MessageBox::information(this, duplicateMessage);
                    return false;
                }
            }
            return true;
        });
    connect(*editor, &ListEditor::changed, this, &CorvaneDialog::markChanged);
    return list;
}

void frmModules::FormLoad()
{
    CorvaneDialog::FormLoad();
    if (m_load->topLevelItemCount() > 0)
        ListViewRows::selectRow(m_load, 0);
}

} // namespace corvane
