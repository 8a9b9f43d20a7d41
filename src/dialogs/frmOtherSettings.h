#pragma once
// "Advanced Server Settings": image-map defaults, the Script and Action
// lists, server-side include settings, XBitHack, output compression and
// persistent connections of a scope; its Edit... buttons open the alias,
// language and icon editors on the same model and scope.
#include "dialogs/CorvaneDialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace corvane {

class frmOtherSettings : public CorvaneDialog
{
    Q_OBJECT
public:
    explicit frmOtherSettings(const EditorInputs& inputs, QWidget* parent = nullptr);

protected:
    void FormLoad() override;
    bool prepareApply() override;
    bool SaveDirectivesFromGUI() override;

private:
    void followKeepAlive();
    void followRequests();
    QString deflateFilterNote() const;
    bool compressionChanged() const;

    QList<QWidget*> m_deflate; // the compression controls
    QLineEdit* m_deflateBoxes[4];
    QCheckBox* m_chkNoteType;
    QComboBox* m_cmbNoteType;
    QLineEdit* m_txtNoteName;
    QString m_noteShown;
    QStringList m_deflateShown;
    QCheckBox* m_chkKeepAlive;
    QLabel* m_lblTimeout;
    QLineEdit* m_txtTimeout;
    QRadioButton* m_optUnlimited;
    QRadioButton* m_optMaximum;
    QLineEdit* m_txtMaxRequests;
    QString m_requestsShown;
    bool m_writeCompression = true;
};

} // namespace corvane
