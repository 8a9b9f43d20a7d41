#include "dialogs/FrmAddIp.h"

#include "forms/PageWidgets.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvane {

FrmAddIp::FrmAddIp(QWidget* parent)
    : FormDialog(QStringLiteral("FrmAddIp"), QStringLiteral("Computer"), 0, parent)
{
    QVBoxLayout* layout = body();
    layout->addWidget(new QLabel(QStringLiteral("Add one of the following to the list."), this));
    auto* grid = new QGridLayout;
    m_optSingle = new QRadioButton(QStringLiteral("Single Computer"), this);
    m_optSingle->setObjectName(QStringLiteral("OptSingle"));
    m_optDomain = new QRadioButton(QStringLiteral("Domain"), this);
    m_optDomain->setObjectName(QStringLiteral("OptDomain"));
    auto* group = new QButtonGroup(this);
    group->addButton(m_optSingle);
    group->addButton(m_optDomain);
    m_txtIp = PageWidgets::lineEdit(this, "TxtIp");
    m_txtDomain = PageWidgets::lineEdit(this, "TxtDomain");
    auto* lblIp = new QLabel(QStringLiteral("IP Address:"), this);
    lblIp->setBuddy(m_txtIp);
    grid->addWidget(m_optSingle, 0, 0, 1, 2);
    grid->addWidget(lblIp, 1, 0);
    grid->addWidget(m_txtIp, 1, 1);
    grid->addWidget(m_optDomain, 2, 0, 1, 2);
    grid->addWidget(m_txtDomain, 3, 1);
    layout->addLayout(grid);
    connect(m_optSingle, &QRadioButton::toggled, this, [this] { showChoice(); });
    m_optSingle->setChecked(true);
    showChoice();
}

void FrmAddIp::showChoice()
{
    form().setUsable(m_txtIp, m_optSingle->isChecked());
    form().setUsable(m_txtDomain, m_optDomain->isChecked());
}

QString FrmAddIp::value() const
{
    return (m_optSingle->isChecked() ? m_txtIp : m_txtDomain)->text().trimmed();
}

} // namespace corvane
