// The day page on the real window: what ShowDay writes, what the commit stores, what the change
// check reports, and the date picker's day switch.

#include "ui/support/DayPageWindow.h"

#include "model/DiaryFile.h"
#include "support/DiaryFixture.h"
#include "support/JpegFixture.h"
#include "ui/Widgets.h"
#include "util/ksDateUtils.h"

#include <QCheckBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTabWidget>
#include <QTimeEdit>

#include <algorithm>
#include <limits>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {
const QDate March12(2026, 3, 12); // a Thursday
const QDate March15(2026, 3, 15); // a Sunday
const QDate March20(2026, 3, 20);

const QStringList TextBoxes = {u"RichEditWhatHappenedAdditionalyToTheTasks"_s,
                               u"RichEditBreakfast"_s,
                               u"RichEditLunch"_s,
                               u"RichEditBrunch"_s,
                               u"RichEditTeeCoffeeTime"_s,
                               u"RichEditDinner"_s,
                               u"RichEditlHealthCondition"_s,
                               u"RichEditWeatherToday"_s,
                               u"RichEditThoughts"_s};

const QStringList NumericEdits = {u"EditTemperature1"_s,
                                  u"EditPuls1"_s,
                                  u"EditBloodPressureSys1"_s,
                                  u"EditBloodPressureDia1"_s,
                                  u"EditOxygenSaturation1"_s,
                                  u"EditGlucoseLevel1"_s,
                                  u"EditWeight1"_s,
                                  u"EditTemperature2"_s,
                                  u"EditPuls2"_s,
                                  u"EditBloodPressureSys2"_s,
                                  u"EditBloodPressureDia2"_s,
                                  u"EditOxygenSaturation2"_s,
                                  u"EditGlucoseLevel2"_s,
                                  u"EditWeight2"_s,
                                  u"EditTemperature3"_s,
                                  u"EditPuls3"_s,
                                  u"EditBloodPressureSys3"_s,
                                  u"EditBloodPressureDia3"_s,
                                  u"EditOxygenSaturation3"_s,
                                  u"EditGlucoseLevel3"_s,
                                  u"EditWeight3"_s,
                                  u"EditWeatherHumidity"_s,
                                  u"EditWeatherPressure"_s,
                                  u"EditWeatherTemperatureAfternoon"_s,
                                  u"EditWeatherTemperatureEvening"_s,
                                  u"EditWeatherTemperatureMorning"_s,
                                  u"EditWeatherTemperatureOvernight"_s,
                                  u"EditWeatherWindSpeed"_s,
                                  u"EditWeatherUVIndex"_s,
                                  u"EditTotalPurchaseAmount"_s};

// A day with a distinct value in every field of the page, so a field shown in the wrong control or
// stored into the wrong field cannot go unnoticed.
void FillEveryField(TDay& aDay)
{
    aDay.WhatHappenedAdditionalyToTheTasks = u"besides"_s;
    aDay.Breakfast = u"porridge"_s;
    aDay.Lunch = u"soup"_s;
    aDay.Brunch = u"eggs"_s;
    aDay.TeeCoffeeTime = u"tea"_s;
    aDay.Dinner = u"fish"_s;
    aDay.TemperatureAtMorning = 36.1;
    aDay.PulseAtMorning = 61;
    aDay.HeartArrhythmiaSymbolAppearsAtMorning = true;
    aDay.BloodPressureSysAtMorning = 121;
    aDay.BloodPressureDiaAtMorning = 81;
    aDay.OxygenSaturationAtMorning = 97;
    aDay.GlucoseLevelAtMorning = 5.1;
    aDay.WeightAtMorning = 70.1;
    aDay.TemperatureAtLunch = 36.2;
    aDay.PulseAtLunch = 62;
    aDay.HeartArrhythmiaSymbolAppearsAtLunch = false;
    aDay.BloodPressureSysAtLunch = 122;
    aDay.BloodPressureDiaAtLunch = 82;
    aDay.OxygenSaturationAtLunch = 98;
    aDay.GlucoseLevelAtLunch = 5.2;
    aDay.WeightAtLunch = 70.2;
    aDay.TemperatureAtEvening = 36.3;
    aDay.PulseAtEvening = 63;
    aDay.HeartArrhythmiaSymbolAppearsAtEvening = true;
    aDay.BloodPressureSysAtEvening = 123;
    aDay.BloodPressureDiaAtEvening = 83;
    aDay.OxygenSaturationAtEvening = 99;
    aDay.GlucoseLevelAtEvening = 5.3;
    aDay.WeightAtEvening = 70.3;
    aDay.HealthCondition = u"fine"_s;
    aDay.WeatherHumidity = 55;
    aDay.WeatherMoonPhase = u"Blue Moon"_s; // none of the items
    aDay.WeatherPressure = 1013.25;
    aDay.WeatherTemperatureAfternoon = 12;
    aDay.WeatherTemperatureEvening = 8;
    aDay.WeatherTemperatureMorning = -3;
    aDay.WeatherTemperatureOvernight = -7;
    aDay.WeatherUVIndex = 4;
    aDay.WeatherWindDirection = u"SouthWest"_s;
    aDay.WeatherWindSpeed = 23;
    aDay.Weather = u"sunny"_s;
    aDay.Thoughts = u"quiet day"_s;
}

