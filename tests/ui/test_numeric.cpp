// The 30 numeric edits on the real window: which typed characters their key filters let through,
// the empty and lone-minus edits that the commit step fills with 0, and the conversion error that
// stops every commit while an edit holds no number.

#include "ui/support/DayPageWindow.h"

#include "ui/Widgets.h"
#include "util/ksDateUtils.h"

#include <QApplication>
#include <QClipboard>
#include <QDateEdit>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTabWidget>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {
const QDate March12(2026, 3, 12);
const QDate March20(2026, 3, 20);

const QString FloatMessage = u"error: Only floating point numbers are allowed!"_s;
const QString IntegerMessage = u"error: Only integers are allowed!"_s;

QByteArray FileBytes(const QString& aPath)
{
    QFile file(aPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void DropText(QWidget* aTarget, const QString& aText)
{
    QMimeData data;
    data.setText(aText);
    const QPoint at = aTarget->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(aTarget, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(aTarget->rect().center()), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(aTarget, &drop);
    QVERIFY(drop.isAccepted());
}

// The few stored fields the tables below look at, by the edit that shows them.
double StoredValue(const TDay& aDay, const QString& aEdit)
{
    if (aEdit == u"EditTemperature1")
        return aDay.TemperatureAtMorning;
    if (aEdit == u"EditTemperature2")
        return aDay.TemperatureAtLunch;
    if (aEdit == u"EditPuls1")
        return aDay.PulseAtMorning;
    if (aEdit == u"EditWeatherTemperatureMorning")
        return aDay.WeatherTemperatureMorning;
    if (aEdit == u"EditWeatherTemperatureOvernight")
        return aDay.WeatherTemperatureOvernight;
    if (aEdit == u"EditWeatherHumidity")
        return aDay.WeatherHumidity;
    if (aEdit == u"EditWeatherWindSpeed")
        return aDay.WeatherWindSpeed;
    qFatal("no stored value for %s", qPrintable(aEdit));
}
} // namespace

class TestNumeric : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keyFilters_data();
    void keyFilters();
    void altAcceleratorsStillWorkInANumericEdit();
    void keyTypingSeveralCharactersIsFilteredWhole();
    void enterNeitherCommitsNorFinishesTheEdit();
    void emptyEditsBecomeZeroWhenAnyEditIsLeft_data();
    void emptyEditsBecomeZeroWhenAnyEditIsLeft();
    void textThatIsNoNumberStopsEveryCommit_data();
    void textThatIsNoNumberStopsEveryCommit();
    void leavingAnEditWhileACommandRunsDoesNothing();
};

void TestNumeric::keyFilters_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("selectAll");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("message");

    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    const int alt = Qt::AltModifier;
    const QString temperature = u"EditTemperature1"_s;
    QTest::newRow("decimal: digit") << temperature << u"36"_s << false << int(Qt::Key_5) << none << u"365"_s
                                    << QString();
    QTest::newRow("decimal: backspace") << temperature << u"36"_s << false << int(Qt::Key_Backspace) << none << u"3"_s
                                        << QString();
    QTest::newRow("decimal: first separator")
        << temperature << u"36"_s << false << int(Qt::Key_Period) << none << u"36."_s << QString();
    QTest::newRow("decimal: second separator")
        << temperature << u"36.5"_s << false << int(Qt::Key_Period) << none << u"36.5"_s << FloatMessage;
    QTest::newRow("decimal: separator over a selection holding one")
        << temperature << u"36.5"_s << true << int(Qt::Key_Period) << none << u"36.5"_s << FloatMessage;
    QTest::newRow("decimal: minus") << temperature << u"36"_s << false << int(Qt::Key_Minus) << none << u"36"_s
                                    << FloatMessage;
    QTest::newRow("decimal: comma") << temperature << u"36"_s << false << int(Qt::Key_Comma) << none << u"36"_s
                                    << FloatMessage;
    QTest::newRow("decimal: letter") << temperature << u"36"_s << false << int(Qt::Key_E) << none << u"36"_s
                                     << FloatMessage;
    QTest::newRow("decimal: blank") << temperature << u"36"_s << false << int(Qt::Key_Space) << none << u"36"_s
                                    << FloatMessage;
    QTest::newRow("decimal: Enter") << temperature << u"36"_s << false << int(Qt::Key_Return) << none << u"36"_s
                                    << FloatMessage;
    QTest::newRow("decimal: Escape") << temperature << u"36"_s << true << int(Qt::Key_Escape) << none << u"36"_s
                                     << FloatMessage;
    QTest::newRow("decimal: Ctrl+V does not paste")
        << temperature << u"36"_s << false << int(Qt::Key_V) << ctrl << u"36"_s << FloatMessage;
    QTest::newRow("decimal: Ctrl+X does not cut")
        << temperature << u"36"_s << true << int(Qt::Key_X) << ctrl << u"36"_s << FloatMessage;
    QTest::newRow("decimal: Ctrl+Z") << temperature << u"36"_s << false << int(Qt::Key_Z) << ctrl << u"36"_s
                                     << FloatMessage;
    QTest::newRow("decimal: Ctrl+A") << temperature << u"36"_s << false << int(Qt::Key_A) << ctrl << u"36"_s
                                     << FloatMessage;
    QTest::newRow("decimal: Delete types nothing")
        << temperature << u"36"_s << true << int(Qt::Key_Delete) << none << QString() << QString();
    QTest::newRow("decimal: arrow") << temperature << u"36"_s << false << int(Qt::Key_Left) << none << u"36"_s
                                    << QString();
    QTest::newRow("decimal: Home") << temperature << u"36"_s << false << int(Qt::Key_Home) << none << u"36"_s
                                   << QString();
    QTest::newRow("decimal: End") << temperature << u"36"_s << false << int(Qt::Key_End) << none << u"36"_s
                                  << QString();
    // Alt changes nothing about what a key types where no accelerator takes it.
    QTest::newRow("decimal: Alt+letter") << temperature << u"36"_s << false << int(Qt::Key_X) << alt << u"36"_s
                                         << FloatMessage;
    QTest::newRow("decimal: Alt+minus") << temperature << u"36"_s << false << int(Qt::Key_Minus) << alt << u"36"_s
                                        << FloatMessage;
    QTest::newRow("decimal: Alt+second separator")
        << temperature << u"36.5"_s << false << int(Qt::Key_Period) << alt << u"36.5"_s << FloatMessage;
    QTest::newRow("decimal: Alt+digit") << temperature << u"36"_s << false << int(Qt::Key_5) << alt << u"365"_s
                                        << QString();
    QTest::newRow("decimal: Ctrl+Alt+letter")
        << temperature << u"36"_s << false << int(Qt::Key_Q) << (ctrl | alt) << u"36"_s << FloatMessage;
    QTest::newRow("decimal: glucose separator")
        << u"EditGlucoseLevel2"_s << u"12"_s << false << int(Qt::Key_Period) << none << u"12."_s << QString();
    QTest::newRow("decimal: pressure separator")
        << u"EditWeatherPressure"_s << u"1013"_s << false << int(Qt::Key_Period) << none << u"1013."_s << QString();

    const QString pulse = u"EditPuls1"_s;
    QTest::newRow("whole: digit") << pulse << u"7"_s << false << int(Qt::Key_0) << none << u"70"_s << QString();
    QTest::newRow("whole: backspace") << pulse << u"70"_s << false << int(Qt::Key_Backspace) << none << u"7"_s
                                      << QString();
    QTest::newRow("whole: separator") << pulse << u"70"_s << false << int(Qt::Key_Period) << none << u"70"_s
                                      << IntegerMessage;
    QTest::newRow("whole: minus") << pulse << u"70"_s << false << int(Qt::Key_Minus) << none << u"70"_s
                                  << IntegerMessage;
    QTest::newRow("whole: humidity minus")
        << u"EditWeatherHumidity"_s << u"5"_s << false << int(Qt::Key_Minus) << none << u"5"_s << IntegerMessage;
    QTest::newRow("whole: Enter") << pulse << u"70"_s << false << int(Qt::Key_Enter) << none << u"70"_s
                                  << IntegerMessage;
    QTest::newRow("whole: Alt+letter") << pulse << u"70"_s << false << int(Qt::Key_K) << alt << u"70"_s
                                       << IntegerMessage;
    QTest::newRow("whole: Ctrl+V") << pulse << u"70"_s << false << int(Qt::Key_V) << ctrl << u"70"_s << IntegerMessage;

    const QString morning = u"EditWeatherTemperatureMorning"_s;
    QTest::newRow("minus: minus after a digit")
        << morning << u"5"_s << false << int(Qt::Key_Minus) << none << u"5-"_s << QString();
    QTest::newRow("minus: any number of minus signs")
        << morning << u"--"_s << false << int(Qt::Key_Minus) << none << u"---"_s << QString();
    QTest::newRow("minus: digit") << morning << u"-"_s << false << int(Qt::Key_4) << none << u"-4"_s << QString();
    QTest::newRow("minus: separator") << morning << u"-4"_s << false << int(Qt::Key_Period) << none << u"-4"_s
                                      << IntegerMessage;
    QTest::newRow("minus: Alt+minus") << morning << u"5"_s << false << int(Qt::Key_Minus) << alt << u"5-"_s
                                      << QString();
    QTest::newRow("minus: Alt+letter") << morning << u"5"_s << false << int(Qt::Key_X) << alt << u"5"_s
                                       << IntegerMessage;
    QTest::newRow("minus: Ctrl+V") << morning << u"-4"_s << false << int(Qt::Key_V) << ctrl << u"-4"_s
                                   << IntegerMessage;
}

