#include "model/HugePages.h"

#include <sys/mman.h>

#include <cstdint>

namespace corvane {

void HugePages::advise(const void* p, std::size_t n)
{
    constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t first = (begin + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t last = (begin + n) & ~(kHuge - 1);
    if (!p || last <= first)
        return;
    // Only advice: a kernel without transparent huge pages just says no.
    (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

} // namespace corvane