QByteArray SomePicture()
{
    static const QByteArray picture = TJpegFixture::Make(16, 8);
    return picture;
}
} // namespace

class TestDayPage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsEveryFieldInItsControlAndCommitsItBackUnchanged();
    void typedReadingIsCommittedOnLeavingAndKeptAcrossADaySwitch();
    void retypedNumberOfTheSameValueMarksNothing_data();
    void retypedNumberOfTheSameValueMarksNothing();
    void storedLineBreaksAreNotReportedAsChanged_data();
    void storedLineBreaksAreNotReportedAsChanged();
    void typedLineBreaksAreStoredAsCrLf();
    void textChangedWithoutAKeyMarksTheDocument_data();
    void textChangedWithoutAKeyMarksTheDocument();
    void checkingAndUncheckingAnArrhythmiaBoxLeavesTheDocumentChanged();
    void comboBoxTextIsCheckedAtOnceAndStoredAsTyped();
    void pickingADateWithoutPageShowsAnEmptyPage();
    void weekdayIsEnglishInAnyLocale();
    void pickingTheShownDateCommitsWithoutShowingAgain();
    void dateTypedDigitByDigitSwitchesOnlyWhenComplete();
    void commaLocaleShowsAndReadsBackTheComma();
    void picturesSurviveShowCommitAndSave();
    void hiddenPagesShowTheDayWhenBroughtUpAndStoreNothingBefore();
    void valuesThatAreNoNumberDoNotLockThePage();
    void dateLeftInThePickerDuringACommandIsNotKept();
};

