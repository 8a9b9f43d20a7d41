#pragma once
// The missing-module prompt: makes sure a module is loaded before a feature
// that needs it is switched on, offering the modules editor. Modules are
// loaded by the main server, so the prompt always looks at and edits the
// main server's scope, whichever node's page or dialog asks.
#include "forms/EditorInputs.h"

#include <QString>

#include <functional>
#include <string>

class QWidget;

namespace corvane {

class ModulePrompt
{
public:
    // Whether the model already has what the feature needs.
    using LoadedTest = std::function<bool(const ConfigFile& model)>;

    // Whether the server's Apache has the module compiled in, by its name
    // ("logio_module") or its file's ("mod_logio"): such a module counts as
    // loaded, and a LoadModule line for it would stop Apache.
    static bool isCompiledIn(const PageContext& context, const std::string& module);

    // True at once when the main server loads the module or has it compiled in; otherwise asks
    // "<MODULE> is to be loaded, Do you wish to load it now ?" (Yes/No,
    // "Corvane"): No gives false, Yes opens frmModules on the same model for
    // the main server and asks again until the module is loaded or the
    // answer is No.
    static bool EnsureModuleLoaded(QWidget* parent, const EditorInputs& inputs, const std::string& module);
    // The same with the caller's own test and question (a module known by
    // its file name, say, or a question naming the feature).
    static bool EnsureModuleLoaded(QWidget* parent, const EditorInputs& inputs, const LoadedTest& isLoaded,
                                   const QString& question);
};

} // namespace corvane