void TestNumeric::keyFilters()
{
    QFETCH(QString, edit);
    QFETCH(QString, before);
    QFETCH(bool, selectAll);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, after);
    QFETCH(QString, message);

    auto diary = MakeDiary({March12});
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    QApplication::clipboard()->setText(u"99"_s);
    auto* control = window.Find<TNumberEdit>(edit);
    window.Focus(control);
    control->setText(before);
    if (selectAll)
        control->selectAll();

    QTest::keyClick(control, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QCOMPARE(control->text(), after);
    QCOMPARE(window.TakeMessages(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(QApplication::clipboard()->text(), u"99"_s); // Ctrl+C and Ctrl+X never reach it
    QCOMPARE(QApplication::focusWidget(), control);       // a key is no commit point
    QVERIFY(!window.Form().IsDialogUpdated());
}

void TestNumeric::altAcceleratorsStillWorkInANumericEdit()
{
    auto diary = MakeDiary({March12});
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* temperature = window.Find<TNumberEdit>(u"EditTemperature1"_s);
    window.Focus(temperature);
    temperature->setText(u"36.6"_s);

    QTest::keyClick(temperature, Qt::Key_W, Qt::AltModifier); // the "&Weather" page
    QCOMPARE(window.Find<QTabWidget>(u"PageControlAll"_s)->currentWidget(), window.Widget(u"TabSheetWeather"_s));
    QCOMPARE(temperature->text(), u"36.6"_s);
    QCOMPARE(window.TakeMessages(), QStringList());
    QCOMPARE(window.Day().TemperatureAtMorning, 36.6); // leaving the page left the edit
}

void TestNumeric::keyTypingSeveralCharactersIsFilteredWhole()
{
    auto diary = MakeDiary({March12});
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* pulse = window.Find<TNumberEdit>(u"EditPuls1"_s);
    window.Focus(pulse);
    pulse->setText(u"7"_s);

    // A composed key reports all it types in one event.
    QTest::sendKeyEvent(QTest::Click, pulse, Qt::Key_5, u"5x"_s, Qt::NoModifier);
    QCOMPARE(pulse->text(), u"7"_s);
    QCOMPARE(window.TakeMessages(), QStringList{IntegerMessage});
    QTest::sendKeyEvent(QTest::Click, pulse, Qt::Key_5, u"55"_s, Qt::NoModifier);
    QCOMPARE(pulse->text(), u"755"_s);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestNumeric::enterNeitherCommitsNorFinishesTheEdit()
{
    auto diary = MakeDiary({March12});
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* temperature = window.Find<TNumberEdit>(u"EditTemperature1"_s);
    bool finished = false;
    QObject::connect(temperature, &QLineEdit::returnPressed, [&] { finished = true; });

    window.Focus(temperature);
    temperature->selectAll();
    QTest::keyClicks(temperature, u"38"_s);
    QTest::keyClick(temperature, Qt::Key_Return);
    QCOMPARE(window.TakeMessages(), QStringList{FloatMessage});
    QVERIFY(!finished);
    QCOMPARE(window.Day().TemperatureAtMorning, 0.0);

    // Pasting through the context menu is not filtered; it takes the same road as any other text.
    QApplication::clipboard()->setText(u".5"_s);
    temperature->paste();
    QCOMPARE(temperature->text(), u"38.5"_s);
    window.Focus(window.Widget(u"EditPuls1"_s));
    QCOMPARE(window.Day().TemperatureAtMorning, 38.5);
}

void TestNumeric::emptyEditsBecomeZeroWhenAnyEditIsLeft_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<double>("stored");
    QTest::newRow("empty pulse") << u"EditPuls1"_s << QString() << u"0"_s << 0.0;
    QTest::newRow("empty temperature") << u"EditTemperature1"_s << QString() << u"0"_s << 0.0;
    QTest::newRow("empty weather temperature") << u"EditWeatherTemperatureMorning"_s << QString() << u"0"_s << 0.0;
    QTest::newRow("lone minus in a weather temperature")
        << u"EditWeatherTemperatureMorning"_s << u"-"_s << u"0"_s << 0.0;
    QTest::newRow("negative weather temperature") << u"EditWeatherTemperatureMorning"_s << u"-5"_s << u"-5"_s << -5.0;
}

void TestNumeric::emptyEditsBecomeZeroWhenAnyEditIsLeft()
{
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(double, stored);

    auto diary = MakeDiary({March12});
    TDay& day = DayOf(*diary, March12);
    day.PulseAtMorning = 72;
    day.TemperatureAtMorning = 36.6;
    day.WeatherTemperatureMorning = 4;
    day.WeatherTemperatureOvernight = 2;
    TDayPageWindow window(diary.get());
    window.PickDate(March12);

    // Another edit emptied or left with a lone minus elsewhere is filled by the same step.
    auto* overnight = window.Find<TNumberEdit>(u"EditWeatherTemperatureOvernight"_s);
    overnight->setText(u"-"_s);

    auto* control = window.Find<TNumberEdit>(edit);
    window.Focus(control);
    control->selectAll();
    QTest::keyClick(control, Qt::Key_Backspace);
    QTest::keyClicks(control, typed);
    window.Focus(window.Widget(u"EditWeight3"_s));

    QCOMPARE(control->text(), shown);
    QCOMPARE(StoredValue(window.Day(), edit), stored);
    QCOMPARE(overnight->text(), u"0"_s);
    QCOMPARE(window.Day().WeatherTemperatureOvernight, 0);
    QVERIFY(window.Form().IsDialogUpdated());
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestNumeric::textThatIsNoNumberStopsEveryCommit_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("dropped"); // dragged onto the edit instead of pasted into it
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("field"); // as the box of a refused close names it
    QTest::newRow("lone separator") << u"EditTemperature1"_s << u"."_s << false
                                    << u"error: '.' ist kein gültiger Gleitkommawert."_s
                                    << u"\"Temperature\" (Morning) on the Health page"_s;
    QTest::newRow("minus after a digit") << u"EditWeatherTemperatureMorning"_s << u"5-"_s << false
                                         << u"error: '5-' ist kein gültiger Integerwert."_s
                                         << u"\"Temperature\" (Morning) on the Weather page"_s;
    QTest::newRow("two minus signs") << u"EditWeatherTemperatureMorning"_s << u"--5"_s << false
                                     << u"error: '--5' ist kein gültiger Integerwert."_s
                                     << u"\"Temperature\" (Morning) on the Weather page"_s;
    QTest::newRow("beyond 32 bits") << u"EditWeatherHumidity"_s << u"2147483648"_s << false
                                    << u"error: '2147483648' ist kein gültiger Integerwert."_s
                                    << u"\"Humidity %\" (Afternoon) on the Weather page"_s;
    // A pulse is typed as a whole number but is a decimal in the record.
    QTest::newRow("pasted words in a pulse")
        << u"EditPuls1"_s << u"about 70"_s << false << u"error: 'about 70' ist kein gültiger Gleitkommawert."_s
        << u"\"Pulse\" (Morning) on the Health page"_s;
    QTest::newRow("dropped words in a temperature")
        << u"EditTemperature2"_s << u"warm"_s << true << u"error: 'warm' ist kein gültiger Gleitkommawert."_s
        << u"\"Temperature\" (Afternoon) on the Health page"_s;
    QTest::newRow("dropped decimal in a wind speed")
        << u"EditWeatherWindSpeed"_s << u"5.5"_s << true << u"error: '5.5' ist kein gültiger Integerwert."_s
        << u"\"Wind speed km/h\" (Afternoon) on the Weather page"_s;
}

void TestNumeric::textThatIsNoNumberStopsEveryCommit()
{
    QFETCH(QString, edit);
    QFETCH(QString, pasted);
    QFETCH(bool, dropped);
    QFETCH(QString, message);
    QFETCH(QString, field);

    auto diary = MakeDiary({March12, March20});
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* control = window.Find<TNumberEdit>(edit);
    if (dropped) {
        // Dropped from elsewhere: unfiltered like a paste, and the edit then holds the focus, so
        // leaving it commits what was dropped.
        window.Focus(window.Widget(u"ButtonGoToLastFilledDay"_s));
        control->clear();
        DropText(control, pasted);
        QCOMPARE(window.TakeMessages(), QStringList());
        QCOMPARE(QApplication::focusWidget(), control);
    } else {
        window.Focus(control);
        control->selectAll();
        QApplication::clipboard()->setText(pasted);
        control->paste();
    }

    // Leaving the edit for a control of the day row, which every page shows.
    window.Focus(window.Widget(u"ButtonGoToFirstFilledDay"_s));
    QCOMPARE(window.TakeMessages(), QStringList{message});
    QCOMPARE(control->text(), pasted);
    QVERIFY(!window.Form().IsBusy());

    // Switching the day: the switch does not happen and the picker names the day still shown.
    window.PickDate(March20);
    QCOMPARE(window.TakeMessages(), QStringList{message});
    QCOMPARE(DateOfDateTime(window.Day().Date), March12);
    QCOMPARE(window.Picker()->date(), March12);
    QCOMPARE(control->text(), pasted);

    // Saving: nothing is written.
    const QDir folder = QFileInfo(window.DiaryPath()).dir();
    const QStringList files = folder.entryList(QDir::Files);
    const QByteArray written = FileBytes(window.DiaryPath());
    window.Form().MenuItemSaveClick();
    QCOMPARE(window.TakeMessages(), QStringList{message});
    QCOMPARE(folder.entryList(QDir::Files), files); // no backup made either
    QCOMPARE(FileBytes(window.DiaryPath()), written);

    // Closing: refused, so nothing typed is lost; the box says what to correct, and the edit is
    // shown with the focus in it.
    window.Focus(window.Widget(u"RichEditThoughts"_s));
    QVERIFY(!window.Form().close());
    QCOMPARE(window.TakeMessages(),
             QStringList{message + u" The window stays open until "_s + field + u" holds a number."_s});
    QVERIFY(window.Form().Diary());
    QCOMPARE(QApplication::focusWidget(), control);
    QCOMPARE(control->text(), pasted);

    // Once corrected, the next commit goes through.
    control->setText(u"1"_s);
    window.PickDate(March20);
    QCOMPARE(window.TakeMessages(), QStringList());
    QCOMPARE(DateOfDateTime(window.Day().Date), March20);
    window.PickDate(March12);
    QCOMPARE(StoredValue(window.Day(), edit), 1.0);
}

void TestNumeric::leavingAnEditWhileACommandRunsDoesNothing()
{
    auto diary = MakeDiary({March12});
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* temperature = window.Find<TNumberEdit>(u"EditTemperature1"_s);
    auto* pulse = window.Find<TNumberEdit>(u"EditPuls1"_s);
    window.Focus(temperature);
    temperature->setText(u"."_s);
    pulse->clear();

    // The about box holds the busy flag while it is shown.
    bool ran = false;
    window.Dialogs().OnModal = [&](QDialog&) {
        ran = true;
        QVERIFY(window.Form().IsBusy());
        window.Focus(window.Widget(u"EditWeight1"_s));
    };
    window.Form().MenuItemAboutClick();
    QVERIFY(ran);
    QCOMPARE(pulse->text(), QString()); // not filled: the step did not run
    QCOMPARE(window.TakeMessages(), QStringList{u"dialog: About"_s});
}

QTEST_MAIN(TestNumeric)
#include "test_numeric.moc"
