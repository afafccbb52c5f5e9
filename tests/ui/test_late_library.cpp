// The late library, which holds the charts and the printer: the loader takes the copy this process
// already has and refuses what is not a library of this build, and a window whose library cannot
// be loaded reports it without looping, crashing or letting a page keep another day.

#include "support/WindowFixture.h"

#include "model/DiaryFile.h"
#include "ui/LateLibrary.h"
#include "ui/Widgets.h"
#include "util/Errors.h"
#include "util/ksDateUtils.h"

#include <QAction>
#include <QDateEdit>
#include <QDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <dlfcn.h>

#include <memory>

using namespace Qt::Literals::StringLiterals;
using TKind = TScriptedDialogs::TKind;

namespace {

const QDate March10(2026, 3, 10);
const QDate March11(2026, 3, 11);
const QString LoadFailure = u"The library is missing"_s;

// Tabs of PageControlAll.
constexpr int HealthTab = 4;
constexpr int ThoughtsTab = 6;

} // namespace

class TestLateLibrary : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<TWindowFixture>();
        fLoads = 0;
    }
    void cleanup()
    {
        if (f)
            QCOMPARE(f->Problems(), QStringList());
        f.reset();
    }

    void windowGetsTheCopyThisProcessHas()
    {
        // This test program links the library; a second copy loaded by name would make charts of
        // classes and statics apart from the first.
        QCOMPARE(&LateLibrary(), KestrovaLateFunctions());
        QCOMPARE(&LoadLateLibrary("libkestrova-late.so"), KestrovaLateFunctions());
        QCOMPARE(LateLibrary().Version, LateFunctionsVersion);
    }

    void loaderRefusesWhatIsNoLibraryOfThisBuild_data()
    {
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("reason"); // a part of the text after the library's name
        QTest::newRow("missing")
            << u"libkestrova-no-such-library.so"_s
            << u"cannot be loaded: libkestrova-no-such-library.so: cannot open shared object file"_s;
        QTest::newRow("no entry") << u"libQt6Core.so.6"_s << u"undefined symbol: KestrovaLateFunctions"_s;
        QTest::newRow("another version")
            << QStringLiteral(KESTROVA_STALE_LATE_LIBRARY)
            << u"belongs to another build of Kestrova (version %1, this program needs version %2)"_s.arg(
                   QString::number(LateFunctionsVersion + 1), QString::number(LateFunctionsVersion));
    }
    void loaderRefusesWhatIsNoLibraryOfThisBuild()
    {
        QFETCH(QString, library);
        QFETCH(QString, reason);
        const QByteArray name = library.toLocal8Bit();
        try {
            LoadLateLibrary(name.constData());
            QFAIL("loaded");
        } catch (const EKestrovaError& error) {
            QVERIFY2(error.Message().startsWith(u"The chart and print library "_s + library + u' '),
                     qPrintable(error.Message()));
            QVERIFY2(error.Message().contains(reason), qPrintable(error.Message()));
        }
        // A refused library is not kept.
        QCOMPARE(dlopen(name.constData(), RTLD_NOW | RTLD_NOLOAD) != nullptr, library == u"libQt6Core.so.6"_s);
    }

    void idleMakingShowsAFailedLoadOnce()
    {
        TmainForm& window = Start();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // The pages before the health page are made while the window is idle, the health page
        // fails, and making stops there instead of failing at every tick.
        QTRY_COMPARE(Errors().size(), 1);
        QCOMPARE(Errors().first(), LoadFailure + u'.');
        QTest::qWait(200);
        QCOMPARE(fLoads, 1);
        QCOMPARE(Errors().size(), 1);
        QVERIFY(Made(u"RichEditBreakfast"_s));
        QVERIFY(!Made(u"EditTemperature1"_s) && !Made(u"ChartHealthValue"_s));
        QVERIFY(!Made(u"RichEditThoughts"_s));

        // Brought up, the page is tried again and says why it stays empty; the other pages work.
        Tabs().setCurrentIndex(HealthTab);
        QTRY_COMPARE(Errors().size(), 2);
        QCOMPARE(fLoads, 2);
        QVERIFY(!Made(u"EditTemperature1"_s));
        Tabs().setCurrentIndex(ThoughtsTab);
        QVERIFY(Made(u"RichEditThoughts"_s));
        QCOMPARE(Errors().size(), 2);
    }

    void pagesFollowTheDayPastAPageThatCannotBeMade()
    {
        // Each day with thoughts of its own, which the thoughts page shows and a commit stores.
        const QString file = f->Path(u"days.Kestrova"_s);
        {
            TDiary diary;
            diary.GetDay(EncodeDate(March10) + 0.5)->Thoughts = u"tenth"_s;
            diary.GetDay(EncodeDate(March11) + 0.5)->Thoughts = u"eleventh"_s;
            WriteDiaryFile(diary, file);
        }
        TmainForm& window = Start(file);
        auto* picker = window.findChild<QDateEdit*>(u"DateTimePicker1"_s);
        picker->setDate(March10);
        Tabs().setCurrentIndex(ThoughtsTab);
        QCOMPARE(Thoughts(), u"tenth"_s);

        // The empty health page is on the screen as the day changes: the walk over the pages goes
        // on past it, so the thoughts page does not keep the tenth's text for the eleventh.
        Tabs().setCurrentIndex(HealthTab);
        QTRY_VERIFY(!Errors().isEmpty());
        picker->setDate(March11);
        QCOMPARE(DateOfDateTime(window.Day()->Date), March11);
        Tabs().setCurrentIndex(ThoughtsTab);
        QCOMPARE(Thoughts(), u"eleventh"_s);
        picker->setDate(March10); // a commit of the eleventh
        QCOMPARE(StoredThoughts(March11), u"eleventh"_s);
        QCOMPARE(StoredThoughts(March10), u"tenth"_s);
        QCOMPARE(Thoughts(), u"tenth"_s);
        for (const QString& error : Errors())
            QCOMPARE(error, LoadFailure + u'.');
    }

    void printingReportsAFailedLoad()
    {
        TmainForm& window = Start();
        f->Dialogs().OnModal = [](QDialog& aDialog) {
            aDialog.findChild<QPushButton*>(u"ButtonReportPrint"_s)->click();
        };
        window.findChild<QAction*>(u"MenuItemHealthReport"_s)->trigger();
        // No print dialog: the command ends at the printer it cannot make.
        QCOMPARE(f->Dialogs().Texts(TKind::Print), QStringList());
        QVERIFY(Errors().contains(LoadFailure + u'.'));
    }

private:
    // A window whose late library cannot be loaded.
    TmainForm& Start(const QString& aFile = {})
    {
        TmainForm::TOptions options{aFile};
        options.LateLibrary = [this]() -> const TLateFunctions& {
            ++fLoads;
            throw EKestrovaError(LoadFailure);
        };
        return f->Start(std::move(options));
    }
    QTabWidget& Tabs() { return *f->Window().findChild<QTabWidget*>(u"PageControlAll"_s); }
    // Read without making any page: every page but the health and weather pages could be made.
    bool Made(const QString& aName) { return f->Window().findChild<QWidget*>(aName) != nullptr; }
    QStringList Errors() const { return f->Dialogs().Texts(TKind::Error); }
    QString Thoughts() { return f->Window().findChild<TRichEdit*>(u"RichEditThoughts"_s)->toPlainText(); }
    QString StoredThoughts(const QDate& aDate) const
    {
        for (const auto& day : f->Window().Diary()->DB)
            if (DateOfDateTime(day->Date) == aDate)
                return day->Thoughts;
        return u"<no day>"_s;
    }

    std::unique_ptr<TWindowFixture> f;
    int fLoads = 0;
};

QTEST_MAIN(TestLateLibrary)
#include "test_late_library.moc"
