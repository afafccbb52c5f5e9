#include "DiaryGenerator.h"

#include <QDate>

#include <jpeglib.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <cstring>
#include <random>
#include <tuple>

namespace {

const char* const Words[] = {"morning", "walk",   "garden",    "coffee",  "letter", "doctor",  "rain",   "market",
                             "bread",   "friend", "call",      "meeting", "book",   "quiet",   "river",  "bicycle",
                             "kitchen", "soup",   "window",    "evening", "tired",  "happy",   "bus",    "station",
                             "music",   "cat",    "neighbour", "tea",     "cake",   "weather", "Müller", "Straße",
                             "Grüße",   "café",   "naïve",     "déjà",    "vu",     "über",    "schön",  "Fuß"};

class TTextMaker {
public:
    explicit TTextMaker(unsigned aSeed) : fRandom(aSeed) {}

    // About aLength characters of words and sentences.
    QString Text(int aLength)
    {
        QString text;
        text.reserve(aLength + 16);
        std::uniform_int_distribution<size_t> word(0, std::size(Words) - 1);
        bool sentenceStart = true;
        while (text.size() < aLength) {
            QString next = QString::fromUtf8(Words[word(fRandom)]);
            if (sentenceStart)
                next[0] = next[0].toUpper();
            text += next;
            sentenceStart = fRandom() % 9 == 0;
            text += sentenceStart ? QStringLiteral(". ") : QStringLiteral(" ");
        }
        return text;
    }

    double Between(double aLow, double aHigh) { return std::uniform_real_distribution<double>(aLow, aHigh)(fRandom); }
    int Between(int aLow, int aHigh) { return std::uniform_int_distribution<int>(aLow, aHigh)(fRandom); }

private:
    std::mt19937 fRandom;
};

double DayNumber(const QDate& aDate)
{
    return double(QDate(1899, 12, 30).daysTo(aDate));
}

} // namespace

std::unique_ptr<TDiary> MakeTenYearDiary(int aDays, bool aPictureOfLastDay)
{
    TTextMaker make(20160101);
    auto diary = std::make_unique<TDiary>();
    // The last day is today, the page a start shows: a start then shows a whole page.
    const double first = DayNumber(QDate::currentDate().addDays(1 - aDays));
    const QString moonPhases[] = {QStringLiteral("New moon"), QStringLiteral("Waxing crescent"),
                                  QStringLiteral("First quarter"), QStringLiteral("Full moon"),
                                  QStringLiteral("Last quarter")};
    const QString directions[] = {QStringLiteral("N"),  QStringLiteral("NE"), QStringLiteral("E"),
                                  QStringLiteral("SW"), QStringLiteral("W"),  QStringLiteral("NNW")};
    diary->DB.reserve(size_t(aDays));
    for (int i = 0; i < aDays; ++i) {
        auto day = std::make_unique<TDay>(first + i + 0.25); // created in the morning
        TDay& d = *day;
        d.WhatHappenedAdditionalyToTheTasks = make.Text(300);
        d.Breakfast = make.Text(60);
        d.Lunch = make.Text(60);
        d.Brunch = make.Text(40);
        d.TeeCoffeeTime = make.Text(40);
        d.Dinner = make.Text(60);
        for (auto [temperature, pulse, arrhythmia, sys, dia, oxygen, glucose, weight] :
             {std::tie(d.TemperatureAtMorning, d.PulseAtMorning, d.HeartArrhythmiaSymbolAppearsAtMorning,
                       d.BloodPressureSysAtMorning, d.BloodPressureDiaAtMorning, d.OxygenSaturationAtMorning,
                       d.GlucoseLevelAtMorning, d.WeightAtMorning),
              std::tie(d.TemperatureAtLunch, d.PulseAtLunch, d.HeartArrhythmiaSymbolAppearsAtLunch,
                       d.BloodPressureSysAtLunch, d.BloodPressureDiaAtLunch, d.OxygenSaturationAtLunch,
                       d.GlucoseLevelAtLunch, d.WeightAtLunch),
              std::tie(d.TemperatureAtEvening, d.PulseAtEvening, d.HeartArrhythmiaSymbolAppearsAtEvening,
                       d.BloodPressureSysAtEvening, d.BloodPressureDiaAtEvening, d.OxygenSaturationAtEvening,
                       d.GlucoseLevelAtEvening, d.WeightAtEvening)}) {
            temperature = make.Between(35.8, 37.6);
            pulse = make.Between(55, 95);
            arrhythmia = make.Between(0, 20) == 0;
            sys = make.Between(105, 150);
            dia = make.Between(65, 95);
            oxygen = make.Between(94, 99);
            glucose = make.Between(4.0, 7.5);
            weight = make.Between(78.0, 84.0);
        }
        d.HealthCondition = make.Text(80);
        d.WeatherHumidity = make.Between(30, 95);
        d.WeatherMoonPhase = moonPhases[i % 5];
        d.WeatherPressure = make.Between(990.0, 1035.0);
        d.WeatherTemperatureAfternoon = make.Between(-5, 32);
        d.WeatherTemperatureEvening = make.Between(-8, 25);
        d.WeatherTemperatureMorning = make.Between(-10, 20);
        d.WeatherTemperatureOvernight = make.Between(-15, 15);
        d.WeatherUVIndex = make.Between(0, 9);
        d.WeatherWindDirection = directions[i % 6];
        d.WeatherWindSpeed = make.Between(0, 60);
        d.Weather = make.Text(120);
        d.Thoughts = make.Text(600);

        for (int t = 0; t < 3; ++t) {
            auto task = std::make_unique<TTask>();
            task->ID = ++d.LastTaskID;
            task->FromTime = (8 + 3 * t) / 24.0;
            task->ToTime = (9 + 3 * t) / 24.0;
            task->Task = make.Text(20);
            task->Notes = make.Text(100);
            d.Tasks.push_back(std::move(task));
        }
        auto conversation = std::make_unique<TConversation>();
        conversation->ID = ++d.LastConversationID;
        conversation->FromTime = 17 / 24.0;
        conversation->ToTime = 17.5 / 24.0;
        conversation->Title = make.Text(20);
        conversation->Conversation = make.Text(150);
        d.Conversations.push_back(std::move(conversation));
        for (int s = 0; s < 2; ++s) {
            auto shopping = std::make_unique<TShopping>();
            shopping->ID = ++d.LastShoppingID;
            shopping->FromTime = (10 + 5 * s) / 24.0;
            shopping->ToTime = (10.5 + 5 * s) / 24.0;
            shopping->Shop = make.Text(15);
            shopping->ShoppingList = make.Text(60);
            shopping->TotalPurchaseAmount = make.Between(3.0, 120.0);
            d.Shoppings.push_back(std::move(shopping));
        }
        diary->DB.push_back(std::move(day));
    }
    if (aPictureOfLastDay && !diary->DB.empty())
        diary->DB.back()->Picture = MakePhoto(3000, 2000);
    return diary;
}

