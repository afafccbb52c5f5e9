#include "exchange/HealthValuesExport.h"

#include "exchange/ExportWriter.h"
#include "exchange/MonthExport.h"
#include "model/DayFields.h"
#include "util/NumberFormat.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

// "Date", then for each time of day its name and the names of its eight values, each followed by ";".
const QString HealthValuesCsvHeader = [] {
    QString header = u"Date;"_s;
    for (const TTimeOfDay time : AllTimesOfDay) {
        header += TimeOfDayName(time) + u';';
        for (const THealthColumn& column : HealthColumns)
            header += QString::fromUtf16(column.CsvName) + u';';
    }
    return header;
}();

namespace {
// The eight values of one time of day, each followed by ";" but the last: the caller decides
// whether a separator follows the group. The afternoon's are the ones the records keep "at lunch".
void AppendReadings(QString& aLine, QChar aSeparator, const TDay& aDay, TTimeOfDay aTime)
{
    bool first = true;
    for (const THealthColumn& column : HealthColumns) {
        if (!first)
            aLine += u';';
        first = false;
        if (column.Reading)
            aLine += FloatToStr(HealthReadingOf(aDay, *column.Reading, aTime), aSeparator);
        else
            aLine += HeartArrhythmiaSymbolAppearsAt(aDay, aTime) ? u"Yes"_s : u"No"_s;
    }
}
} // namespace

void WriteHealthValuesCsv(QIODevice& aDevice, const std::vector<TDay*>& aDays, const TRegionalSettings& aSettings)
{
    const QChar separator = aSettings.DecimalSeparator();
    TExportWriter writer(aDevice);
    writer.WriteByteOrderMark();
    writer.WriteLine(HealthValuesCsvHeader);
    QString line;
    for (const TDay* day : aDays) {
        line = TKSDateUtils::ToYearMonthDayStr(day->Date);
        for (const TTimeOfDay time : AllTimesOfDay) {
            line += u';' + TimeOfDayName(time) + u';';
            AppendReadings(line, separator, *day, time);
        }
        writer.WriteLine(line);
    }
    writer.Flush();
}

void WriteHealthValuesCsvFile(const QString& aFileName, const std::vector<TDay*>& aDays,
                              const TRegionalSettings& aSettings)
{
    WriteExportFile(aFileName, [&](QIODevice& aFile) { WriteHealthValuesCsv(aFile, aDays, aSettings); });
}

void ExportHealthValuesAsCsvFile(const TDiary& aDiary, quint16 aYear, quint8 aMonth, const QString& aFileName,
                                 const TRegionalSettings& aSettings)
{
    std::vector<TDay*> days;
    SearchActualMonth(aDiary, days, aYear, aMonth);
    WriteHealthValuesCsvFile(aFileName, days, aSettings);
}

QString ProposedHealthValuesFileName(TDateTime aDate)
{
    return TKSDateUtils::ToYearMonthStr(aDate) + u"-HealthValues.csv"_s;
}
