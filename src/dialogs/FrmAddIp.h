#pragma once
// One computer for the access wizard: a single IP address (or network) or a
// domain name. OK sets Accepted and hides the dialog; the wizard reads
// value() and adds a row when it is not empty.
#include "forms/FormDialog.h"

class QLineEdit;
class QRadioButton;

namespace corvane {

class FrmAddIp : public FormDialog
{
    Q_OBJECT
public:
    explicit FrmAddIp(QWidget* parent = nullptr);

    // The trimmed text of the chosen kind of entry.
    QString value() const;

private:
    void showChoice();

    QRadioButton* m_optSingle;
    QRadioButton* m_optDomain;
    QLineEdit* m_txtIp;
    QLineEdit* m_txtDomain;
};

} // namespace corvane
