#include "dialogs/EntrySpecs.h"

#include "forms/EntryDialog.h"

namespace corvane {

namespace {

EntryField text(const char* name, const char* label, bool required = true)
{
    EntryField f;
    f.objectName = QString::fromLatin1(name);
    f.label = QString::fromLatin1(label);
    f.required = required;
    return f;
}

EntryField combo(const char* name, const char* label, const QStringList& entries, bool editable = false,
                 bool required = true)
{
    EntryField f = text(name, label, required);
    f.kind = editable ? EntryField::EditableCombo : EntryField::Combo;
    f.entries = entries;
    return f;
}

EntrySpec makeEntry(const char* name, const char* caption, QList<EntryField> fields, const char* message)
{
    EntrySpec s;
    s.objectName = QString::fromLatin1(name);
    s.caption = QString::fromLatin1(caption);
    s.fields = std::move(fields);
    s.message = QString::fromLatin1(message);
    return s;
}

} // namespace

EntrySpec EntrySpecs::frmAddAlias()
{
    return makeEntry("frmAddAlias", "Alias", {text("txtAliasName", "Alias:"), text("txtAliasPath", "Path:")},
                     "Please specify Alias and path");
}

EntrySpec EntrySpecs::frmAddCharSet()
{
    return makeEntry("frmAddCharSet", "Add/Edit Charset",
                     {text("txtCharsetName", "Charset:"), text("txtExtension", "File Extension:")},
                     "Please specify Charset name and extension");
}

EntrySpec EntrySpecs::frmAddDefaultDoc()
{
    return makeEntry("frmAddDefaultDoc", "Add Default Document",
                     {text("txtDefaultDoc", "Default Document Name:")}, "Please enter default document name");
}

EntrySpec EntrySpecs::frmAddDirOption()
{
    return makeEntry("frmAddDirOption", "Add New Option",
                     {combo("cmbMerge", "Merge:", {"+", "-"}, false, false),
                      combo("cmbOptions", "Option:",
                            {"ExecCGI", "FollowSymlInks", "INcludes", "IncludesNOEXEC", "indexes",
                             "MultiViews", "SymLinksIfOwnerMatch"})},
                     "Please specify Option");
}

EntrySpec EntrySpecs::frmAddEncoding()
{
    return makeEntry("frmAddEncoding", "Add/Edit Encoding",
                     {text("txtEncodingName", "Mime Encoding:"), text("txtExtension", "Extension:")},
                     "Please specify Encoding name and extension");
}

EntrySpec EntrySpecs::frmAddEnvVariables()
{
    return makeEntry("frmAddEnvVariables", "Add/Edit Environment Variable",
                     {text("txtEnvVariable", "Environment Variable:"), text("txtEnvValue", "Value:")},
                     "Please enter environment variable name and value");
}

EntrySpec EntrySpecs::frmAddErrorDoc()
{
    QStringList codes;
    for (int code : {400, 401, 402, 403, 404, 405, 406, 407, 408, 409, 410, 411,
                     412, 413, 414, 415, 416, 417, 500, 501, 502, 503, 504, 505})
        codes << QString::number(code);
    EntrySpec s = makeEntry("frmAddErrorDoc", "Add Custom Errors",
                            {combo("CmbErrorCode", "Error Code:", codes, true),
                             combo("CmbType", "Message Type:", {"Default", "File", "URL"}, false, false),
                             text("txtDocument", "", false)},
                            "Please select a valud error code");
    // The document comes with its Browse button; a default message takes none.
    s.fields[2].kind = EntryField::File;
    s.fields[2].browseName = QStringLiteral("cmdBrowseFile");
    s.fieldChanged = [](EntryDialog& d, int field) {
        if (field == 1)
            d.form().setUsable(d.field(2), d.value(1) != QLatin1String("Default"));
    };
    s.check = [](const EntryDialog& d) {
        if (d.value(1) != QLatin1String("Default") && d.value(2).isEmpty())
            return QStringLiteral("Please enter the value");
        return QString();
    };
    return s;
}

EntrySpec EntrySpecs::frmAddHandler()
{
    return makeEntry("frmAddHandler", "Add/Edit Handler",
                     {text("txtHandlerName", "Handler Name:"), text("txtExtension", "File Extension:")},
                     "Please fill Handler name and extension");
}

EntrySpec EntrySpecs::frmAddHTTPHeader()
{
    return makeEntry("frmAddHTTPHeader", "Add/Edit HTTP Header",
                     {text("txtHeaderName", "Header Name:"),
                      combo("cmbAction", "Action:", {"set", "append", "add", "unset", "echo"}),
                      text("txtValue", "Value:", false)},
                     "Please specify Header name and action");
}

EntrySpec EntrySpecs::frmAddIcon()
{
    return makeEntry("frmAddIcon", "Add/Edit Icon", {text("txtIcon", "Icon:"), text("txtAssociate", "Name:")},
                     "Please Enter all values");
}

EntrySpec EntrySpecs::frmAddIndexOption()
{
    return makeEntry(
        "frmAddIndexOption", "Index Option",
        {combo("txtOption", "Option:",
               {"FancyIndexing", "FoldersFirst", "HTMLTable", "IconsAreLinks", "IgnoreCase", "IgnoreClient",
                "NameWidth=*", "ScanHTMLTitles", "ShowForbidden", "SuppressColumnSorting",
                "SuppressDescription", "SuppressHTMLPreamble", "SuppressIcon", "SuppressLastModified",
                "SuppressRules", "SuppressSize", "TrackModified", "VersionSort", "XHTML"},
               true)},
        "Please specify the option");
}

EntrySpec EntrySpecs::frmAddLanguage()
{
    return makeEntry("frmAddLanguage", "Add/Edit Language",
                     {text("txtLanguageName", "Language Name:"), text("txtExtension", "File Extension:")},
                     "Please specify language name and extension");
}

EntrySpec EntrySpecs::frmAddModule()
{
    return makeEntry("frmAddModule", "Load/Add Module",
                     {text("txtModuleName", "Module Name:"), text("txtFilePath", "File Path:")},
                     "Please enter module name and file path");
}

EntrySpec EntrySpecs::frmAddServerAlias()
{
    return makeEntry("frmAddServerAlias", "Add Server Alias", {text("txtServerAlias", "Server Alias:")},
                     "Please enter server alias");
}

EntrySpec EntrySpecs::frmSelectLanguage()
{
    return makeEntry("frmSelectLanguage", "Add Language to Priority List",
                     {combo("cmbLanguage", "Language Name:", {})}, "Please select a language");
}

EntrySpec EntrySpecs::frmScripts()
{
    EntrySpec s =
        makeEntry("frmScripts", "Scripts",
                  {combo("cmbMethod", "Method:", {"GET", "POST", "PUT", "DELETE", "HEAD", "OPTIONS"}, true),
                   text("txtScript", "CGI Script:")},
                  "Please enter script and method");
    s.fields[1].kind = EntryField::File;
    s.fields[1].browseName = QStringLiteral("cmdBrowseFile");
    return s;
}

EntrySpec EntrySpecs::frmActions()
{
    // The action type is a handler or a MIME type, chosen by the option
    // buttons: only the chosen box is open for typing.
    EntrySpec s = makeEntry("frmActions", "Actions",
                            {combo("optActionType", "Action Type:", {"Handler:", "MIME:"}, false, false),
                             combo("cmbHandler", "Handler:", {}, true, false),
                             combo("cmbMime", "MIME:", {}, true, false), text("txtScript", "CGI Script:")},
                            "Please specify script and action");
    s.fields[0].kind = EntryField::Options;
    s.fields[3].kind = EntryField::File;
    s.fields[3].browseName = QStringLiteral("cmdBrowse");
    s.fieldChanged = [](EntryDialog& d, int field) {
        if (field != 0)
            return;
        const bool handler = d.value(0) != QLatin1String("MIME:");
        d.form().setUsable(d.field(1), handler);
        d.form().setUsable(d.field(2), !handler);
    };
    s.check = [](const EntryDialog& d) {
        const QString type = d.value(0) == QLatin1String("MIME:") ? d.value(2) : d.value(1);
        if (d.value(0).isEmpty() || type.isEmpty())
            return QStringLiteral("Please specify script and action");
        return QString();
    };
    return s;
}

QList<EntrySpec> EntrySpecs::all()
{
    return {frmAddAlias(),        frmAddCharSet(),  frmAddDefaultDoc(), frmAddDirOption(),  frmAddEncoding(),
            frmAddEnvVariables(), frmAddErrorDoc(), frmAddHandler(),    frmAddHTTPHeader(), frmAddIcon(),
            frmAddIndexOption(),  frmAddLanguage(), frmAddModule(),     frmAddServerAlias()};
}

} // namespace corvane
