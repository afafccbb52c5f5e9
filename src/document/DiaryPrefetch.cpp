#include "document/DiaryPrefetch.h"

#include "document/FileFingerprint.h"
#include "model/DiaryCopy.h"
#include "util/Errors.h"
#include "util/FileAccess.h"
#include "util/HugePages.h"
#include "util/ksDateUtils.h"

#include <QFile>
#include <QScopeGuard>

#include <system_error>

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
                                                     const std::optional<TLastPageHint>& aHint, TShared& aShared)
{
    // Reading a large diary touches tens of megabytes of fresh memory.
    UseHugePagesForThisThreadsHeap();
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
    try {
        OpenDiaryFile(file);
    } catch (...) {
        if (aFirstDay)
            aShared.Day.set_exception(std::current_exception());
        throw;
    }
    if (aFirstDay) {
        try {
            std::optional<TDiaryDayRead> quick;
            if (aHint && aHint->FileName == aFileName) {
                quick = ReadDayWithHint(file, *aFirstDay, *aHint);
                if (!quick && !file.seek(0))
                    throw StreamReadError();
            }
            aShared.Day.set_value(quick ? std::move(*quick) : ReadDiaryDay(file, *aFirstDay));
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
    std::unique_ptr<TDiary> diary = ReadDiaryFileWithFingerprint(file, aFileName, aShared.Fingerprint, &aShared.Stamp);
    // Shares every text and picture with the diary, so it costs the numbers alone, and not on the
    // window's thread.
    aShared.Base = CopyDiary(*diary);
    return diary;
}

bool TDiaryPrefetch::Start(const QString& aFileName, std::optional<TDateTime> aFirstDay,
                           std::optional<TLastPageHint> aHint)
{
    Discard();
    auto shared = std::make_shared<TShared>();
    std::future<TDiaryDayRead> day = shared->Day.get_future();
    try {
        fResult = fLauncher([aFileName, aFirstDay, hint = std::move(aHint), shared] {
            return ReadInStages(aFileName, aFirstDay, hint, *shared);
        });
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
                                             std::shared_ptr<const TDiary>* aBase, std::optional<TFileStamp>* aStamp)
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
    if (aStamp)
        *aStamp = fShared->Stamp;
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
