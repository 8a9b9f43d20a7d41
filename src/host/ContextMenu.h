#pragma once
// Menu items the snap-in adds for the current selection, either at the top of
// the Action/context menu or in its "New" submenu. A click raises
// SnapIn::MenuItem_Click with the item's name and its index in this menu.
#include <QList>
#include <QString>

namespace corvane {

class ContextMenu
{
public:
    struct Item
    {
        QString name;    // identifies the item in MenuItem_Click; the QAction's objectName
        QString caption; // shown text
        bool enabled = true;
        QString statusText;
    };

    // Appends an item and returns its index in this menu.
    int addItem(const QString& name, const QString& caption, bool enabled = true,
                const QString& statusText = {});
    // Changes the enabled state of an item already added; false if none has that name.
    bool setEnabled(const QString& name, bool enabled);
    const Item* find(const QString& name) const;
    const QList<Item>& items() const { return m_items; }
    bool isEmpty() const { return m_items.isEmpty(); }
    void clear() { m_items.clear(); }

private:
    QList<Item> m_items;
};

} // namespace corvane
