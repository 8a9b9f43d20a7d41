#include "dialogs/DialogParts.h"

#include "dialogs/CorvaneDialog.h"
#include "forms/FormBindings.h"
#include "forms/ListViewRows.h"
#include "forms/PageWidgets.h"
#include "forms/UpDown.h"
#include "host/FileDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

DialogParts::ListPart DialogParts::list(CorvaneDialog* dialog, QWidget* page, const char* listName,
                                        const QStringList& headers, const QString& directive, int shape,
                                        const EntrySpec& entry, const QList<const char*>& buttonNames)
{
    ListPart part;
    auto* layout = new QHBoxLayout;
    part.list = new QTreeWidget(page);
    part.list->setObjectName(QString::fromLatin1(listName));
    ListViewRows::setup(part.list, headers);
    dialog->bindings().bindList(part.list, directive, FormBindings::RowShape(shape));
    layout->addWidget(part.list, 1);
    auto* column = new QVBoxLayout;
    static const char* const captions[] = {"Add...", "Edit...", "Remove", "Up", "Down"};
    ListEditor::Buttons buttons;
    QAbstractButton** targets[] = {&buttons.add, &buttons.edit, &buttons.remove, &buttons.up, &buttons.down};
    for (int i = 0; i < buttonNames.size() && i < 5; ++i) {
        if (!buttonNames[i] || !*buttonNames[i]) {
            part.buttons << nullptr;
            continue;
        }
        QPushButton* b = PageWidgets::button(page, buttonNames[i], captions[i]);
        FormSupport::setTag(b, directive);
        column->addWidget(b);
        *targets[i] = b;
        part.buttons << b;
    }
    column->addStretch(1);
    layout->addLayout(column);
    if (!page->layout())
        new QVBoxLayout(page);
    if (auto* box = qobject_cast<QBoxLayout*>(page->layout()))
        box->addLayout(layout, 1);
    part.editor = new ListEditor(part.list, entry, dialog->inputs().context, buttons, dialog);
    if (entry.fields.isEmpty())
        part.editor->setInPlace(true);
    QObject::connect(part.editor, &ListEditor::changed, dialog, &CorvaneDialog::markChanged);
    return part;
}

void DialogParts::row(QGridLayout* grid, const QString& label, QWidget* control, QWidget* extra)
{
    const int r = grid->rowCount();
    auto* l = new QLabel(label, grid->parentWidget());
    l->setBuddy(control);
    grid->addWidget(l, r, 0);
    grid->addWidget(control, r, 1);
    if (extra)
        grid->addWidget(extra, r, 2);
}

QLineEdit* DialogParts::fileBox(CorvaneDialog* dialog, QWidget* parent, const char* boxName,
                                const char* browseName, QPushButton** browse)
{
    QLineEdit* box = PageWidgets::lineEdit(parent, boxName);
    QPushButton* b = PageWidgets::button(parent, browseName, "Browse...");
    QObject::connect(b, &QPushButton::clicked, dialog, [dialog, box] {
        const QString chosen = FileDialog::getOpenFileName(dialog, QStringLiteral("Select file"));
        if (!chosen.isEmpty()) {
            box->setText(chosen);
            dialog->markChanged();
        }
    });
    dialog->form().addBrowseButton(b, box);
    if (browse)
        *browse = b;
    return box;
}

QLineEdit* DialogParts::numberBox(CorvaneDialog* dialog, QWidget* parent, const char* boxName,
                                  const char* udName, const QString& directive, int maximum, UpDown** upDown)
{
    QLineEdit* box = PageWidgets::lineEdit(parent, boxName);
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), box));
    dialog->bindings().bindDirective(box, directive);
    auto* ud = new UpDown(parent);
    ud->setObjectName(QString::fromLatin1(udName));
    FormSupport::setTag(ud, directive);
    ud->setRange(0, maximum);
    QObject::connect(ud, &UpDown::valueChanged, dialog, [dialog, box](int v) {
        box->setText(QString::number(v));
        dialog->markChanged();
    });
    QObject::connect(box, &QLineEdit::textChanged, ud, [ud](const QString& t) { ud->setValue(t.toInt()); });
    if (upDown)
        *upDown = ud;
    return box;
}

} // namespace corvane
