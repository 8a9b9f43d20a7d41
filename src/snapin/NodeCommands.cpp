#include "snapin/NodeCommands.h"

#include "host/ConsoleHost.h"
#include "host/MessageBox.h"
#include "host/PropertySheet.h"
#include "host/ResultItem.h"
#include "host/ResultView.h"
#include "host/ScopeItem.h"
#include "host/SelectedItem.h"
#include "host/Selection.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/EditSession.h"
#include "model/ModelProcedures.h"
#include "snapin/LoadedServers.h"
#include "snapin/NodeText.h"
#include "snapin/ScopeScanner.h"
#include "snapin/SectionEditor.h"
#include "snapin/SectionTypes.h"
#include "snapin/TreeBuilder.h"
#include "snapin/frmNewNode.h"

namespace corvane::snapin {

NodeCommands::NodeCommands(ConsoleHost& host, LoadedServers& servers, TreeBuilder& builder)
    : m_host(host), m_servers(servers), m_builder(builder)
{
}

QString NodeCommands::dialogCaption(SectionKind kind)
{
    switch (kind) {
    case SectionKind::VirtualHost:
        return QStringLiteral("New Virtual Host");
    case SectionKind::Directory:
        return QStringLiteral("New Directory");
    case SectionKind::Location:
        return QStringLiteral("New Location");
    case SectionKind::IfModule:
        return QStringLiteral("New IfModule");
    case SectionKind::Files:
        return QStringLiteral("New File");
    }
    return {};
}

QString NodeCommands::dialogLabel(SectionKind kind)
{
    switch (kind) {
    case SectionKind::VirtualHost:
        return QStringLiteral("Virtual Host Name:");
    case SectionKind::Directory:
        return QStringLiteral("Directory Name:");
    case SectionKind::Location:
        return QStringLiteral("Location Name:");
    case SectionKind::IfModule:
        return QStringLiteral("Module Name:");
    case SectionKind::Files:
        return QStringLiteral("File Name:");
    }
    return {};
}

QString NodeCommands::emptyNameMessage(SectionKind kind)
{
    switch (kind) {
    case SectionKind::VirtualHost:
        return QStringLiteral("Virtual host name cannot be empty");
    case SectionKind::Directory:
        return QStringLiteral("Directory name cannot be empty");
    case SectionKind::Location:
        return QStringLiteral("Location name cannot be empty");
    case SectionKind::IfModule:
        return QStringLiteral("Module name cannot be empty");
    case SectionKind::Files:
        return QStringLiteral("Filename cannot be empty");
    }
    return {};
}

QString NodeCommands::listenQuestion(const QString& port)
{
    return QStringLiteral("Server is not listening on the port ") + port +
           QStringLiteral(" !\r\nDo you want to add this port ?");
}

int NodeCommands::sectionType(const ConfigFile& config, int number) const
{
    return ScopeScanner::sectionType(config, number);
}

std::int32_t NodeCommands::addSection(SectionKind kind, ConfigFile& config, const std::string& text,
                                      int parentTag)
{
    const std::string quoted = "\"" + text + "\"";
    switch (kind) {
    case SectionKind::VirtualHost:
        return SectionEditor::AddVirtualHostSection(config, text);
    case SectionKind::Directory:
        return SectionEditor::AddDirectorySection(config, quoted, parentTag);
    case SectionKind::Location:
        return SectionEditor::AddLocationSection(config, quoted, parentTag);
    case SectionKind::IfModule:
        return SectionEditor::AddIfModuleSection(config, quoted, parentTag);
    case SectionKind::Files:
        return SectionEditor::AddFilesSection(config, quoted, parentTag);
    }
    return -1;
}

void NodeCommands::askForListen(ConfigFile& config, const std::string& address)
{
    // A virtual host may name several addresses, and may quote them: each
    // numeric port is checked on its own, so that no quote or second address
    // ever ends up in a Listen line.
    for (const std::string& token : splitBlanks(removeQuotes(address))) {
        const std::string port = GetPortFromAddress(token);
        if (port.empty() || port.find_first_not_of("0123456789") != std::string::npos)
            continue;
        if (config.IsPortExists(port))
            continue;
        if (MessageBox::question(m_host.dialogParent(), listenQuestion(toDisplay(port))) == QMessageBox::Yes)
            config.SaveAsNewDirective("Listen", port, -1);
    }
}

bool NodeCommands::commit(ConfigFile& config, const EditChange& change)
{
    // The caller has just reloaded the model from the snapshot.
    const EditOutcome outcome = commitEdit(config, change, false);
    if (outcome.ok()) {
        if (outcome.written() && m_onWritten)
            m_onWritten(config);
        return outcome.written();
    }
    // Nothing on disk changed and the model is back to what the snapshot
    // holds; the tree is brought back to it too.
    QString message = QString::fromStdString(outcome.message);
    if (outcome.status == EditOutcome::Failed)
        message += QStringLiteral("\nThe change was not saved: ") + QString::fromStdString(config.FileName());
    if (!message.isEmpty())
        MessageBox::warning(m_host.dialogParent(), message);
    m_builder.syncServer(config);
    return false;
}

void NodeCommands::newSection(SectionKind kind, ScopeItem& item)
{
    const QString path = item.itemName();
    ConfigFile* config = m_servers.FindConfigFile(path);
    m_servers.setCurrentConfig(config);
    if (!config)
        return;
    config->DeSerialize();
    if (kind != SectionKind::VirtualHost && item.nodeTag() < kMainServerTag)
        return;

    frmNewNode dialog(m_host.dialogParent());
    dialog.setCaption(dialogCaption(kind));
    dialog.setLabel(dialogLabel(kind));
    dialog.setQuotesKept(kind == SectionKind::VirtualHost);
    dialog.exec();

    QString text = trimBlanks(dialog.text());
    if (kind != SectionKind::VirtualHost)
        text = trimBlanks(removeQuotes(text));
    if (!dialog.confirmed())
        return;
    if (text.isEmpty()) {
        MessageBox::information(m_host.dialogParent(), emptyNameMessage(kind));
        return;
    }
    // The dialog already refused these; names can also come from scripts.
    if (!frmNewNode::invalidNameReason(text, kind == SectionKind::VirtualHost).isEmpty())
        return;

    // The tree may have been rebuilt while the dialog was open.
    config = m_servers.FindConfigFile(path);
    if (!config || !m_host.contains(&item))
        return;
    m_servers.setCurrentConfig(config);
    const std::string bytes = fromDisplay(text);
    config->DeSerialize();
    std::int32_t number = 0;
    const bool written = commit(*config, [&](ConfigFile& model, std::string&) {
        number = addSection(kind, model, bytes, item.nodeTag());
        if (number < 1)
            return false;
        if (kind == SectionKind::VirtualHost)
            askForListen(model, bytes);
        return true;
    });
    if (!written || number < 1)
        return;

    if (kind != SectionKind::Files) {
        if (item.hasBeenExpanded() || item.childCount() > 0) {
            const NodeKind nodeKind = kind == SectionKind::VirtualHost ? NodeKind::VirtualHost
                                      : kind == SectionKind::Directory ? NodeKind::Directory
                                      : kind == SectionKind::Location  ? NodeKind::Location
                                                                       : NodeKind::IfModule;
            // Named exactly as an expansion of the node will name it.
            const DirectiveScop* scope = config->FindDirective(number)->GetCurrentScopeDirective();
            const std::string name = nodeKind == NodeKind::VirtualHost
                                         ? ScopeScanner::virtualHostName(*config, number, *scope)
                                         : ScopeScanner::argumentName(*scope);
            m_builder.addChildNode(item, *config, {nodeKind, number, name, {}, {}});
        } else {
            m_host.expand(item);
        }
    }
    if (kind == SectionKind::Files)
        m_host.redisplayResultView();
}

void NodeCommands::deleteSelection(const Selection& selection)
{
    if (MessageBox::question(m_host.dialogParent(), QString::fromLatin1(kDeleteQuestion)) != QMessageBox::Yes)
        return;

    if (selection.isSingleListItem()) {
        ResultItem* item = selection.firstListItem();
        const int number = item->nodeTag();
        if (number < 1 || trimBlanks(item->itemName()).isEmpty())
            return;
        ConfigFile* config = m_servers.FindConfigFile(item->itemName());
        m_servers.setCurrentConfig(config);
        if (!config)
            return;
        config->DeSerialize();
        if (sectionType(*config, number) != kScopeFiles)
            return;
        if (commit(*config,
                   [number](ConfigFile& model, std::string&) { return model.DeleteDirective(number); }))
            m_host.redisplayResultView();
        return;
    }

    if (!selection.isSingleScopeItem())
        return;
    ScopeItem* item = selection.firstScopeItem();
    const int number = item->nodeTag();
    const QString path = item->itemName();
    if (number < 1 || trimBlanks(path).isEmpty())
        return;
    ConfigFile* config = m_servers.FindConfigFile(path);
    m_servers.setCurrentConfig(config);
    if (!config)
        return;
    config->DeSerialize();
    if (!isNodeSectionType(sectionType(*config, number)))
        return;
    if (!commit(*config, [number](ConfigFile& model, std::string&) { return model.DeleteDirective(number); }))
        return;
    config = m_servers.ReloadFromSnapshot(path);
    ScopeItem* parent = item->parent();
    if (!parent || !config)
        return;
    // The siblings are rebuilt from the model, in file order.
    m_host.removeChildren(*parent);
    if (parent->nodeTag() == kMainServerTag)
        m_builder.ExpandMainServer(*parent, *config);
    else
        m_builder.ExpandSectionNode(*parent, *config);
}

void NodeCommands::renameScopeItem(ScopeItem& item, const QString& newName)
{
    ConfigFile* config = m_servers.FindConfigFile(item.itemName());
    m_servers.setCurrentConfig(config);
    if (!config)
        return;
    config->DeSerialize();
    const int type = sectionType(*config, item.nodeTag());
    if (type != kScopeDirectory && type != kScopeLocation && type != kScopeIfModule)
        return;
    DirectiveScop* scope = config->FindDirective(item.nodeTag())->GetCurrentScopeDirective();
    if (!scope || scope->GetParamCount() <= 0)
        return;
    const QString name = trimBlanks(removeQuotes(newName));
    if (name.isEmpty())
        return;
    const QString reason = frmNewNode::invalidNameReason(name, false);
    if (!reason.isEmpty()) {
        MessageBox::information(m_host.dialogParent(), reason);
        return;
    }
    const int number = item.nodeTag();
    const std::string param = "\"" + fromDisplay(name) + "\"";
    if (!commit(*config, [&](ConfigFile& model, std::string&) {
            DirectiveScop* s = model.FindDirective(number)->GetCurrentScopeDirective();
            return s && s->SetParam(param, 1);
        }))
        return;
    item.setDisplayName(name);
    item.setRowText(1, name);
}

void NodeCommands::renameFilesItem(ResultItem& item, const QString& newName)
{
    ConfigFile* config = m_servers.FindConfigFile(item.itemName());
    m_servers.setCurrentConfig(config);
    if (!config)
        return;
    config->DeSerialize();
    if (sectionType(*config, item.nodeTag()) != kScopeFiles)
        return;
    DirectiveScop* scope = config->FindDirective(item.nodeTag())->GetCurrentScopeDirective();
    if (!scope || scope->GetParamCount() < 1)
        return;
    if (trimBlanks(newName).isEmpty())
        return;
    const QString reason = frmNewNode::invalidNameReason(newName, true);
    if (!reason.isEmpty()) {
        MessageBox::information(m_host.dialogParent(), reason);
        return;
    }
    const int index = trimBlanks(scope->GetParam(1)) == "~" ? 2 : 1;
    const int number = item.nodeTag();
    const std::string param = fromDisplay(newName);
    if (!commit(*config, [&](ConfigFile& model, std::string&) {
            DirectiveScop* s = model.FindDirective(number)->GetCurrentScopeDirective();
            return s && s->SetParam(param, index);
        }))
        return;
    item.setText(newName);
    item.setRowText(1, newName);
    item.setRowText(2, QStringLiteral("File"));
}

} // namespace corvane::snapin
