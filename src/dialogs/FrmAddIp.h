#pragma once
// One computer for the access wizard: a single IP address (or network) or a
// domain name. OK sets Accepted and hides the dialog; the wizard reads
// value() and adds a row when it is not empty.
#include "host/PageContext.h"

#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace corvane {

class FrmAddIp : public QDialog
{
    Q_OBJECT
public:
    explicit FrmAddIp(QWidget* parent = nullptr);

    bool Accepted = false;
    // The trimmed text of the chosen kind of entry.
    QString value() const;

public slots:
    void accept() override;
    void reject() override;

private:
    void showChoice();

    QRadioButton* m_optSingle;
    QRadioButton* m_optDomain;
    QLineEdit* m_txtIp;
    QLineEdit* m_txtDomain;
};

} // namespace corvane
