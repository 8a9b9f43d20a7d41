#pragma once
// The binding between a form's controls and the directives of one scope,
// shared by property pages and editor dialogs. A binding tags its control
// with the directive (so gating and tooltips find it), fills it from the
// model, and writes it back only when the administrator changed it: an
// untouched value or list keeps its lines exactly as they are.
//
// Text boxes and combo boxes show one directive (first parameter, the whole
// parameter list, or the list without its enclosing quotes); check boxes
// show an On/Off directive; list views show repeatable directives in one of
// the row shapes below.
#include "forms/TextCodec.h"
#include "model/ListRows.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QAbstractButton;
class QTreeWidget;
class QWidget;

namespace corvane {

class ConfigFile;
class Directive;

class FormBindings
{
public:
    // How a bound directive is shown ...
    enum class ReadAs
    {
        FirstParam,
        ParamList,
        Unquoted // the parameter list without one enclosing pair of quotes
    };
    // ... and written.
    enum class WriteAs
    {
        Text,       // trimmed text as typed
        QuotedPath, // double quotes removed, written inside one pair of quotes
        Path,       // double quotes removed, quoted only when it holds a blank
    };
    // How the directives of a list view map to its rows and columns. A column
    // holding one parameter shows it without quotes and writes it back quoted
    // when it holds a blank; a cell left as loaded is written as it was.
    enum class RowShape
    {
        FirstRest,          // a directive per row: parameter 1 | the rest (LoadModule, Alias, SetEnv)
        SecondFirstRest,    // a directive per row: parameter 2 | parameter 1 | the rest (ErrorDocument ...)
        WholeText,          // a directive per row: the whole parameter list in one column
        ParamPerRow,        // one directive, a row per parameter (ServerAlias, DirectoryIndex)
        ExtraParamPerRow,   // a directive per key: key | one further parameter per row (AddLanguage)
        ParamThenKeyPerRow, // a directive per key: one further parameter | key per row (AddType: extension |
                            // type)
        HeaderRule,         // a directive per row: header | action | the rest; a leading condition
                            // (always, onsuccess) belongs to the action (Header, RequestHeader)
    };
    // The columns a row shape reads and writes; further columns of the list
    // are the form's own (a type derived from the row, say) and never written.
    static int columnsOf(RowShape shape);

    // Called on any edit of a bound control.
    std::function<void()> changed;

    // ---- declaring --------------------------------------------------------
    void bindDirective(QWidget* control, const QString& directive, ReadAs read = ReadAs::FirstParam,
                       WriteAs write = WriteAs::Text);
    void bindCheck(QAbstractButton* box, const QString& directive);
    void bindList(QTreeWidget* list, const QString& directive, RowShape shape);

    // ---- loading and saving -----------------------------------------------
    // Fills every bound control from the scope and remembers what it showed.
    // A single-value directive the scope holds in more than one file shows
    // (and later writes) the line Apache applies, the last one read; the
    // control's tooltip then names every place it stands.
    void load(ConfigFile& model, std::int32_t scopeNo);
    // Writes each bound control that `writable` accepts and whose value
    // differs from what it showed when loaded. Returns false when a model
    // call failed.
    bool save(ConfigFile& model, std::int32_t scopeNo, const std::function<bool(const QWidget*)>& writable);
    // After a save was written: what the controls show becomes the loaded
    // state (lists are read again, so their rows carry the new numbers).
    void saved(ConfigFile& model, std::int32_t scopeNo);
    // Clears every bound control and forgets the loaded state.
    void clear();
    // True when a bound control differs from what it showed when loaded.
    bool isChanged() const;

    // Number of the directive a binding found (0 when absent).
    std::int32_t foundNo(const QString& directive) const;

    // ---- shared helpers -----------------------------------------------------
    static QString trimBlanks(QString s);
    static std::string unquoted(std::string value);
    // The directive's value as ReadAs shows it (bytes, not decoded).
    static std::string readValue(const Directive& d, ReadAs read);
    // The parameters of the scope's directive of that name that Apache
    // applies (0 when absent in *number), each without enclosing quotes.
    static QStringList paramsOf(ConfigFile& model, std::int32_t scopeNo, const QString& directive,
                                std::int32_t* number = nullptr);
    // "file:line" of every line of a single-value directive in the scope,
    // when they stand in more than one file (the applied one last, marked);
    // "" otherwise.
    static QString placesNote(ConfigFile& model, std::int32_t scopeNo, const QString& directive);
    // The text a WriteAs form makes of a value (trimmed; "" stays "").
    static QString written(QString text, WriteAs write);
    // One value as a single parameter: quoted when it holds a blank.
    static std::string quotedIfBlank(const std::string& value);
    // UpdateDirective with the text as `write` makes it, encoded like `original`.
    static int updateDirective(ConfigFile& model, std::int32_t scopeNo, const QString& directive,
                               const QString& text, WriteAs write = WriteAs::Text,
                               const std::string& original = {});
    // The rows a list of directives shows in `shape`, and the parameter
    // lists those rows write back.
    static ListRows rowsOf(const std::vector<Directive*>& directives, RowShape shape);
    static std::vector<std::string> paramListsOf(const ListRows& rows, RowShape shape);
    // Writes the parameter lists as the scope's directives of that name: the
    // existing lines are changed in place in order, extra ones removed and
    // missing ones added, so unchanged lines keep their place and text.
    static bool writeDirectives(ConfigFile& model, std::int32_t scopeNo, const QString& directive,
                                const std::vector<std::string>& paramLists);

private:
    struct Value
    {
        QWidget* control;
        QString directive;
        ReadAs read;
        WriteAs write;
        bool check = false;
        std::int32_t foundNo = 0;
        std::string original;
        QString shown;
    };
    struct List
    {
        QTreeWidget* list;
        QString directive;
        RowShape shape;
        ListRows loaded; // the rows as shown when loaded (texts)
    };

    void fillList(List& l, const ConfigFile& model, std::int32_t scopeNo);
    static QString currentText(const Value& v);
    static ListRows shownRows(const QTreeWidget* list, RowShape shape);
    static ListRows rowsToWrite(const QTreeWidget* list);

    std::vector<Value> m_values;
    std::vector<List> m_lists;
};

} // namespace corvane
