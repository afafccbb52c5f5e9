#pragma once

#include "model/Records.h"

#include <QString>

#include <array>
#include <optional>
#include <variant>
#include <vector>

// The one description of a day's fields: every member of TDay, with its kind and the names the
// page, the exports, the charts, the health summary and the report give it. Whatever walks the
// fields (showing and storing the page, copying and comparing days, the filled-day rule, the
// exports, the charts, the summary) walks these tables; adding a reading means adding it here and
// to TDay (and to the file format, which keeps its own versioned layout; a test holds the two
// together). Where an output fixes an order of its own, its table here holds that order.

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
    const char* MemberStem;     // "Pulse": the records' PulseAtMorning, PulseAtLunch, PulseAtEvening
    // "Puls": the page's edits EditPuls1 to EditPuls3 (morning to evening), each beside its label
    // LabelPuls1 to LabelPuls3 that reads Name followed by ":".
    const char* ControlStem;
    std::array<double TDay::*, TimeOfDayCount> At; // morning, afternoon, evening
};
const THealthReadingField& HealthReadingField(THealthReading aReading);
double HealthReadingOf(const TDay& aDay, THealthReading aReading, TTimeOfDay aTime);

// The arrhythmia symbol of each time of day; the page's check boxes are
// CheckBoxHeartArrhythmiaSymbolAppears1 to CheckBoxHeartArrhythmiaSymbolAppears3.
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

// What the health summary and the report call the blood pressure taken as a pair and the
// arrhythmia symbol.
inline constexpr char16_t BloodPressurePairName[] = u"Blood pressure Sys/Dia";
inline constexpr char16_t HeartArrhythmiaName[] = u"Heart arrhythmia symbol";

// The values of the weather chart, in the order of its value list.
struct TWeatherValueField {
    const char16_t* ChartItem;  // the weather chart's value list (the evening temperature ends in a blank)
    const char16_t* ChartTitle; // "Weather value: Temperature morning"
    std::variant<qint32 TDay::*, double TDay::*> Member;
    double Of(const TDay& aDay) const;
};
constexpr int WeatherValueCount = 8;
extern const std::array<TWeatherValueField, WeatherValueCount> WeatherValueFields;

// The weather lines of the month text export, in its order, each "<Label>: <value>": whole numbers
// as plain decimals, the pressure in the general number format, the texts as they are.
struct TWeatherTextLine {
    const char16_t* Label; // "Temperature at morning"
    std::variant<qint32 TDay::*, double TDay::*, QString TDay::*> Member;
};
extern const std::array<TWeatherTextLine, 10> WeatherTextLines;

// Every member of a day, in the file's order, which is also the order in which the page shows,
// stores and compares its controls.
enum class TFieldKind {
    Date,           // the day's date-time (a double)
    Text,           // a text the user writes
    Reading,        // a health reading (a double) at a time of day
    Flag,           // the arrhythmia symbol at a time of day
    WeatherWhole,   // a weather value kept as a whole number
    WeatherDecimal, // a weather value kept as a decimal (the pressure)
    WeatherChoice,  // a weather value picked from a list (wind direction, moon phase): one line of text
    Picture,        // the JPEG bytes
    Counter,        // the last id given to an entry of one of the lists
    Entries,        // one of the item lists: tasks, conversations, shopping trips
};
using TFieldMember =
    std::variant<QString TDay::*, double TDay::*, bool TDay::*, qint32 TDay::*, QByteArray TDay::*, qint64 TDay::*,
                 TOwningList<TTask> TDay::*, TOwningList<TConversation> TDay::*, TOwningList<TShopping> TDay::*>;

// Whether a member's type is one of the item lists, which a walk over the members copies and
// compares entry by entry.
template <typename T> inline constexpr bool IsEntryList = false;
template <typename TEntry> inline constexpr bool IsEntryList<TOwningList<TEntry>> = true;

struct TDayField {
    const char* Name; // the member's name
    TFieldKind Kind;
    TFieldMember Member;
    const char* Control; // the objectName of the page's control for it; null: none of its own
    std::optional<TTimeOfDay> Time = std::nullopt;
    TNumberTyping Typing = TNumberTyping::None;

    // Whether a value other than the default (an entry, for a list) makes a day one worth keeping
    // (IsFilledDay): all but the date and the counters, which every day has.
    bool IsContent() const { return Kind != TFieldKind::Date && Kind != TFieldKind::Counter; }
};
const std::vector<TDayField>& DayFields();

// Calls aVisit(aA.*member, aB.*member) for every member of DayFields(), in its order, the item
// lists included; aA and aB are days, const or not. The one walk for copying and comparing days.
template <typename TA, typename TB, typename TVisit> void ForEachDayValue(TA& aA, TB& aB, TVisit&& aVisit)
{
    for (const TDayField& field : DayFields())
        std::visit([&](auto aMember) { aVisit(aA.*aMember, aB.*aMember); }, field.Member);
}
