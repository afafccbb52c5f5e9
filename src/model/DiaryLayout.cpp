#include "model/DiaryLayout.h"

#include <array>

namespace DiaryLayout {

namespace {


constexpr TField Float(const char* aName, double TDay::*aMember, qint32 aFrom = OldestVersion)
{
    TField f{aName, TKind::Float, aFrom};
    f.FloatMember = aMember;
    return f;
}
constexpr TField Flag(const char* aName, bool TDay::*aMember, qint32 aFrom)
{
    TField f{aName, TKind::Flag, aFrom};
    f.FlagMember = aMember;
    return f;
}
constexpr TField Int32(const char* aName, qint32 TDay::*aMember, qint32 aFrom)
{
    TField f{aName, TKind::Int32, aFrom};
    f.Int32Member = aMember;
    return f;
}
constexpr TField Text(const char* aName, QString TDay::*aMember, qint32 aFrom = OldestVersion)
{
    TField f{aName, TKind::String, aFrom};
    f.StringMember = aMember;
    return f;
}
constexpr TField List(const char* aName, TKind aKind, qint64 TDay::*aLastId, qint32 aFrom, qint32 aWideIdFrom)
{
    TField f{aName, aKind, aFrom};
    f.IdMember = aLastId;
    f.WideIdFrom = aWideIdFrom;
    return f;
}

const TField DayLayout[] = {
    {"legacy task text", TKind::LegacyTask, 1, 9},
    Text("WhatHappenedAdditionalyToTheTasks", &TDay::WhatHappenedAdditionalyToTheTasks),
    Text("Breakfast", &TDay::Breakfast),
    Text("Lunch", &TDay::Lunch),
    Text("Brunch", &TDay::Brunch, 8),
    Text("TeeCoffeeTime", &TDay::TeeCoffeeTime, 7),
    Text("Dinner", &TDay::Dinner),

    Float("TemperatureAtMorning", &TDay::TemperatureAtMorning),
    Float("PulseAtMorning", &TDay::PulseAtMorning),
    Flag("HeartArrhythmiaSymbolAppearsAtMorning", &TDay::HeartArrhythmiaSymbolAppearsAtMorning, 2),
    Float("BloodPressureSysAtMorning", &TDay::BloodPressureSysAtMorning),
    Float("BloodPressureDiaAtMorning", &TDay::BloodPressureDiaAtMorning),
    Float("OxygenSaturationAtMorning", &TDay::OxygenSaturationAtMorning),
    Float("GlucoseLevelAtMorning", &TDay::GlucoseLevelAtMorning, 2),
    Float("WeightAtMorning", &TDay::WeightAtMorning),

    Float("TemperatureAtLunch", &TDay::TemperatureAtLunch),
    Float("PulseAtLunch", &TDay::PulseAtLunch),
    Flag("HeartArrhythmiaSymbolAppearsAtLunch", &TDay::HeartArrhythmiaSymbolAppearsAtLunch, 2),
    Float("BloodPressureSysAtLunch", &TDay::BloodPressureSysAtLunch),
    Float("BloodPressureDiaAtLunch", &TDay::BloodPressureDiaAtLunch),
    Float("OxygenSaturationAtLunch", &TDay::OxygenSaturationAtLunch),
    Float("GlucoseLevelAtLunch", &TDay::GlucoseLevelAtLunch, 2),
    Float("WeightAtLunch", &TDay::WeightAtLunch),

    Float("TemperatureAtEvening", &TDay::TemperatureAtEvening),
    Float("PulseAtEvening", &TDay::PulseAtEvening),
    Flag("HeartArrhythmiaSymbolAppearsAtEvening", &TDay::HeartArrhythmiaSymbolAppearsAtEvening, 2),
    Float("BloodPressureSysAtEvening", &TDay::BloodPressureSysAtEvening),
    Float("BloodPressureDiaAtEvening", &TDay::BloodPressureDiaAtEvening),
    Float("OxygenSaturationAtEvening", &TDay::OxygenSaturationAtEvening),
    Float("GlucoseLevelAtEvening", &TDay::GlucoseLevelAtEvening, 2),
    Float("WeightAtEvening", &TDay::WeightAtEvening),

    Text("HealthCondition", &TDay::HealthCondition),
    Int32("WeatherHumidity", &TDay::WeatherHumidity, 3),
    Text("WeatherMoonPhase", &TDay::WeatherMoonPhase, 5),
    Float("WeatherPressure", &TDay::WeatherPressure, 3),
    Int32("WeatherTemperatureAfternoon", &TDay::WeatherTemperatureAfternoon, 3),
    Int32("WeatherTemperatureEvening", &TDay::WeatherTemperatureEvening, 3),
    Int32("WeatherTemperatureMorning", &TDay::WeatherTemperatureMorning, 3),
    Int32("WeatherTemperatureOvernight", &TDay::WeatherTemperatureOvernight, 3),
    Int32("WeatherUVIndex", &TDay::WeatherUVIndex, 3),
    Text("WeatherWindDirection", &TDay::WeatherWindDirection, 3),
    Int32("WeatherWindSpeed", &TDay::WeatherWindSpeed, 3),
    Text("Weather", &TDay::Weather),
    Text("Thoughts", &TDay::Thoughts),
    {"Picture", TKind::Picture, 4},
    List("Tasks", TKind::Tasks, &TDay::LastTaskID, 10, 10),
    List("Conversations", TKind::Conversations, &TDay::LastConversationID, 6, 9),
    List("Shoppings", TKind::Shoppings, &TDay::LastShoppingID, 9, 9),
};


qint64 MinimumFieldSize(const TField& aField, qint32 aVersion)
{
    switch (aField.Kind) {
    case TKind::Float:
        return 8;
    case TKind::Flag:
        return 1;
    case TKind::Int32:
    case TKind::Picture:
        return 4;
    case TKind::String:
    case TKind::LegacyTask:
        return 1;
    case TKind::Tasks:
    case TKind::Conversations:
    case TKind::Shoppings:
        return IdWidth(aField, aVersion) + 8;
    }
    return 0;
}

} // namespace

// The day count is int32 before version 6.
qint32 DayCountWidth(qint32 aVersion)
{
    return aVersion >= 6 ? 8 : 4;
}

qint64 IdWidth(const TField& aField, qint32 aVersion)
{
    return aVersion >= aField.WideIdFrom ? 8 : 4;
}

const TVersionLayout& LayoutOf(qint32 aVersion)
{
    static const auto layouts = [] {
        std::array<TVersionLayout, CurrentVersion + 1> result;
        for (qint32 version = OldestVersion; version <= CurrentVersion; ++version)
            for (const TField& field : DayLayout)
                if (field.In(version)) {
                    result[size_t(version)].Fields.push_back(&field);
                    result[size_t(version)].MinimumDaySize += MinimumFieldSize(field, version);
                }
        return result;
    }();
    return layouts[size_t(aVersion)];
}

} // namespace DiaryLayout
