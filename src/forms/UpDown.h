#pragma once
// An up-down control: two arrow buttons that step a value within a range,
// meant to sit beside the text box it drives.
#include <QWidget>

class QToolButton;

namespace corvane {

class UpDown : public QWidget
{
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

    int value() const { return m_value; }
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    void setRange(int minimum, int maximum);
    // Sets the value (clamped) without emitting valueChanged.
    void setValue(int value);
    void stepBy(int steps); // emits valueChanged when the value moves

signals:
    void valueChanged(int value);

private:
    QToolButton* m_up;
    QToolButton* m_down;
    int m_value = 0;
    int m_min = 0;
    int m_max = 100;
};

} // namespace corvane
