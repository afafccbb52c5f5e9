// The document commands driven through the real window: start-up, New, Open, recent files, Save,
// Save As, the save question, closing, and what each leaves on disk and in the settings store.

#include "support/DiaryFixture.h"
#include "support/WindowFixture.h"

#include "model/DiaryFile.h"
#include "util/ksDateUtils.h"

#include <QAction>
#include <QCheckBox>
#include <QDataStream>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "ui/Widgets.h"

#include <system_error>

using namespace Qt::Literals::StringLiterals;
using TKind = TScriptedDialogs::TKind;

namespace {

const QString NewTitle = u"Kestrova: NewFile.Kestrova"_s;
const QString QuestionText = u"Do you want to save the file?"_s;

QString CanNotBeOpened(const QString& aFileName)
{
    return u"File "_s + aFileName + u" can not be opened! A new file will be opened!"_s;
}

QString DoesNotExist(const QString& aFileName)
{
    return u"File "_s + aFileName + u" does not exist."_s;
}

// A small diary whose one page carries aThoughts on aDate.
// The runtime's text for a file that cannot be made, up to the platform's reason.
QString CannotBeCreated(const QString& aFileName)
{
    return u"Datei \"%1\" kann nicht erstellt werden. "_s.arg(aFileName);
}

// A settings format of this test's own: the store as a QDataStream map, and a count of its writes.
int gSettingsWrites = 0;

bool ReadCountedSettings(QIODevice& aDevice, QSettings::SettingsMap& aMap)
{
    if (aDevice.atEnd())
        return true; // a store made empty by its first opening
    QDataStream stream(&aDevice);
    stream >> aMap;
    return stream.status() == QDataStream::Ok;
}

bool WriteCountedSettings(QIODevice& aDevice, const QSettings::SettingsMap& aMap)
{
    ++gSettingsWrites;
    QDataStream stream(&aDevice);
    stream << aMap;
    return stream.status() == QDataStream::Ok;
}

QSettings::Format CountedSettingsFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(u"counted"_s, ReadCountedSettings, WriteCountedSettings);
    return format;
}

QList<QDate> DatesOf(const TDiary& aDiary)
{
    QList<QDate> dates;
    for (const auto& day : aDiary.DB)
        dates << DateOfDateTime(day->Date);
    return dates;
}

} // namespace

class TestDocumentCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<TWindowFixture> f;

    // The menu item and the tool button always agree; a test fails when they do not.
    bool SaveEnabled() const
    {
        const bool menu = f->Find<QAction>(u"MenuItemSave"_s)->isEnabled();
        const bool button = f->Find<QToolButton>(u"ToolButtonSaveFile"_s)->isEnabled();
        if (menu != button)
            QTest::qFail("MenuItemSave and ToolButtonSaveFile differ", __FILE__, __LINE__);
        return menu;
    }

    // An edit the way the user makes one: a key typed into the thoughts box.
    void TypeThoughts(const QString& aText)
    {
        f->Find<QTabWidget>(u"PageControlAll"_s)->setCurrentIndex(6);
        auto* edit = f->Find<TRichEdit>(u"RichEditThoughts"_s);
        edit->setFocus();
        QTest::keyClicks(edit, aText);
    }

    QStringList VisibleRecentCaptions() const
    {
        QStringList captions;
        for (int k = 1; k <= 6; ++k) {
            auto* item = f->Find<QAction>(u"MenuItemRecentFile"_s + QString::number(k));
            if (item->isVisible())
                captions << item->text();
            else if (!item->text().isEmpty())
                captions << u"<hidden with caption>"_s;
        }
        return captions;
    }

