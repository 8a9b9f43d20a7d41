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
    static EntrySpec frmSelectLanguage();
    static EntrySpec frmScripts();
    static EntrySpec frmActions();
    // Every plain entry dialog above (the last three fill their choices from
    // the opener), for tests and tools.
    static QList<EntrySpec> all();
};

} // namespace corvane
