#include "pages/ppgUnSupportedDirectives.h"

#include "catalogue/DirbaseParser.h"
#include "forms/FormSupport.h"
#include "forms/InputRules.h"
#include "forms/ListViewRows.h"
#include "forms/PageWidgets.h"
#include "forms/TextCodec.h"
#include "host/DialogKeys.h"
#include "host/MessageBox.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/DirectiveScop.h"
#include "model/ModelProcedures.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <set>

namespace corvane {

namespace {
const QString kAll = QStringLiteral("All");
}

ppgUnSupportedDirectives::ppgUnSupportedDirectives(QWidget* parent)
    : CorvanePage(QStringLiteral("Extended Properties"), 150,
                  ServerNode | MainServer | Sections | FileEntries, parent)
{
    setObjectName(QStringLiteral("ppgUnSupportedDirectives"));
    auto* layout = new QVBoxLayout(this);
    m_lstvUnSupported = new QTreeWidget(this);
    m_lstvUnSupported->setObjectName(QStringLiteral("lstvUnSupported"));
    ListViewRows::setup(m_lstvUnSupported,
                        {QStringLiteral("Directive"), QStringLiteral("Value"), QStringLiteral("Module")});
    m_lstvUnSupported->setColumnWidth(1, 220);
    FormSupport::setFixedTip(m_lstvUnSupported, QStringLiteral("Directives"),
                             QStringLiteral("Unsupported Directive list"));
    layout->addWidget(m_lstvUnSupported, 2);

    auto* grid = new QGridLayout;
    m_cmbModules = new QComboBox(this);
    m_cmbModules->setObjectName(QStringLiteral("cmbModules"));
    FormSupport::setFixedTip(m_cmbModules, QStringLiteral("Modules"),
                             QStringLiteral("Select a module to list its directives"));
    m_lstDirectives = new QListWidget(this);
    m_lstDirectives->setObjectName(QStringLiteral("lstDirectives"));
    FormSupport::setFixedTip(m_lstDirectives, QStringLiteral("Directives"),
                             QStringLiteral("Directives of the selected module"));
    m_txtValue = PageWidgets::lineEdit(this, "txtValue");
    FormSupport::setFixedTip(m_txtValue, QStringLiteral("Value"),
                             QStringLiteral("Parameter value of the directive"));
    m_txtValue->installEventFilter(this);
    auto valueLabel = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    };
    m_lblDescription = valueLabel("LblDescription");
    m_lblSyntax = valueLabel("LblSyntax");
    m_lblPermitted = valueLabel("LblPermitted");
    grid->addWidget(new QLabel(QStringLiteral("Modules :"), this), 0, 0);
    grid->addWidget(m_cmbModules, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Directives :"), this), 1, 0, Qt::AlignTop);
    grid->addWidget(m_lstDirectives, 1, 1, 4, 1);
    grid->addWidget(new QLabel(QStringLiteral("Description :"), this), 0, 2, Qt::AlignTop);
    grid->addWidget(m_lblDescription, 0, 3, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Syntax :"), this), 2, 2, Qt::AlignTop);
    grid->addWidget(m_lblSyntax, 2, 3);
    grid->addWidget(new QLabel(QStringLiteral("Permitted Values :"), this), 3, 2, Qt::AlignTop);
    grid->addWidget(m_lblPermitted, 3, 3);
    grid->addWidget(new QLabel(QStringLiteral("Value :"), this), 5, 0);
    grid->addWidget(m_txtValue, 5, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cmdAdd = PageWidgets::button(this, "cmdAdd", "Add");
    m_cmdDelete = PageWidgets::button(this, "cmdDelete", "Delete");
    buttons->addWidget(m_cmdAdd);
    buttons->addWidget(m_cmdDelete);
    layout->addLayout(buttons);

    connect(m_cmbModules, &QComboBox::currentIndexChanged, this, [this] { moduleChosen(); });
    connect(m_lstDirectives, &QListWidget::currentRowChanged, this, [this] { directiveChosen(); });
    connect(m_lstvUnSupported, &QTreeWidget::itemClicked, this, [this] { rowClicked(); });
    connect(m_txtValue, &QLineEdit::textEdited, this,
            [this] { m_cmdAdd->setEnabled(m_canAdd || m_cmdAdd->text() == QLatin1String("Modify")); });
    // Enter in the value box adds or modifies the row; it does not close the sheet.
    DialogKeys::setKeepsEnter(m_txtValue);
    connect(m_txtValue, &QLineEdit::returnPressed, this, [this] { addOrModify(); });
    connect(m_cmdAdd, &QPushButton::clicked, this, [this] { addOrModify(); });
    connect(m_cmdDelete, &QPushButton::clicked, this, [this] { deleteRow(); });
}

bool ppgUnSupportedDirectives::offered(const xmldirective& e, int context)
{
    // Sections ("<Directory>", "<IfModule>" ...) are created from the
    // console's menus, never as a line of this page.
    if (e.Supported() || e.Name().empty() || e.Name().front() == '<')
        return false;
    switch (context) {
    case ServerContext:
        return e.ServerScope();
    case MainServerContext:
        return e.MainServerScope();
    case VirtualHostContext:
        return e.VirtualHostScope();
    case DirectoryContext:
    case FilesContext:
        return e.DirectoryScope();
    default:
        return false;
    }
}

const xmldirective* ppgUnSupportedDirectives::entry(const QString& name)
{
    return form().catalogue(appDir()).findDirective(TextCodec::fromQ(name));
}

void ppgUnSupportedDirectives::ResetControls()
{
    m_lstvUnSupported->clear();
    m_cmbModules->clear();
    m_lstDirectives->clear();
    m_txtValue->clear();
    m_lblDescription->clear();
    m_lblSyntax->clear();
    m_lblPermitted->clear();
    m_cmdAdd->setText(QStringLiteral("Add"));
    m_deleted.clear();
    m_context = NoContext;
}

int ppgUnSupportedDirectives::contextOf(const Directive* node) const
{
    for (const Directive* d = node; d; d = d->ParentDirective()) {
        if (d->DirectiveNo() == -1)
            return MainServerContext;
        switch (d->ScopeType()) {
        case DirectiveScop::ScopeDirectory:
        case DirectiveScop::ScopeDirectoryMatch:
        case DirectiveScop::ScopeLocation:
        case DirectiveScop::ScopeLocationMatch:
            return DirectoryContext;
        case DirectiveScop::ScopeFiles:
        case DirectiveScop::ScopeFilesMatch:
            return FilesContext;
        case DirectiveScop::ScopeVirtualHost:
            return VirtualHostContext;
        case DirectiveScop::ScopeIfModule:
            // Inside a conditional the surrounding scope decides, except at
            // the top where the old pages treated it as a directory.
            if (d == node)
                return DirectoryContext;
            break;
        default:
            break; // IfDefine and kinds the model does not nest: what they stand in
        }
    }
    return NoContext;
}

std::vector<const Directive*> ppgUnSupportedDirectives::nodeLines() const
{
    std::vector<const Directive*> out;
    const Directive* node = nodeDirective();
    const bool nested = node && node->GetCurrentScopeDirective() &&
                        node->GetCurrentScopeDirective()->GetSubType() == DirectiveScop::SubHead;
    if (isServerNode() || isMainServer() || nested) {
        for (const Directive* d : model()->GetScopeLines(scopeNo()))
            out.push_back(d);
        return out;
    }
    if (!node || !node->ParentDirective())
        return out;
    // The lines between the head and its end among the enclosing scope's
    // lines, without those of sections nested in it.
    const std::string name = UCase(node->GetCurrentScopeDirective()->GetDirScopeName());
    bool inside = false;
    std::vector<std::string> open;
    for (const Directive* d : model()->GetScopeLines(node->ParentDirective()->DirectiveNo())) {
        if (d == node) {
            inside = true;
            continue;
        }
        if (!inside)
            continue;
        const DirectiveScop* s =
            d->GetType() == Directive::TypeSection ? d->GetCurrentScopeDirective() : nullptr;
        if (s && s->GetType() == DirectiveScop::ScopeServer) {
            const std::string text = Trim(s->DirScopeString());
            const std::string sname = UCase(s->GetDirScopeName());
            if (text.rfind("</", 0) == 0) {
                if (open.empty() && sname == name)
                    break;
                if (!open.empty() && open.back() == sname)
                    open.pop_back();
            } else if (text.rfind("<", 0) == 0) {
                open.push_back(sname);
            }
            continue;
        }
        if (open.empty())
            out.push_back(d);
    }
    return out;
}

void ppgUnSupportedDirectives::LoadControls()
{
    m_canAdd = true;
    if (isServerNode())
        m_context = ServerContext;
    else if (isMainServer())
        m_context = MainServerContext;
    else if (const Directive* node = nodeDirective()) {
        m_context = contextOf(node);
        const DirectiveScop* s = node->GetCurrentScopeDirective();
        m_canAdd = s && s->GetSubType() == DirectiveScop::SubHead;
    }
    if (m_context == NoContext)
        return;
    fillModules();
    const DirbaseParser& catalogue = form().catalogue(appDir());
    for (const Directive* d : nodeLines()) {
        if (d->GetType() != Directive::TypeSimple)
            continue;
        const xmldirective* e = catalogue.findDirective(d->GetDirectiveName());
        if (!e || !offered(*e, m_context))
            continue;
        ListViewRows::addRow(m_lstvUnSupported,
                             {TextCodec::toQ(d->GetDirectiveName()), TextCodec::toQ(Trim(d->GetParamList())),
                              TextCodec::toQ(e->ModuleName())},
                             d->DirectiveNo());
    }
    m_cmdDelete->setEnabled(false);
    if (!m_canAdd)
        m_cmdAdd->setEnabled(false);
}

void ppgUnSupportedDirectives::fillModules()
{
    QStringList modules;
    std::set<std::string> seen;
    for (const xmldirective& e : form().catalogue(appDir()).GetAllDirectives())
        if (offered(e, m_context) && form().inGatedVersion(appDir(), e.Name()) &&
            seen.insert(UCase(e.ModuleName())).second)
            modules << TextCodec::toQ(e.ModuleName());
    const QSignalBlocker block(m_cmbModules);
    m_cmbModules->clear();
    m_cmbModules->addItem(kAll);
    m_cmbModules->addItems(modules);
    m_cmbModules->setCurrentIndex(0);
    moduleChosen();
}

void ppgUnSupportedDirectives::moduleChosen()
{
    const QString module = m_cmbModules->currentText();
    const QSignalBlocker block(m_lstDirectives);
    m_lstDirectives->clear();
    if (module.isEmpty() || m_context == NoContext)
        return;
    for (const xmldirective& e : form().catalogue(appDir()).GetAllDirectives())
        if (offered(e, m_context) && form().inGatedVersion(appDir(), e.Name()) &&
            (module == kAll || TextCodec::toQ(e.ModuleName()).compare(module, Qt::CaseInsensitive) == 0))
            m_lstDirectives->addItem(TextCodec::toQ(e.Name()));
}

void ppgUnSupportedDirectives::directiveChosen()
{
    QListWidgetItem* item = m_lstDirectives->currentItem();
    if (!item)
        return;
    const xmldirective* e = entry(item->text());
    if (!e)
        return;
    m_lblDescription->setText(TextCodec::toQ(e->Description()));
    m_lblPermitted->setText(TextCodec::toQ(e->Values()));
    m_lblSyntax->setText(TextCodec::toQ(e->Syntax()));
    m_txtValue->setText(TextCodec::toQ(e->DefaultValue()));
    m_cmdAdd->setText(QStringLiteral("Add"));
    m_cmdAdd->setEnabled(m_canAdd);
}

void ppgUnSupportedDirectives::rowClicked()
{
    m_txtValue->clear();
    QTreeWidgetItem* row = ListViewRows::selectedRow(m_lstvUnSupported);
    m_cmdDelete->setEnabled(row != nullptr);
    if (!row || row->text(0).isEmpty())
        return;
    m_cmdAdd->setText(QStringLiteral("Modify"));
    m_txtValue->setText(row->text(1));
    m_cmdAdd->setEnabled(true);
}

void ppgUnSupportedDirectives::addOrModify()
{
    if (m_txtValue->text().isEmpty()) {
        MessageBox::information(this, QStringLiteral("Please enter the value for the parameter"));
        return;
    }
    if (const QString problem = InputRules::checkQuotes(m_txtValue->text()); !problem.isEmpty()) {
        MessageBox::information(this, problem);
        return;
    }
    if (m_cmdAdd->text() == QLatin1String("Modify")) {
        if (QTreeWidgetItem* row = ListViewRows::selectedRow(m_lstvUnSupported)) {
            row->setText(1, m_txtValue->text().trimmed());
            setChanged();
        }
        m_cmdAdd->setText(QStringLiteral("Add"));
        return;
    }
    if (!m_canAdd)
        return;
    QListWidgetItem* chosen = m_lstDirectives->currentItem();
    const xmldirective* e = chosen ? entry(chosen->text()) : nullptr;
    if (m_cmbModules->currentIndex() < 0 || !e) {
        MessageBox::information(this, QStringLiteral("Please select a module and directive"));
        return;
    }
    QTreeWidgetItem* row = ListViewRows::addRow(
        m_lstvUnSupported,
        {TextCodec::toQ(e->Name()), m_txtValue->text().trimmed(), TextCodec::toQ(e->ModuleName())}, 0);
    ListViewRows::selectRow(m_lstvUnSupported, m_lstvUnSupported->indexOfTopLevelItem(row));
    m_cmdDelete->setEnabled(true);
    setChanged();
}

void ppgUnSupportedDirectives::deleteRow()
{
    QTreeWidgetItem* row = ListViewRows::selectedRow(m_lstvUnSupported);
    if (!row)
        return;
    const std::int32_t no = ListViewRows::rowTag(row);
    if (no > 0)
        m_deleted.push_back(no);
    ListViewRows::removeSelectedRow(m_lstvUnSupported);
    m_txtValue->clear();
    m_cmdAdd->setText(QStringLiteral("Add"));
    m_cmdDelete->setEnabled(m_lstvUnSupported->topLevelItemCount() > 0);
    setChanged();
}

bool ppgUnSupportedDirectives::SaveDirectivesFromGUI()
{
    if (m_context == NoContext)
        return false;
    ConfigFile* cf = model();
    for (int i = 0; i < m_lstvUnSupported->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = m_lstvUnSupported->topLevelItem(i);
        const std::string value = Trim(TextCodec::fromQ(row->text(1)));
        const std::int32_t no = ListViewRows::rowTag(row);
        if (no > 0) {
            Directive* d = cf->FindDirective(no);
            if (d && Trim(d->GetParamList()) != value)
                d->SetParamList(value);
            continue;
        }
        if (cf->SaveAsNewDirective(TextCodec::fromQ(row->text(0)), value, scopeNo()) == 1)
            if (Directive* added = cf->GetDirective(cf->GetDirectiveCount()))
                ListViewRows::setRowTag(row, added->DirectiveNo());
    }
    for (std::int32_t no : m_deleted)
        cf->DeleteDirective(no);
    m_deleted.clear();
    return true;
}

} // namespace corvane
