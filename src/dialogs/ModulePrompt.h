#pragma once
// The missing-module prompt: makes sure a module is loaded before a feature
// that needs it is switched on, offering the modules editor.
#include "dialogs/EditorInputs.h"

#include <string>

class QWidget;

namespace corvane {

class ModulePrompt
{
public:
    // True at once when the scope loads the module; otherwise asks
    // "<MODULE> is to be loaded, Do you wish to load it now ?" (Yes/No,
    // "Corvane"): No gives false, Yes opens frmModules on the same model and
    // scope and asks again until the module is loaded or the answer is No.
    static bool EnsureModuleLoaded(QWidget* parent, const EditorInputs& inputs, const std::string& module);
};

} // namespace corvane