std::unique_ptr<TDiary> MakePictureDiary(int aDays, qsizetype aPictureBytes)
{
    TTextMaker make(20250101);
    std::mt19937_64 noise(3);
    auto diary = std::make_unique<TDiary>();
    const double first = DayNumber(QDate(2025, 1, 1));
    diary->DB.reserve(size_t(aDays));
    for (int i = 0; i < aDays; ++i) {
        auto day = std::make_unique<TDay>(first + i + 0.5);
        day->Thoughts = make.Text(60);
        QByteArray picture(aPictureBytes, '\0');
        for (qsizetype at = 0; at + 8 <= picture.size(); at += 8) {
            const quint64 value = noise();
            std::memcpy(picture.data() + at, &value, 8);
        }
        if (picture.size() >= 4) {
            picture[0] = char(0xFF);
            picture[1] = char(0xD8);
            picture[picture.size() - 2] = char(0xFF);
            picture[picture.size() - 1] = char(0xD9);
        }
        day->Picture = std::move(picture);
        diary->DB.push_back(std::move(day));
    }
    return diary;
}

QByteArray MakePhoto(int aWidth, int aHeight)
{
    const int width = aWidth, height = aHeight;
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 88, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::mt19937 grain(2025);
    std::vector<unsigned char> row(size_t(width) * 3);
    while (info.next_scanline < info.image_height) {
        const int y = int(info.next_scanline);
        for (int x = 0; x < width; ++x) {
            const int noise = int(grain() % 23) - 11;
            const int light = (x * 160) / width + (y * 60) / height;
            row[size_t(x) * 3 + 0] = (unsigned char)std::clamp(40 + light + noise, 0, 255);
            row[size_t(x) * 3 + 1] =
                (unsigned char)std::clamp(70 + light / 2 + ((x / 50 + y / 70) % 2) * 30 + noise, 0, 255);
            row[size_t(x) * 3 + 2] = (unsigned char)std::clamp(160 - light / 2 + noise, 0, 255);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}
