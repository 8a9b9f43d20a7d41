#include "dialogs/frmAliases.h"

#include "dialogs/DialogParts.h"
#include "dialogs/EntrySpecs.h"

#include <QGroupBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

frmServerAliases::frmServerAliases(const EditorInputs& inputs, QWidget* parent)
    : CorvaneDialog(inputs, QStringLiteral("frmServerAliases"), QStringLiteral("Server Aliases"), 1060,
                    parent)
{
    auto* frame = new QGroupBox(QStringLiteral("Aliases"), this);
    new QVBoxLayout(frame);
    body()->addWidget(frame);
    DialogParts::ListPart part =
        DialogParts::list(this, frame, "lstvServerAlias", {QStringLiteral("Server Alias")},
                          QStringLiteral("ServerAlias"), int(FormBindings::RowShape::ParamPerRow),
                          EntrySpecs::frmAddServerAlias(), {"cmdAdd", "", "CmdRemove"});
    part.editor->setCaptions(QStringLiteral("Add Server Alias"), QString());
    resize(420, 320);
}

frmAliases::frmAliases(const EditorInputs& inputs, QWidget* parent)
    : CorvaneDialog(inputs, QStringLiteral("frmAliases"), QStringLiteral("Aliases"), 1061, parent)
{
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTabAlias"));
    body()->addWidget(m_tabs);
    const struct
    {
        const char* title;
        const char* list;
        const char* directive;
    } tabs[] = {{"Alias", "lstvAlias", "Alias"},
                {"Alias Match", "lstvAliasMatch", "AliasMatch"},
                {"Script Alias", "lstvScriptAlias", "ScriptAlias"},
                {"Script Alias Match", "lstvScriptAliasMatch", "ScriptAliasMatch"}};
    // One button row acts on the list of the tab shown.
    QList<ListEditor*> editors;
    for (const auto& t : tabs) {
        auto* page = new QWidget(m_tabs);
        new QVBoxLayout(page);
        DialogParts::ListPart part =
            DialogParts::list(this, page, t.list, {QStringLiteral("Alias"), QStringLiteral("Path")},
                              QString::fromLatin1(t.directive), int(FormBindings::RowShape::FirstRest),
                              EntrySpecs::frmAddAlias(), {});
        part.editor->setCaptions(QString(), QStringLiteral("Edit Alias"));
        editors << part.editor;
        m_tabs->addTab(page, QString::fromLatin1(t.title));
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    const char* names[] = {"cmdAdd", "cmdEdit", "cmdRemove"};
    const char* captions[] = {"Add...", "Edit...", "Remove"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(QString::fromLatin1(captions[i]), this);
        b->setObjectName(QString::fromLatin1(names[i]));
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, editors, i] {
            ListEditor* e = editors.value(m_tabs->currentIndex());
            if (!e)
                return;
            if (i == 0)
                e->add();
            else if (i == 1)
                e->edit();
            else
                e->remove();
        });
    }
    body()->addLayout(buttons);
    resize(560, 380);
}

} // namespace corvane
