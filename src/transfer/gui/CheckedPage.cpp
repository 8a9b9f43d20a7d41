#include "transfer/gui/CheckedPage.h"

#include <QBoxLayout>
#include <QLabel>

namespace corvane {

CheckedPage::CheckedPage(QWidget* parent) : QWizardPage(parent)
{
    m_lblWhyNot = new QLabel(this);
    m_lblWhyNot->setObjectName(QStringLiteral("lblWhyNot"));
    m_lblWhyNot->setWordWrap(true);
    connect(this, &QWizardPage::completeChanged, this, &CheckedPage::updateWhyNot);
}

void CheckedPage::addWhyNotLabel(QBoxLayout* layout)
{
    layout->addWidget(m_lblWhyNot);
}

void CheckedPage::showEvent(QShowEvent* event)
{
    updateWhyNot();
    QWizardPage::showEvent(event);
}

void CheckedPage::updateWhyNot()
{
    m_lblWhyNot->setText(whyNot());
}

} // namespace corvane
