#pragma once
// The Options of a directory: either "All" or a list of option words, each
// with an optional "+" or "-" merge sign. A state-only dialog owned by the
// directory security page: it never touches the model; OK keeps what was
// changed, Cancel puts back what it showed when opened, and the page writes
// the contents as left.
#include "forms/FormDialog.h"

#include <QStringList>

class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace corvane {

class frmDirOptions : public FormDialog
{
    Q_OBJECT
public:
    explicit frmDirOptions(QWidget* parent = nullptr);

    QTreeWidget* lstvDirOptions() const { return m_list; }

    // Shows the parameters of an Options line: a lone "All" selects optAll,
    // anything else the words as rows (row tag = the directive's number).
    void setOptions(const QStringList& params, int directiveNo = 0);
    // "All", or the rows joined by blanks.
    QString options() const;

public slots:
    void addOption();
    void editOption();
    void removeOption();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool runEntry(const QString& caption, QString& value);
    void showChoice();

    QRadioButton* m_optAll;
    QRadioButton* m_optSpecifiedOptions;
    QTreeWidget* m_list;
    QPushButton* m_cmdAdd;
    QPushButton* m_cmdEdit;
    QPushButton* m_cmdRemove;
};

} // namespace corvane
