#pragma once
// "Extended Properties": every directive the catalogue knows, allows in the
// node's context and that no page or dialog of its own edits, grouped by
// module. The node's such directives are listed and can be changed, added
// and deleted.
#include "pages/CorvanePage.h"

#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace corvane {

class xmldirective;

class ppgUnSupportedDirectives : public CorvanePage
{
    Q_OBJECT
public:
    // The node's context: 1 server, 2 main server, 3 virtual host,
    // 4 Directory/Location/IfModule, 5 Files; 0 none.
    enum Context
    {
        NoContext = 0,
        ServerContext = 1,
        MainServerContext = 2,
        VirtualHostContext = 3,
        DirectoryContext = 4,
        FilesContext = 5
    };

    explicit ppgUnSupportedDirectives(QWidget* parent = nullptr);

    int contextCode() const { return m_context; }
    // Whether a catalogue entry is offered in a context.
    static bool offered(const xmldirective& entry, int context);

protected:
    void ResetControls() override;
    void LoadControls() override;
    bool SaveDirectivesFromGUI() override;
    bool notifiesRefresh() const override { return false; }

private:
    void fillModules();
    void moduleChosen();
    void directiveChosen();
    void rowClicked();
    void addOrModify();
    void deleteRow();
    const xmldirective* entry(const QString& name);

    QTreeWidget* m_lstvUnSupported;
    QComboBox* m_cmbModules;
    QListWidget* m_lstDirectives;
    QLineEdit* m_txtValue;
    QLabel* m_lblDescription;
    QLabel* m_lblSyntax;
    QLabel* m_lblPermitted;
    QPushButton* m_cmdAdd;
    QPushButton* m_cmdDelete;
    int m_context = NoContext;
    std::vector<std::int32_t> m_deleted;
    // False for a section the model does not nest (Proxy, If, Limit, ...):
    // its lines are listed, changed and deleted, but a new line would land
    // outside it.
    bool m_canAdd = true;
    // The context of the scope a line number stands in, and the simple lines
    // of the node, in file order.
    int contextOf(const Directive* node) const;
    std::vector<const Directive*> nodeLines() const;
};

} // namespace corvane
