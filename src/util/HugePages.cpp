#include "util/HugePages.h"

#include <cstdint>
#include <cstdlib> // before the test below: it defines __GLIBC__

#if defined(__GLIBC__) && defined(__linux__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#if defined(__GLIBC__) && defined(__linux__) && __GLIBC_PREREQ(2, 33)
namespace {
void* UnusedHeapStretch = nullptr; // UseHugePagesForTheMainHeap's
} // namespace
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
    // The heap starts wherever the system put it, seldom on a huge page's boundary, and a huge
    // page only fills a whole aligned stretch: what start-up allocates below the first boundary
    // would lie in small pages, a few hundred faults. That stretch is taken by one block that is
    // never used (address space only; its pages are not touched), so that what follows begins on
    // the boundary. Should the block not land at the heap's free top, it is given back, and
    // nothing changed. It comes after the mark: a page touched before the mark stays small, and so
    // does the rest of its huge page's stretch.
#if __GLIBC_PREREQ(2, 33)
    if (first) {
        constexpr std::uintptr_t HugePage = std::uintptr_t(2) << 20;
        constexpr std::uintptr_t Head = 2 * sizeof(std::size_t); // glibc's chunk head, before a block
        // The free top is the heap's last chunk, whose size is what a trim could give back.
        const std::uintptr_t top = reinterpret_cast<std::uintptr_t>(sbrk(0)) - mallinfo2().keepcost;
        const std::uintptr_t boundary = (top + 2 * Head + HugePage - 1) & ~(HugePage - 1);
        // A block's chunk is its size and one word, rounded up to the head's size: this one ends
        // on the boundary.
        void* const pad = std::malloc(boundary - top - sizeof(std::size_t));
        if (reinterpret_cast<std::uintptr_t>(pad) == top + Head)
            UnusedHeapStretch = pad; // kept, so that it never counts as lost
        else
            std::free(pad);
    }
#endif
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
