#pragma once
// The small modal dialog that asks for the name of a new section (virtual
// host, Directory, Location, IfModule or Files). The command that opens it
// sets the caption and the label, reads the text afterwards and checks the
// confirmed flag.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane::snapin {

class frmNewNode : public QDialog
{
    Q_OBJECT
public:
    explicit frmNewNode(QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    void setLabel(const QString& label);
    // Virtual-host names go into the file as typed, so a stray double quote
    // would break the line: with this set, OK refuses an odd number of them.
    void setQuotesKept(bool kept) { m_quotesKept = kept; }

    QString text() const;
    // False on load and after Cancel, true once OK was accepted.
    bool confirmed() const { return m_confirmed; }

    // Why a name cannot be written into a section line, or "" when it can.
    static QString invalidNameReason(const QString& text, bool quotesKept);

private:
    void cmdOk_Click();
    void cmdCancel_Click();

    QLabel* lblNodeType;
    QLineEdit* txtNewItemValue;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;
    bool m_confirmed = false;
    bool m_quotesKept = false;
};

} // namespace corvane::snapin
