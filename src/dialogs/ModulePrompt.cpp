#include "dialogs/ModulePrompt.h"

#include "dialogs/frmModules.h"
#include "forms/TextCodec.h"
#include "host/MessageBox.h"
#include "model/ModelProcedures.h"

namespace corvane {

bool ModulePrompt::EnsureModuleLoaded(QWidget* parent, const EditorInputs& inputs, const std::string& module)
{
    return EnsureModuleLoaded(
        parent, inputs, [module](const ConfigFile& model) { return IsModuleLoaded(model, module, -1); },
        TextCodec::toQ(ModuleLoadQuestion(module)));
}

bool ModulePrompt::EnsureModuleLoaded(QWidget* parent, const EditorInputs& inputs, const LoadedTest& isLoaded,
                                      const QString& question)
{
    if (!inputs.objConfigFile || !isLoaded)
        return false;
    // LoadModule belongs to the main server, never to the opener's section.
    EditorInputs mainServer = inputs;
    mainServer.lScopeDirNo = -1;
    for (;;) {
        if (isLoaded(*inputs.objConfigFile))
            return true;
        if (MessageBox::question(parent, question) != QMessageBox::Yes)
            return false;
        frmModules dialog(mainServer, parent);
        dialog.exec();
    }
}

} // namespace corvane
