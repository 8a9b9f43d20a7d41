#pragma once
// Response and request header rules (Header, RequestHeader, kept in
// frmHTTPHeaders), content expiry (ExpiresActive, ExpiresDefault and the
// ExpiresByType rules kept in frmExpireByType) of a node, and the way to
// the MIME configuration of the same scope.
#include "forms/KeptValues.h"
#include "pages/CorvanePage.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

class frmExpireByType;
class frmHTTPHeaders;

class ppgHTTPHeaders : public CorvanePage
{
    Q_OBJECT
public:
    explicit ppgHTTPHeaders(QWidget* parent = nullptr);

    frmHTTPHeaders* headersDialog() const { return m_headers; }
    frmExpireByType* expiresDialog() const { return m_expires; }

protected:
    void ResetControls() override;
    void LoadControls() override;
    bool SaveDirectivesFromGUI() override;

private:
    void showExpiry();
    QString expiresActive() const;
    void editHeaders(bool response);

    QCheckBox* m_chkExpiresActive;
    QLabel* m_lblExpiresDefault;
    QLineEdit* m_txtExpiresDefault;
    QLabel* m_lblExpiresByType;
    QPushButton* m_cmdEditExpiresByType;
    QPushButton* m_cmdEditResponseHeader;
    QPushButton* m_cmdEditRequestHeader;
    frmHTTPHeaders* m_headers;
    frmExpireByType* m_expires;
    KeptValues m_kept;
};

} // namespace corvane
