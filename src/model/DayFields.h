#pragma once

#include "model/Records.h"

#include <QString>

#include <array>
#include <optional>
#include <variant>
#include <vector>

// The one description of a day's fields: every value a page holds, with its member, its kind and
// the names the page, the exports, the charts, the health summary and the report give it. Whatever
// walks the fields (showing and storing the page, copying and comparing days, the filled-day rule,
// the exports' health columns, the charts, the summary) walks these tables; adding a reading means
// adding it here and to TDay (and to the file format, which keeps its own versioned layout).

// The times of day a health reading is taken at, in the order every list shows them. The afternoon
// readings are the ones the records keep under "lunch".
enum class TTimeOfDay { Morning, Afternoon, Evening };
constexpr int TimeOfDayCount = 3;
inline constexpr std::array<TTimeOfDay, TimeOfDayCount> AllTimesOfDay{TTimeOfDay::Morning, TTimeOfDay::Afternoon,
                                                                      TTimeOfDay::Evening};
QString TimeOfDayName(TTimeOfDay aTime); // "Morning", "Afternoon", "Evening"

// The health readings, in the order of the health chart's value list.
enum class THealthReading { Temperature, Pulse, BloodPressureSys, BloodPressureDia, OxygenSaturation, GlucoseLevel, Weight };
constexpr int HealthReadingCount = 7;
inline constexpr std::array<THealthReading, HealthReadingCount> AllHealthReadings{
    THealthReading::Temperature,      THealthReading::Pulse,        THealthReading::BloodPressureSys,
    THealthReading::BloodPressureDia, THealthReading::OxygenSaturation, THealthReading::GlucoseLevel,
    THealthReading::Weight};

// What the page's edit of a number lets the user type: a decimal, digits only, or digits and a
// minus sign. Pulse, blood pressure and oxygen saturation are typed as whole numbers although the
// records keep them as decimals.
enum class TNumberTyping { None, Decimal, Whole, SignedWhole };

struct THealthReadingField {
    THealthReading Reading;
    TNumberTyping Typing;
    const char16_t* Name;       // the health chart's value list, the summary and the report: "Blood pressure Sys"
    const char16_t* ChartTitle; // the health chart's title: "Health value: Blood pressure Sys"
    std::array<double TDay::*, TimeOfDayCount> At; // morning, afternoon, evening
};
const THealthReadingField& HealthReadingField(THealthReading aReading);
double HealthReadingOf(const TDay& aDay, THealthReading aReading, TTimeOfDay aTime);

inline constexpr std::array<bool TDay::*, TimeOfDayCount> HeartArrhythmiaFields{
    &TDay::HeartArrhythmiaSymbolAppearsAtMorning, &TDay::HeartArrhythmiaSymbolAppearsAtLunch,
    &TDay::HeartArrhythmiaSymbolAppearsAtEvening};
bool HeartArrhythmiaSymbolAppearsAt(const TDay& aDay, TTimeOfDay aTime);

// The eight values of one time of day in the order the records, the file and both exports list
// them: the seven readings with the arrhythmia symbol third.
struct THealthColumn {
    std::optional<THealthReading> Reading; // none: the arrhythmia symbol
    const char16_t* CsvName;               // the health values CSV header: "Puls", "Blood Pressure Sys"
    const char16_t* TextName;              // the month text export: "Puls", "Blood pressure Sys"
};
extern const std::array<THealthColumn, 8> HealthColumns;

// The values of the weather chart, in the order of its value list.
struct TWeatherValueField {
    const char16_t* ChartItem;  // the weather chart's value list (the evening temperature ends in a blank)
    const char16_t* ChartTitle; // "Weather value: Temperature morning"
    std::variant<qint32 TDay::*, double TDay::*> Member;
    double Of(const TDay& aDay) const;
};
constexpr int WeatherValueCount = 8;
extern const std::array<TWeatherValueField, WeatherValueCount> WeatherValueFields;

// Every value of a day but its entry lists, in the file's order.
enum class TFieldKind {
    Date,           // the day's date-time (a double)
    Text,           // a text the user writes
    Reading,        // a health reading (a double) at a time of day
    Flag,           // the arrhythmia symbol at a time of day
    WeatherWhole,   // a weather value kept as a whole number
    WeatherDecimal, // a weather value kept as a decimal (the pressure)
    Picture,        // the JPEG bytes
    Counter,        // the last id given to an entry of one of the lists
};
using TFieldMember = std::variant<QString TDay::*, double TDay::*, bool TDay::*, qint32 TDay::*, QByteArray TDay::*,
                                  qint64 TDay::*>;
struct TDayField {
    const char* Name; // the member's name
    TFieldKind Kind;
    TFieldMember Member;
    const char* Control; // the objectName of the page's control for it; null: none of its own
    std::optional<TTimeOfDay> Time = std::nullopt;
    TNumberTyping Typing = TNumberTyping::None;

    // Whether a value other than the default makes a day one worth keeping (IsFilledDay): all but
    // the date and the counters, which every day has.
    bool IsContent() const { return Kind != TFieldKind::Date && Kind != TFieldKind::Counter; }
};
const std::vector<TDayField>& DayFields();

// Calls aVisit(aA.*member, aB.*member) for every value of DayFields(), in its order; aA and aB are
// days, const or not. The one walk for copying and comparing days.
template <typename TA, typename TB, typename TVisit> void ForEachDayValue(TA& aA, TB& aB, TVisit&& aVisit)
{
    for (const TDayField& field : DayFields())
        std::visit([&](auto aMember) { aVisit(aA.*aMember, aB.*aMember); }, field.Member);
}
