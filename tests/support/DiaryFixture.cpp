#include "DiaryFixture.h"

#include "model/DiaryFile.h"

#include <QBuffer>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

TByteBuilder& TByteBuilder::Int32(qint32 aValue)
{
    const qint32 raw = qToLittleEndian(aValue);
    fBytes.append(reinterpret_cast<const char*>(&raw), sizeof raw);
    return *this;
}

TByteBuilder& TByteBuilder::Int64(qint64 aValue)
{
    const qint64 raw = qToLittleEndian(aValue);
    fBytes.append(reinterpret_cast<const char*>(&raw), sizeof raw);
    return *this;
}

TByteBuilder& TByteBuilder::Float(double aValue)
{
    qint64 bits;
    std::memcpy(&bits, &aValue, sizeof bits);
    return Int64(bits);
}

TByteBuilder& TByteBuilder::Flag(bool aValue)
{
    fBytes.append(char(aValue ? 1 : 0));
    return *this;
}

TByteBuilder& TByteBuilder::String(const QString& aText)
{
    quint32 count = quint32(aText.size() * 2);
    do {
        const char byte = char((count & 0x7F) | (count > 0x7F ? 0x80 : 0));
        fBytes.append(byte);
        count >>= 7;
    } while (count != 0);
    for (const QChar unit : aText) {
        fBytes.append(char(unit.unicode() & 0xFF));
        fBytes.append(char(unit.unicode() >> 8));
    }
    return *this;
}

TByteBuilder& TByteBuilder::Picture(const QByteArray& aBytes)
{
    Int32(qint32(aBytes.size()));
    fBytes.append(aBytes);
    return *this;
}

TByteBuilder& TByteBuilder::Raw(const QByteArray& aBytes)
{
    fBytes.append(aBytes);
    return *this;
}

TByteBuilder& TByteBuilder::Hex(const char* aHex)
{
    fBytes.append(QByteArray::fromHex(QByteArray(aHex).replace(' ', "")));
    return *this;
}

