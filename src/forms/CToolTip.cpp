#include "forms/CToolTip.h"

#include <QEvent>
#include <QHelpEvent>
#include <QTimer>
#include <QToolTip>
#include <QWidget>

namespace corvane {

CToolTip::CToolTip(QObject* parent) : QObject(parent) {}

CToolTip::~CToolTip()
{
    Destroy();
}

void CToolTip::setStyle(long style)
{
    m_style = style;
    update();
}

void CToolTip::setIcon(long icon)
{
    m_icon = icon;
    update();
}

void CToolTip::setForeColor(const QColor& c)
{
    m_fore = c;
    update();
}

void CToolTip::setBackColor(const QColor& c)
{
    m_back = c;
    update();
}

void CToolTip::setTitle(const QString& title)
{
    m_title = title;
    update();
}

void CToolTip::setTipText(const QString& text)
{
    m_text = text;
    update();
}

void CToolTip::setVisibleTime(long ms)
{
    m_visibleTime = ms;
    update();
}

QString CToolTip::html() const
{
    static const char* const icons[] = {"", "&#x2139;&nbsp;", "&#x26A0;&nbsp;", "&#x26D4;&nbsp;"};
    QString out;
    const QString style =
        m_fore.isValid() ? QStringLiteral(" style=\"color:%1\"").arg(m_fore.name()) : QString();
    out += QStringLiteral("<div%1>").arg(style);
    if (!m_title.isEmpty() || m_icon != NoIcon) {
        const long icon = m_icon >= 0 && m_icon <= 3 ? m_icon : 0;
        out += QStringLiteral("<b>%1%2</b>").arg(QString::fromLatin1(icons[icon]), m_title.toHtmlEscaped());
        if (!m_text.isEmpty())
            out += QStringLiteral("<br/>");
    }
    out += m_text.toHtmlEscaped();
    out += QStringLiteral("</div>");
    return out;
}

void CToolTip::Create(QWidget* control)
{
    Destroy();
    if (!control)
        return;
    m_control = control;
    control->installEventFilter(this);
    update();
}

void CToolTip::Destroy()
{
    if (!m_control)
        return;
    m_control->removeEventFilter(this);
    m_control->setToolTip(QString());
    if (QToolTip::isVisible())
        QToolTip::hideText();
    m_control = nullptr;
}

void CToolTip::update()
{
    if (!m_control)
        return;
    m_control->setToolTip(html());
    m_control->setToolTipDuration(int(m_visibleTime));
}

bool CToolTip::eventFilter(QObject* watched, QEvent* event)
{
    // The control's own tooltip event: show the tip after the delay, placed
    // below the control (centred when asked), and styled as a balloon.
    if (watched == m_control && event->type() == QEvent::ToolTip) {
        QWidget* w = m_control;
        QPoint at = static_cast<QHelpEvent*>(event)->globalPos();
        if (m_centered)
            at = w->mapToGlobal(QPoint(w->width() / 2, w->height()));
        const QString text = html();
        QPointer<QWidget> guard(w);
        const int visible = int(m_visibleTime);
        QTimer::singleShot(int(m_delayTime > 0 ? m_delayTime : 0), w, [guard, at, text, visible] {
            if (guard && guard->underMouse())
                QToolTip::showText(at, text, guard, QRect(), visible);
        });
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace corvane
