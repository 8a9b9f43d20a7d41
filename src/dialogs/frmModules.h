#pragma once
// The modules editor: LoadModule and AddModule lines of a scope, one tab
// each, edited through frmAddModule.
#include "dialogs/CorvaneDialog.h"

class QTabWidget;
class QTreeWidget;

namespace corvane {

class ListEditor;

class frmModules : public CorvaneDialog
{
    Q_OBJECT
public:
    explicit frmModules(const EditorInputs& inputs, QWidget* parent = nullptr);

    QTreeWidget* lstLoadModule() const { return m_load; }
    QTreeWidget* lstAddModule() const { return m_add; }

protected:
    void FormLoad() override;

private:
    QTreeWidget* buildTab(const QString& title, const QString& tag, const char* prefix,
                          const QStringList& names, const QString& duplicateMessage, ListEditor** editor);

    QTabWidget* m_tabs;
    QTreeWidget* m_load;
    QTreeWidget* m_add;
};

} // namespace corvane
