#include "exchange/MonthExport.h"

#include "exchange/ExportWriter.h"
#include "model/DayFields.h"
#include "util/NumberFormat.h"

#include <QDate>
#include <QFile>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

void SearchActualMonth(const TDiary& aDiary, std::vector<TDay*>& aList, quint16 aYear, quint8 aMonth)
{
    const QDate first(aYear, aMonth, 1);
    if (!first.isValid())
        return;
    // Day numbers rather than calendar fields: the walk runs over every page of the diary.
    const qint64 from = DatePart(EncodeDate(first));
    const qint64 to = DatePart(EncodeDate(first.addMonths(1)));
    const size_t count = aDiary.DB.size();
    for (size_t i = 0; i < count; ++i) {
        const qint64 day = DatePart(aDiary.DB[i]->Date);
        if (day >= from && day < to)
            aList.push_back(aDiary.DB[i].get());
    }
    std::stable_sort(aList.begin(), aList.end(),
                     [](const TDay* a, const TDay* b) { return CompareDate(a->Date, b->Date) < 0; });
}

namespace {
const auto kLongRule = "------------------------------------------------------------------------------------------"_L1;
const auto kShortRule = "---------------------------------------"_L1;

QString YesNo(bool aFlag)
{
    return aFlag ? u"Yes"_s : u"No"_s;
}

// The eight values of one time of day under its name; the afternoon's are the ones the records keep
// "at lunch".
void WriteHealthGroup(TExportWriter& aWriter, const TDay& aDay, TTimeOfDay aTime, QChar aSeparator)
{
    aWriter.WriteLine(TimeOfDayName(aTime));
    for (const THealthColumn& column : HealthColumns) {
        const QString value = column.Reading ? FloatToStr(HealthReadingOf(aDay, *column.Reading, aTime), aSeparator)
                                             : YesNo(HeartArrhythmiaSymbolAppearsAt(aDay, aTime));
        aWriter.WriteLine(QString::fromUtf16(column.TextName) + u": "_s + value);
    }
}

QString WeatherText(const TDay& aDay, const TWeatherTextLine& aLine, QChar aSeparator)
{
    return std::visit(
        [&](auto aMember) {
            const auto& value = aDay.*aMember;
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, double>)
                return FloatToStr(value, aSeparator);
            else if constexpr (std::is_same_v<T, qint32>)
                return IntToStr(value);
            else
                return value;
        },
        aLine.Member);
}

QString TimeSpan(const TRegionalSettings& aSettings, TTime aFrom, TTime aTo, const QString& aTitle)
{
    return aSettings.FormatTime(aFrom) + u' ' + aSettings.FormatTime(aTo) + u' ' + aTitle;
}

