// Fuzzes the task import: any bytes must either import every row or throw EConvertError with the
// diary left exactly as it was, without a crash, a hang or undefined behaviour.
//
// Run for N seconds after building as for fuzz_diary_reader (see that file):
//   ./build-fuzz/fuzz/fuzz_task_import -max_total_time=N -rss_limit_mb=2048 build-fuzz/import-corpus fuzz/import-corpus

#include "exchange/TaskImport.h"
#include "FuzzSupport.h"
#include "model/DiaryFile.h"
#include "util/Errors.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    const QByteArray bytes(reinterpret_cast<const char*>(aData), qsizetype(aSize));
    TDiary diary;
    diary.GetDay(EncodeDate(QDate(2024, 5, 1)))->Thoughts = QStringLiteral("kept");
    const QByteArray before = SavedBytes(diary);
    for (const bool endOnly : {false, true}) {
        try {
            ImportTasks(diary, bytes, endOnly);
        } catch (const EConvertError&) {
            if (SavedBytes(diary) != before)
                std::abort(); // a failed import must leave no trace
        }
    }
    return 0;
}
