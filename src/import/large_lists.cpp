#include "import/large_lists.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <thread>

#include <sys/mman.h>

namespace ostrel {

unsigned LargeListThreads() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
}

void PrepareLargeMemory(void* data, std::size_t bytes, unsigned threads) {
#if defined(MADV_HUGEPAGE) && defined(MADV_POPULATE_WRITE)
    constexpr std::uintptr_t kLarge = std::uintptr_t{2} << 20;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kLarge - 1);
    if (end <= begin)
        return;
    ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    // Whole large pages per thread.
    const std::uintptr_t pages = (end - begin) / kLarge;
    threads = static_cast<unsigned>(std::min<std::uintptr_t>(std::max(threads, 1u), pages));
    auto populate = [&](unsigned k) {
        const std::uintptr_t from = begin + pages * k / threads * kLarge;
        const std::uintptr_t to = begin + pages * (k + 1) / threads * kLarge;
        ::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
    };
    std::vector<std::thread> helpers;
    for (unsigned k = 1; k < threads; ++k) {
        try {
            helpers.emplace_back(populate, k);
        } catch (const std::system_error&) {
            populate(k); // no thread to be had: here, then
        }
    }
    populate(0);
    for (auto& h : helpers)
        h.join();
#else
    (void)data;
    (void)bytes;
    (void)threads;
#endif
}

} // namespace ostrel
