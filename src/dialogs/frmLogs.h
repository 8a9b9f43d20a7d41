#pragma once
// The logging editors opened from the server settings page by the log
// chosen there: TransferLog, CookieLog, ErrorLog with LogLevel, and the
// CustomLog / LogFormat lists with the tree of format tokens.
#include "dialogs/CorvaneDialog.h"

class QComboBox;
class QLineEdit;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvane {

class frmTransferLog : public CorvaneDialog
{
    Q_OBJECT
public:
    explicit frmTransferLog(const EditorInputs& inputs, QWidget* parent = nullptr);
};

class frmCookieLog : public CorvaneDialog
{
    Q_OBJECT
public:
    explicit frmCookieLog(const EditorInputs& inputs, QWidget* parent = nullptr);
};

class frmErrorLog : public CorvaneDialog
{
    Q_OBJECT
public:
    explicit frmErrorLog(const EditorInputs& inputs, QWidget* parent = nullptr);

protected:
    void FormLoad() override;
    bool SaveDirectivesFromGUI() override;

private:
    void showKind(bool systemLog);

    QRadioButton* m_optFileLog;
    QRadioButton* m_optSystemLog;
    QLineEdit* m_file;
};

class frmCustomLog : public CorvaneDialog
{
    Q_OBJECT
public:
    explicit frmCustomLog(const EditorInputs& inputs, QWidget* parent = nullptr);

    // A format as it is written: in double quotes, a double quote inside
    // escaped with a backslash (one already escaped stays as it is).
    static QString quotedFormat(const QString& format);
    // The format a LogFormat parameter holds: enclosing quotes removed and
    // escaped double quotes unescaped.
    static QString plainFormat(const QString& parameter);

    // Checks every leaf of the token tree whose token the format text holds.
    void CheckOptionsFromContent();

protected:
    void FormLoad() override;

private:
    void fillTree();
    void fillFormatChoices();
    void addCustomLog();
    void saveFormat();
    void treeItemChanged(QTreeWidgetItem* item);

    QTreeWidget* m_customLogs;
    QTreeWidget* m_formats;
    QLineEdit* m_logFilePath;
    QRadioButton* m_optFormatName;
    QRadioButton* m_optFormat;
    QComboBox* m_cmbLogFormat;
    QLineEdit* m_formatName;
    QLineEdit* m_logFormat;
    QTreeWidget* m_tree;
    bool m_updatingTree = false;
};

} // namespace corvane
