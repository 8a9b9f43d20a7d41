#include "dialogs/ModulePrompt.h"

#include "dialogs/frmModules.h"
#include "host/MessageBox.h"
#include "model/ModelProcedures.h"
#include "pages/TextCodec.h"

namespace corvane {

bool ModulePrompt::EnsureModuleLoaded(QWidget* parent, const EditorInputs& inputs, const std::string& module)
{
    if (!inputs.objConfigFile)
        return false;
    return corvane::EnsureModuleLoaded(
        *inputs.objConfigFile, module, inputs.lScopeDirNo,
        [parent](const std::string& question) {
            return MessageBox::question(parent, TextCodec::toQ(question)) == QMessageBox::Yes;
        },
        [parent, &inputs] {
            frmModules dialog(inputs, parent);
            dialog.exec();
        });
}

} // namespace corvane
