#pragma once
// What an editor dialog is given by its opener: the opener's model object
// (the same object, not a copy), the scope to edit, and the sheet's context
// (application folder, server, local or remote) with the ways back to the
// console (change notification, help).
#include "host/PageContext.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace corvane {

class ConfigFile;

struct EditorInputs
{
    ConfigFile* objConfigFile = nullptr;
    std::int32_t lScopeDirNo = -1; // -1 main server, else the section head's number
    PageContext context;
    std::function<void(const QString&)> propertyChanged; // "RefreshTreeView" after a save
    std::function<void(int)> showHelp;                   // help context number
};

} // namespace corvane
