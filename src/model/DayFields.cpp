#include "model/DayFields.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Readings and flags of one time of day, in the records' order, named as the page's controls are:
// "Edit<reading><1..3>" and "CheckBoxHeartArrhythmiaSymbolAppears<1..3>".
template <typename T> constexpr TFieldMember Member(T TDay::*aMember)
{
    return TFieldMember(aMember);
}

} // namespace

QString TimeOfDayName(TTimeOfDay aTime)
{
    static const QString names[TimeOfDayCount] = {u"Morning"_s, u"Afternoon"_s, u"Evening"_s};
    return names[size_t(aTime)];
}

const THealthReadingField& HealthReadingField(THealthReading aReading)
{
    static const std::array<THealthReadingField, HealthReadingCount> fields{{
        {THealthReading::Temperature, TNumberTyping::Decimal, u"Temperature", u"Health value: Temperature",
         {&TDay::TemperatureAtMorning, &TDay::TemperatureAtLunch, &TDay::TemperatureAtEvening}},
        {THealthReading::Pulse, TNumberTyping::Whole, u"Pulse", u"Health value: Pulse",
         {&TDay::PulseAtMorning, &TDay::PulseAtLunch, &TDay::PulseAtEvening}},
        {THealthReading::BloodPressureSys, TNumberTyping::Whole, u"Blood pressure Sys", u"Health value: Blood pressure Sys",
         {&TDay::BloodPressureSysAtMorning, &TDay::BloodPressureSysAtLunch, &TDay::BloodPressureSysAtEvening}},
        {THealthReading::BloodPressureDia, TNumberTyping::Whole, u"Blood pressure Dia", u"Health value: Blood pressure Dia",
         {&TDay::BloodPressureDiaAtMorning, &TDay::BloodPressureDiaAtLunch, &TDay::BloodPressureDiaAtEvening}},
        {THealthReading::OxygenSaturation, TNumberTyping::Whole, u"Oxygen saturation in %", u"Health value: Oxygen saturation in %",
         {&TDay::OxygenSaturationAtMorning, &TDay::OxygenSaturationAtLunch, &TDay::OxygenSaturationAtEvening}},
        {THealthReading::GlucoseLevel, TNumberTyping::Decimal, u"Glucose level", u"Health value: Glucose level",
         {&TDay::GlucoseLevelAtMorning, &TDay::GlucoseLevelAtLunch, &TDay::GlucoseLevelAtEvening}},
        {THealthReading::Weight, TNumberTyping::Decimal, u"Weight", u"Health value: Weight",
         {&TDay::WeightAtMorning, &TDay::WeightAtLunch, &TDay::WeightAtEvening}},
    }};
    return fields[size_t(aReading)];
}

double HealthReadingOf(const TDay& aDay, THealthReading aReading, TTimeOfDay aTime)
{
    return aDay.*HealthReadingField(aReading).At[size_t(aTime)];
}

bool HeartArrhythmiaSymbolAppearsAt(const TDay& aDay, TTimeOfDay aTime)
{
    return aDay.*HeartArrhythmiaFields[size_t(aTime)];
}

const std::array<THealthColumn, 8> HealthColumns{{
    {THealthReading::Temperature, u"Temperature", u"Temperature"},
    {THealthReading::Pulse, u"Puls", u"Puls"},
    {std::nullopt, u"Heart Arrhythmia Symbol Appears", u"Heart arrhythmia symbol appears"},
    {THealthReading::BloodPressureSys, u"Blood Pressure Sys", u"Blood pressure Sys"},
    {THealthReading::BloodPressureDia, u"Blood Pressure Dia", u"Blood pressure Dia"},
    {THealthReading::OxygenSaturation, u"Oxygen Saturation", u"Oxygen saturation"},
    {THealthReading::GlucoseLevel, u"Glucose Level", u"Glucose level"},
    {THealthReading::Weight, u"Weight", u"Weight"},
}};

const std::array<TWeatherValueField, WeatherValueCount> WeatherValueFields{{
    {u"Temperature morning", u"Weather value: Temperature morning", &TDay::WeatherTemperatureMorning},
    {u"Temperature afternoon", u"Weather value: Temperature afternoon", &TDay::WeatherTemperatureAfternoon},
    {u"Temperature evening ", u"Weather value: Temperature evening", &TDay::WeatherTemperatureEvening},
    {u"Temperature overnight", u"Weather value: Temperature overnight", &TDay::WeatherTemperatureOvernight},
    {u"Humidity %", u"Weather value: Humidity %", &TDay::WeatherHumidity},
    {u"Pressure hPa", u"Weather value: Pressure hPa", &TDay::WeatherPressure},
    {u"Wind speed km/h", u"Weather value: Wind speed km/h", &TDay::WeatherWindSpeed},
    {u"UV Index", u"Weather value: UV Index", &TDay::WeatherUVIndex},
}};

double TWeatherValueField::Of(const TDay& aDay) const
{
    return std::visit([&aDay](auto aMember) { return double(aDay.*aMember); }, Member);
}

