#include "model/Records.h"

#include "model/DayFields.h"

#include <algorithm>
#include <limits>

const QString TDiary::DefaultCopyright = QStringLiteral("Kestrova diary file - Copyright (c) Orvanta");

TDay* TDiary::GetDay(TDateTime aDate)
{
    return Put(aDate, nullptr);
}

TDay* TDiary::PutDay(std::unique_ptr<TDay> aDay)
{
    const TDateTime date = aDay->Date;
    return Put(date, &aDay);
}

TDay* TDiary::Put(TDateTime aDate, std::unique_ptr<TDay>* aDay)
{
    // One walk finds the match and learns whether the list is in date order, which it is unless a
    // file brought its days unsorted.
    // Each page's date is read once: the walk runs on every switch of the day shown.
    const qint64 wanted = DatePart(aDate);
    bool sorted = true;
    qint64 previous = std::numeric_limits<qint64>::min();
    for (size_t i = 0; i < DB.size(); ++i) {
        const qint64 date = DatePart(DB[i]->Date);
        if (date == wanted) {
            if (aDay)
                DB[i] = std::move(*aDay);
            return DB[i].get();
        }
        if (date < previous)
            sorted = false;
        previous = date;
    }
    std::unique_ptr<TDay> created = aDay ? std::move(*aDay) : std::make_unique<TDay>(aDate);
    TDay* const result = created.get();
    const auto byDate = [](const std::unique_ptr<TDay>& a, const std::unique_ptr<TDay>& b) {
        return CompareDate(a->Date, b->Date) < 0;
    };
    if (sorted) {
        // Where a stable sort of the appended list would put it, without sorting.
        DB.insert(std::upper_bound(DB.begin(), DB.end(), created, byDate), std::move(created));
    } else {
        // A stable sort keeps the relative order of any same-date pages that such a file holds.
        DB.push_back(std::move(created));
        std::stable_sort(DB.begin(), DB.end(), byDate);
    }
    return result;
}

bool IsFilledDay(const TDay& aDay)
{
    for (const TDayField& field : DayFields()) {
        if (!field.IsContent())
            continue;
        const bool content = std::visit(
            [&aDay](auto aMember) {
                const auto& value = aDay.*aMember;
                using T = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<T, QString> || std::is_same_v<T, QByteArray>)
                    return !value.isEmpty();
                else if constexpr (IsEntryList<T>)
                    return !value.empty();
                else if constexpr (std::is_same_v<T, double>)
                    return !(value == 0.0); // a NaN is not equal to 0 and so counts as content
                else
                    return value != T{};
            },
            field.Member);
        if (content)
            return true;
    }
    return false;
}