QByteArray DiaryFixture(const TDiary& aDiary, qint32 aFileVersion)
{
    const qint32 v = std::clamp(aFileVersion, 1, 10);
    TByteBuilder b;
    b.Int32(aFileVersion).String(aDiary.Copyright);
    if (v >= 6)
        b.Int64(qint64(aDiary.DB.size()));
    else
        b.Int32(qint32(aDiary.DB.size()));

    for (const auto& dayPointer : aDiary.DB) {
        const TDay& d = *dayPointer;
        b.Float(d.Date);
        if (v <= 9)
            b.String(d.Tasks.empty() ? QString() : d.Tasks.front()->Notes);
        b.String(d.WhatHappenedAdditionalyToTheTasks).String(d.Breakfast).String(d.Lunch);
        if (v >= 8)
            b.String(d.Brunch);
        if (v >= 7)
            b.String(d.TeeCoffeeTime);
        b.String(d.Dinner);

        const auto readings = [&](double aTemperature, double aPulse, bool aArrhythmia, double aSys, double aDia,
                                  double aOxygen, double aGlucose, double aWeight) {
            b.Float(aTemperature).Float(aPulse);
            if (v >= 2)
                b.Flag(aArrhythmia);
            b.Float(aSys).Float(aDia).Float(aOxygen);
            if (v >= 2)
                b.Float(aGlucose);
            b.Float(aWeight);
        };
        readings(d.TemperatureAtMorning, d.PulseAtMorning, d.HeartArrhythmiaSymbolAppearsAtMorning,
                 d.BloodPressureSysAtMorning, d.BloodPressureDiaAtMorning, d.OxygenSaturationAtMorning,
                 d.GlucoseLevelAtMorning, d.WeightAtMorning);
        readings(d.TemperatureAtLunch, d.PulseAtLunch, d.HeartArrhythmiaSymbolAppearsAtLunch, d.BloodPressureSysAtLunch,
                 d.BloodPressureDiaAtLunch, d.OxygenSaturationAtLunch, d.GlucoseLevelAtLunch, d.WeightAtLunch);
        readings(d.TemperatureAtEvening, d.PulseAtEvening, d.HeartArrhythmiaSymbolAppearsAtEvening,
                 d.BloodPressureSysAtEvening, d.BloodPressureDiaAtEvening, d.OxygenSaturationAtEvening,
                 d.GlucoseLevelAtEvening, d.WeightAtEvening);

        b.String(d.HealthCondition);
        if (v >= 3)
            b.Int32(d.WeatherHumidity);
        if (v >= 5)
            b.String(d.WeatherMoonPhase);
        if (v >= 3) {
            b.Float(d.WeatherPressure)
                .Int32(d.WeatherTemperatureAfternoon)
                .Int32(d.WeatherTemperatureEvening)
                .Int32(d.WeatherTemperatureMorning)
                .Int32(d.WeatherTemperatureOvernight)
                .Int32(d.WeatherUVIndex)
                .String(d.WeatherWindDirection)
                .Int32(d.WeatherWindSpeed);
        }
        b.String(d.Weather).String(d.Thoughts);
        if (v >= 4)
            b.Picture(d.Picture);
        if (v >= 10) {
            b.Int64(d.LastTaskID).Int64(qint64(d.Tasks.size()));
            for (const auto& t : d.Tasks)
                b.Int64(t->ID).Float(t->FromTime).Float(t->ToTime).String(t->Task).String(t->Notes);
        }
        if (v >= 6) {
            if (v >= 9)
                b.Int64(d.LastConversationID);
            else
                b.Int32(qint32(d.LastConversationID));
            b.Int64(qint64(d.Conversations.size()));
            for (const auto& c : d.Conversations)
                b.Int64(c->ID).Float(c->FromTime).Float(c->ToTime).String(c->Title).String(c->Conversation);
        }
        if (v >= 9) {
            b.Int64(d.LastShoppingID).Int64(qint64(d.Shoppings.size()));
            for (const auto& s : d.Shoppings)
                b.Int64(s->ID)
                    .Float(s->FromTime)
                    .Float(s->ToTime)
                    .String(s->Shop)
                    .String(s->ShoppingList)
                    .Float(s->TotalPurchaseAmount);
        }
    }
    return b.Bytes();
}

