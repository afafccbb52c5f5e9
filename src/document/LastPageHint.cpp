#include "document/LastPageHint.h"

#include "util/ksDateUtils.h"

#include <QFile>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

QString TLastPageHint::ToText() const
{
    // The name last: it is the only part that may hold the separator.
    return u"%1|%2|%3|%4|%5"_s.arg(Stamp.ToText())
        .arg(DayCount)
        .arg(LastDayStart)
        .arg(QString::number(LastDate, 'g', 17), FileName);
}

std::optional<TLastPageHint> TLastPageHint::FromText(const QString& aText)
{
    const QStringList parts = aText.split(u'|');
    if (parts.size() < 5)
        return std::nullopt;
    TLastPageHint hint;
    const std::optional<TFileStamp> stamp = TFileStamp::FromText(parts[0]);
    bool countOk = false;
    bool startOk = false;
    bool dateOk = false;
    hint.DayCount = parts[1].toLongLong(&countOk);
    hint.LastDayStart = parts[2].toLongLong(&startOk);
    hint.LastDate = parts[3].toDouble(&dateOk);
    hint.FileName = parts.mid(4).join(u'|');
    if (!stamp || !countOk || !startOk || !dateOk || hint.DayCount <= 0 || hint.LastDayStart <= 0 ||
        hint.FileName.isEmpty())
        return std::nullopt;
    hint.Stamp = *stamp;
    return hint;
}

std::optional<TLastPageHint> LastPageHintOf(const QString& aFileName, const TFileStamp& aStamp, const TDiary& aDiary)
{
    if (aDiary.DB.empty() || aFileName.isEmpty())
        return std::nullopt;
    for (size_t i = 1; i < aDiary.DB.size(); ++i) {
        if (CompareDate(aDiary.DB[i - 1]->Date, aDiary.DB[i]->Date) >= 0)
            return std::nullopt;
    }
    const TDay& last = *aDiary.DB.back();
    const qint64 start = aStamp.Size - WrittenDaySize(last);
    if (start <= 0)
        return std::nullopt;
    return TLastPageHint{aFileName, aStamp, qint64(aDiary.DB.size()), start, last.Date};
}

std::optional<TDiaryDayRead> ReadDayWithHint(QFile& aFile, TDateTime aDate, const TLastPageHint& aHint)
{
    const int order = CompareDate(aDate, aHint.LastDate);
    if (order < 0 || StampOf(aFile) != aHint.Stamp || !aFile.seek(0))
        return std::nullopt;
    std::optional<TDiaryDayRead> read = ReadDiaryLastDay(aFile, aHint.LastDayStart, aHint.DayCount);
    if (!read || read->Day->Date != aHint.LastDate)
        return std::nullopt;
    if (order > 0)
        read->Day.reset(); // the dates ascend: no page comes after the last
    return read;
}
