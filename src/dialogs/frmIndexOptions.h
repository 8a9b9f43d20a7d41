#pragma once
// Index listing options of the documents page: the sort order and primary
// key of IndexOrderDefault and the list of IndexOptions words. A state-only
// dialog owned by its page: it never touches the model; OK keeps what was
// changed, Cancel puts back what it showed when opened, and the page reads
// the contents as left.
#include "forms/FormDialog.h"

#include <QStringList>

class QComboBox;
class QTreeWidget;

namespace corvane {

class ListEditor;

class frmIndexOptions : public FormDialog
{
    Q_OBJECT
public:
    explicit frmIndexOptions(QWidget* parent = nullptr);

    QComboBox* cmbIndexOrderSort() const { return m_sort; }
    QComboBox* cmbIndexOrderPrimaryKey() const { return m_key; }
    QTreeWidget* lstvIndexOptions() const { return m_list; }

    // Shows "sort key" (either part may be missing or unknown: then blank).
    void setIndexOrder(const QString& sort, const QString& key);
    // "Sort Key", or "" unless both are chosen.
    QString indexOrder() const;
    void setIndexOptions(const QStringList& options);
    QStringList indexOptions() const;

protected:
    void contextChanged() override;

private:
    QComboBox* m_sort;
    QComboBox* m_key;
    QTreeWidget* m_list;
    ListEditor* m_editor = nullptr;
};

} // namespace corvane
