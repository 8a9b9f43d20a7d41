#pragma once
// Base of every Corvane property page. It carries the whole page life cycle:
// loading builds the page's own ConfigFile from the snapshot of the selected
// node's working copy, finds the node's scope by its tag, gates every tagged
// control by the server's Apache version and the node's context, shows the
// bound directives and then calls LoadControls(); Apply runs the one edit
// path (commitEdit: reload the snapshot, SaveDirectivesFromGUI(), write
// httpd.conf and the snapshot) and notifies the console ("RefreshTreeView")
// when something was written. A refused or failed change writes nothing and
// is shown in a "Corvane" message. Tooltips and F1 help come with it.
//
// A page only states its controls: build them in the constructor, tag each
// with the directive it edits (bindDirective(), bindCheck() and bindList()
// also read and write it), and override LoadControls()/SaveDirectivesFromGUI()
// for what a plain binding does not cover.
#include "forms/EditorInputs.h"
#include "forms/FormBindings.h"
#include "host/PropertyPage.h"

#include <QString>

class QAbstractButton;
class QTreeWidget;

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class ConfigFile;
class Directive;
class FormSupport;

class CorvanePage : public PropertyPage
{
    Q_OBJECT
public:
    // Which selected items a page loads for.
    enum NodeKind
    {
        ServerNode = 0x1,  // server node (tag -2): edits the main server scope
        MainServer = 0x2,  // Main Server node (tag -1)
        Sections = 0x4,    // section nodes (tag = section head number)
        FileEntries = 0x8, // Files items of the result list
    };

    // How a bound directive is shown and written.
    using ReadAs = FormBindings::ReadAs;
    using WriteAs = FormBindings::WriteAs;
    using RowShape = FormBindings::RowShape;

    CorvanePage(const QString& caption, int helpContextId, int nodeKinds, QWidget* parent = nullptr);
    ~CorvanePage() override;

    void PropertyPage_Initialize() override;
    void PropertyPage_SelectionChanged() override;
    void PropertyPage_ApplyChanges() override;
    void PropertyPage_Terminate() override;
    void IMMCPropertyPage_Help() override;

    // ---- what the page is editing (valid after a successful load) --------
    ConfigFile* model() const { return m_model.get(); }
    bool hasNode() const { return m_hasNode; }
    Directive* nodeDirective() const; // looked up afresh: the model may have been reloaded
    std::int32_t scopeNo() const { return m_scopeNo; }
    bool isMainServer() const { return m_mainServer; }
    bool isServerNode() const { return m_serverNode; }
    bool isFileEntry() const { return m_fileEntry; }
    QString appDir() const;
    QString serverName() const;
    // Number of the bound directive found when loading (0 when absent).
    std::int32_t foundDirectiveNo(const QString& directive) const;

    FormSupport& form() { return *m_form; }
    FormBindings& bindings() { return m_bindings; }

    // Inputs for an editor dialog opened from this page; canOpenEditor() is
    // false when the page has no model or node (then buttons do nothing).
    bool canOpenEditor() const { return m_model && m_hasNode; }
    EditorInputs editorInputs();

    // Whether a control is written on Apply: enabled within the page.
    bool isWritable(const QWidget* control) const;

protected:
    // ---- declaring controls -------------------------------------------------
    // Tags control with directive and binds it: a QLineEdit or QComboBox
    // shows the directive of the node and writes it back with UpdateDirective.
    void bindDirective(QWidget* control, const QString& directive, ReadAs read = ReadAs::FirstParam,
                       WriteAs write = WriteAs::Text);
    void bindCheck(QAbstractButton* box, const QString& directive);
    void bindList(QTreeWidget* list, const QString& directive, RowShape shape);
    // Tags a control without binding (buttons, lists saved by the page).
    static void setTag(QWidget* control, const QString& directive);
    // A "Browse..." button of `box`: enabled only for a local server and
    // while its box is enabled.
    void addBrowseButton(QWidget* button, QWidget* box = nullptr);
    // A button opening an editor dialog that is not available yet: disabled,
    // with a tooltip saying so.
    static void markUnavailable(QWidget* button, const QString& what);

    // ---- hooks ----------------------------------------------------------------
    // Design-time defaults, before every load.
    virtual void ResetControls() {}
    // After the bound directives are shown: the page's own controls.
    virtual void LoadControls() {}
    // Writes the enabled controls into model() within scopeNo(). The default
    // writes the bound directives whose text differs from what was loaded
    // (an untouched value keeps its line exactly as written); pages override
    // and call it. False refuses the change: nothing is written.
    virtual bool SaveDirectivesFromGUI();
    // After the change was written (the model holds it).
    virtual void ChangesWritten() {}
    // Pages that keep no directives (the connection page) return false: Apply
    // then only calls SaveDirectivesFromGUI.
    virtual bool writesConfiguration() const { return true; }
    virtual bool notifiesRefresh() const { return true; }

    // Writes one text value the way a binding does (trims, applies `write`,
    // an empty value removes the directive). Returns UpdateDirective's code.
    int updateDirective(const QString& directive, QString text, WriteAs write = WriteAs::Text,
                        const std::string& original = {});
    // The value a directive of the node shows (its number goes to foundNo).
    QString readDirective(const QString& directive, ReadAs read, std::int32_t* foundNo = nullptr,
                          std::string* original = nullptr) const;

    // Shows an editor dialog modally when the page has a model and node.
    template <typename Dialog> void openEditor()
    {
        if (!canOpenEditor())
            return;
        Dialog dialog(editorInputs(), this);
        dialog.exec();
    }

    void keyPressEvent(QKeyEvent* event) override;

private:
    void clearState();
    void watchForChanges();
    bool loadNode();

    FormSupport* m_form;
    int m_nodeKinds;
    int m_helpContextId;
    std::unique_ptr<ConfigFile> m_model;
    bool m_hasNode = false;
    bool m_watching = false; // controls are watched for changes once
    bool m_loading = false;  // the page is filling its controls: not a change
    std::int32_t m_scopeNo = 0;
    bool m_mainServer = false;
    bool m_serverNode = false;
    bool m_fileEntry = false;
    FormBindings m_bindings;
};

} // namespace corvane