const std::vector<TDayField>& DayFields()
{
    static const std::vector<TDayField> fields = [] {
        using K = TFieldKind;
        std::vector<TDayField> list = {
            {"Date", K::Date, Member(&TDay::Date), nullptr},
            {"WhatHappenedAdditionalyToTheTasks", K::Text, Member(&TDay::WhatHappenedAdditionalyToTheTasks),
             "RichEditWhatHappenedAdditionalyToTheTasks"},
            {"Breakfast", K::Text, Member(&TDay::Breakfast), "RichEditBreakfast"},
            {"Lunch", K::Text, Member(&TDay::Lunch), "RichEditLunch"},
            {"Brunch", K::Text, Member(&TDay::Brunch), "RichEditBrunch"},
            {"TeeCoffeeTime", K::Text, Member(&TDay::TeeCoffeeTime), "RichEditTeeCoffeeTime"},
            {"Dinner", K::Text, Member(&TDay::Dinner), "RichEditDinner"},
        };
        // The three blocks of a time of day: the readings and the arrhythmia symbol in the order of
        // HealthColumns, each control numbered 1 to 3 by the time of day.
        static const char* const readingNames[] = {"Temperature", "Pulse", "BloodPressureSys", "BloodPressureDia",
                                                   "OxygenSaturation", "GlucoseLevel", "Weight"};
        static const char* const controlNames[] = {"EditTemperature", "EditPuls", "EditBloodPressureSys",
                                                   "EditBloodPressureDia", "EditOxygenSaturation", "EditGlucoseLevel",
                                                   "EditWeight"};
        static const char* const timeNames[] = {"AtMorning", "AtLunch", "AtEvening"};
        // Names live as long as the program: the table is built once.
        static std::vector<QByteArray> names;
        names.reserve(TimeOfDayCount * HealthColumns.size() * 2);
        for (const TTimeOfDay time : AllTimesOfDay) {
            const int t = int(time);
            for (const THealthColumn& column : HealthColumns) {
                QByteArray member;
                QByteArray control;
                if (column.Reading) {
                    member = QByteArray(readingNames[int(*column.Reading)]) + timeNames[t];
                    control = QByteArray(controlNames[int(*column.Reading)]) + QByteArray::number(t + 1);
                } else {
                    member = QByteArray("HeartArrhythmiaSymbolAppears") + timeNames[t];
                    control = "CheckBoxHeartArrhythmiaSymbolAppears" + QByteArray::number(t + 1);
                }
                names.push_back(member);
                const char* memberName = names.back().constData();
                names.push_back(control);
                const char* controlName = names.back().constData();
                if (column.Reading)
                    list.push_back({memberName, K::Reading, Member(HealthReadingField(*column.Reading).At[size_t(t)]),
                                    controlName, time, HealthReadingField(*column.Reading).Typing});
                else
                    list.push_back({memberName, K::Flag, Member(HeartArrhythmiaFields[size_t(t)]), controlName, time});
            }
        }
        const std::vector<TDayField> rest = {
            {"HealthCondition", K::Text, Member(&TDay::HealthCondition), "RichEditlHealthCondition"},
            {"WeatherHumidity", K::WeatherWhole, Member(&TDay::WeatherHumidity), "EditWeatherHumidity", std::nullopt, TNumberTyping::Whole},
            {"WeatherMoonPhase", K::Text, Member(&TDay::WeatherMoonPhase), "ComboBoxWeatherMoonPhase"},
            {"WeatherPressure", K::WeatherDecimal, Member(&TDay::WeatherPressure), "EditWeatherPressure", std::nullopt, TNumberTyping::Decimal},
            {"WeatherTemperatureAfternoon", K::WeatherWhole, Member(&TDay::WeatherTemperatureAfternoon),
             "EditWeatherTemperatureAfternoon", std::nullopt, TNumberTyping::SignedWhole},
            {"WeatherTemperatureEvening", K::WeatherWhole, Member(&TDay::WeatherTemperatureEvening),
             "EditWeatherTemperatureEvening", std::nullopt, TNumberTyping::SignedWhole},
            {"WeatherTemperatureMorning", K::WeatherWhole, Member(&TDay::WeatherTemperatureMorning),
             "EditWeatherTemperatureMorning", std::nullopt, TNumberTyping::SignedWhole},
            {"WeatherTemperatureOvernight", K::WeatherWhole, Member(&TDay::WeatherTemperatureOvernight),
             "EditWeatherTemperatureOvernight", std::nullopt, TNumberTyping::SignedWhole},
            {"WeatherUVIndex", K::WeatherWhole, Member(&TDay::WeatherUVIndex), "EditWeatherUVIndex", std::nullopt, TNumberTyping::Whole},
            {"WeatherWindDirection", K::Text, Member(&TDay::WeatherWindDirection), "ComboBoxWeatherWindDirection"},
            {"WeatherWindSpeed", K::WeatherWhole, Member(&TDay::WeatherWindSpeed), "EditWeatherWindSpeed", std::nullopt, TNumberTyping::Whole},
            {"Weather", K::Text, Member(&TDay::Weather), "RichEditWeatherToday"},
            {"Thoughts", K::Text, Member(&TDay::Thoughts), "RichEditThoughts"},
            {"Picture", K::Picture, Member(&TDay::Picture), nullptr},
            {"LastTaskID", K::Counter, Member(&TDay::LastTaskID), nullptr},
            {"LastConversationID", K::Counter, Member(&TDay::LastConversationID), nullptr},
            {"LastShoppingID", K::Counter, Member(&TDay::LastShoppingID), nullptr},
        };
        list.insert(list.end(), rest.begin(), rest.end());
        return list;
    }();
    return fields;
}
