#pragma once
// Base of every editor dialog (frm…): it is given the opener's model and the
// scope to edit, fills its controls once (FormLoad), gates its tagged
// controls by the server's Apache version each time it is shown (ParseMe),
// enables its Browse buttons only for a local server, and saves on Apply and
// OK through the edit sequence: DeSerialize, SaveDirectivesFromGUI,
// WriteFile, Serialize, "RefreshTreeView". Cancel writes nothing.
// Buttons: cmdOK, cmdCancel, cmdApply (disabled until markChanged()).
#include "dialogs/EditorInputs.h"

#include <QDialog>

#include <cstdint>
#include <string>
#include <vector>

class QPushButton;
class QVBoxLayout;

namespace corvane {

class ConfigFile;
class FormSupport;

class CorvaneDialog : public QDialog
{
    Q_OBJECT
public:
    CorvaneDialog(const EditorInputs& inputs, const QString& objectName, const QString& caption,
                  int helpContextId, QWidget* parent = nullptr);
    ~CorvaneDialog() override;

    ConfigFile* objConfigFile() const { return m_inputs.objConfigFile; }
    std::int32_t lScopeDirNo() const { return m_inputs.lScopeDirNo; }
    const EditorInputs& inputs() const { return m_inputs; }
    FormSupport& form() { return *m_form; }

    // Version gating of the dialog's tagged controls for `server`, reading the
    // version under `key` of the registry file (always "APACHE_VERSION").
    void ParseMe(const QString& server, const QString& iniPath, const QString& key);

    // The Apply button (also reached through OK).
    bool applyChanges();
    bool isChanged() const;

public slots:
    void accept() override; // OK: save, close
    void reject() override; // Cancel: close without saving
    void markChanged();

protected:
    // Fills the controls from objConfigFile() within lScopeDirNo().
    virtual void FormLoad() = 0;
    // Writes the controls into objConfigFile() within lScopeDirNo().
    virtual bool SaveDirectivesFromGUI() = 0;

    // Where subclasses put their controls (above the button row).
    QVBoxLayout* body() const { return m_body; }
    void addBrowseButton(QWidget* button) { m_browseButtons.push_back(button); }
    static void setTag(QWidget* control, const QString& directive);

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;
    QPushButton* m_cmdApply;

private:
    EditorInputs m_inputs;
    FormSupport* m_form;
    QVBoxLayout* m_body;
    std::vector<QWidget*> m_browseButtons;
    bool m_loaded = false;
};

} // namespace corvane
