#pragma once
// Lists of millions of pairs: hundreds of megabytes written once from front
// to back. Room for them is taken in pages of 2 MiB where the system offers
// them (512 times fewer faults to serve), and the pages are made ready on
// several threads at once, so that the kernel's zeroing of fresh memory is
// shared out as the work that fills them is.

#include <cstddef>
#include <vector>

namespace ostrel {

// Below this many bytes nothing is worth a hint or a thread.
inline constexpr std::size_t kLargeListBytes = std::size_t{32} << 20;

// How many threads share the work on one large list (at least 1, at most 4).
unsigned LargeListThreads();

// Ask for large pages over [data, data + bytes) and fault them in on
// `threads` threads. Only hints: nothing changes where they are not taken.
void PrepareLargeMemory(void* data, std::size_t bytes, unsigned threads);

// Reserve room for n elements of a list that is about to be filled.
template <class T> void ReserveLarge(std::vector<T>& list, std::size_t n) {
    list.reserve(n);
    if (n * sizeof(T) >= kLargeListBytes)
        PrepareLargeMemory(list.data() + list.size(), (n - list.size()) * sizeof(T),
                           LargeListThreads());
}

} // namespace ostrel
