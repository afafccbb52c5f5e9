#include "document/DiaryPrefetch.h"

#include "document/FileFingerprint.h"

#include <system_error>

#if defined(__GLIBC__) && defined(__linux__)
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#endif

namespace {

// A large diary is tens of thousands of texts, and reading it touches tens of megabytes of fresh
// memory. On the virtual machines the program often runs on, each first touch of a 4 KiB page costs
// some ten microseconds, which made the read of a ten-year diary the larger part of the start.
// This thread allocates from a malloc arena of its own (glibc reserves it 64 MiB-aligned and grows
// it in place); letting that arena use transparent huge pages turns thousands of page faults into a
// few, once the program lets arenas grow in steps large enough for them (main() does). It is a
// hint: where it does not apply, the read is only slower.
void PrepareHeapForLargeRead() noexcept
{
#if defined(__GLIBC__) && defined(__linux__)
    constexpr std::uintptr_t ArenaReservation = std::uintptr_t(64) << 20;
    if (void* probe = std::malloc(1)) {
        const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(probe) & ~(ArenaReservation - 1);
        madvise(reinterpret_cast<void*>(base), ArenaReservation, MADV_HUGEPAGE);
        std::free(probe);
    }
#endif
}

} // namespace

TDiaryPrefetch::TDiaryPrefetch(TLauncher aLauncher) : fLauncher(std::move(aLauncher))
{
    if (!fLauncher)
        fLauncher = [](TRead aRead) { return std::async(std::launch::async, std::move(aRead)); };
}

TDiaryPrefetch::~TDiaryPrefetch()
{
    if (fResult.valid())
        fResult.wait();
}

bool TDiaryPrefetch::Start(const QString& aFileName)
{
    Discard();
    try {
        // The fingerprint is taken here, on the reading thread, from the bytes as they pass: the
        // window's thread never hashes the file at start. It is written before the read's result
        // and read only after taking it, so the future orders the two.
        fResult = fLauncher([aFileName, fingerprint = &fFingerprint] {
            PrepareHeapForLargeRead();
            return ReadDiaryFileWithFingerprint(aFileName, *fingerprint);
        });
    } catch (const std::system_error&) {
        // Under tight limits a process may get no second thread; the file is then read where it
        // is needed, on the caller's thread, which only takes longer.
        return false;
    }
    fFileName = aFileName;
    return true;
}

std::unique_ptr<TDiary> TDiaryPrefetch::Take(const QString& aFileName, TFileFingerprint* aFingerprint)
{
    if (!fResult.valid() || aFileName != fFileName)
        return nullptr;
    fFileName.clear();
    std::unique_ptr<TDiary> diary = fResult.get(); // a read error leaves here as it would have from ReadDiaryFile
    if (aFingerprint)
        *aFingerprint = fFingerprint;
    return diary;
}

void TDiaryPrefetch::Discard()
{
    if (fResult.valid()) {
        fResult.wait();
        fResult = {};
    }
    fFileName.clear();
}
