#include "document/DiaryPrefetch.h"

#include "model/DiaryFile.h"

TDiaryPrefetch::~TDiaryPrefetch()
{
    if (fResult.valid())
        fResult.wait();
}

void TDiaryPrefetch::Start(const QString& aFileName)
{
    if (fResult.valid())
        fResult.wait();
    fFileName = aFileName;
    fResult = std::async(std::launch::async, [aFileName] { return ReadDiaryFile(aFileName); });
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
