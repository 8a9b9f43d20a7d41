#include "forms/UpDown.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane {

UpDown::UpDown(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_up = new QToolButton(this);
    m_down = new QToolButton(this);
    m_up->setObjectName(QStringLiteral("up"));
    m_down->setObjectName(QStringLiteral("down"));
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {m_up, m_down}) {
        b->setAutoRepeat(true);
        b->setFixedSize(18, 12);
        layout->addWidget(b);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void UpDown::setRange(int minimum, int maximum)
{
    m_min = minimum;
    m_max = std::max(minimum, maximum);
    m_value = std::clamp(m_value, m_min, m_max);
}

void UpDown::setValue(int value)
{
    m_value = std::clamp(value, m_min, m_max);
}

void UpDown::stepBy(int steps)
{
    const int next = std::clamp(m_value + steps, m_min, m_max);
    if (next == m_value)
        return;
    m_value = next;
    emit valueChanged(m_value);
}

} // namespace corvane
