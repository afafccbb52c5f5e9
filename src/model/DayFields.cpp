#include "model/DayFields.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Every row names its member the same way, whatever the member's type.
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
         "Temperature", "Temperature",
         {&TDay::TemperatureAtMorning, &TDay::TemperatureAtLunch, &TDay::TemperatureAtEvening}},
        {THealthReading::Pulse, TNumberTyping::Whole, u"Pulse", u"Health value: Pulse", "Pulse", "Puls",
         {&TDay::PulseAtMorning, &TDay::PulseAtLunch, &TDay::PulseAtEvening}},
        {THealthReading::BloodPressureSys, TNumberTyping::Whole, u"Blood pressure Sys", u"Health value: Blood pressure Sys",
         "BloodPressureSys", "BloodPressureSys",
         {&TDay::BloodPressureSysAtMorning, &TDay::BloodPressureSysAtLunch, &TDay::BloodPressureSysAtEvening}},
        {THealthReading::BloodPressureDia, TNumberTyping::Whole, u"Blood pressure Dia", u"Health value: Blood pressure Dia",
         "BloodPressureDia", "BloodPressureDia",
         {&TDay::BloodPressureDiaAtMorning, &TDay::BloodPressureDiaAtLunch, &TDay::BloodPressureDiaAtEvening}},
        {THealthReading::OxygenSaturation, TNumberTyping::Whole, u"Oxygen saturation in %", u"Health value: Oxygen saturation in %",
         "OxygenSaturation", "OxygenSaturation",
         {&TDay::OxygenSaturationAtMorning, &TDay::OxygenSaturationAtLunch, &TDay::OxygenSaturationAtEvening}},
        {THealthReading::GlucoseLevel, TNumberTyping::Decimal, u"Glucose level", u"Health value: Glucose level",
         "GlucoseLevel", "GlucoseLevel",
         {&TDay::GlucoseLevelAtMorning, &TDay::GlucoseLevelAtLunch, &TDay::GlucoseLevelAtEvening}},
        {THealthReading::Weight, TNumberTyping::Decimal, u"Weight", u"Health value: Weight", "Weight", "Weight",
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

const std::array<TWeatherTextLine, 10> WeatherTextLines{{
    {u"Temperature at morning", &TDay::WeatherTemperatureMorning},
    {u"Temperature at afternoon", &TDay::WeatherTemperatureAfternoon},
    {u"Temperature at evening", &TDay::WeatherTemperatureEvening},
    {u"Temperature at overnight", &TDay::WeatherTemperatureOvernight},
    {u"Humidity", &TDay::WeatherHumidity},
    {u"Pressure", &TDay::WeatherPressure},
    {u"Wind direction", &TDay::WeatherWindDirection},
    {u"Wind speed", &TDay::WeatherWindSpeed},
    {u"UVIndex", &TDay::WeatherUVIndex},
    {u"Moon phase", &TDay::WeatherMoonPhase},
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
        static const char* const timeSuffixes[] = {"AtMorning", "AtLunch", "AtEvening"};
        // Names live as long as the program: the table is built once, and a QByteArray keeps its
        // bytes where they are when the vector moves it.
        static std::vector<QByteArray> names;
        const auto keep = [](QByteArray aName) {
            names.push_back(std::move(aName));
            return names.back().constData();
        };
        for (const TTimeOfDay time : AllTimesOfDay) {
            const size_t t = size_t(time);
            const QByteArray number = QByteArray::number(int(t) + 1);
            for (const THealthColumn& column : HealthColumns) {
                if (column.Reading) {
                    const THealthReadingField& reading = HealthReadingField(*column.Reading);
                    list.push_back({keep(QByteArray(reading.MemberStem) + timeSuffixes[t]), K::Reading,
                                    Member(reading.At[t]), keep("Edit" + QByteArray(reading.ControlStem) + number),
                                    time, reading.Typing});
                } else {
                    list.push_back({keep(QByteArray("HeartArrhythmiaSymbolAppears") + timeSuffixes[t]), K::Flag,
                                    Member(HeartArrhythmiaFields[t]),
                                    keep("CheckBoxHeartArrhythmiaSymbolAppears" + number), time});
                }
            }
        }
        const std::vector<TDayField> rest = {
            {"HealthCondition", K::Text, Member(&TDay::HealthCondition), "RichEditlHealthCondition"},
            {"WeatherHumidity", K::WeatherWhole, Member(&TDay::WeatherHumidity), "EditWeatherHumidity", std::nullopt, TNumberTyping::Whole},
            {"WeatherMoonPhase", K::WeatherChoice, Member(&TDay::WeatherMoonPhase), "ComboBoxWeatherMoonPhase"},
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
            {"WeatherWindDirection", K::WeatherChoice, Member(&TDay::WeatherWindDirection), "ComboBoxWeatherWindDirection"},
            {"WeatherWindSpeed", K::WeatherWhole, Member(&TDay::WeatherWindSpeed), "EditWeatherWindSpeed", std::nullopt, TNumberTyping::Whole},
            {"Weather", K::Text, Member(&TDay::Weather), "RichEditWeatherToday"},
            {"Thoughts", K::Text, Member(&TDay::Thoughts), "RichEditThoughts"},
            {"Picture", K::Picture, Member(&TDay::Picture), nullptr},
            {"LastTaskID", K::Counter, Member(&TDay::LastTaskID), nullptr},
            {"Tasks", K::Entries, Member(&TDay::Tasks), nullptr},
            {"LastConversationID", K::Counter, Member(&TDay::LastConversationID), nullptr},
            {"Conversations", K::Entries, Member(&TDay::Conversations), nullptr},
            {"LastShoppingID", K::Counter, Member(&TDay::LastShoppingID), nullptr},
            {"Shoppings", K::Entries, Member(&TDay::Shoppings), nullptr},
        };
        list.insert(list.end(), rest.begin(), rest.end());
        return list;
    }();
    return fields;
}