private Q_SLOTS:
    void init() { f = std::make_unique<TWindowFixture>(); }
    void cleanup()
    {
        const QStringList problems = f->Problems();
        f.reset();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u"; "_s)));
    }

    void firstStartWithoutSettings()
    {
        TmainForm& window = f->Start();
        QCOMPARE(window.windowTitle(), NewTitle);
        QVERIFY(window.FileName().isEmpty());
        QVERIFY(!SaveEnabled());
        QVERIFY(!window.IsDialogUpdated());
        QVERIFY(window.Day());
        QVERIFY(SameDate(window.Day()->Date, Now()));
        QCOMPARE(window.Diary()->DB.size(), size_t(1));
        QCOMPARE(f->Find<QDateEdit>(u"DateTimePicker1"_s)->date(), QDate::currentDate());
        QCOMPARE(VisibleRecentCaptions(), QStringList());
        QVERIFY(f->Dialogs().Shown().isEmpty());

        window.close();
        QVERIFY(f->Dialogs().Shown().isEmpty()); // nothing changed, so no question
        QVERIFY(!window.Diary());
        QCOMPARE(f->SettingNames(), QStringList()); // an unnamed diary writes nothing
    }

    void startFromSettings_data()
    {
        QTest::addColumn<QString>("content"); // "diary", "garbage", "empty", "missing"
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<bool>("message");
        QTest::newRow("a diary") << u"diary"_s << true << false;
        QTest::newRow("deleted since") << u"missing"_s << false << false;
        QTest::newRow("not a diary") << u"garbage"_s << false << true;
        QTest::newRow("empty file") << u"empty"_s << false << true;
    }
    void startFromSettings()
    {
        QFETCH(QString, content);
        QFETCH(bool, loaded);
        QFETCH(bool, message);
        const QString path = f->Path(u"last.Kestrova"_s);
        QByteArray bytes;
        if (content == u"diary") {
            WriteDiaryWithThoughts(path, QDate(2025, 1, 2), u"hello"_s);
            bytes = f->ReadFile(path);
        } else if (content == u"garbage") {
            bytes = "this is no diary at all";
            f->WriteFile(u"last.Kestrova"_s, bytes);
        } else if (content == u"empty") {
            f->WriteFile(u"last.Kestrova"_s, QByteArray());
        }
        f->SetSetting(u"LastFilename"_s, path);

        TmainForm& window = f->Start();
        QCOMPARE(window.windowTitle(), loaded ? u"Kestrova: "_s + path : NewTitle);
        QCOMPARE(window.FileName(), loaded ? path : QString());
        QVERIFY(!SaveEnabled());
        QCOMPARE(f->Dialogs().Texts(TKind::Message), message ? QStringList{CanNotBeOpened(path)} : QStringList());
        QVERIFY(SameDate(window.Day()->Date, Now())); // today's page, created when the file has none
        if (loaded) {
            QCOMPARE(ThoughtsOf(*window.Diary(), QDate(2025, 1, 2)), u"hello"_s);
            QCOMPARE(VisibleRecentCaptions(), QStringList{u"&A last.Kestrova"_s});
        }

        window.close();
        // A diary that was not read is never written to, and the store keeps the old name until a
        // close with a named diary.
        QCOMPARE(f->ReadFile(path), bytes);
        QCOMPARE(QFileInfo::exists(path), content != u"missing");
        QCOMPARE(f->Setting(u"LastFilename"_s).toString(), path);
        QCOMPARE(f->Setting(u"RecentFile1"_s).toString(), loaded ? path : QString());
    }

    void commandLineFileIsOpenedInsteadOfTheLast()
    {
        const QString last = f->Path(u"last.Kestrova"_s);
        const QString named = f->Path(u"named.Kestrova"_s);
        WriteDiaryWithThoughts(last, QDate(2025, 1, 1), u"last"_s);
        WriteDiaryWithThoughts(named, QDate(2025, 1, 1), u"named"_s);
        f->SetSetting(u"LastFilename"_s, last);

        TmainForm& window = f->Start({u"named.Kestrova"_s}); // relative to the current folder
        QCOMPARE(window.FileName(), named);
        QCOMPARE(ThoughtsOf(*window.Diary(), QDate(2025, 1, 1)), u"named"_s);

        // A named file that is missing is said so, and the program goes on with a new diary.
        TmainForm& second = f->Start({f->Path(u"gone.Kestrova"_s)});
        QCOMPARE(f->Dialogs().Texts(TKind::Message), QStringList{DoesNotExist(f->Path(u"gone.Kestrova"_s))});
        QCOMPARE(second.windowTitle(), NewTitle);
    }

    void startWithoutASecondThreadReadsOnTheWindowsThread()
    {
        const QString path = f->Path(u"last.Kestrova"_s);
        WriteDiaryWithThoughts(path, QDate(2025, 1, 2), u"hello"_s);
        f->SetSetting(u"LastFilename"_s, path);

        int launches = 0;
        TmainForm::TOptions options;
        options.StartThread = [&launches](TDiaryPrefetch::TRead) -> std::future<std::unique_ptr<TDiary>> {
            ++launches;
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        };
        TmainForm& window = f->Start(std::move(options));

        QCOMPARE(launches, 1);
        QCOMPARE(window.FileName(), path);
        QCOMPARE(window.windowTitle(), u"Kestrova: "_s + path);
        QCOMPARE(ThoughtsOf(*window.Diary(), QDate(2025, 1, 2)), u"hello"_s);
        QVERIFY(!SaveEnabled());
        QVERIFY(f->Dialogs().Shown().isEmpty());
    }

    void closingWritesTheSettingsStoreOnce()
    {
        const QSettings::Format format = CountedSettingsFormat();
        QSettings::setPath(format, QSettings::UserScope, f->Path(u"settings"_s));
        const QString path = f->Path(u"diary.Kestrova"_s);
        WriteDiaryWithThoughts(path, QDate(2025, 1, 2), u"hello"_s);

        TmainForm::TOptions options{path};
        options.SettingsFormat = format;
        TmainForm& window = f->Start(std::move(options));
        gSettingsWrites = 0;
        window.close();

        QCOMPARE(gSettingsWrites, 1);
        QSettings store(format, QSettings::UserScope, u"Orvanta"_s, u"Kestrova"_s);
        QCOMPARE(store.value(u"LastFilename"_s).toString(), path);
        QCOMPARE(store.value(u"RecentFile1"_s).toString(), path);
        QCOMPARE(store.value(u"RecentFile6"_s).toString(), QString());
    }

    void saveAsProposesANameAndAddsTheExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no extension") << u"notes"_s << u"notes.Kestrova"_s;
        QTest::newRow("extension inside") << u"a.Kestrova.old"_s << u"a.Kestrova.old"_s;
        QTest::newRow("other case") << u"b.kestrova"_s << u"b.kestrova.Kestrova"_s;
        QTest::newRow("complete") << u"c.Kestrova"_s << u"c.Kestrova"_s;
    }
    void saveAsProposesANameAndAddsTheExtension()
    {
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        TmainForm& window = f->Start();
        // The proposal follows the picker's year: pick a day of 2024.
        f->Find<QDateEdit>(u"DateTimePicker1"_s)->setDate(QDate(2024, 7, 1));
        QCOMPARE(DateOfDateTime(window.Day()->Date), QDate(2024, 7, 1));
        TypeThoughts(u"x"_s);
        QVERIFY(SaveEnabled());

        f->Dialogs().AnswerFile(f->Path(typed));
        f->Trigger(u"ToolButtonSaveFile"_s); // an unnamed diary goes through Save As

        QCOMPARE(f->Dialogs().Shown().size(), 1);
        const TFileDialog proposed = f->Dialogs().LastDialog(TKind::Save);
        QCOMPARE(proposed.FileName, u"2024-Diary.Kestrova"_s);
        QCOMPARE(proposed.InitialDir, QDir::currentPath());
        QCOMPARE(proposed.Filter, u"Kestrova- Files (*.Kestrova)|*.Kestrova"_s);
        QCOMPARE(proposed.FilterIndex, 1);
        QCOMPARE(proposed.DefaultExt, u"Kestrova"_s);
        QVERIFY(proposed.OverwritePrompt);

        const QString path = f->Path(saved);
        QCOMPARE(window.FileName(), path);
        QCOMPARE(window.windowTitle(), u"Kestrova: "_s + path);
        QVERIFY(!SaveEnabled());
        QCOMPARE(VisibleRecentCaptions(), QStringList{u"&A "_s + saved});
        QCOMPARE(ThoughtsOf(*ReadDiaryFile(path), QDate(2024, 7, 1)), u"x"_s);
        if (saved != typed)
            QVERIFY(!QFileInfo::exists(f->Path(typed)));

        // Save As of a named diary proposes its own name and folder.
        f->Dialogs().AnswerCancel();
        f->Trigger(u"MenuItemSaveAs"_s);
        const TFileDialog again = f->Dialogs().LastDialog(TKind::Save);
        QCOMPARE(again.FileName, saved);
        QCOMPARE(again.InitialDir, QFileInfo(path).absolutePath());
        QCOMPARE(window.FileName(), path);
    }

    void saveKeepsADatedBackupAndTheStoreGetsTheNameAtClose()
    {
        const QString path = f->Path(u"diary.Kestrova"_s);
        WriteDiaryWithThoughts(path, QDate(2025, 1, 1), u"before"_s);
        const QByteArray before = f->ReadFile(path);
        TmainForm& window = f->Start({path});
        TypeThoughts(u"after"_s);
        QVERIFY(SaveEnabled());

        f->Trigger(u"MenuItemSave"_s);
        QVERIFY(f->Dialogs().Shown().isEmpty());
        QVERIFY(!SaveEnabled());
        QCOMPARE(f->ReadFile(f->Path(u"2025-03-12--diary.Kestrova"_s)), before);
        QCOMPARE(ThoughtsOf(*ReadDiaryFile(path), QDate::currentDate()), u"after"_s);
        QCOMPARE(window.windowTitle(), u"Kestrova: "_s + path);

        window.close();
        QCOMPARE(f->Setting(u"LastFilename"_s).toString(), path);
        QCOMPARE(f->Setting(u"RecentFile1"_s).toString(), path);
        QCOMPARE(f->Setting(u"RecentFile2"_s).toString(), QString());
    }

    void saveQuestion_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<QString>("answers"); // Y, N, C (cancel a file dialog), F (the file name)
        QTest::addColumn<bool>("keptChanges");
        QTest::addColumn<bool>("savedToFile");
        QTest::newRow("named, Yes: saved, then the open is cancelled") << true << u"YC"_s << false << true;
        QTest::newRow("named, No, open cancelled: the changes stay") << true << u"NC"_s << true << false;
        QTest::newRow("unnamed, No, open cancelled: the changes stay") << false << u"NC"_s << true << false;
        QTest::newRow("unnamed, Yes, Save As cancelled, open cancelled") << false << u"YCC"_s << true << false;
        QTest::newRow("unnamed, Yes, Save As to a file, open cancelled") << false << u"YFC"_s << false << true;
    }
    void saveQuestion()
    {
        QFETCH(bool, named);
        QFETCH(QString, answers);
        QFETCH(bool, keptChanges);
        QFETCH(bool, savedToFile);
        const QString path = f->Path(u"diary.Kestrova"_s);
        if (named)
            WriteDiaryWithThoughts(path, QDate(2025, 1, 1), u"on disk"_s);
        TmainForm& window = f->Start(named ? TmainForm::TOptions{path} : TmainForm::TOptions{});
        TypeThoughts(u"typed"_s);

        for (QChar answer : answers) {
            if (answer == u'Y')
                f->Dialogs().AnswerYes();
            else if (answer == u'N')
                f->Dialogs().AnswerNo();
            else if (answer == u'C')
                f->Dialogs().AnswerCancel();
            else
                f->Dialogs().AnswerFile(path);
        }
        f->Trigger(u"ToolButtonOpenFile"_s);

        QCOMPARE(f->Dialogs().Texts(TKind::Question), QStringList{QuestionText});
        QCOMPARE(window.IsDialogUpdated(), keptChanges);
        QCOMPARE(SaveEnabled(), keptChanges);
        QCOMPARE(ThoughtsOf(*window.Diary(), QDate::currentDate()), u"typed"_s); // the page was committed
        QCOMPARE(QFileInfo::exists(path), named || savedToFile);
        if (savedToFile)
            QCOMPARE(ThoughtsOf(*ReadDiaryFile(path), QDate::currentDate()), u"typed"_s);
        QCOMPARE(window.FileName(), named || savedToFile ? path : QString());
    }

    void newAfterYesAndCancelledSaveAsDiscardsTheChanges()
    {
        // A number still in the edit that has the focus counts: the question commits the page first.
        TmainForm& window = f->Start();
        f->Find<QTabWidget>(u"PageControlAll"_s)->setCurrentIndex(4);
        auto* pulse = f->Find<TNumberEdit>(u"EditPuls1"_s);
        pulse->setFocus();
        pulse->selectAll();
        QTest::keyClicks(pulse, u"72"_s);
        QVERIFY(!window.IsDialogUpdated());

        f->Dialogs().AnswerYes();
        f->Dialogs().AnswerCancel();
        f->Trigger(u"MenuItemNew"_s);

        QCOMPARE(f->Dialogs().Texts(TKind::Question), QStringList{QuestionText});
        QCOMPARE(f->Dialogs().Shown().last().Kind, TKind::Save);
        QCOMPARE(window.windowTitle(), NewTitle);
        QVERIFY(!window.IsDialogUpdated());
        QCOMPARE(window.Day()->PulseAtMorning, 0.0);
        QCOMPARE(f->Find<TNumberEdit>(u"EditPuls1"_s)->text(), u"0"_s); // once its page is brought up
        QVERIFY(!window.IsBusy());
    }

    void openCommand()
    {
        const QString good = f->Path(u"good.Kestrova"_s);
        WriteDiaryWithThoughts(good, QDate(2025, 2, 3), u"good"_s);
        f->WriteFile(u"bad.Kestrova"_s, "garbage");
        TmainForm& window = f->Start();

        f->Dialogs().AnswerFile(f->Path(u"missing.Kestrova"_s));
        f->Trigger(u"MenuItemOpenFile"_s);
        QCOMPARE(f->Dialogs().Texts(TKind::Message), QStringList{DoesNotExist(f->Path(u"missing.Kestrova"_s))});
        QCOMPARE(window.windowTitle(), NewTitle);

        f->Dialogs().AnswerFile(good);
        f->Trigger(u"MenuItemOpenFile"_s);
        QCOMPARE(window.windowTitle(), u"Kestrova: "_s + good);
        QCOMPARE(ThoughtsOf(*window.Diary(), QDate(2025, 2, 3)), u"good"_s);
        QVERIFY(!SaveEnabled());
        // The open dialog starts from the diary's own name next time.
        f->Dialogs().AnswerFile(f->Path(u"bad.Kestrova"_s));
        f->Trigger(u"ToolButtonOpenFile"_s);
        QCOMPARE(f->Dialogs().LastDialog(TKind::Open).FileName, good);
        QCOMPARE(f->Dialogs().Texts(TKind::Message).last(), CanNotBeOpened(f->Path(u"bad.Kestrova"_s)));
        QCOMPARE(window.windowTitle(), NewTitle);
        QVERIFY(window.FileName().isEmpty());
        QCOMPARE(f->ReadFile(f->Path(u"bad.Kestrova"_s)), QByteArray("garbage"));
        // The name that could not be read stays in the list; the good one moves down.
        QCOMPARE(VisibleRecentCaptions(), QStringList{u"&A good.Kestrova"_s});
    }

    void deletedRecentFile()
    {
        const QString kept = f->Path(u"kept.Kestrova"_s);
        const QString gone = f->Path(u"gone.Kestrova"_s);
        WriteDiaryWithThoughts(kept, QDate(2025, 1, 1), u"kept"_s);
        f->SetSetting(u"LastFilename"_s, kept);
        f->SetSetting(u"RecentFile1"_s, kept);
        f->SetSetting(u"RecentFile2"_s, gone);
        // A "&" in a name is shown, not taken as an accelerator; a colon is no separator here.
        f->SetSetting(u"RecentFile3"_s, f->Path(u"bread & butter:3.Kestrova"_s));
        TmainForm& window = f->Start();
        QCOMPARE(VisibleRecentCaptions(),
                 (QStringList{u"&A kept.Kestrova"_s, u"&B gone.Kestrova"_s, u"&C bread && butter:3.Kestrova"_s}));
        TypeThoughts(u"edit"_s);

        f->Dialogs().AnswerNo();
        f->Trigger(u"MenuItemRecentFile2"_s);
        QCOMPARE(f->Dialogs().Texts(TKind::Question), QStringList{QuestionText});
        QCOMPARE(f->Dialogs().Texts(TKind::Message), QStringList{DoesNotExist(gone)});
        QCOMPARE(VisibleRecentCaptions(), (QStringList{u"&A kept.Kestrova"_s, u"&B bread && butter:3.Kestrova"_s}));
        QCOMPARE(window.FileName(), kept);
        QVERIFY(window.IsDialogUpdated());

        // A recent item that exists opens its file.
        f->Dialogs().AnswerNo();
        f->Trigger(u"MenuItemRecentFile1"_s);
        QCOMPARE(window.windowTitle(), u"Kestrova: "_s + kept);
        QVERIFY(!window.IsDialogUpdated());
        QCOMPARE(ThoughtsOf(*window.Diary(), QDate::currentDate()), QString());
    }

    void savePrunesEmptyDaysButKeepsTheDayShown()
    {
        const QString path = f->Path(u"may.Kestrova"_s);
        {
            TDiary diary;
            diary.GetDay(EncodeDate(QDate(2025, 5, 1)));
            diary.GetDay(EncodeDate(QDate(2025, 5, 2)))->Thoughts = u"content"_s;
            diary.GetDay(EncodeDate(QDate(2025, 5, 3)));
            WriteDiaryFile(diary, path);
        }
        TmainForm& window = f->Start({path});
        f->Find<QDateEdit>(u"DateTimePicker1"_s)->setDate(QDate(2025, 5, 3)); // the user picks 3 May
        QCOMPARE(DateOfDateTime(window.Day()->Date), QDate(2025, 5, 3));
        // A check box ticked and cleared again marks the diary changed and leaves the page empty.
        auto* box = f->Find<QCheckBox>(u"CheckBoxHeartArrhythmiaSymbolAppears1"_s);
        box->click();
        box->click();
        QVERIFY(SaveEnabled());
        f->Trigger(u"MenuItemSave"_s);

        const QList<QDate> expected{QDate(2025, 5, 2), QDate(2025, 5, 3)};
        QCOMPARE(DatesOf(*window.Diary()), expected); // today's empty page went too
        QCOMPARE(DatesOf(*ReadDiaryFile(path)), expected);
        QCOMPARE(DateOfDateTime(window.Day()->Date), QDate(2025, 5, 3));
    }

    void aChangeBeforeTheWholeDiaryIsReadIsSavedWithEveryPage()
    {
        // Today's page is shown before the rest of the diary is read. Nothing processed here lets
        // the window reach its first paint, so the rest is read only when the save asks for it:
        // the file must get every page, not today's alone.
        const QString path = f->Path(u"diary.Kestrova"_s);
        TDiary written;
        written.GetDay(EncodeDate(QDate(2025, 1, 1)) + 0.5)->Thoughts = u"long ago"_s;
        written.GetDay(Now())->Thoughts = u"today"_s;
        WriteDiaryFile(written, path);
        TmainForm& window = f->Start({path});
        QCOMPARE(DateOfDateTime(window.Day()->Date), DateOfDateTime(Now()));
        TypeThoughts(u"more "_s);
        f->Trigger(u"ToolButtonSaveFile"_s);

        const auto saved = ReadDiaryFile(path);
        QCOMPARE(saved->DB.size(), size_t(2));
        QCOMPARE(saved->GetDay(EncodeDate(QDate(2025, 1, 1)))->Thoughts, u"long ago"_s);
        QCOMPARE(saved->GetDay(Now())->Thoughts, u"more today"_s);
        QVERIFY(!window.IsDialogUpdated());
    }

    void failedSaveAsKeepsTheDocumentAsItWas()
    {
        const QString path = f->Path(u"diary.Kestrova"_s);
        WriteDiaryWithThoughts(path, QDate(2025, 1, 1), u"on disk"_s);
        const QByteArray before = f->ReadFile(path);
        TmainForm& window = f->Start({path});
        TypeThoughts(u"unsaved"_s);
        f->WriteFile(u"plainfile"_s, "not a folder");

        f->Dialogs().AnswerFile(f->Path(u"plainfile/new.Kestrova"_s));
        f->Trigger(u"MenuItemSaveAs"_s);

        const QStringList errors = f->Dialogs().Texts(TKind::Error);
        QCOMPARE(errors.size(), 1);
        const QString cannotCreate = CannotBeCreated(f->Path(u"plainfile/new.Kestrova"_s));
        QVERIFY2(errors.first().startsWith(cannotCreate) && errors.first().size() > cannotCreate.size() + 1 &&
                     errors.first().endsWith(u'.'),
                 qPrintable(errors.first()));
        QVERIFY(window.IsDialogUpdated());
        QVERIFY(SaveEnabled());
        QVERIFY(!window.IsBusy());
        QCOMPARE(window.FileName(), path);
        QCOMPARE(window.windowTitle(), u"Kestrova: "_s + path);
        QCOMPARE(VisibleRecentCaptions(), QStringList{u"&A diary.Kestrova"_s});
        QCOMPARE(f->ReadFile(path), before);
        QCOMPARE(f->ReadFile(f->Path(u"plainfile"_s)), QByteArray("not a folder"));
    }

    void failedSaveKeepsThePreviousFileAndStopsTheCommand()
    {
        QDir(f->Path(QString())).mkdir(u"folder"_s);
        const QString path = f->Path(u"folder/diary.Kestrova"_s);
        WriteDiaryWithThoughts(path, QDate(2025, 1, 1), u"on disk"_s);
        const QByteArray before = f->ReadFile(path);
        TmainForm& window = f->Start({path});
        TypeThoughts(u"unsaved"_s);
        // The folder disappears under the program, a plain file taking its name.
        QVERIFY(QDir(f->Path(QString())).rename(u"folder"_s, u"moved"_s));
        f->WriteFile(u"folder"_s, "in the way");

        f->Trigger(u"ToolButtonSaveFile"_s);
        QCOMPARE(f->Dialogs().Texts(TKind::Error).size(), 1);
        QVERIFY2(f->Dialogs().Texts(TKind::Error).first().startsWith(CannotBeCreated(path)),
                 qPrintable(f->Dialogs().Texts(TKind::Error).first()));
        QVERIFY(window.IsDialogUpdated());
        QVERIFY(SaveEnabled());
        QCOMPARE(f->ReadFile(f->Path(u"moved/diary.Kestrova"_s)), before);

        // A save that fails at the save question ends New as well: nothing is thrown away.
        f->Dialogs().AnswerYes();
        f->Trigger(u"MenuItemNew"_s);
        QCOMPARE(f->Dialogs().Texts(TKind::Error).size(), 2);
        QCOMPARE(window.windowTitle(), u"Kestrova: "_s + path);
        QCOMPARE(ThoughtsOf(*window.Diary(), QDate::currentDate()), u"unsaved"_s);

        // Closing keeps the window when its save fails; once the save is declined it closes.
        f->Dialogs().AnswerYes();
        QVERIFY(!window.close());
        QVERIFY(window.Diary());
        QCOMPARE(f->Dialogs().Texts(TKind::Error).size(), 3);
        f->Dialogs().AnswerNo();
        QVERIFY(window.close());
        QVERIFY(!window.Diary());
        QCOMPARE(f->Setting(u"LastFilename"_s).toString(), path);
    }

    void aboutBoxIsModalAndClosesWithOk()
    {
        f->Start();
        bool checked = false;
        f->Dialogs().OnModal = [&](QDialog& aDialog) {
            QCOMPARE(aDialog.windowTitle(), u"About"_s);
            QCOMPARE(aDialog.size(), QSize(482, 194));
            QCOMPARE(aDialog.minimumSize(), aDialog.maximumSize());
            QStringList texts;
            for (QLabel* label : aDialog.findChildren<QLabel*>())
                texts << label->text();
            QVERIFY(texts.contains(u"Kestrova"_s));
            QVERIFY(texts.contains(u"Version 1.30.1.67"_s));
            auto* ok = aDialog.findChild<QPushButton*>(u"ButtonOk"_s);
            QVERIFY(ok);
            QCOMPARE(ok->text(), u"&Ok"_s);
            aDialog.show();
            QTest::mouseClick(ok, Qt::LeftButton);
            QVERIFY(!aDialog.isVisible());
            QCOMPARE(aDialog.result(), int(QDialog::Accepted));
            checked = true;
        };
        f->Trigger(u"MenuItemAbout"_s);
        QVERIFY(checked);
        QCOMPARE(f->Dialogs().Texts(TKind::Modal), QStringList{u"About"_s});
    }

    void commandsDoNothingWhileAnotherRuns()
    {
        TmainForm& window = f->Start();
        TypeThoughts(u"x"_s);
        f->Dialogs().OnModal = [&](QDialog&) {
            QVERIFY(window.IsBusy());
            f->Trigger(u"MenuItemNew"_s);
            f->Trigger(u"MenuItemSaveAs"_s);
            f->Trigger(u"ToolButtonOpenFile"_s);
        };
        f->Trigger(u"MenuItemAbout"_s);
        // No question, no dialog: the three commands found the about box's command running.
        QCOMPARE(f->Dialogs().Shown().size(), 1);
        QVERIFY(window.IsDialogUpdated());
        QVERIFY(!window.IsBusy());
    }

    void exitClosesTheWindowOnce()
    {
        TmainForm& window = f->Start();
        TypeThoughts(u"x"_s);
        f->Dialogs().AnswerNo();
        f->Trigger(u"ToolButtonExit"_s);
        QVERIFY(!window.isVisible());
        QVERIFY(!window.Diary());
        window.close(); // a second close asks nothing
        QCOMPARE(f->Dialogs().Texts(TKind::Question), QStringList{QuestionText});
    }
};

QTEST_MAIN(TestDocumentCommands)
#include "test_document_commands.moc"
