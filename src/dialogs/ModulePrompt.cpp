#include "dialogs/ModulePrompt.h"

#include "dialogs/frmModules.h"
#include "forms/TextCodec.h"
#include "host/MessageBox.h"
#include "model/ModelProcedures.h"

namespace corvane {

bool ModulePrompt::EnsureModuleLoaded(QWidget* parent, const EditorInputs& inputs, const std::string& module)
{
    const bool compiledIn = isCompiledIn(inputs.context, module);
    return EnsureModuleLoaded(
        parent, inputs,
        [module, compiledIn](const ConfigFile& model) {
            return compiledIn || IsModuleLoaded(model, module, -1);
        },
        TextCodec::toQ(ModuleLoadQuestion(module)));
}

bool ModulePrompt::isCompiledIn(const PageContext& context, const std::string& module)
{
    // "logio_module" and "mod_logio" both stand for the source "mod_logio.c".
    QString name = TextCodec::toQ(module).trimmed();
    if (name.endsWith(QLatin1String("_module"), Qt::CaseInsensitive))
        name = QStringLiteral("mod_") + name.chopped(7);
    if (name.isEmpty())
        return false;
    return context.compiledInModules.contains(name + QStringLiteral(".c"), Qt::CaseInsensitive);
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
