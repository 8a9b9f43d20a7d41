#include "dialogs/frmIcons.h"

#include "dialogs/DialogParts.h"
#include "dialogs/EntrySpecs.h"
#include "forms/EntryDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

frmIcons::frmIcons(const EditorInputs& inputs, QWidget* parent)
    : CorvaneDialog(inputs, QStringLiteral("frmIcons"), QStringLiteral("Icon Settings"), 1080, parent)
{
    auto* settings = new QGroupBox(QStringLiteral("Settings"), this);
    auto* settingsLayout = new QVBoxLayout(settings);
    auto* tabs = new QTabWidget(settings);
    tabs->setObjectName(QStringLiteral("sstIcons"));
    settingsLayout->addWidget(tabs);
    body()->addWidget(settings, 1);
    const struct
    {
        const char* directive;
        const char* list;
        const char* first;
        const char* second;
        const char* firstLabel;
        const char* secondLabel;
        const char* suffix; // of the entry dialog's captions
    } tabsOf[] = {
        {"AddIcon", "lstvIcon", "Icon", "Name", "Icon:", "Name:", "Icon"},
        {"AddIconByType", "lstvIconByType", "Icon", "MIME Type", "Icon:", "Mime Type:", "IconByType"},
        {"AddIconByEncoding", "lstvIconByEncoding", "Icon", "MIME Encoding",
         "Icon:", "Mime Encoding:", "IconByEncoding"},
        {"AddDescription", "lstvDescription", "String", "FileName", "String:", "Filename:", "Description"}};
    QList<ListEditor*> editors;
    for (const auto& t : tabsOf) {
        auto* page = new QWidget(tabs);
        new QVBoxLayout(page);
        DialogParts::ListPart part = DialogParts::list(
            this, page, t.list, {QString::fromLatin1(t.first), QString::fromLatin1(t.second)},
            QString::fromLatin1(t.directive), int(FormBindings::RowShape::ExtraParamPerRow),
            EntrySpecs::frmAddIcon(), {});
        const QString suffix = QString::fromLatin1(t.suffix);
        part.editor->setCaptions(QStringLiteral("Add ") + suffix, QStringLiteral("Edit ") + suffix);
        const QString firstLabel = QString::fromLatin1(t.firstLabel);
        const QString secondLabel = QString::fromLatin1(t.secondLabel);
        part.editor->setPrepare([firstLabel, secondLabel](EntryDialog& d, const QTreeWidgetItem*) {
            d.setLabel(0, firstLabel);
            d.setLabel(1, secondLabel);
        });
        editors << part.editor;
        tabs->addTab(page, QString::fromLatin1(t.directive));
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    const char* names[] = {"cmdAddIcon", "cmdEdit", "cmdRemoveIcon"};
    const char* captions[] = {"Add...", "Edit...", "Remove"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(QString::fromLatin1(captions[i]), settings);
        b->setObjectName(QString::fromLatin1(names[i]));
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, [tabs, editors, i] {
            ListEditor* e = editors.value(tabs->currentIndex());
            if (i == 0)
                e->add();
            else if (i == 1)
                e->edit();
            else
                e->remove();
        });
    }
    settingsLayout->addLayout(buttons);

    auto* defaults = new QGroupBox(QStringLiteral("Default Icon"), this);
    auto* grid = new QGridLayout(defaults);
    QPushButton* browse = nullptr;
    QLineEdit* icon = DialogParts::fileBox(this, defaults, "txtDefaultIcon", "cmdBrowseFile", &browse);
    bindings().bindDirective(icon, QStringLiteral("DefaultIcon"), FormBindings::ReadAs::Unquoted,
                             FormBindings::WriteAs::Path);
    DialogParts::row(grid, QStringLiteral("Default Icon:"), icon, browse);
    body()->addWidget(defaults);
    resize(600, 440);
}

} // namespace corvane
