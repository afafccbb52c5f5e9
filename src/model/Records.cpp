#include "model/Records.h"

#include <algorithm>

const QString TDiary::DefaultCopyright = QStringLiteral("Kestrova diary file - Copyright (c) Orvanta");

TDay* TDiary::GetDay(TDateTime aDate)
{
    // One walk finds the match and learns whether the list is in date order, which it is unless a
    // file brought its days unsorted.
    bool sorted = true;
    for (size_t i = 0; i < DB.size(); ++i) {
        if (SameDate(DB[i]->Date, aDate))
            return DB[i].get();
        if (i > 0 && CompareDate(DB[i - 1]->Date, DB[i]->Date) > 0)
            sorted = false;
    }
    auto created = std::make_unique<TDay>(aDate);
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
    const QString* const texts[] = {&aDay.WhatHappenedAdditionalyToTheTasks,
                                    &aDay.Breakfast,
                                    &aDay.Lunch,
                                    &aDay.Brunch,
                                    &aDay.TeeCoffeeTime,
                                    &aDay.Dinner,
                                    &aDay.HealthCondition,
                                    &aDay.WeatherMoonPhase,
                                    &aDay.WeatherWindDirection,
                                    &aDay.Weather,
                                    &aDay.Thoughts};
    for (const QString* text : texts)
        if (!text->isEmpty())
            return true;

    const double readings[] = {
        aDay.TemperatureAtMorning,      aDay.PulseAtMorning,          aDay.BloodPressureSysAtMorning,
        aDay.BloodPressureDiaAtMorning, aDay.OxygenSaturationAtMorning, aDay.GlucoseLevelAtMorning,
        aDay.WeightAtMorning,           aDay.TemperatureAtLunch,      aDay.PulseAtLunch,
        aDay.BloodPressureSysAtLunch,   aDay.BloodPressureDiaAtLunch, aDay.OxygenSaturationAtLunch,
        aDay.GlucoseLevelAtLunch,       aDay.WeightAtLunch,           aDay.TemperatureAtEvening,
        aDay.PulseAtEvening,            aDay.BloodPressureSysAtEvening, aDay.BloodPressureDiaAtEvening,
        aDay.OxygenSaturationAtEvening, aDay.GlucoseLevelAtEvening,   aDay.WeightAtEvening,
        aDay.WeatherPressure};
    for (const double reading : readings)
        if (!(reading == 0.0)) // a NaN is not equal to 0 and so counts as content
            return true;

    if (aDay.HeartArrhythmiaSymbolAppearsAtMorning || aDay.HeartArrhythmiaSymbolAppearsAtLunch ||
        aDay.HeartArrhythmiaSymbolAppearsAtEvening)
        return true;

    const qint32 weatherValues[] = {aDay.WeatherHumidity,           aDay.WeatherTemperatureAfternoon,
                                    aDay.WeatherTemperatureEvening, aDay.WeatherTemperatureMorning,
                                    aDay.WeatherTemperatureOvernight, aDay.WeatherUVIndex,
                                    aDay.WeatherWindSpeed};
    for (const qint32 value : weatherValues)
        if (value != 0)
            return true;

    return !aDay.Picture.isEmpty() || !aDay.Tasks.empty() || !aDay.Conversations.empty() || !aDay.Shoppings.empty();
}
