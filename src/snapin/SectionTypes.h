#pragma once
// Tags and section kinds shared by the node builders, the commands and the
// page dispatch.

namespace corvane::snapin {

// Node tags that are not directive numbers.
constexpr int kServerTag = -2;
constexpr int kMainServerTag = -1;

// Scope types of section lines, as the model classifies them.
constexpr int kScopeDirectory = 0;
constexpr int kScopeDirectoryMatch = 1;
constexpr int kScopeFiles = 2;
constexpr int kScopeFilesMatch = 3;
constexpr int kScopeLocation = 4;
constexpr int kScopeLocationMatch = 5;
constexpr int kScopeVirtualHost = 6;
constexpr int kScopeEntireServer = 7;
constexpr int kScopeIfDefine = 8;
constexpr int kScopeIfModule = 9;
// What the section type query answers for a number that is no live section.
constexpr int kScopeNone = 10;

// Sections shown as scope nodes (and hence deletable and with pages).
constexpr bool isNodeSectionType(int t)
{
    return t == kScopeDirectory || t == kScopeLocation || t == kScopeVirtualHost || t == kScopeIfModule;
}

} // namespace corvane::snapin
