#include "dialogs/FrmPermissionWizard.h"

#include "dialogs/FrmAddIp.h"
#include "forms/ListViewRows.h"
#include "forms/PageWidgets.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

FrmPermissionWizard::FrmPermissionWizard(QWidget* parent)
    : FormDialog(QStringLiteral("FrmPermissionWizard"), QStringLiteral("Relay Restrictions"), 0, parent)
{
    QVBoxLayout* layout = body();
    layout->addWidget(new QLabel(QStringLiteral("Select which computer may replay through:"), this));
    m_optAllow = new QRadioButton(QStringLiteral("Only the list below"), this);
    m_optAllow->setObjectName(QStringLiteral("OptAllow"));
    m_optDeny = new QRadioButton(QStringLiteral("All except the list below"), this);
    m_optDeny->setObjectName(QStringLiteral("OptDeny"));
    auto* group = new QButtonGroup(this);
    group->addButton(m_optAllow);
    group->addButton(m_optDeny);
    m_optDeny->setChecked(true);
    layout->addWidget(m_optAllow);
    layout->addWidget(m_optDeny);
    layout->addWidget(new QLabel(QStringLiteral("Computers:"), this));
    auto* row = new QHBoxLayout;
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("LstIp"));
    ListViewRows::setup(m_list, {QStringLiteral("Access"), QStringLiteral("Ip Address[Mask] / Domain Name")});
    m_list->setColumnWidth(0, 90);
    row->addWidget(m_list, 1);
    auto* buttons = new QVBoxLayout;
    QPushButton* add = PageWidgets::button(this, "cmdAdd", "Add...");
    QPushButton* remove = PageWidgets::button(this, "cmdRemove", "Remove");
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch(1);
    row->addLayout(buttons);
    layout->addLayout(row);
    connect(add, &QPushButton::clicked, this, &FrmPermissionWizard::addEntry);
    connect(remove, &QPushButton::clicked, this, &FrmPermissionWizard::removeEntry);
    connect(m_optAllow, &QRadioButton::toggled, this, [this] { relabel(); });
    resize(480, 360);
}

QString FrmPermissionWizard::accessText() const
{
    return m_optAllow->isChecked() ? QStringLiteral("Granted") : QStringLiteral("Denied");
}

void FrmPermissionWizard::relabel()
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        m_list->topLevelItem(i)->setText(0, accessText());
}

void FrmPermissionWizard::setEntries(bool allowMode, const QStringList& entries)
{
    (allowMode ? m_optAllow : m_optDeny)->setChecked(true);
    m_list->clear();
    for (const QString& e : entries)
        if (!e.trimmed().isEmpty())
            ListViewRows::addRow(m_list, {accessText(), e.trimmed()});
}

bool FrmPermissionWizard::isAllowMode() const
{
    return m_optAllow->isChecked();
}

QStringList FrmPermissionWizard::entries() const
{
    QStringList out;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        out << m_list->topLevelItem(i)->text(1).trimmed();
    return out;
}

void FrmPermissionWizard::addEntry()
{
    FrmAddIp dialog(this);
    dialog.setContext(context());
    dialog.exec();
    if (!dialog.Accepted || dialog.value().isEmpty())
        return;
    QTreeWidgetItem* row = ListViewRows::addRow(m_list, {accessText(), dialog.value()});
    ListViewRows::selectRow(m_list, m_list->indexOfTopLevelItem(row));
}

void FrmPermissionWizard::removeEntry()
{
    ListViewRows::removeSelectedRow(m_list);
}

} // namespace corvane
