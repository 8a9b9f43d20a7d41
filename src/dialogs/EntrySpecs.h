#pragma once
// The entry dialogs of the editors, as designed: captions, fields, labels
// and required-field messages.
#include "forms/EntrySpec.h"

namespace corvane {

class EntrySpecs
{
public:
    static EntrySpec frmAddAlias();
    static EntrySpec frmAddCharSet();
    static EntrySpec frmAddDefaultDoc();
    static EntrySpec frmAddDirOption();
    static EntrySpec frmAddEncoding();
    static EntrySpec frmAddEnvVariables();
    static EntrySpec frmAddErrorDoc();
    static EntrySpec frmAddHandler();
    static EntrySpec frmAddHTTPHeader();
    static EntrySpec frmAddIcon();
    static EntrySpec frmAddIndexOption();
    static EntrySpec frmAddLanguage();
    static EntrySpec frmAddModule();
    static EntrySpec frmAddServerAlias();
    static EntrySpec frmExpirationTime();
    static EntrySpec frmFilters();
    static EntrySpec frmISAPIExt();
    static EntrySpec frmMIMETypes();

    // The HTTP error statuses offered for custom errors, in order, and the
    // short description of each, which is also its "Default" message ("" for
    // a code not in the table).
    static QStringList errorCodes();
    static QString errorDescription(const QString& code);
    static EntrySpec frmSelectLanguage();
    static EntrySpec frmScripts();
    static EntrySpec frmActions();
    // Every plain entry dialog above (frmSelectLanguage, frmScripts and
    // frmActions fill their choices from the opener), for tests and tools.
    static QList<EntrySpec> all();
};

} // namespace corvane
