#pragma once
// Where a server or virtual host takes its content from: a local directory
// (DocumentRoot, UserDir, User, Group) or a redirection (Redirect or
// RedirectMatch with a status and a target URL). The node keeps one of the
// two: switching the choice and applying removes the other's directives.
#include "forms/KeptValues.h"
#include "pages/CorvanePage.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace corvane {

class ppgHomeDirectory : public CorvanePage
{
    Q_OBJECT
public:
    explicit ppgHomeDirectory(QWidget* parent = nullptr);

    // The value of a Redirect / RedirectMatch line: status, source and URL
    // ("" when one is missing; "gone" and non-3xx statuses take no URL). The
    // URL gets "http://" in front unless it names a scheme; a part holding a
    // blank is quoted.
    static QString redirectValue(const QString& status, const QString& source, const QString& url);

protected:
    void ResetControls() override;
    void LoadControls() override;
    bool SaveDirectivesFromGUI() override;

private:
    void showMode();
    void showRegexMode();
    void setUsable(QWidget* control, bool usable);
    void loadRedirect(const QString& directive, QLineEdit* source);
    QString currentRedirect() const;
    QString currentRedirectMatch() const;

    QRadioButton* m_optDirectory;
    QRadioButton* m_optUrl;
    QGroupBox* m_directoryFrame;
    QGroupBox* m_redirectFrame;
    QLineEdit* m_txtDocumentRoot;
    QLineEdit* m_txtUserDir;
    QLineEdit* m_txtUser;
    QLineEdit* m_txtGroup;
    QRadioButton* m_optDoNotSupportRE;
    QRadioButton* m_optSupportRE;
    QComboBox* m_cmbStatus;
    QLineEdit* m_txtUrlPath;
    QLineEdit* m_txtRegularExpression;
    QLineEdit* m_txtUrl;
    QLabel* m_lblUrlPath;
    QLabel* m_lblRegularExpression;
    QLabel* m_lblUrl;
    QLabel* m_lblStatus;

    KeptValues m_kept;
    bool m_loadedUrlMode = false;
    bool m_askedToDropRedirect = false; // the administrator agreed to lose the redirection
};

} // namespace corvane
