#pragma once
// Asks the kernel to back a large, not yet touched buffer with huge pages.
// Reading a big configuration touches a few hundred megabytes once; with
// 4 KiB pages most of the run goes into page faults.
#include <cstddef>

namespace corvane {

class HugePages
{
public:
    // Advises the 2 MiB-aligned part of [p, p + n); small ranges are left alone.
    static void advise(const void* p, std::size_t n);
};

} // namespace corvane
