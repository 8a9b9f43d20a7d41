#include "dialogs/frmIndexOptions.h"

#include "dialogs/EntrySpecs.h"
#include "forms/FormSupport.h"
#include "forms/ListEditor.h"
#include "forms/ListViewRows.h"
#include "forms/PageWidgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

frmIndexOptions::frmIndexOptions(QWidget* parent)
    : FormDialog(QStringLiteral("frmIndexOptions"), QStringLiteral("Index Options"), 1410, parent)
{
    QVBoxLayout* layout = body();
    auto* grid = new QGridLayout;
    m_sort = new QComboBox(this);
    m_sort->setObjectName(QStringLiteral("cmbIndexOrderSort"));
    m_sort->addItems({QStringLiteral("Ascending"), QStringLiteral("Descending")});
    m_key = new QComboBox(this);
    m_key->setObjectName(QStringLiteral("cmbIndexOrderPrimaryKey"));
    m_key->addItems({QStringLiteral("Name"), QStringLiteral("Date"), QStringLiteral("Size"),
                     QStringLiteral("Description")});
    FormSupport::setTag(m_sort, QStringLiteral("IndexOrderDefault"));
    FormSupport::setTag(m_key, QStringLiteral("IndexOrderDefault"));
    grid->addWidget(new QLabel(QStringLiteral("Sort Order :"), this), 0, 0);
    grid->addWidget(m_sort, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Primary Key :"), this), 1, 0);
    grid->addWidget(m_key, 1, 1);
    layout->addLayout(grid);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lstvIndexOptions"));
    ListViewRows::setup(m_list, {QStringLiteral("Index Options")});
    FormSupport::setTag(m_list, QStringLiteral("IndexOptions"));
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(m_list, 1);
    auto* buttons = new QVBoxLayout;
    ListEditor::Buttons b;
    b.add = PageWidgets::button(this, "cmdAdd", "Add...");
    b.edit = PageWidgets::button(this, "cmdEdit", "Edit...");
    b.remove = PageWidgets::button(this, "cmdRemove", "Remove");
    for (QAbstractButton* w : {b.add, b.edit, b.remove}) {
        FormSupport::setTag(w, QStringLiteral("IndexOptions"));
        buttons->addWidget(w);
    }
    buttons->addStretch(1);
    listRow->addLayout(buttons);
    layout->addLayout(listRow);
    contextChanged();
}

void frmIndexOptions::contextChanged()
{
    // The list editor keeps its own copy of the context for its entry dialog.
    delete m_editor;
    ListEditor::Buttons b;
    b.add = findChild<QPushButton*>(QStringLiteral("cmdAdd"));
    b.edit = findChild<QPushButton*>(QStringLiteral("cmdEdit"));
    b.remove = findChild<QPushButton*>(QStringLiteral("cmdRemove"));
    m_editor = new ListEditor(m_list, EntrySpecs::frmAddIndexOption(), context(), b, this);
    m_editor->setCaptions(QStringLiteral("Add Index Option"), QStringLiteral("Edit Index Option"));
}

void frmIndexOptions::setIndexOrder(const QString& sort, const QString& key)
{
    m_sort->setCurrentIndex(m_sort->findText(sort, Qt::MatchFixedString));
    m_key->setCurrentIndex(m_key->findText(key, Qt::MatchFixedString));
}

QString frmIndexOptions::indexOrder() const
{
    const QString sort = m_sort->currentText().trimmed();
    const QString key = m_key->currentText().trimmed();
    if (sort.isEmpty() || key.isEmpty())
        return {};
    return sort + u' ' + key;
}

void frmIndexOptions::setIndexOptions(const QStringList& options)
{
    m_list->clear();
    for (const QString& o : options)
        if (!o.trimmed().isEmpty())
            ListViewRows::addRow(m_list, {o.trimmed()});
}

QStringList frmIndexOptions::indexOptions() const
{
    QStringList out;
    for (const QString& t : ListViewRows::texts(m_list))
        if (!t.trimmed().isEmpty())
            out << t.trimmed();
    return out;
}

} // namespace corvane
