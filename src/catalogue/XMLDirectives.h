#pragma once
// The catalogue's entries in file order. Indexes are 1-based, as the pages
// that walk the catalogue count them.
#include "catalogue/xmldirective.h"

#include <vector>

namespace corvane {

class XMLDirectives
{
public:
    void Add(const xmldirective& entry) { m_items.push_back(entry); }
    // Entry at 1-based index; nullptr outside 1..Count().
    const xmldirective* Item(int index) const;
    int Count() const { return static_cast<int>(m_items.size()); }
    // Removes the entry at 1-based index; returns false outside 1..Count().
    bool Remove(int index);
    void Clear() { m_items.clear(); }

    // In-order iteration (range-for).
    std::vector<xmldirective>::const_iterator begin() const { return m_items.begin(); }
    std::vector<xmldirective>::const_iterator end() const { return m_items.end(); }

private:
    std::vector<xmldirective> m_items;
};

} // namespace corvane
