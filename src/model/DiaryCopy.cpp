#include "model/DiaryCopy.h"

namespace {

template <typename TEntry> void CopyEntries(const TOwningList<TEntry>& aFrom, TOwningList<TEntry>& aTo)
{
    aTo.reserve(aFrom.size());
    for (const std::unique_ptr<TEntry>& entry : aFrom)
        aTo.push_back(std::make_unique<TEntry>(*entry)); // entries are plain values
}

} // namespace

std::unique_ptr<TDay> CopyDay(const TDay& aDay)
{
    // A day owns its entries, so it cannot be copied as a whole; every other field is a value.
    auto copy = std::make_unique<TDay>(aDay.Date);
    TDay& c = *copy;
    c.WhatHappenedAdditionalyToTheTasks = aDay.WhatHappenedAdditionalyToTheTasks;
    c.Breakfast = aDay.Breakfast;
    c.Lunch = aDay.Lunch;
    c.Brunch = aDay.Brunch;
    c.TeeCoffeeTime = aDay.TeeCoffeeTime;
    c.Dinner = aDay.Dinner;

    c.TemperatureAtMorning = aDay.TemperatureAtMorning;
    c.PulseAtMorning = aDay.PulseAtMorning;
    c.HeartArrhythmiaSymbolAppearsAtMorning = aDay.HeartArrhythmiaSymbolAppearsAtMorning;
    c.BloodPressureSysAtMorning = aDay.BloodPressureSysAtMorning;
    c.BloodPressureDiaAtMorning = aDay.BloodPressureDiaAtMorning;
    c.OxygenSaturationAtMorning = aDay.OxygenSaturationAtMorning;
    c.GlucoseLevelAtMorning = aDay.GlucoseLevelAtMorning;
    c.WeightAtMorning = aDay.WeightAtMorning;

    c.TemperatureAtLunch = aDay.TemperatureAtLunch;
    c.PulseAtLunch = aDay.PulseAtLunch;
    c.HeartArrhythmiaSymbolAppearsAtLunch = aDay.HeartArrhythmiaSymbolAppearsAtLunch;
    c.BloodPressureSysAtLunch = aDay.BloodPressureSysAtLunch;
    c.BloodPressureDiaAtLunch = aDay.BloodPressureDiaAtLunch;
    c.OxygenSaturationAtLunch = aDay.OxygenSaturationAtLunch;
    c.GlucoseLevelAtLunch = aDay.GlucoseLevelAtLunch;
    c.WeightAtLunch = aDay.WeightAtLunch;

    c.TemperatureAtEvening = aDay.TemperatureAtEvening;
    c.PulseAtEvening = aDay.PulseAtEvening;
    c.HeartArrhythmiaSymbolAppearsAtEvening = aDay.HeartArrhythmiaSymbolAppearsAtEvening;
    c.BloodPressureSysAtEvening = aDay.BloodPressureSysAtEvening;
    c.BloodPressureDiaAtEvening = aDay.BloodPressureDiaAtEvening;
    c.OxygenSaturationAtEvening = aDay.OxygenSaturationAtEvening;
    c.GlucoseLevelAtEvening = aDay.GlucoseLevelAtEvening;
    c.WeightAtEvening = aDay.WeightAtEvening;

    c.HealthCondition = aDay.HealthCondition;
    c.WeatherHumidity = aDay.WeatherHumidity;
    c.WeatherMoonPhase = aDay.WeatherMoonPhase;
    c.WeatherPressure = aDay.WeatherPressure;
    c.WeatherTemperatureAfternoon = aDay.WeatherTemperatureAfternoon;
    c.WeatherTemperatureEvening = aDay.WeatherTemperatureEvening;
    c.WeatherTemperatureMorning = aDay.WeatherTemperatureMorning;
    c.WeatherTemperatureOvernight = aDay.WeatherTemperatureOvernight;
    c.WeatherUVIndex = aDay.WeatherUVIndex;
    c.WeatherWindDirection = aDay.WeatherWindDirection;
    c.WeatherWindSpeed = aDay.WeatherWindSpeed;
    c.Weather = aDay.Weather;
    c.Thoughts = aDay.Thoughts;
    c.Picture = aDay.Picture;

    c.LastTaskID = aDay.LastTaskID;
    CopyEntries(aDay.Tasks, c.Tasks);
    c.LastConversationID = aDay.LastConversationID;
    CopyEntries(aDay.Conversations, c.Conversations);
    c.LastShoppingID = aDay.LastShoppingID;
    CopyEntries(aDay.Shoppings, c.Shoppings);
    return copy;
}

std::unique_ptr<TDiary> CopyDiary(const TDiary& aDiary, const TDay* aDay, TDay** aDayCopy)
{
    auto copy = std::make_unique<TDiary>();
    copy->Copyright = aDiary.Copyright;
    copy->Version = aDiary.Version;
    copy->DB.reserve(aDiary.DB.size());
    if (aDayCopy)
        *aDayCopy = nullptr;
    for (const std::unique_ptr<TDay>& day : aDiary.DB) {
        copy->DB.push_back(CopyDay(*day));
        if (day.get() == aDay && aDayCopy)
            *aDayCopy = copy->DB.back().get();
    }
    return copy;
}
