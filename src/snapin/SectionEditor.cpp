#include "snapin/SectionEditor.h"

#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "snapin/NodeText.h"

#include <memory>

namespace corvane::snapin {

std::int32_t SectionEditor::addSection(ConfigFile& config, const std::string& keyword, const std::string& argument,
                                       std::int32_t parentNo)
{
    Directive* parent = parentNo == -1 ? config.GetServerDirective() : config.FindDirective(parentNo);
    if (!parent)
        return -1;

    auto head = std::make_unique<Directive>("<" + keyword + " " + argument + ">");
    head->SetParentDirective(parent);
    Directive* headRaw = head.get();
    if (!config.AddDirective(std::move(head)))
        return -1;

    auto end = std::make_unique<Directive>("</" + keyword + ">");
    end->SetParentDirective(headRaw);
    config.AddDirective(std::move(end));
    return headRaw->DirectiveNo();
}

std::int32_t SectionEditor::AddVirtualHostSection(ConfigFile& config, const std::string& name)
{
    return addSection(config, "VirtualHost", name, -1);
}

std::int32_t SectionEditor::AddDirectorySection(ConfigFile& config, const std::string& argument,
                                                std::int32_t parentNo)
{
    return addSection(config, "Directory", trimBlanks(argument), parentNo);
}

std::int32_t SectionEditor::AddLocationSection(ConfigFile& config, const std::string& argument,
                                               std::int32_t parentNo)
{
    return addSection(config, "Location", trimBlanks(argument), parentNo);
}

std::int32_t SectionEditor::AddIfModuleSection(ConfigFile& config, const std::string& argument,
                                               std::int32_t parentNo)
{
    return addSection(config, "IfModule", trimBlanks(argument), parentNo);
}

std::int32_t SectionEditor::AddFilesSection(ConfigFile& config, const std::string& argument, std::int32_t parentNo)
{
    return addSection(config, "Files", trimBlanks(argument), parentNo);
}

} // namespace corvane::snapin