void TestDayPage::showsEveryFieldInItsControlAndCommitsItBackUnchanged()
{
    auto diary = MakeDiary({March12, March20});
    FillEveryField(DayOf(*diary, March12));
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    QCOMPARE(window.TakeMessages(), QStringList());

    QCOMPARE(window.Find<TRichEdit>(u"RichEditBreakfast"_s)->Text(), u"porridge"_s);
    QCOMPARE(window.Find<TRichEdit>(u"RichEditThoughts"_s)->Text(), u"quiet day"_s);
    QCOMPARE(window.Find<QLineEdit>(u"EditTemperature2"_s)->text(), u"36.2"_s);
    QCOMPARE(window.Find<QLineEdit>(u"EditPuls3"_s)->text(), u"63"_s);
    QCOMPARE(window.Find<QLineEdit>(u"EditWeatherPressure"_s)->text(), u"1013.25"_s);
    QCOMPARE(window.Find<QLineEdit>(u"EditWeatherTemperatureMorning"_s)->text(), u"-3"_s);
    QCOMPARE(window.Find<QCheckBox>(u"CheckBoxHeartArrhythmiaSymbolAppears1"_s)->isChecked(), true);
    QCOMPARE(window.Find<QCheckBox>(u"CheckBoxHeartArrhythmiaSymbolAppears2"_s)->isChecked(), false);
    QCOMPARE(window.Find<QComboBox>(u"ComboBoxWeatherMoonPhase"_s)->currentText(), u"Blue Moon"_s);
    QCOMPARE(window.Find<QComboBox>(u"ComboBoxWeatherWindDirection"_s)->currentText(), u"SouthWest"_s);
    QCOMPARE(window.Find<QLabel>(u"LabelDayOfWeek"_s)->text(), u"Thursday"_s);

    // A commit of the untouched page finds nothing to mark, and what it stores and saves is the
    // day as it was read: every field went into its control and came back into its field.
    window.Form().DateTimePicker1Change();
    QVERIFY(!window.Form().IsDialogUpdated());
    window.Form().MenuItemSaveClick();
    QCOMPARE(window.TakeMessages(), QStringList());
    auto expected = MakeDiary({March12});
    FillEveryField(DayOf(*expected, March12));
    const auto saved = ReadDiaryFile(window.DiaryPath()); // the empty days are pruned by the save
    QCOMPARE(DiaryDifference(*expected, *saved), QString());
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestDayPage::typedReadingIsCommittedOnLeavingAndKeptAcrossADaySwitch()
{
    auto diary = MakeDiary({March12, March20});
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* temperature = window.Find<TNumberEdit>(u"EditTemperature1"_s);
    auto* pulse = window.Find<TNumberEdit>(u"EditPuls1"_s);

    window.Focus(temperature);
    temperature->selectAll();
    QTest::keyClicks(temperature, u"37.4"_s);
    // Typing alone neither stores nor marks anything.
    QCOMPARE(window.Day().TemperatureAtMorning, 0.0);
    QVERIFY(!window.Form().IsDialogUpdated());

    window.Focus(pulse);
    QCOMPARE(window.Day().TemperatureAtMorning, 37.4);
    QVERIFY(window.Form().IsDialogUpdated());

    window.PickDate(March20);
    QCOMPARE(DateOfDateTime(window.Day().Date), March20);
    QCOMPARE(temperature->text(), u"0"_s);
    window.PickDate(March12);
    QCOMPARE(temperature->text(), u"37.4"_s);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestDayPage::retypedNumberOfTheSameValueMarksNothing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("changed");
    QTest::newRow("trailing zero") << u"36.60"_s << false;
    QTest::newRow("leading zero") << u"036.6"_s << false;
    QTest::newRow("same text") << u"36.6"_s << false;
    QTest::newRow("other value") << u"36.7"_s << true;
}

void TestDayPage::retypedNumberOfTheSameValueMarksNothing()
{
    QFETCH(QString, typed);
    QFETCH(bool, changed);
    auto diary = MakeDiary({March12});
    DayOf(*diary, March12).TemperatureAtMorning = 36.6;
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    QVERIFY(!window.Form().IsDialogUpdated());

    auto* temperature = window.Find<TNumberEdit>(u"EditTemperature1"_s);
    window.Focus(temperature);
    temperature->selectAll();
    QTest::keyClicks(temperature, typed);
    window.Focus(window.Widget(u"EditPuls1"_s));

    QCOMPARE(window.Form().IsDialogUpdated(), changed);
    QCOMPARE(temperature->text(), typed); // the edit keeps what was typed
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestDayPage::storedLineBreaksAreNotReportedAsChanged_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("CR LF") << u"first\r\nsecond\r\n"_s;
    QTest::newRow("LF") << u"first\nsecond"_s;
    QTest::newRow("CR") << u"first\rsecond"_s;
    QTest::newRow("mixed, blank lines, no-break space") << u"a\r\n\r\nb\n\rc\u00a0d"_s;
}

void TestDayPage::storedLineBreaksAreNotReportedAsChanged()
{
    QFETCH(QString, stored);
    auto diary = MakeDiary({March12});
    DayOf(*diary, March12).Thoughts = stored;
    DayOf(*diary, March12).Breakfast = stored;
    TDayPageWindow window(diary.get());
    window.PickDate(March12);

    // A key that changes nothing runs the check at once.
    auto* thoughts = window.Find<TRichEdit>(u"RichEditThoughts"_s);
    window.Focus(thoughts);
    QTest::keyClick(thoughts, Qt::Key_Down);
    QVERIFY(!window.Form().IsDialogUpdated());

    window.Form().DateTimePicker1Change(); // the commit step, with the page unchanged
    QVERIFY(!window.Form().IsDialogUpdated());
    QCOMPARE(window.Day().Thoughts, stored);
    QCOMPARE(window.Day().Breakfast, stored);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestDayPage::typedLineBreaksAreStoredAsCrLf()
{
    auto diary = MakeDiary({March12});
    DayOf(*diary, March12).Thoughts = u"old\nline"_s;
    TDayPageWindow window(diary.get());
    window.PickDate(March12);

    auto* thoughts = window.Find<TRichEdit>(u"RichEditThoughts"_s);
    window.Focus(thoughts);
    thoughts->moveCursor(QTextCursor::End);
    QTest::keyClick(thoughts, Qt::Key_Return);
    QTest::keyClicks(thoughts, u"new"_s);
    QTest::keyClick(thoughts, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(thoughts, u"x"_s);
    QVERIFY(window.Form().IsDialogUpdated()); // the first key release already found it

    window.Form().DateTimePicker1Change();
    QCOMPARE(window.Day().Thoughts, u"old\r\nline\r\nnew\r\nx"_s);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestDayPage::textChangedWithoutAKeyMarksTheDocument_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("action"); // a context-menu item's caption, or "drop"
    for (const QString& action : {u"&Paste"_s, u"Cu&t"_s, u"Delete"_s, u"&Undo"_s, u"drop"_s})
        QTest::addRow("text box: %s", qPrintable(action)) << u"RichEditThoughts"_s << action;
    QTest::newRow("combo box: &Paste") << u"ComboBoxWeatherWindDirection"_s << u"&Paste"_s;
    QTest::newRow("combo box: drop") << u"ComboBoxWeatherWindDirection"_s << u"drop"_s;
}

void TestDayPage::textChangedWithoutAKeyMarksTheDocument()
{
    QFETCH(QString, control);
    QFETCH(QString, action);
    auto diary = MakeDiary({March12});
    DayOf(*diary, March12).Thoughts = u"quiet day"_s;
    DayOf(*diary, March12).WeatherWindDirection = u"North"_s;
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    QWidget* const widget = window.Widget(control);
    auto* box = qobject_cast<TRichEdit*>(widget);
    QLineEdit* const line = box ? nullptr : window.Find<QComboBox>(control)->lineEdit();
    const auto text = [&] { return box ? box->Text() : line->text(); };
    window.Focus(widget);

    if (action == u"&Undo") {
        // Undo of a change already saved: the page differs from the record again.
        QTest::keyClick(box, Qt::Key_X);
        window.Form().MenuItemSaveClick();
        QVERIFY(!window.Form().IsDialogUpdated());
    }
    box ? box->selectAll() : line->selectAll();
    const QString before = text();
    if (action == u"drop") {
        QMimeData data;
        data.setText(u"dropped"_s);
        QWidget* const target = box ? box->viewport() : static_cast<QWidget*>(line);
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QVERIFY(drop.isAccepted());
    } else {
        QApplication::clipboard()->setText(u"pasted"_s);
        const std::unique_ptr<QMenu> menu(box ? box->createStandardContextMenu() : line->createStandardContextMenu());
        const QList<QAction*> items = menu->actions();
        const auto item = std::find_if(items.begin(), items.end(),
                                       [&](const QAction* aItem) { return aItem->text().startsWith(action); });
        QVERIFY(item != items.end() && (*item)->isEnabled());
        (*item)->trigger();
    }
    QVERIFY(text() != before);
    QVERIFY(window.Form().IsDialogUpdated());
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestDayPage::checkingAndUncheckingAnArrhythmiaBoxLeavesTheDocumentChanged()
{
    auto diary = MakeDiary({March12});
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* box = window.Find<QCheckBox>(u"CheckBoxHeartArrhythmiaSymbolAppears2"_s);
    window.Focus(box);

    QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
    QVERIFY(box->isChecked());
    QVERIFY(window.Form().IsDialogUpdated());
    QVERIFY(!window.Day().HeartArrhythmiaSymbolAppearsAtLunch); // checked, not yet committed

    QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
    QVERIFY(!box->isChecked());
    QVERIFY(window.Form().IsDialogUpdated()); // nothing lowers the flag but a save
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestDayPage::comboBoxTextIsCheckedAtOnceAndStoredAsTyped()
{
    auto diary = MakeDiary({March12});
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* wind = window.Find<QComboBox>(u"ComboBoxWeatherWindDirection"_s);
    window.Focus(wind);
    wind->lineEdit()->selectAll();
    QTest::keyClicks(wind, u"Gusty"_s);
    QVERIFY(window.Form().IsDialogUpdated());

    window.Form().DateTimePicker1Change();
    QCOMPARE(window.Day().WeatherWindDirection, u"Gusty"_s);

    // The start of an item, in another case, is not completed to the item.
    for (const QString& typed : {u"north"_s, u"No"_s}) {
        window.Focus(wind);
        wind->lineEdit()->selectAll();
        QTest::keyClicks(wind, typed);
        QTest::keyClick(wind, Qt::Key_Tab);
        window.Form().DateTimePicker1Change();
        QCOMPARE(window.Day().WeatherWindDirection, typed);
    }
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestDayPage::pickingADateWithoutPageShowsAnEmptyPage()
{
    auto diary = MakeDiary({March12});
    FillEveryField(DayOf(*diary, March12));
    DayOf(*diary, March12).Picture = SomePicture();
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    const size_t days = window.Form().Diary()->DB.size();

    window.PickDate(March20);
    QCOMPARE(DateOfDateTime(window.Day().Date), March20);
    QCOMPARE(window.Form().Diary()->DB.size(), days + 1);
    for (const QString& name : TextBoxes)
        QVERIFY2(window.Find<TRichEdit>(name)->Text().isEmpty(), qPrintable(name));
    for (const QString& name : NumericEdits)
        QVERIFY2(window.Find<QLineEdit>(name)->text() == u"0"_s, qPrintable(name));
    for (int i = 1; i <= 3; ++i)
        QVERIFY(!window.Find<QCheckBox>(u"CheckBoxHeartArrhythmiaSymbolAppears%1"_s.arg(i))->isChecked());
    QCOMPARE(window.Find<QComboBox>(u"ComboBoxWeatherWindDirection"_s)->currentText(), QString());
    QCOMPARE(window.Find<QComboBox>(u"ComboBoxWeatherMoonPhase"_s)->currentText(), QString());
    QVERIFY(!window.Find<TImageBox>(u"ImageOfTheDay"_s)->HasPicture());
    for (const QString& name : {u"DateTimePickerTaskFrom"_s, u"EditTask"_s, u"RichEditNotes"_s, u"ButtonDeleteTask"_s,
                                u"EditConversationTitle"_s, u"RichEditConversation"_s, u"EditShop"_s,
                                u"RichEditShoppingList"_s, u"EditTotalPurchaseAmount"_s})
        QVERIFY2(!window.Widget(name)->isEnabled(), qPrintable(name));
    QVERIFY(window.Widget(u"ButtonAddTask"_s)->isEnabled());
    // The day left behind kept everything, its picture included.
    QCOMPARE(DayOf(const_cast<TDiary&>(*window.Form().Diary()), March12).Thoughts, u"quiet day"_s);
    QCOMPARE(DayOf(const_cast<TDiary&>(*window.Form().Diary()), March12).Picture, SomePicture());
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestDayPage::weekdayIsEnglishInAnyLocale()
{
    const auto restore = qScopeGuard([previous = QLocale()] { QLocale::setDefault(previous); });
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto diary = MakeDiary({March15});
    TDayPageWindow window(diary.get(), TRegionalSettings::FromLocale(QLocale(QLocale::German, QLocale::Germany)));
    window.PickDate(March15);
    QCOMPARE(window.Find<QLabel>(u"LabelDayOfWeek"_s)->text(), u"Sunday"_s);
    window.PickDate(March12);
    QCOMPARE(window.Find<QLabel>(u"LabelDayOfWeek"_s)->text(), u"Thursday"_s);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestDayPage::pickingTheShownDateCommitsWithoutShowingAgain()
{
    auto diary = MakeDiary({March12});
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    const TDay* const shown = window.Form().Day();
    auto* weight = window.Find<TNumberEdit>(u"EditWeight3"_s);
    auto* thoughts = window.Find<TRichEdit>(u"RichEditThoughts"_s);
    weight->setText(u"81.5"_s);
    thoughts->setPlainText(u"typed"_s);
    thoughts->moveCursor(QTextCursor::End);

    window.Form().DateTimePicker1Change();
    QCOMPARE(window.Form().Day(), shown);
    QCOMPARE(window.Day().WeightAtEvening, 81.5);
    QCOMPARE(window.Day().Thoughts, u"typed"_s);
    QVERIFY(window.Form().IsDialogUpdated());
    // Not shown again: the text box kept its cursor where the user left it.
    QCOMPARE(thoughts->textCursor().position(), 5);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestDayPage::dateTypedDigitByDigitSwitchesOnlyWhenComplete()
{
    auto diary = MakeDiary({March12});
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    const size_t days = window.Form().Diary()->DB.size();
    QDateEdit* picker = window.Picker();

    window.Focus(picker);
    picker->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClick(picker, Qt::Key_2);
    QTest::keyClick(picker, Qt::Key_0);
    QCOMPARE(picker->text(), u"2026-03-20"_s);
    QCOMPARE(window.Form().Diary()->DB.size(), days); // no page for March 2
    QCOMPARE(DateOfDateTime(window.Day().Date), March12);

    QTest::keyClick(picker, Qt::Key_Return); // the end of editing
    QCOMPARE(DateOfDateTime(window.Day().Date), March20);
    QCOMPARE(window.Form().Diary()->DB.size(), days + 1);

    QTest::keyClick(picker, Qt::Key_Up); // a step switches at once
    QCOMPARE(DateOfDateTime(window.Day().Date), March20.addDays(1));
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestDayPage::commaLocaleShowsAndReadsBackTheComma()
{
    auto diary = MakeDiary({March12});
    DayOf(*diary, March12).TemperatureAtMorning = 36.6;
    DayOf(*diary, March12).WeatherPressure = 1013.25;
    TDayPageWindow window(diary.get(), TRegionalSettings::WithSeparator(u','));
    window.PickDate(March12);
    auto* temperature = window.Find<TNumberEdit>(u"EditTemperature1"_s);
    QCOMPARE(temperature->text(), u"36,6"_s);
    QCOMPARE(window.Find<QLineEdit>(u"EditWeatherPressure"_s)->text(), u"1013,25"_s);

    window.Focus(temperature);
    temperature->selectAll();
    QTest::keyClicks(temperature, u"37.2"_s); // the full stop is no separator here
    QCOMPARE(window.TakeMessages(), QStringList{u"error: Only floating point numbers are allowed!"_s});
    QCOMPARE(temperature->text(), u"372"_s);
    temperature->selectAll();
    QTest::keyClicks(temperature, u"37,2"_s);
    window.Focus(window.Widget(u"EditPuls1"_s));
    QCOMPARE(window.Day().TemperatureAtMorning, 37.2);
    QCOMPARE(window.Day().WeatherPressure, 1013.25);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestDayPage::hiddenPagesShowTheDayWhenBroughtUpAndStoreNothingBefore()
{
    // A page the user does not look at is filled when brought up; until then no commit may store
    // what it held for another day into the day shown.
    auto diary = MakeDiary({March12, March20});
    DayOf(*diary, March12).TemperatureAtMorning = 36.6;
    DayOf(*diary, March12).Thoughts = u"first"_s;
    DayOf(*diary, March20).TemperatureAtMorning = 37.4;
    DayOf(*diary, March20).Thoughts = u"second"_s;
    TDayPageWindow window(diary.get());
    TmainForm& form = window.Form();
    QDateEdit* picker = window.Picker();
    auto* tabs = form.findChild<QTabWidget*>(u"PageControlAll"_s);
    auto* temperature = form.findChild<TNumberEdit*>(u"EditTemperature1"_s);
    auto* thoughts = form.findChild<TRichEdit*>(u"RichEditThoughts"_s);
    tabs->setCurrentWidget(form.findChild<QWidget*>(u"TabSheetHealth"_s));
    picker->setDate(March12);
    QCOMPARE(temperature->text(), u"36.6"_s); // the page on the screen shows it at once

    tabs->setCurrentWidget(form.findChild<QWidget*>(u"TabSheetTasks"_s));
    picker->setDate(March20);
    picker->setDate(March12);
    picker->setDate(March20);
    QCOMPARE(form.Day()->TemperatureAtMorning, 37.4);
    const auto stored = [&form](const QDate& aDate) -> const TDay& {
        for (const auto& day : form.Diary()->DB)
            if (DateOfDateTime(day->Date) == aDate)
                return *day;
        qFatal("no such day");
    };
    QCOMPARE(stored(March12).TemperatureAtMorning, 36.6);
    QCOMPARE(stored(March12).Thoughts, u"first"_s);

    tabs->setCurrentWidget(form.findChild<QWidget*>(u"TabSheetThoughts"_s));
    QCOMPARE(thoughts->Text(), u"second"_s);
    tabs->setCurrentWidget(form.findChild<QWidget*>(u"TabSheetHealth"_s));
    QCOMPARE(temperature->text(), u"37.4"_s);
    picker->setDate(March12);
    QCOMPARE(temperature->text(), u"36.6"_s);
    QVERIFY(!form.IsDialogUpdated());
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestDayPage::picturesSurviveShowCommitAndSave()
{
    auto diary = MakeDiary({March12, March20});
    DayOf(*diary, March12).Picture = SomePicture();
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    QCOMPARE(window.Find<TImageBox>(u"ImageOfTheDay"_s)->Bytes(), SomePicture());

    window.PickDate(March20);
    QVERIFY(!window.Find<TImageBox>(u"ImageOfTheDay"_s)->HasPicture());
    window.PickDate(March12);
    QCOMPARE(window.Find<TImageBox>(u"ImageOfTheDay"_s)->Bytes(), SomePicture());
    QVERIFY(!window.Form().IsDialogUpdated());

    // Saving runs the commit with the picture shown; the file keeps the bytes.
    window.Find<QLineEdit>(u"EditPuls1"_s)->setText(u"70"_s);
    window.Form().MenuItemSaveClick();
    QCOMPARE(window.TakeMessages(), QStringList());
    QVERIFY(!window.Form().IsDialogUpdated());
    auto saved = ReadDiaryFile(window.DiaryPath());
    QCOMPARE(DayOf(*saved, March12).Picture, SomePicture());
    QCOMPARE(DayOf(*saved, March12).PulseAtMorning, 70.0);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestDayPage::valuesThatAreNoNumberDoNotLockThePage()
{
    auto diary = MakeDiary({March12, March20});
    DayOf(*diary, March12).TemperatureAtMorning = std::numeric_limits<double>::quiet_NaN();
    DayOf(*diary, March12).WeatherPressure = std::numeric_limits<double>::infinity();
    DayOf(*diary, March12).WeightAtEvening = -std::numeric_limits<double>::infinity();
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    QCOMPARE(window.Find<QLineEdit>(u"EditTemperature1"_s)->text(), u"NAN"_s);
    QCOMPARE(window.Find<QLineEdit>(u"EditWeatherPressure"_s)->text(), u"INF"_s);
    QCOMPARE(window.Find<QLineEdit>(u"EditWeight3"_s)->text(), u"-INF"_s);

    // What the page wrote it reads back: the day can be left and keeps its values.
    window.PickDate(March20);
    QCOMPARE(window.TakeMessages(), QStringList());
    QCOMPARE(DateOfDateTime(window.Day().Date), March20);
    const TDay& left = DayOf(const_cast<TDiary&>(*window.Form().Diary()), March12);
    QVERIFY(qIsNaN(left.TemperatureAtMorning));
    QCOMPARE(left.WeatherPressure, std::numeric_limits<double>::infinity());
    QCOMPARE(left.WeightAtEvening, -std::numeric_limits<double>::infinity());
    QVERIFY(window.Form().IsDialogUpdated()); // a NaN never equals itself
}

void TestDayPage::dateLeftInThePickerDuringACommandIsNotKept()
{
    // A date typed into the picker, then a tool-bar command whose dialog takes the focus: the
    // picker reports the date while the command is busy, so the day does not switch, and the
    // picker must then name the page shown again rather than a day nobody is editing.
    auto diary = MakeDiary({March12, March20});
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    QDateEdit* picker = window.Picker();
    window.Focus(picker);
    picker->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClicks(picker, u"20"_s);

    window.Dialogs().OnModal = [picker](QDialog& aDialog) {
        aDialog.show();
        QApplication::setActiveWindow(&aDialog);
        QVERIFY(QTest::qWaitForWindowActive(&aDialog));
        QVERIFY(!picker->hasFocus());
    };
    window.Form().MenuItemAboutClick();

    QCOMPARE(DateOfDateTime(window.Day().Date), March12);
    QCOMPARE(picker->date(), March12);
    QCOMPARE(window.Find<QLabel>(u"LabelDayOfWeek"_s)->text(), u"Thursday"_s);
}

QTEST_MAIN(TestDayPage)
#include "test_day_page.moc"
