#pragma once
// A balloon tooltip bound to one control. Create() attaches it to the
// control (the control then shows the title and text when the mouse rests on
// it, after DelayTime, for VisibleTime); Destroy() detaches it. Setting a
// property while attached updates the tip at once.
#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace corvane {

class CToolTip : public QObject
{
    Q_OBJECT
public:
    enum TipStyle
    {
        Standard = 0,
        Balloon = 1
    };
    enum TipIcon
    {
        NoIcon = 0,
        Information = 1,
        Warning = 2,
        Error = 3
    };

    explicit CToolTip(QObject* parent = nullptr);
    ~CToolTip() override;

    long Style() const { return m_style; }
    void setStyle(long style);
    bool Centered() const { return m_centered; }
    void setCentered(bool centered) { m_centered = centered; }
    long Icon() const { return m_icon; }
    void setIcon(long icon);
    QColor ForeColor() const { return m_fore; }
    void setForeColor(const QColor& c);
    QColor BackColor() const { return m_back; }
    void setBackColor(const QColor& c);
    QString Title() const { return m_title; }
    void setTitle(const QString& title);
    QString TipText() const { return m_text; }
    void setTipText(const QString& text);
    long VisibleTime() const { return m_visibleTime; }
    void setVisibleTime(long ms);
    long DelayTime() const { return m_delayTime; }
    void setDelayTime(long ms) { m_delayTime = ms; }

    // Attaches the tip to control (a previous attachment is dropped first).
    void Create(QWidget* control);
    void Destroy();
    bool isCreated() const { return !m_control.isNull(); }
    QWidget* control() const { return m_control; }

    // The rich text the control shows.
    QString html() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void update();

    long m_style = Standard;
    bool m_centered = false;
    long m_icon = NoIcon;
    QColor m_fore;
    QColor m_back;
    QString m_title;
    QString m_text;
    long m_visibleTime = 5000;
    long m_delayTime = 500;
    QPointer<QWidget> m_control;
};

} // namespace corvane
