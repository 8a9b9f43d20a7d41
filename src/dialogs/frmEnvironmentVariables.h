#pragma once
// The environment variables editor: SetEnv (through frmAddEnvVariables),
// PassEnv and UnsetEnv, the four conditional variable directives (rows
// edited in place), and the script log settings of a scope.
#include "dialogs/CorvaneDialog.h"

class QStackedWidget;

namespace corvane {

class frmEnvironmentVariables : public CorvaneDialog
{
    Q_OBJECT
public:
    explicit frmEnvironmentVariables(const EditorInputs& inputs, QWidget* parent = nullptr);

private:
    QStackedWidget* m_general;
};

} // namespace corvane
