#pragma once
// The Listen list of the global properties page: a state-only dialog the
// page owns for its whole life. Rows are edited in place; a label is
// accepted only when it is made of "0123456789.:" and its port is 1..65535.
// OK keeps the rows as the saved state, Cancel goes back to it; the page
// reads the rows when it applies.
#include "forms/FormDialog.h"

#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;

namespace corvane {

class frmPortConfiguration : public FormDialog
{
    Q_OBJECT
public:
    explicit frmPortConfiguration(QWidget* parent = nullptr);

    // Fills the list and takes it as the saved state.
    void setPorts(const QStringList& ports);
    QStringList ports() const; // rows as they stand
    QTreeWidget* lstListen() const { return m_list; }

    // The label check: "" when acceptable, else the message to show.
    static QString checkPort(const QString& text);

    void FillValuesInArrayFromListView();
    void FillValuesInListViewFromArray();
    void RemoveInValidPorts();

public slots:
    void accept() override;
    void reject() override;
    void addPort();
    void editPort();
    void removePort();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void itemChanged(QTreeWidgetItem* item, int column);
    QTreeWidgetItem* newRow(const QString& text);

    QTreeWidget* m_list;
    QStringList m_saved;
    bool m_reverting = false;
};

} // namespace corvane
