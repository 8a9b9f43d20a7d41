#pragma once
// The alias editors: frmServerAliases (a virtual host's ServerAlias names,
// one row per name, all written as one line) and frmAliases (Alias,
// AliasMatch, ScriptAlias and ScriptAliasMatch, one tab and one line per row).
#include "dialogs/CorvaneDialog.h"

class QTabWidget;

namespace corvane {

class frmServerAliases : public CorvaneDialog
{
    Q_OBJECT
public:
    explicit frmServerAliases(const EditorInputs& inputs, QWidget* parent = nullptr);
};

class frmAliases : public CorvaneDialog
{
    Q_OBJECT
public:
    explicit frmAliases(const EditorInputs& inputs, QWidget* parent = nullptr);

private:
    QTabWidget* m_tabs;
};

} // namespace corvane
