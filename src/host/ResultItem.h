#pragma once
// One item of a result list that is not a scope node (for example a <Files>
// section). Owned by its ResultView; key, text, icon, item name and tag are
// kept exactly as set.
#include <QMap>
#include <QString>
#include <QVariant>

namespace corvane {

class ResultView;

class ResultItem
{
public:
    ResultItem(const ResultItem&) = delete;
    ResultItem& operator=(const ResultItem&) = delete;

    const QString& key() const { return m_key; }
    ResultView* view() const { return m_view; }

    const QString& text() const { return m_text; }
    void setText(const QString& text);

    int icon() const { return m_icon; }
    void setIcon(int icon);

    const QVariant& tag() const { return m_tag; }
    void setTag(const QVariant& tag);
    int nodeTag() const { return m_tag.toInt(); }

    // Free text the snap-in stores with the item (its link to its data).
    const QString& itemName() const { return m_itemName; }
    void setItemName(const QString& name);

    // Shown when the pointer rests on the item's first column; its text when empty.
    const QString& toolTip() const { return m_toolTip; }
    void setToolTip(const QString& text) { m_toolTip = text; }

    // Row texts (1 = first column); column 1 falls back to text().
    void setRowText(int index, const QString& text);
    QString rowText(int index) const;
    const QMap<int, QString>& rowTexts() const { return m_rowTexts; }

private:
    friend class ResultView;
    ResultItem(ResultView* view, QString key, QString text, int icon);
    void changed();

    ResultView* m_view;
    QString m_key;
    QString m_text;
    int m_icon;
    QVariant m_tag;
    QString m_itemName;
    QString m_toolTip;
    QMap<int, QString> m_rowTexts;
};

} // namespace corvane
