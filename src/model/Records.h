#pragma once

#include "util/ksDateUtils.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

// The records are the document in memory. They are plain data: the public members are the
// properties of the same name, read and written directly without checks or side effects. Owning
// lists hold std::unique_ptr, so removing an element destroys it; everyone else holds plain
// pointers, which become invalid when the owner drops the element or the diary is replaced.

class TTask {
public:
    qint64 ID = 0;
    TTime FromTime = 0.0;
    TTime ToTime = 1.0 / 1440.0; // one minute
    QString Task = QStringLiteral("New Task");
    QString Notes;
};

class TConversation {
public:
    qint64 ID = 0;
    TTime FromTime = 0.0;
    TTime ToTime = 1.0 / 1440.0;
    QString Title = QStringLiteral("New Conversation");
    QString Conversation;
};

class TShopping {
public:
    qint64 ID = 0;
    TTime FromTime = 0.0;
    TTime ToTime = 1.0 / 1440.0;
    QString Shop = QStringLiteral("New Shop");
    QString ShoppingList;
    double TotalPurchaseAmount = 0.0;
};

template <typename T> using TOwningList = std::vector<std::unique_ptr<T>>;

class TDay {
public:
    explicit TDay(TDateTime aDate) : Date(aDate) {}
    virtual ~TDay() = default;
    TDay(const TDay&) = delete;
    TDay& operator=(const TDay&) = delete;

    void SetEmptyPicture() { Picture = QByteArray(); }

    TDateTime Date; // keeps the time of day it was created with; only the date part counts
    QString WhatHappenedAdditionalyToTheTasks;
    QString Breakfast;
    QString Lunch;
    QString Brunch;
    QString TeeCoffeeTime;
    QString Dinner;

    double TemperatureAtMorning = 0.0;
    double PulseAtMorning = 0.0;
    bool HeartArrhythmiaSymbolAppearsAtMorning = false;
    double BloodPressureSysAtMorning = 0.0;
    double BloodPressureDiaAtMorning = 0.0;
    double OxygenSaturationAtMorning = 0.0;
    double GlucoseLevelAtMorning = 0.0;
    double WeightAtMorning = 0.0;

    double TemperatureAtLunch = 0.0;
    double PulseAtLunch = 0.0;
    bool HeartArrhythmiaSymbolAppearsAtLunch = false;
    double BloodPressureSysAtLunch = 0.0;
    double BloodPressureDiaAtLunch = 0.0;
    double OxygenSaturationAtLunch = 0.0;
    double GlucoseLevelAtLunch = 0.0;
    double WeightAtLunch = 0.0;

    double TemperatureAtEvening = 0.0;
    double PulseAtEvening = 0.0;
    bool HeartArrhythmiaSymbolAppearsAtEvening = false;
    double BloodPressureSysAtEvening = 0.0;
    double BloodPressureDiaAtEvening = 0.0;
    double OxygenSaturationAtEvening = 0.0;
    double GlucoseLevelAtEvening = 0.0;
    double WeightAtEvening = 0.0;

    QString HealthCondition;
    qint32 WeatherHumidity = 0;
    QString WeatherMoonPhase;
    double WeatherPressure = 0.0;
    qint32 WeatherTemperatureAfternoon = 0;
    qint32 WeatherTemperatureEvening = 0;
    qint32 WeatherTemperatureMorning = 0;
    qint32 WeatherTemperatureOvernight = 0;
    qint32 WeatherUVIndex = 0;
    QString WeatherWindDirection;
    qint32 WeatherWindSpeed = 0;
    QString Weather;
    QString Thoughts;
    QByteArray Picture; // the complete bytes of a JPEG file, never re-encoded

    qint64 LastTaskID = 0;
    TOwningList<TTask> Tasks;
    qint64 LastConversationID = 0;
    TOwningList<TConversation> Conversations;
    qint64 LastShoppingID = 0;
    TOwningList<TShopping> Shoppings;
};

class TDiary {
public:
    static const QString DefaultCopyright;

    TDiary() = default;
    virtual ~TDiary() = default;
    TDiary(const TDiary&) = delete;
    TDiary& operator=(const TDiary&) = delete;

    // The page of aDate's calendar date; a new page dated aDate (time of day included) is created
    // and the list sorted by date when there is none. The result is owned by the diary.
    TDay* GetDay(TDateTime aDate);
    // Puts aDay in the place of the page GetDay(aDay->Date) would give, replacing that page when
    // there is one; returns aDay.
    TDay* PutDay(std::unique_ptr<TDay> aDay);

    QString Copyright = DefaultCopyright;
    TOwningList<TDay> DB;
    qint32 Version = 10;

private:
    TDay* Put(TDateTime aDate, std::unique_ptr<TDay>* aDay);
};

// One row of the task import, before it becomes a task of its start date's page.
class TTaskOfTheDay {
public:
    TDateTime StartDateTime = Now(); // date and time
    TDateTime EndDateTime = Now();   // date and time
    QString Task;
    QString Notice; // the note, continuation lines included
};

// True when the day holds any content: a text, a reading, a flag, a weather value, a picture or an
// entry. The date and the id counters do not count.
bool IsFilledDay(const TDay& aDay);
