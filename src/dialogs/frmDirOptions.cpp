#include "dialogs/frmDirOptions.h"

#include "dialogs/EntrySpecs.h"
#include "forms/EntryDialog.h"
#include "forms/FormSupport.h"
#include "forms/ListViewRows.h"
#include "forms/PageWidgets.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

frmDirOptions::frmDirOptions(QWidget* parent)
    : FormDialog(QStringLiteral("frmDirOptions"), QStringLiteral("Directory Options"), 1610, parent)
{
    QVBoxLayout* layout = body();
    m_optAll = new QRadioButton(QStringLiteral("All options"), this);
    m_optAll->setObjectName(QStringLiteral("optAll"));
    m_optSpecifiedOptions = new QRadioButton(QStringLiteral("Only the options below"), this);
    m_optSpecifiedOptions->setObjectName(QStringLiteral("optSpecifiedOptions"));
    auto* group = new QButtonGroup(this);
    group->addButton(m_optAll);
    group->addButton(m_optSpecifiedOptions);
    m_optSpecifiedOptions->setChecked(true);
    layout->addWidget(m_optAll);
    layout->addWidget(m_optSpecifiedOptions);

    auto* row = new QHBoxLayout;
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lstvDirOptions"));
    ListViewRows::setup(m_list, {QStringLiteral("Option")});
    FormSupport::setTag(m_list, QStringLiteral("Options"));
    row->addWidget(m_list, 1);
    auto* buttons = new QVBoxLayout;
    m_cmdAdd = PageWidgets::button(this, "cmdAdd", "Add...");
    m_cmdEdit = PageWidgets::button(this, "cmdEdit", "Edit...");
    m_cmdRemove = PageWidgets::button(this, "cmdRemove", "Remove");
    for (QPushButton* b : {m_cmdAdd, m_cmdEdit, m_cmdRemove})
        buttons->addWidget(b);
    buttons->addStretch(1);
    row->addLayout(buttons);
    layout->addLayout(row);

    connect(m_cmdAdd, &QPushButton::clicked, this, &frmDirOptions::addOption);
    connect(m_cmdEdit, &QPushButton::clicked, this, &frmDirOptions::editOption);
    connect(m_cmdRemove, &QPushButton::clicked, this, &frmDirOptions::removeOption);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &frmDirOptions::editOption);
    connect(m_optAll, &QRadioButton::toggled, this, [this] { showChoice(); });
    showChoice();
}

void frmDirOptions::showChoice()
{
    const bool listed = m_optSpecifiedOptions->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(m_list), static_cast<QWidget*>(m_cmdAdd),
                       static_cast<QWidget*>(m_cmdEdit), static_cast<QWidget*>(m_cmdRemove)})
        form().setUsable(w, listed);
}

void frmDirOptions::setOptions(const QStringList& params, int directiveNo)
{
    m_list->clear();
    if (params.size() == 1 &&
        params.first().trimmed().compare(QLatin1String("All"), Qt::CaseInsensitive) == 0) {
        m_optAll->setChecked(true);
    } else {
        m_optSpecifiedOptions->setChecked(true);
        for (const QString& p : params)
            if (!p.trimmed().isEmpty())
                ListViewRows::addRow(m_list, {p.trimmed()}, directiveNo);
    }
    showChoice();
}

QString frmDirOptions::options() const
{
    if (m_optAll->isChecked())
        return QStringLiteral("All");
    return ListViewRows::texts(m_list).join(u' ').trimmed();
}

bool frmDirOptions::runEntry(const QString& caption, QString& value)
{
    EntrySpec dirOption = EntrySpecs::frmAddDirOption();
    // Words the fixed list does not hold (None, Includes under another
    // spelling, 2.4 words) can be typed.
    if (dirOption.fields.size() > 1)
        dirOption.fields[1].kind = EntryField::EditableCombo;
    EntryDialog dialog(dirOption, context(), this);
    if (!caption.isEmpty())
        dialog.setCaption(caption);
    if (!value.isEmpty()) {
        QString word = value;
        QString sign;
        if (word.startsWith(u'+') || word.startsWith(u'-')) {
            sign = word.left(1);
            word = word.mid(1);
        }
        dialog.setValue(0, sign);
        dialog.setValue(1, word);
    }
    dialog.exec();
    if (!dialog.Accepted)
        return false;
    const QString word = dialog.value(1).trimmed();
    if (word.isEmpty() || word.contains(u' ') || word.contains(u'"'))
        return false;
    value = dialog.value(0).trimmed() + word;
    return true;
}

void frmDirOptions::addOption()
{
    QString value;
    if (!runEntry(QString(), value))
        return;
    QTreeWidgetItem* row = ListViewRows::addRow(m_list, {value});
    ListViewRows::selectRow(m_list, m_list->indexOfTopLevelItem(row));
}

void frmDirOptions::editOption()
{
    QTreeWidgetItem* row = ListViewRows::selectedRow(m_list);
    if (!row)
        return;
    QString value = row->text(0);
    if (runEntry(QStringLiteral("Edit Option"), value))
        row->setText(0, value);
}

void frmDirOptions::removeOption()
{
    ListViewRows::removeSelectedRow(m_list);
}

void frmDirOptions::showEvent(QShowEvent* event)
{
    FormDialog::showEvent(event);
    showChoice();
}

} // namespace corvane
