#pragma once

#include "model/DiaryFile.h"
#include "model/Records.h"
#include "util/FileAccess.h"

#include <QString>

#include <optional>

class QFile;

// Where the last page of a diary file begins, as this program last read or wrote the file. The
// window opens on today, which in a diary kept every day is the file's last page or the first one
// after it; with this the start reads that page (or knows there is none) without stepping over the
// ten years before it. It holds only for the very bytes it was made from, which the file's stamp
// tells; the page is read from the file all the same and checked against it, and where anything
// does not fit the file is read the long way.
struct TLastPageHint {
    QString FileName;
    TFileStamp Stamp;
    qint64 DayCount = 0;
    qint64 LastDayStart = 0;
    TDateTime LastDate = 0;

    bool operator==(const TLastPageHint&) const = default;
    // One line of text for the settings store, and back; nullopt for a text that is none.
    QString ToText() const;
    static std::optional<TLastPageHint> FromText(const QString& aText);
};

// The hint for the file aFileName with aStamp, which holds aDiary as written in the current
// version. nullopt where no hint can help: a diary without pages, or pages whose dates do not
// ascend (then another page may share the last one's date, or come after it in time).
std::optional<TLastPageHint> LastPageHintOf(const QString& aFileName, const TFileStamp& aStamp, const TDiary& aDiary);

// The page of aDate as ReadDiaryDay finds it, from aFile (open for reading) with the help of
// aHint: the last page when aDate is its date, none when aDate comes after it. nullopt when the
// hint cannot tell (another file, the file written since, an earlier date) or the file does not
// bear it out; the file's position is then undefined.
std::optional<TDiaryDayRead> ReadDayWithHint(QFile& aFile, TDateTime aDate, const TLastPageHint& aHint);
