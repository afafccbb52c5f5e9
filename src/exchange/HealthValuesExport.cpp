#include "exchange/HealthValuesExport.h"

#include "exchange/ExportWriter.h"
#include "exchange/MonthExport.h"
#include "util/NumberFormat.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

const QString HealthValuesCsvHeader =
    u"Date;Morning;Temperature;Puls;Heart Arrhythmia Symbol Appears;Blood Pressure Sys;Blood Pressure Dia;"
    u"Oxygen Saturation;Glucose Level;Weight;Afternoon;Temperature;Puls;Heart Arrhythmia Symbol Appears;"
    u"Blood Pressure Sys;Blood Pressure Dia;Oxygen Saturation;Glucose Level;Weight;Evening;Temperature;Puls;"
    u"Heart Arrhythmia Symbol Appears;Blood Pressure Sys;Blood Pressure Dia;Oxygen Saturation;Glucose Level;"
    u"Weight;"_s;

namespace {
// The eight readings of one time of day, each followed by ";" but the last: the caller decides
// whether a separator follows the group.
void AppendReadings(QString& aLine, QChar aSeparator, double aTemperature, double aPulse, bool aArrhythmia, double aSys,
                    double aDia, double aOxygen, double aGlucose, double aWeight)
{
    aLine += FloatToStr(aTemperature, aSeparator) + u';';
    aLine += FloatToStr(aPulse, aSeparator) + u';';
    aLine += (aArrhythmia ? u"Yes;"_s : u"No;"_s);
    aLine += FloatToStr(aSys, aSeparator) + u';';
    aLine += FloatToStr(aDia, aSeparator) + u';';
    aLine += FloatToStr(aOxygen, aSeparator) + u';';
    aLine += FloatToStr(aGlucose, aSeparator) + u';';
    aLine += FloatToStr(aWeight, aSeparator);
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
        line = TKSDateUtils::ToYearMonthDayStr(day->Date) + u";Morning;"_s;
        AppendReadings(line, separator, day->TemperatureAtMorning, day->PulseAtMorning,
                       day->HeartArrhythmiaSymbolAppearsAtMorning, day->BloodPressureSysAtMorning,
                       day->BloodPressureDiaAtMorning, day->OxygenSaturationAtMorning, day->GlucoseLevelAtMorning,
                       day->WeightAtMorning);
        // The afternoon columns carry the readings stored "at lunch".
        line += u";Afternoon;"_s;
        AppendReadings(line, separator, day->TemperatureAtLunch, day->PulseAtLunch,
                       day->HeartArrhythmiaSymbolAppearsAtLunch, day->BloodPressureSysAtLunch,
                       day->BloodPressureDiaAtLunch, day->OxygenSaturationAtLunch, day->GlucoseLevelAtLunch,
                       day->WeightAtLunch);
        line += u";Evening;"_s;
        AppendReadings(line, separator, day->TemperatureAtEvening, day->PulseAtEvening,
                       day->HeartArrhythmiaSymbolAppearsAtEvening, day->BloodPressureSysAtEvening,
                       day->BloodPressureDiaAtEvening, day->OxygenSaturationAtEvening, day->GlucoseLevelAtEvening,
                       day->WeightAtEvening);
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
