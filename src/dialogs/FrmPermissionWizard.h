#pragma once
// The access wizard of the directory security page: which computers may
// reach the resource, either "Only the list below" (allow mode) or "All
// except the list below" (deny mode), with the list edited through
// FrmAddIp. OK sets Accepted and hides the wizard; Cancel puts back what it
// showed when opened. The page reads the mode and the entries.
#include "forms/FormDialog.h"

#include <QStringList>

class QRadioButton;
class QTreeWidget;

namespace corvane {

class FrmPermissionWizard : public FormDialog
{
    Q_OBJECT
public:
    explicit FrmPermissionWizard(QWidget* parent = nullptr);

    void setEntries(bool allowMode, const QStringList& entries);
    bool isAllowMode() const;
    QStringList entries() const; // second column of every row, trimmed
    QTreeWidget* LstIp() const { return m_list; }

public slots:
    void addEntry();
    void removeEntry();

private:
    void relabel();
    QString accessText() const;

    QRadioButton* m_optAllow;
    QRadioButton* m_optDeny;
    QTreeWidget* m_list;
};

} // namespace corvane
