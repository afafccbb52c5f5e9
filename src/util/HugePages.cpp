#include "util/HugePages.h"

#include <cstdint>
#include <cstdlib> // before the test below: it defines __GLIBC__

#if defined(__GLIBC__) && defined(__linux__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

void UseHugePagesForTheMainHeap() noexcept
{
#if defined(__GLIBC__) && defined(__linux__)
    // Heaps grow in steps of 32 MiB (address space only; pages are touched as they are used), so
    // that a thread's arena and the main heap have room for huge pages. Large blocks (the window's
    // back buffer, a decoded picture) come from the heap rather than from mappings of their own.
    constexpr std::size_t TopPad = std::size_t(32) << 20;
    constexpr std::size_t Ahead = std::size_t(48) << 20;
    mallopt(M_TOP_PAD, int(TopPad));
    mallopt(M_MMAP_THRESHOLD, int(TopPad));
    mallopt(M_TRIM_THRESHOLD, int(2 * TopPad));
    // The break moves once, past what start-up needs, and that stretch is marked: a later move
    // would make a stretch of its own without the mark.
    void* const first = std::malloc(1);
    if (void* const grow = std::malloc(Ahead - TopPad))
        std::free(grow);
    const std::uintptr_t page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const std::uintptr_t from = (reinterpret_cast<std::uintptr_t>(first) + page - 1) & ~(page - 1);
    const std::uintptr_t to = reinterpret_cast<std::uintptr_t>(sbrk(0)) & ~(page - 1);
    if (first && to > from)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
    std::free(first);
#endif
}

void UseHugePagesForThisThreadsHeap() noexcept
{
#if defined(__GLIBC__) && defined(__linux__)
    constexpr std::uintptr_t ArenaReservation = std::uintptr_t(64) << 20;
    if (void* probe = std::malloc(1)) {
        const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(probe);
        // A thread that shares the main heap (below the break) has no arena of that kind: the
        // aligned stretch around it would be other mappings.
        const bool mainHeap = address < reinterpret_cast<std::uintptr_t>(sbrk(0));
        if (!mainHeap)
            madvise(reinterpret_cast<void*>(address & ~(ArenaReservation - 1)), ArenaReservation, MADV_HUGEPAGE);
        std::free(probe);
    }
#endif
}
