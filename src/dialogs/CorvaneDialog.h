#pragma once
// Base of every editor dialog (frm…): it is given the opener's model and the
// scope to edit, fills its controls once (FormLoad), gates its tagged
// controls by the server's Apache version and the scope's context each time
// it is shown (ParseMe), enables its Browse buttons only for a local server,
// and saves on Apply and OK through the one edit path (commitEdit): reload
// the snapshot, SaveDirectivesFromGUI, write the working copy and the
// snapshot; "RefreshTreeView" goes to the console only when something was
// written, and a refused or failed change is shown in a "Corvane" message.
// Cancel writes nothing. Buttons: cmdOK, cmdCancel, cmdApply (disabled
// until markChanged()).
//
// A dialog states its controls with bindings() (bindDirective, bindCheck,
// bindList); the default FormLoad and SaveDirectivesFromGUI load and write
// them, so a plain editor is its controls and their directives only.
#include "forms/EditorInputs.h"
#include "forms/FormBindings.h"
#include "forms/FormDialog.h"

#include <cstdint>

class QPushButton;

namespace corvane {

class ConfigFile;

class CorvaneDialog : public FormDialog
{
    Q_OBJECT
public:
    CorvaneDialog(const EditorInputs& inputs, const QString& objectName, const QString& caption,
                  int helpContextId, QWidget* parent = nullptr);
    ~CorvaneDialog() override;

    ConfigFile* objConfigFile() const { return m_inputs.objConfigFile; }
    std::int32_t lScopeDirNo() const { return m_inputs.lScopeDirNo; }
    const EditorInputs& inputs() const { return m_inputs; }
    FormBindings& bindings() { return m_bindings; }

    // Version gating of the dialog's tagged controls for `server`, reading the
    // version under `key` of the registry file (always "APACHE_VERSION").
    void ParseMe(const QString& server, const QString& iniPath, const QString& key);

    // The Apply button (also reached through OK). True when the change was
    // written or there was nothing to write.
    bool applyChanges();
    bool isChanged() const;

public slots:
    void accept() override; // OK: save, close
    void reject() override; // Cancel: close without saving
    void markChanged();

protected:
    // Fills the controls from objConfigFile() within lScopeDirNo(); the
    // default loads the bindings.
    virtual void FormLoad();
    // Writes the controls into objConfigFile() within lScopeDirNo(); the
    // default writes the changed bindings. False refuses the change.
    virtual bool SaveDirectivesFromGUI();
    // Runs on Apply and OK before the change is made, outside the edit (so
    // it may ask questions and open other editors, such as the missing-module
    // prompt). False cancels the change: nothing is written.
    virtual bool prepareApply() { return true; }

    void showEvent(QShowEvent* event) override;
    QList<QAbstractButton*> closingButtons() const override;

    QPushButton* m_cmdApply;

private:
    EditorInputs m_inputs;
    FormBindings m_bindings;
    bool m_loaded = false;
};

} // namespace corvane
