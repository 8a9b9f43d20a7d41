#pragma once
// A toolbar the snap-in attaches to the console (Views_SetControlbar) and
// whose buttons it enables per selection (Views_UpdateControlbar). A click
// raises SnapIn::Toolbar_ButtonClick with the toolbar's and the button's key.
// The QToolButton of a button has the objectName  <toolbar name>_<button key>.
#include <QList>
#include <QObject>
#include <QString>

namespace corvane {

class Toolbar : public QObject
{
    Q_OBJECT
public:
    struct Button
    {
        QString key;      // e.g. "Get"
        QString caption;  // text under/next to the icon
        QString toolTip;  // e.g. "Get Conf File"
        QString iconName; // a freedesktop icon name; the host picks a standard icon when empty
        QString shortcut; // e.g. "Ctrl+F"; works in the whole window while the button is enabled
        bool enabled = false;
    };

    explicit Toolbar(const QString& name, QObject* parent = nullptr);

    const QString& name() const { return m_name; }
    // Appends a button (disabled until enabled); false if the key exists.
    bool addButton(const QString& key, const QString& caption, const QString& toolTip = {},
                   const QString& iconName = {}, const QString& shortcut = {});
    bool setButtonEnabled(const QString& key, bool enabled);
    bool isButtonEnabled(const QString& key) const;
    const QList<Button>& buttons() const { return m_buttons; }

signals:
    void buttonsChanged();

private:
    QString m_name;
    QList<Button> m_buttons;
};

// The set of toolbars attached to the console window.
class Controlbar : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Attaches a toolbar by name (creating it on first use) and returns it.
    Toolbar& attach(const QString& name);
    Toolbar* toolbar(const QString& name) const;
    QList<Toolbar*> toolbars() const { return m_toolbars; }

signals:
    void toolbarAttached(corvane::Toolbar* toolbar);

private:
    QList<Toolbar*> m_toolbars;
};

} // namespace corvane
