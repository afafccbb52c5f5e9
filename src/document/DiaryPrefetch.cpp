#include "document/DiaryPrefetch.h"

#include "document/FileFingerprint.h"
#include "model/DiaryCopy.h"
#include "util/Errors.h"
#include "util/FileAccess.h"
#include "util/ksDateUtils.h"

#include <QFile>
#include <QScopeGuard>

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
    Discard();
}

std::unique_ptr<TDiary> TDiaryPrefetch::ReadInStages(const QString& aFileName, std::optional<TDateTime> aFirstDay,
                                                     TShared& aShared)
{
    PrepareHeapForLargeRead();
    const auto remind = qScopeGuard([&aShared] {
        std::function<void()> whenRead;
        {
            const std::lock_guard lock(aShared.Mutex);
            whenRead = std::move(aShared.WhenRead);
        }
        if (whenRead)
            whenRead();
    });
    QFile file(aFileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        auto error = std::make_exception_ptr(CannotOpenFileError(aFileName, file.errorString()));
        if (aFirstDay)
            aShared.Day.set_exception(error);
        std::rethrow_exception(error);
    }
    if (aFirstDay) {
        try {
            aShared.Day.set_value(ReadDiaryDay(file, *aFirstDay));
        } catch (...) {
            // The whole read would fail the same way: the file is refused once, for both.
            aShared.Day.set_exception(std::current_exception());
            throw;
        }
        std::unique_lock lock(aShared.Mutex);
        aShared.Woken.wait(lock, [&aShared] { return aShared.Go || aShared.Dropped; });
        if (aShared.Dropped)
            return nullptr;
    }
    // The fingerprint is taken here, on the reading thread, from the bytes as they pass: the
    // window's thread never hashes the file at start. The same open file: whatever replaced the
    // file since the first stage, these are the bytes it read from.
    if (!file.seek(0))
        throw StreamReadError();
    std::unique_ptr<TDiary> diary = ReadDiaryFileWithFingerprint(file, aFileName, aShared.Fingerprint);
    // Shares every text and picture with the diary, so it costs the numbers alone, and not on the
    // window's thread.
    aShared.Base = CopyDiary(*diary);
    return diary;
}

bool TDiaryPrefetch::Start(const QString& aFileName, std::optional<TDateTime> aFirstDay)
{
    Discard();
    auto shared = std::make_shared<TShared>();
    std::future<TDiaryDayRead> day = shared->Day.get_future();
    try {
        fResult = fLauncher([aFileName, aFirstDay, shared] { return ReadInStages(aFileName, aFirstDay, *shared); });
    } catch (const std::system_error&) {
        // Under tight limits a process may get no second thread; the file is then read where it
        // is needed, on the caller's thread, which only takes longer.
        return false;
    }
    fShared = std::move(shared);
    fDay = std::move(day);
    fFileName = aFileName;
    fFirstDay = aFirstDay;
    return true;
}

std::optional<TDiaryDayRead> TDiaryPrefetch::TakeDay(const QString& aFileName, TDateTime aFirstDay)
{
    if (!IsPending(aFileName) || !fFirstDay || !SameDate(*fFirstDay, aFirstDay) || !fDay.valid())
        return std::nullopt;
    return fDay.get();
}

void TDiaryPrefetch::Continue()
{
    if (!fShared)
        return;
    {
        const std::lock_guard lock(fShared->Mutex);
        fShared->Go = true;
    }
    fShared->Woken.notify_all();
}

void TDiaryPrefetch::SetWhenRead(std::function<void()> aWhenRead)
{
    if (!fShared)
        return;
    const std::lock_guard lock(fShared->Mutex);
    fShared->WhenRead = std::move(aWhenRead);
}

std::unique_ptr<TDiary> TDiaryPrefetch::Take(const QString& aFileName, TFileFingerprint* aFingerprint,
                                             std::shared_ptr<const TDiary>* aBase)
{
    if (!IsPending(aFileName))
        return nullptr;
    Continue();
    // Whatever happens below, nothing of this read stays pending.
    const auto done = qScopeGuard([this] { Forget(); });
    std::unique_ptr<TDiary> diary = fResult.get(); // a read error leaves here as it would have from ReadDiaryFile
    if (aFingerprint)
        *aFingerprint = fShared->Fingerprint;
    if (aBase)
        *aBase = fShared->Base;
    return diary;
}

void TDiaryPrefetch::Discard()
{
    if (fShared) {
        {
            const std::lock_guard lock(fShared->Mutex);
            fShared->Dropped = true;
            fShared->WhenRead = nullptr;
        }
        fShared->Woken.notify_all();
    }
    if (fResult.valid())
        fResult.wait();
    Forget();
}

void TDiaryPrefetch::Forget()
{
    fResult = {};
    fDay = {};
    fShared.reset();
    fFileName.clear();
    fFirstDay.reset();
}
