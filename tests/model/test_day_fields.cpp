// The one table of a day's fields against the rest of the program: it lists every member of a
// day, every field it lists survives the file, makes a day worth keeping when it holds content,
// and is named once.

#include "model/DayFields.h"
#include "model/DiaryCopy.h"
#include "support/DiaryFixture.h"

#include <QSet>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// Gives the field another value than it has, distinct per field (aSeed); a flag is turned over,
// a list gets one more entry.
void SetField(TDay& aDay, const TDayField& aField, int aSeed)
{
    std::visit(
        [&](auto aMember) {
            auto& value = aDay.*aMember;
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, QString>)
                value = u"value %1"_s.arg(aSeed);
            else if constexpr (std::is_same_v<T, QByteArray>)
                value = QByteArray("\xFF\xD8\xFF\xE0 picture ") + QByteArray::number(aSeed);
            else if constexpr (std::is_same_v<T, bool>)
                value = !value;
            else if constexpr (std::is_same_v<T, double>)
                value = aField.Kind == TFieldKind::Date ? 46000.0 + aSeed : 0.5 + aSeed;
            else if constexpr (IsEntryList<T>) {
                auto entry = std::make_unique<typename T::value_type::element_type>();
                entry->ID = aSeed;
                value.push_back(std::move(entry));
            } else
                value = T(aSeed + 1);
        },
        aField.Member);
}

} // namespace

class TestDayFields : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namesAndControlsAreUnique()
    {
        QSet<QString> names, controls;
        for (const TDayField& field : DayFields()) {
            QVERIFY2(!names.contains(QString::fromLatin1(field.Name)), field.Name);
            names.insert(QString::fromLatin1(field.Name));
            if (field.Control) {
                QVERIFY2(!controls.contains(QString::fromLatin1(field.Control)), field.Control);
                controls.insert(QString::fromLatin1(field.Control));
            }
        }
        // The date, 6 texts, 3 x 8 health values, the health condition, 11 weather values and
        // texts, the thoughts, the picture, the 3 counters and the 3 item lists.
        QCOMPARE(DayFields().size(), size_t(1 + 6 + 24 + 1 + 11 + 1 + 1 + 3 + 3));
    }

    void everyMemberOfTheDayIsListed()
    {
        // A member the table misses would be neither copied into a recovery copy nor compared.
        // C++ cannot list a class's members, but it can tell where the listed ones lie: when they
        // and the padding between them fill the whole of TDay, none is missing. (A member small
        // enough to hide in the padding after a flag would escape this.)
        struct TSpan {
            size_t Offset;
            size_t Size;
            size_t Align;
            const char* Name;
        };
        const TDay day(0.0);
        std::vector<TSpan> spans;
        for (const TDayField& field : DayFields())
            std::visit(
                [&](auto aMember) {
                    using T = std::remove_cvref_t<decltype(day.*aMember)>;
                    const auto offset = reinterpret_cast<const char*>(&(day.*aMember)) -
                                        reinterpret_cast<const char*>(&day);
                    spans.push_back({size_t(offset), sizeof(T), alignof(T), field.Name});
                },
                field.Member);
        std::sort(spans.begin(), spans.end(), [](const TSpan& aA, const TSpan& aB) { return aA.Offset < aB.Offset; });
        const auto alignUp = [](size_t aOffset, size_t aAlign) { return (aOffset + aAlign - 1) / aAlign * aAlign; };
        size_t end = sizeof(void*); // TDay is polymorphic: its vtable pointer comes first
        for (const TSpan& span : spans) {
            QVERIFY2(span.Offset == alignUp(end, span.Align),
                     qPrintable(u"a member the table does not list lies before %1"_s.arg(QLatin1StringView(span.Name))));
            end = span.Offset + span.Size;
        }
        QCOMPARE(sizeof(TDay), alignUp(end, alignof(TDay)));
    }

    void everyFieldSurvivesTheFile()
    {
        // The file keeps a layout of its own (with its versions); it must agree with the table.
        TDiary diary;
        auto day = std::make_unique<TDay>(0.0);
        int seed = 0;
        for (const TDayField& field : DayFields())
            SetField(*day, field, ++seed);
        diary.DB.push_back(std::move(day));
        const auto read = ReadDiaryBytes(WrittenDiary(diary));
        QCOMPARE(read->DB.size(), size_t(1));
        QVERIFY(SameDayContent(*diary.DB[0], *read->DB[0]));
        // And the comparison sees each field: changing any one makes the days differ.
        for (const TDayField& field : DayFields()) {
            auto changed = CopyDay(*read->DB[0]);
            SetField(*changed, field, 1000);
            QVERIFY2(!SameDayContent(*diary.DB[0], *changed), field.Name);
        }
    }

    void everyContentFieldFillsADay()
    {
        for (const TDayField& field : DayFields()) {
            TDay day(46000.0);
            SetField(day, field, 1);
            if (field.Kind == TFieldKind::Date)
                continue;
            QVERIFY2(IsFilledDay(day) == field.IsContent(), field.Name);
        }
        QVERIFY(!IsFilledDay(TDay(46000.0)));
    }

    void readingsAndColumnsAgree()
    {
        // Every reading has a column in the exports, and its three fields are the table's.
        for (const THealthReading reading : AllHealthReadings) {
            const auto column = std::find_if(HealthColumns.begin(), HealthColumns.end(),
                                             [reading](const THealthColumn& aColumn) { return aColumn.Reading == reading; });
            QVERIFY(column != HealthColumns.end());
            for (const TTimeOfDay time : AllTimesOfDay) {
                const auto member = HealthReadingField(reading).At[size_t(time)];
                const auto listed = std::find_if(DayFields().begin(), DayFields().end(), [&](const TDayField& aField) {
                    const auto* pointer = std::get_if<double TDay::*>(&aField.Member);
                    return pointer && *pointer == member;
                });
                QVERIFY(listed != DayFields().end());
                QCOMPARE(listed->Kind, TFieldKind::Reading);
                QVERIFY(listed->Time == time);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestDayFields)
#include "test_day_fields.moc"
