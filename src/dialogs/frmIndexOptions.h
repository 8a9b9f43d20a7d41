#pragma once
// Index listing options of the documents page: the sort order and primary
// key of IndexOrderDefault and the list of IndexOptions words. A state-only
// dialog owned by its page: it never touches the model; OK and Cancel only
// set Accepted and hide it, and the page reads the contents as left.
#include "host/PageContext.h"

#include <QDialog>
#include <QStringList>

class QComboBox;
class QTreeWidget;

namespace corvane {

class FormSupport;
class ListEditor;

class frmIndexOptions : public QDialog
{
    Q_OBJECT
public:
    explicit frmIndexOptions(QWidget* parent = nullptr);

    bool Accepted = false;

    void setContext(const PageContext& context);
    FormSupport& form() { return *m_form; }

    QComboBox* cmbIndexOrderSort() const { return m_sort; }
    QComboBox* cmbIndexOrderPrimaryKey() const { return m_key; }
    QTreeWidget* lstvIndexOptions() const { return m_list; }

    // Shows "sort key" (either part may be missing or unknown: then blank).
    void setIndexOrder(const QString& sort, const QString& key);
    // "Sort Key", or "" unless both are chosen.
    QString indexOrder() const;
    void setIndexOptions(const QStringList& options);
    QStringList indexOptions() const;

public slots:
    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QComboBox* m_sort;
    QComboBox* m_key;
    QTreeWidget* m_list;
    ListEditor* m_editor = nullptr;
    PageContext m_context;
    FormSupport* m_form;
};

} // namespace corvane