namespace {

double NaNWithPayload(quint64 aPayload)
{
    const quint64 bits = 0x7FF0000000000000ULL | (aPayload & 0x000FFFFFFFFFFFFFULL);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

quint64 Bits(double aValue)
{
    quint64 bits;
    std::memcpy(&bits, &aValue, sizeof bits);
    return bits;
}

QString Describe(const QString& aText)
{
    return aText.size() > 40 ? QStringLiteral("%1 units starting \"%2\"").arg(aText.size()).arg(aText.left(20))
                             : QStringLiteral("\"%1\"").arg(aText);
}

class TComparer {
public:
    QString fDifference;

    void Float(const QString& aWhere, double aExpected, double aActual)
    {
        if (fDifference.isEmpty() && Bits(aExpected) != Bits(aActual))
            fDifference = QStringLiteral("%1: expected bits %2, got %3")
                              .arg(aWhere)
                              .arg(Bits(aExpected), 16, 16, QLatin1Char('0'))
                              .arg(Bits(aActual), 16, 16, QLatin1Char('0'));
    }
    void Int(const QString& aWhere, qint64 aExpected, qint64 aActual)
    {
        if (fDifference.isEmpty() && aExpected != aActual)
            fDifference = QStringLiteral("%1: expected %2, got %3").arg(aWhere).arg(aExpected).arg(aActual);
    }
    void Text(const QString& aWhere, const QString& aExpected, const QString& aActual)
    {
        // Compared as code units, so a lone surrogate cannot be hidden by any conversion.
        if (fDifference.isEmpty() &&
            (aExpected.size() != aActual.size() ||
             std::memcmp(aExpected.utf16(), aActual.utf16(), size_t(aExpected.size()) * 2) != 0))
            fDifference = QStringLiteral("%1: expected %2, got %3").arg(aWhere, Describe(aExpected), Describe(aActual));
    }
    void Bytes(const QString& aWhere, const QByteArray& aExpected, const QByteArray& aActual)
    {
        if (fDifference.isEmpty() && aExpected != aActual)
            fDifference = QStringLiteral("%1: expected %2 bytes, got %3 bytes that differ")
                              .arg(aWhere)
                              .arg(aExpected.size())
                              .arg(aActual.size());
    }
};

} // namespace

std::unique_ptr<TDiary> MakeSampleDiary()
{
    auto diary = std::make_unique<TDiary>();
    diary->Copyright = QStringLiteral("Sample notice \u00e4\u00f6\u00fc \u20ac");

    // Day 1: everything set, every value distinct so that a field read into the wrong place shows.
    auto day = std::make_unique<TDay>(46000.75);
    TDay& d = *day;
    QString loneSurrogates;
    loneSurrogates.append(QChar(0xD800)).append(u'x').append(QChar(0xDFFF)).append(QChar(0xDC00));
    d.WhatHappenedAdditionalyToTheTasks = QStringLiteral("What happened ") + loneSurrogates;
    // Longer than a read chunk, so it crosses buffer boundaries wherever it starts.
    d.Breakfast = QString(70000, QChar(u'B')) + QStringLiteral("end");
    d.Lunch = QStringLiteral("Lunch");
    d.Brunch = QStringLiteral("Brunch");
    d.TeeCoffeeTime = QStringLiteral("Tea");
    d.Dinner = QStringLiteral("Dinner \U0001F600");
    d.TemperatureAtMorning = 36.6;
    d.PulseAtMorning = 72;
    d.HeartArrhythmiaSymbolAppearsAtMorning = true;
    d.BloodPressureSysAtMorning = 120;
    d.BloodPressureDiaAtMorning = 80;
    d.OxygenSaturationAtMorning = 98;
    d.GlucoseLevelAtMorning = 5.5;
    d.WeightAtMorning = 80.25;
    d.TemperatureAtLunch = -0.0;
    d.PulseAtLunch = NaNWithPayload(0x12345);
    d.HeartArrhythmiaSymbolAppearsAtLunch = false;
    d.BloodPressureSysAtLunch = std::numeric_limits<double>::infinity();
    d.BloodPressureDiaAtLunch = -std::numeric_limits<double>::infinity();
    d.OxygenSaturationAtLunch = std::numeric_limits<double>::denorm_min();
    d.GlucoseLevelAtLunch = std::numeric_limits<double>::max();
    d.WeightAtLunch = -1e-300;
    d.TemperatureAtEvening = 37.1;
    d.PulseAtEvening = 65;
    d.HeartArrhythmiaSymbolAppearsAtEvening = true;
    d.BloodPressureSysAtEvening = 131;
    d.BloodPressureDiaAtEvening = 85;
    d.OxygenSaturationAtEvening = 97;
    d.GlucoseLevelAtEvening = 6.1;
    d.WeightAtEvening = 80.5;
    d.HealthCondition = QStringLiteral("Health");
    d.WeatherHumidity = std::numeric_limits<qint32>::min();
    d.WeatherMoonPhase = QStringLiteral("Full moon");
    d.WeatherPressure = 1013.25;
    d.WeatherTemperatureAfternoon = 21;
    d.WeatherTemperatureEvening = -17;
    d.WeatherTemperatureMorning = 12;
    d.WeatherTemperatureOvernight = std::numeric_limits<qint32>::max();
    d.WeatherUVIndex = 7;
    d.WeatherWindDirection = QStringLiteral("NNW");
    d.WeatherWindSpeed = 33;
    d.Weather = QStringLiteral("Sunny");
    d.Thoughts = QString(64, QChar(u'T')); // 128 bytes: the first two-byte prefix
    for (int i = 0; i < 300; ++i)
        d.Picture.append(char(i * 7));
    d.LastTaskID = std::numeric_limits<qint64>::max();
    for (int i = 0; i < 2; ++i) {
        auto task = std::make_unique<TTask>();
        task->ID = i == 0 ? std::numeric_limits<qint64>::min() : 42;
        task->FromTime = 0.25 + i;
        task->ToTime = NaNWithPayload(7 + i);
        task->Task = QStringLiteral("Task %1").arg(i);
        task->Notes = QStringLiteral("Notes of task %1").arg(i);
        d.Tasks.push_back(std::move(task));
    }
    d.LastConversationID = -5; // fits the int32 of versions 6 to 8
    auto conversation = std::make_unique<TConversation>();
    conversation->ID = -1;
    conversation->FromTime = 0.5;
    conversation->ToTime = 0.625;
    conversation->Title = QString();
    conversation->Conversation = loneSurrogates;
    d.Conversations.push_back(std::move(conversation));
    d.LastShoppingID = std::numeric_limits<qint64>::min();
    for (int i = 0; i < 3; ++i) {
        auto shopping = std::make_unique<TShopping>();
        shopping->ID = i + 1;
        shopping->FromTime = 0.1 * i;
        shopping->ToTime = 0.1 * i + 0.05;
        shopping->Shop = QStringLiteral("Shop %1").arg(i);
        shopping->ShoppingList = QStringLiteral("List %1").arg(i);
        shopping->TotalPurchaseAmount = i == 1 ? -0.0 : 12.34 * i;
        d.Shoppings.push_back(std::move(shopping));
    }
    diary->DB.push_back(std::move(day));

    // Day 2: as constructed; dated before day 1, since the file keeps the list order.
    diary->DB.push_back(std::make_unique<TDay>(-1.5));

    // Day 3: a little of everything, with an empty picture and empty lists but raised counters.
    auto third = std::make_unique<TDay>(46001.0);
    third->Thoughts = QStringLiteral("Third");
    third->WeatherMoonPhase = QStringLiteral("New moon");
    third->Brunch = QStringLiteral("Late");
    third->GlucoseLevelAtEvening = 4.4;
    third->LastTaskID = 3;
    third->LastConversationID = 2;
    third->LastShoppingID = 1;
    diary->DB.push_back(std::move(third));
    return diary;
}

QString DiaryDifference(const TDiary& aExpected, const TDiary& aActual)
{
    TComparer c;
    c.Int(QStringLiteral("Version"), aExpected.Version, aActual.Version);
    c.Text(QStringLiteral("Copyright"), aExpected.Copyright, aActual.Copyright);
    c.Int(QStringLiteral("day count"), qint64(aExpected.DB.size()), qint64(aActual.DB.size()));
    if (!c.fDifference.isEmpty())
        return c.fDifference;

    for (size_t i = 0; i < aExpected.DB.size() && c.fDifference.isEmpty(); ++i) {
        const TDay& e = *aExpected.DB[i];
        const TDay& a = *aActual.DB[i];
        const QString day = QStringLiteral("day %1 ").arg(i + 1);
        c.Float(day + QStringLiteral("Date"), e.Date, a.Date);

        const std::pair<const char*, QString TDay::*> texts[] = {
            {"WhatHappenedAdditionalyToTheTasks", &TDay::WhatHappenedAdditionalyToTheTasks},
            {"Breakfast", &TDay::Breakfast},
            {"Lunch", &TDay::Lunch},
            {"Brunch", &TDay::Brunch},
            {"TeeCoffeeTime", &TDay::TeeCoffeeTime},
            {"Dinner", &TDay::Dinner},
            {"HealthCondition", &TDay::HealthCondition},
            {"WeatherMoonPhase", &TDay::WeatherMoonPhase},
            {"WeatherWindDirection", &TDay::WeatherWindDirection},
            {"Weather", &TDay::Weather},
            {"Thoughts", &TDay::Thoughts}};
        for (const auto& [name, member] : texts)
            c.Text(day + QLatin1String(name), e.*member, a.*member);

        const std::pair<const char*, double TDay::*> floats[] = {
            {"TemperatureAtMorning", &TDay::TemperatureAtMorning},
            {"PulseAtMorning", &TDay::PulseAtMorning},
            {"BloodPressureSysAtMorning", &TDay::BloodPressureSysAtMorning},
            {"BloodPressureDiaAtMorning", &TDay::BloodPressureDiaAtMorning},
            {"OxygenSaturationAtMorning", &TDay::OxygenSaturationAtMorning},
            {"GlucoseLevelAtMorning", &TDay::GlucoseLevelAtMorning},
            {"WeightAtMorning", &TDay::WeightAtMorning},
            {"TemperatureAtLunch", &TDay::TemperatureAtLunch},
            {"PulseAtLunch", &TDay::PulseAtLunch},
            {"BloodPressureSysAtLunch", &TDay::BloodPressureSysAtLunch},
            {"BloodPressureDiaAtLunch", &TDay::BloodPressureDiaAtLunch},
            {"OxygenSaturationAtLunch", &TDay::OxygenSaturationAtLunch},
            {"GlucoseLevelAtLunch", &TDay::GlucoseLevelAtLunch},
            {"WeightAtLunch", &TDay::WeightAtLunch},
            {"TemperatureAtEvening", &TDay::TemperatureAtEvening},
            {"PulseAtEvening", &TDay::PulseAtEvening},
            {"BloodPressureSysAtEvening", &TDay::BloodPressureSysAtEvening},
            {"BloodPressureDiaAtEvening", &TDay::BloodPressureDiaAtEvening},
            {"OxygenSaturationAtEvening", &TDay::OxygenSaturationAtEvening},
            {"GlucoseLevelAtEvening", &TDay::GlucoseLevelAtEvening},
            {"WeightAtEvening", &TDay::WeightAtEvening},
            {"WeatherPressure", &TDay::WeatherPressure}};
        for (const auto& [name, member] : floats)
            c.Float(day + QLatin1String(name), e.*member, a.*member);

        const std::pair<const char*, bool TDay::*> flags[] = {
            {"HeartArrhythmiaSymbolAppearsAtMorning", &TDay::HeartArrhythmiaSymbolAppearsAtMorning},
            {"HeartArrhythmiaSymbolAppearsAtLunch", &TDay::HeartArrhythmiaSymbolAppearsAtLunch},
            {"HeartArrhythmiaSymbolAppearsAtEvening", &TDay::HeartArrhythmiaSymbolAppearsAtEvening}};
        for (const auto& [name, member] : flags)
            c.Int(day + QLatin1String(name), e.*member, a.*member);

        const std::pair<const char*, qint32 TDay::*> ints[] = {
            {"WeatherHumidity", &TDay::WeatherHumidity},
            {"WeatherTemperatureAfternoon", &TDay::WeatherTemperatureAfternoon},
            {"WeatherTemperatureEvening", &TDay::WeatherTemperatureEvening},
            {"WeatherTemperatureMorning", &TDay::WeatherTemperatureMorning},
            {"WeatherTemperatureOvernight", &TDay::WeatherTemperatureOvernight},
            {"WeatherUVIndex", &TDay::WeatherUVIndex},
            {"WeatherWindSpeed", &TDay::WeatherWindSpeed}};
        for (const auto& [name, member] : ints)
            c.Int(day + QLatin1String(name), e.*member, a.*member);

        c.Bytes(day + QStringLiteral("Picture"), e.Picture, a.Picture);

        c.Int(day + QStringLiteral("LastTaskID"), e.LastTaskID, a.LastTaskID);
        c.Int(day + QStringLiteral("task count"), qint64(e.Tasks.size()), qint64(a.Tasks.size()));
        for (size_t j = 0; j < e.Tasks.size() && c.fDifference.isEmpty(); ++j) {
            const QString where = day + QStringLiteral("task %1 ").arg(j + 1);
            c.Int(where + QStringLiteral("ID"), e.Tasks[j]->ID, a.Tasks[j]->ID);
            c.Float(where + QStringLiteral("FromTime"), e.Tasks[j]->FromTime, a.Tasks[j]->FromTime);
            c.Float(where + QStringLiteral("ToTime"), e.Tasks[j]->ToTime, a.Tasks[j]->ToTime);
            c.Text(where + QStringLiteral("Task"), e.Tasks[j]->Task, a.Tasks[j]->Task);
            c.Text(where + QStringLiteral("Notes"), e.Tasks[j]->Notes, a.Tasks[j]->Notes);
        }
        c.Int(day + QStringLiteral("LastConversationID"), e.LastConversationID, a.LastConversationID);
        c.Int(day + QStringLiteral("conversation count"), qint64(e.Conversations.size()),
              qint64(a.Conversations.size()));
        for (size_t j = 0; j < e.Conversations.size() && c.fDifference.isEmpty(); ++j) {
            const QString where = day + QStringLiteral("conversation %1 ").arg(j + 1);
            const TConversation& ec = *e.Conversations[j];
            const TConversation& ac = *a.Conversations[j];
            c.Int(where + QStringLiteral("ID"), ec.ID, ac.ID);
            c.Float(where + QStringLiteral("FromTime"), ec.FromTime, ac.FromTime);
            c.Float(where + QStringLiteral("ToTime"), ec.ToTime, ac.ToTime);
            c.Text(where + QStringLiteral("Title"), ec.Title, ac.Title);
            c.Text(where + QStringLiteral("Conversation"), ec.Conversation, ac.Conversation);
        }
        c.Int(day + QStringLiteral("LastShoppingID"), e.LastShoppingID, a.LastShoppingID);
        c.Int(day + QStringLiteral("shopping count"), qint64(e.Shoppings.size()), qint64(a.Shoppings.size()));
        for (size_t j = 0; j < e.Shoppings.size() && c.fDifference.isEmpty(); ++j) {
            const QString where = day + QStringLiteral("shopping %1 ").arg(j + 1);
            const TShopping& es = *e.Shoppings[j];
            const TShopping& as = *a.Shoppings[j];
            c.Int(where + QStringLiteral("ID"), es.ID, as.ID);
            c.Float(where + QStringLiteral("FromTime"), es.FromTime, as.FromTime);
            c.Float(where + QStringLiteral("ToTime"), es.ToTime, as.ToTime);
            c.Text(where + QStringLiteral("Shop"), es.Shop, as.Shop);
            c.Text(where + QStringLiteral("ShoppingList"), es.ShoppingList, as.ShoppingList);
            c.Float(where + QStringLiteral("TotalPurchaseAmount"), es.TotalPurchaseAmount, as.TotalPurchaseAmount);
        }
    }
    return c.fDifference;
}

QByteArray WrittenDiary(const TDiary& aDiary)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    WriteDiary(aDiary, buffer);
    return bytes;
}

std::unique_ptr<TDiary> ReadDiaryBytes(const QByteArray& aBytes)
{
    QBuffer buffer;
    buffer.setData(aBytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadDiary(buffer);
}

void WriteDiaryWithThoughts(const QString& aPath, const QDate& aDate, const QString& aThoughts)
{
    TDiary diary;
    diary.GetDay(EncodeDate(aDate))->Thoughts = aThoughts;
    WriteDiaryFile(diary, aPath);
}

QString ThoughtsOf(const TDiary& aDiary, const QDate& aDate)
{
    for (const auto& day : aDiary.DB)
        if (DateOfDateTime(day->Date) == aDate)
            return day->Thoughts;
    return QStringLiteral("<no page>");
}
