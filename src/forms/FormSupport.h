#pragma once
// What every property page and editor dialog does with its controls, kept in
// one place: a control's dynamic property "tag" names the directive it edits;
// version gating enables each tagged control by the catalogue; the first time
// the mouse enters a control (a combo box: gets the focus) its balloon tooltip
// is created with the tag as title and the catalogue's description as text;
// the mouse on the form itself takes every shown tooltip down; F1 opens help
// at the focused control's "helpContextId".
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class QWidget;

namespace corvane {

class CToolTip;
class ConfigFile;
class DirbaseParser;

class FormSupport : public QObject
{
    Q_OBJECT
public:
    explicit FormSupport(QWidget* form);
    ~FormSupport() override;

    // ---- declaring controls (static: usable while building a form) ------
    static void setTag(QWidget* control, const QString& directive);
    static QString tagOf(const QWidget* control); // trimmed
    // A tooltip with fixed title and text for a control that stands for no directive.
    static void setFixedTip(QWidget* control, const QString& title, const QString& text);
    static void setHelpContext(QWidget* control, int contextId);
    // A note the control's tooltip adds below the directive's description
    // (where the value stands when the configuration has it in several
    // files); "" removes it.
    static void setTipNote(QWidget* control, const QString& note);
    static QString tipNoteOf(const QWidget* control);

    // Every child control of the form whose tag is not blank.
    std::vector<QWidget*> taggedControls() const;

    // ---- the catalogue --------------------------------------------------
    // The form's catalogue reader (every entry, supported or not), read from
    // appDir/Corvane.dll on first use.
    const DirbaseParser& catalogue(const QString& appDir);

    // Where a form's directives would go, for the catalogue's context flags.
    enum class NodeContext
    {
        Any,         // not checked (conditional sections, dialogs without a node)
        Server,      // the main server
        VirtualHost, // inside <VirtualHost>
        Directory    // inside <Directory>, <Location>, <Files> and their Match forms
    };

    // The context of a scope: -1 is the main server; conditional sections
    // (IfModule, IfDefine) and unknown numbers are not checked.
    static NodeContext contextOfScope(const ConfigFile* model, std::int32_t scopeNo);

    // Version gating of every tagged control for the server's Apache version,
    // and context gating: a directive the catalogue does not allow in
    // `context` is switched off too. Gating only switches controls off and
    // remembers them (gatedOff()); it switches on again only the controls it
    // switched off itself, so a form's own disabling survives it.
    // False when the catalogue fails its checksum test: controls untouched
    // and the message shown, unless *checksumShown says it was shown already
    // (the flag is then set).
    bool gate(const QString& appDir, const QString& serverName, NodeContext context = NodeContext::Any,
              bool* checksumShown = nullptr);
    // Whether the catalogue knows the directive in the Apache version the last
    // gating applied, so that lists of directives to choose from follow the
    // server's version as its controls do. True when no gating was applied
    // (the catalogue failed its checksum test).
    bool inGatedVersion(const QString& appDir, const std::string& directive);
    // Controls the last gating switched off.
    bool isGatedOff(const QWidget* control) const { return m_gatedOff.count(control) > 0; }
    // A form's own enabling: a control gating switched off stays off.
    void setUsable(QWidget* control, bool usable) const;
    // A "Browse..." button of `box`: enabled only for a local server and
    // while its box is enabled (it follows the box from then on).
    void addBrowseButton(QWidget* button, QWidget* box);
    void setLocalServer(bool local);

    // ---- tooltips -------------------------------------------------------
    // Watches the form and its tagged / fixed-tip controls (call after the
    // controls exist; controls added later need another call).
    void installTooltips(const QString& appDir);
    CToolTip* tooltip(const QWidget* control) const; // nullptr until first shown
    bool isTipShown(const QWidget* control) const;
    void hideTooltips();

    // ---- help -----------------------------------------------------------
    // Where help requests go; without one the form opens a help viewer of its own.
    std::function<void(int)> helpHandler;
    // Help for the focused control (or its nearest parent with a context).
    void showHelpForFocus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showTip(QWidget* control);

    void followBox(QWidget* box);

    QWidget* m_form;
    QString m_appDir;
    std::set<const QWidget*> m_gatedOff;
    std::optional<std::string> m_gatedVersion;
    std::vector<std::pair<QWidget*, QWidget*>> m_browse; // button, box
    bool m_local = true;
    std::unique_ptr<DirbaseParser> m_catalogue;
    QString m_catalogueDir;
    std::map<const QWidget*, CToolTip*> m_tips; // owned as QObject children
    std::map<const QWidget*, bool> m_shown;
    QWidget* m_helpViewer = nullptr;
};

} // namespace corvane
