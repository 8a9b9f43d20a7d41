#pragma once
// The Options of a directory: either "All" or a list of option words, each
// with an optional "+" or "-" merge sign. A state-only dialog owned by the
// directory security page: it never touches the model; OK and Cancel only
// set Accepted and hide it, and the page writes the contents as left.
#include "host/PageContext.h"

#include <QDialog>
#include <QStringList>

class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace corvane {

class FormSupport;

class frmDirOptions : public QDialog
{
    Q_OBJECT
public:
    explicit frmDirOptions(QWidget* parent = nullptr);

    bool Accepted = false;

    void setContext(const PageContext& context) { m_context = context; }
    FormSupport& form() { return *m_form; }
    QTreeWidget* lstvDirOptions() const { return m_list; }

    // Shows the parameters of an Options line: a lone "All" selects optAll,
    // anything else the words as rows (row tag = the directive's number).
    void setOptions(const QStringList& params, int directiveNo = 0);
    // "All", or the rows joined by blanks.
    QString options() const;

public slots:
    void accept() override;
    void reject() override;
    void addOption();
    void editOption();
    void removeOption();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool runEntry(const QString& caption, QString& value);
    void showChoice();

    QRadioButton* m_optAll;
    QRadioButton* m_optSpecifiedOptions;
    QTreeWidget* m_list;
    QPushButton* m_cmdAdd;
    QPushButton* m_cmdEdit;
    QPushButton* m_cmdRemove;
    PageContext m_context;
    FormSupport* m_form;
};

} // namespace corvane
