#include "host/Toolbar.h"

namespace corvane {

Toolbar::Toolbar(const QString& name, QObject* parent) : QObject(parent), m_name(name)
{
    setObjectName(name);
}

bool Toolbar::addButton(const QString& key, const QString& caption, const QString& toolTip,
                        const QString& iconName, const QString& shortcut)
{
    for (const Button& b : m_buttons)
        if (b.key == key)
            return false;
    m_buttons.append(Button{key, caption, toolTip, iconName, shortcut, false});
    emit buttonsChanged();
    return true;
}

bool Toolbar::setButtonEnabled(const QString& key, bool enabled)
{
    for (Button& b : m_buttons) {
        if (b.key == key) {
            if (b.enabled != enabled) {
                b.enabled = enabled;
                emit buttonsChanged();
            }
            return true;
        }
    }
    return false;
}

bool Toolbar::isButtonEnabled(const QString& key) const
{
    for (const Button& b : m_buttons)
        if (b.key == key)
            return b.enabled;
    return false;
}

Toolbar& Controlbar::attach(const QString& name)
{
    if (Toolbar* existing = toolbar(name))
        return *existing;
    auto* tb = new Toolbar(name, this);
    m_toolbars.append(tb);
    emit toolbarAttached(tb);
    return *tb;
}

Toolbar* Controlbar::toolbar(const QString& name) const
{
    for (Toolbar* tb : m_toolbars)
        if (tb->name() == name)
            return tb;
    return nullptr;
}

} // namespace corvane
