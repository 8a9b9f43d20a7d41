#include "dialogs/FrmAddIp.h"

#include "pages/PageWidgets.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvane {

FrmAddIp::FrmAddIp(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmAddIp"));
    setWindowTitle(QStringLiteral("Computer"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
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
    auto* box = new QDialogButtonBox(this);
    QPushButton* ok = box->addButton(QDialogButtonBox::Ok);
    QPushButton* cancel = box->addButton(QDialogButtonBox::Cancel);
    ok->setObjectName(QStringLiteral("cmdOK"));
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(box);
    connect(ok, &QPushButton::clicked, this, &FrmAddIp::accept);
    connect(cancel, &QPushButton::clicked, this, &FrmAddIp::reject);
    connect(m_optSingle, &QRadioButton::toggled, this, [this] { showChoice(); });
    m_optSingle->setChecked(true);
    showChoice();
}

void FrmAddIp::showChoice()
{
    m_txtIp->setEnabled(m_optSingle->isChecked());
    m_txtDomain->setEnabled(m_optDomain->isChecked());
}

QString FrmAddIp::value() const
{
    return (m_optSingle->isChecked() ? m_txtIp : m_txtDomain)->text().trimmed();
}

void FrmAddIp::accept()
{
    Accepted = true;
    QDialog::accept();
}

void FrmAddIp::reject()
{
    Accepted = false;
    QDialog::reject();
}

} // namespace corvane