void WriteDayBlock(TExportWriter& aWriter, const TDay& aDay, const TRegionalSettings& aSettings)
{
    const QChar separator = aSettings.DecimalSeparator();

    aWriter.WriteLine(kLongRule);
    aWriter.WriteLine(TKSDateUtils::ToYearMonthDayWeekdayStr(aDay.Date));
    aWriter.WriteLine(kLongRule);

    aWriter.WriteLine("Tasks"_L1);
    aWriter.WriteLine(kShortRule);
    for (const auto& task : aDay.Tasks) {
        aWriter.WriteLine(TimeSpan(aSettings, task->FromTime, task->ToTime, task->Task));
        if (!task->Notes.isEmpty())
            aWriter.WriteLine(task->Notes);
    }
    aWriter.WriteLine(kShortRule);

    aWriter.WriteLine("What else happened besides the tasks"_L1);
    aWriter.WriteLine(kShortRule);
    aWriter.WriteLine(aDay.WhatHappenedAdditionalyToTheTasks);
    aWriter.WriteLine(kShortRule);

    aWriter.WriteLine("Conversations"_L1);
    aWriter.WriteLine(kShortRule);
    for (const auto& conversation : aDay.Conversations) {
        aWriter.WriteLine(TimeSpan(aSettings, conversation->FromTime, conversation->ToTime, conversation->Title));
        if (!conversation->Conversation.isEmpty())
            aWriter.WriteLine(conversation->Conversation);
    }
    aWriter.WriteLine(kShortRule);

    aWriter.WriteLine("Shopping"_L1);
    aWriter.WriteLine(kShortRule);
    for (const auto& shopping : aDay.Shoppings) {
        aWriter.WriteLine(TimeSpan(aSettings, shopping->FromTime, shopping->ToTime, shopping->Shop));
        if (!shopping->ShoppingList.isEmpty())
            aWriter.WriteLine(shopping->ShoppingList);
        aWriter.WriteLine(u"Total Purchase Amount: "_s + FloatToStr(shopping->TotalPurchaseAmount, separator));
    }
    aWriter.WriteLine(kShortRule);

    aWriter.WriteLine("Meals"_L1);
    aWriter.WriteLine(kShortRule);
    aWriter.WriteLine("Breakfast:"_L1);
    aWriter.WriteLine(aDay.Breakfast);
    aWriter.WriteLine("Lunch:"_L1);
    aWriter.WriteLine(aDay.Lunch);
    aWriter.WriteLine("Brunch:"_L1);
    aWriter.WriteLine(aDay.Brunch);
    aWriter.WriteLine("Tee Coffee Time:"_L1);
    aWriter.WriteLine(aDay.TeeCoffeeTime);
    aWriter.WriteLine("Dinner:"_L1);
    aWriter.WriteLine(aDay.Dinner);
    aWriter.WriteLine(kShortRule);

    aWriter.WriteLine("Health"_L1);
    aWriter.WriteLine(kShortRule);
    for (const TTimeOfDay time : AllTimesOfDay)
        WriteHealthGroup(aWriter, aDay, time, separator);
    aWriter.WriteLine("Health condition:"_L1);
    aWriter.WriteLine(aDay.HealthCondition);
    aWriter.WriteLine(kShortRule);

    aWriter.WriteLine("Weather Today"_L1);
    aWriter.WriteLine(kShortRule);
    for (const TWeatherTextLine& line : WeatherTextLines)
        aWriter.WriteLine(QString::fromUtf16(line.Label) + u": "_s + WeatherText(aDay, line, separator));
    aWriter.WriteLine("Weather condition:"_L1);
    aWriter.WriteLine(aDay.Weather);
    aWriter.WriteLine(kShortRule);

    aWriter.WriteLine("Thoughts"_L1);
    aWriter.WriteLine(kShortRule);
    aWriter.WriteLine(aDay.Thoughts);
    aWriter.WriteLine(QStringView());
}
} // namespace

void WriteMonthText(QIODevice& aDevice, const std::vector<TDay*>& aDays, const TRegionalSettings& aSettings)
{
    TExportWriter writer(aDevice);
    writer.WriteByteOrderMark();
    for (const TDay* day : aDays)
        WriteDayBlock(writer, *day, aSettings);
    writer.Flush();
}

void WriteMonthTextFile(const QString& aFileName, const std::vector<TDay*>& aDays, const TRegionalSettings& aSettings)
{
    WriteExportFile(aFileName, [&](QIODevice& aFile) { WriteMonthText(aFile, aDays, aSettings); });
}

void ExportMonthAsTextFile(const TDiary& aDiary, quint16 aYear, quint8 aMonth, const QString& aFileName,
                           const TRegionalSettings& aSettings)
{
    std::vector<TDay*> days;
    SearchActualMonth(aDiary, days, aYear, aMonth);
    WriteMonthTextFile(aFileName, days, aSettings);
}

QString ProposedMonthTextFileName(TDateTime aDate)
{
    return TKSDateUtils::ToYearMonthStr(aDate) + u"-Diary.txt"_s;
}

QString WithExportExtension(const QString& aFileName, const QString& aExtension)
{
    return aFileName.contains(aExtension, Qt::CaseSensitive) ? aFileName : aFileName + aExtension;
}
