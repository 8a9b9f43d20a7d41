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
    EntrySpec s = makeEntry("frmAddEncoding", "Add/Edit Encoding",
                            {text("txtEncodingName", "Mime Encoding:"), text("txtExtension", "Extension:")},
                            "Please specify Encoding name and extension");
    s.helpContextId = 1700;
    return s;
}

EntrySpec EntrySpecs::frmAddEnvVariables()
{
    return makeEntry("frmAddEnvVariables", "Add/Edit Environment Variable",
                     {text("txtEnvVariable", "Environment Variable:"), text("txtEnvValue", "Value:")},
                     "Please enter environment variable name and value");
}

namespace {

const QList<QPair<int, const char*>>& errorTable()
{
    static const QList<QPair<int, const char*>> table{{400, "Bad Request"},
                                                      {401, "Unauthorised"},
                                                      {402, "Payment Required"},
                                                      {403, "Forbidden"},
                                                      {404, "Not found"},
                                                      {405, "Not Allowed"},
                                                      {406, "Not Acceptable"},
                                                      {407, "Proxy Authentication"},
                                                      {408, "Timeout"},
                                                      {409, "Conflict"},
                                                      {410, "Gone"},
                                                      {411, "Length Required"},
                                                      {412, "Precondition Failed"},
                                                      {413, "Request Too Large"},
                                                      {414, "URL Too Large"},
                                                      {415, "Unsupported Media"},
                                                      {416, "Requested Range invalid"},
                                                      {417, "Expectation Failed"},
                                                      {500, "Internal Server Error"},
                                                      {501, "Not Implemented"},
                                                      {502, "Bad Gateway"},
                                                      {503, "Service unavailable"},
                                                      {504, "Gateway Timeout"},
                                                      {505, "Version not supported"}};
    return table;
}

} // namespace

QStringList EntrySpecs::errorCodes()
{
    QStringList codes;
    for (const auto& [code, description] : errorTable())
        codes << QString::number(code);
    return codes;
}

QString EntrySpecs::errorDescription(const QString& code)
{
    for (const auto& [number, description] : errorTable())
        if (QString::number(number) == code.trimmed())
            return QString::fromLatin1(description);
    return {};
}

EntrySpec EntrySpecs::frmAddErrorDoc()
{
    EntrySpec s = makeEntry("frmAddErrorDoc", "Add Custom Errors",
                            {combo("CmbErrorCode", "Error Code:", errorCodes()),
                             combo("CmbType", "Message Type:", {"Default", "File", "URL"}, false, false),
                             text("txtDocument", "", false)},
                            "Please select a valud error code");
    // The document comes with its Browse button; a default message takes none.
    s.fields[2].kind = EntryField::File;
    s.fields[2].browseName = QStringLiteral("cmdBrowseFile");
    s.helpContextId = 120;
    // Choosing a type empties the document and names it; "Default" shows the
    // code's description, which is then the message.
    s.fieldChanged = [](EntryDialog& d, int field) {
        const bool isDefault = d.value(1) == QLatin1String("Default");
        if (field == 1) {
            d.setValue(2, QString());
            d.setLabel(2, d.value(1).isEmpty() ? QString() : d.value(1) + u':');
            d.form().setUsable(d.field(2), !isDefault);
            if (QWidget* browse = d.findChild<QWidget*>(QStringLiteral("cmdBrowseFile")))
                browse->setVisible(d.value(1) == QLatin1String("File"));
        }
        if ((field == 0 || field == 1) && isDefault)
            d.setValue(2, errorDescription(d.value(0)));
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
    EntrySpec s =
        makeEntry("frmAddHandler", "Add/Edit Handler",
                  {text("txtHandlerName", "Handler Name:"), text("txtExtension", "File Extension:")},
                  "Please fill Handler name and extension");
    s.helpContextId = 1700;
    return s;
}

EntrySpec EntrySpecs::frmAddHTTPHeader()
{
    EntrySpec s = makeEntry("frmAddHTTPHeader", "Add/Edit HTTP Header",
                            {text("txtHeaderName", "Header Name:"),
                             combo("cmbAction", "Action:", {"set", "append", "add", "unset", "echo"}),
                             text("txtValue", "Value:", false)},
                            "Please specify Header name and action");
    s.helpContextId = 1710;
    return s;
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

EntrySpec EntrySpecs::frmExpirationTime()
{
    // The MIME types offered are the opener's (the AddType types it knows).
    EntrySpec s = makeEntry("frmExpirationTime", "Expiration Time",
                            {combo("cmbMimeType", "MimeType:", {}, true), text("txtTime", "Time:")},
                            "Please specify mime type and time");
    s.helpContextId = 1720;
    return s;
}

EntrySpec EntrySpecs::frmFilters()
{
    EntrySpec s = makeEntry("frmFilters", "Add/Edit Filter",
                            {text("txtFilter", "Filter:"), text("txtExtension", "File Extension:")},
                            "Please enter filter and extension");
    s.helpContextId = 1700;
    return s;
}

EntrySpec EntrySpecs::frmISAPIExt()
{
    EntrySpec s = makeEntry("frmISAPIExt", "Add ISAPI Extensions",
                            {text("txtCacheFile", "ISAPI Cache File:")}, "Please specify Cache file name");
    s.fields[0].kind = EntryField::File;
    s.fields[0].browseName = QStringLiteral("cmdBrowse");
    s.helpContextId = 180;
    return s;
}

EntrySpec EntrySpecs::frmMIMETypes()
{
    EntrySpec s = makeEntry("frmMIMETypes", "Add/Edit MIME Type",
                            {text("txtExtension", "Extension:"), text("txtContentType", "Content Type:")},
                            "Please specify extension and content type");
    s.helpContextId = 1700;
    return s;
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
    return {frmAddAlias(),      frmAddCharSet(),      frmAddDefaultDoc(),  frmAddDirOption(),
            frmAddEncoding(),   frmAddEnvVariables(), frmAddErrorDoc(),    frmAddHandler(),
            frmAddHTTPHeader(), frmAddIcon(),         frmAddIndexOption(), frmAddLanguage(),
            frmAddModule(),     frmAddServerAlias(),  frmExpirationTime(), frmFilters(),
            frmISAPIExt(),      frmMIMETypes()};
}

} // namespace corvane
