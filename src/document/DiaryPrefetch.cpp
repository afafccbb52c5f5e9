#include "document/DiaryPrefetch.h"

#include "model/DiaryFile.h"

#include <system_error>

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
        fResult = fLauncher([aFileName] { return ReadDiaryFile(aFileName); });
    } catch (const std::system_error&) {
        // Under tight limits a process may get no second thread; the file is then read where it
        // is needed, on the caller's thread, which only takes longer.
        return false;
    }
    fFileName = aFileName;
    return true;
}

std::unique_ptr<TDiary> TDiaryPrefetch::Take(const QString& aFileName)
{
    if (!fResult.valid() || aFileName != fFileName)
        return nullptr;
    fFileName.clear();
    return fResult.get(); // a read error leaves here as it would have from ReadDiaryFile
}

void TDiaryPrefetch::Discard()
{
    if (fResult.valid()) {
        fResult.wait();
        fResult = {};
    }
    fFileName.clear();
}
