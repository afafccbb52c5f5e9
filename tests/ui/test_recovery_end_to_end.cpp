// The built program on a virtual X server, driven with real key presses and clicks: text typed into
// the day page survives the process being killed, is offered at the next start, restored with
// Enter on the default button, and saved into the diary; a normal exit then leaves no copy behind.
// Needs Xvfb and xdotool (scripts/kestrova.sh installs both).

#include "model/DayFields.h"
#include "model/DiaryFile.h"
#include "util/ksDateUtils.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Typed = u"Written just before the crash"_s;

bool Holds(const TDiary& aDiary, const QString& aText)
{
    for (const auto& day : aDiary.DB)
        for (const TDayField& field : DayFields())
            if (const auto* text = std::get_if<QString TDay::*>(&field.Member); text && (*day.**text).contains(aText))
                return true;
    return false;
}

bool FileHolds(const QString& aFile, const QString& aText)
{
    try {
        return Holds(*ReadDiaryFile(aFile), aText);
    } catch (const std::exception&) {
        return false; // not there (yet), or replaced while it was read
    }
}

// Polls aCondition until it holds or aMs have passed.
template <typename TCondition> bool WaitFor(TCondition aCondition, int aMs = 15000)
{
    const QDeadlineTimer deadline(aMs);
    while (!aCondition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    return true;
}

} // namespace

class TestRecoveryEndToEnd : public QObject {
    Q_OBJECT

    QTemporaryDir fHome;
    QProcess fServer;
    QString fDisplay;
    QString fXdotool;

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"DISPLAY"_s, fDisplay);
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        environment.insert(u"HOME"_s, fHome.path());
        environment.insert(u"XDG_CONFIG_HOME"_s, fHome.filePath(u"config"_s));
        environment.insert(u"XDG_DATA_HOME"_s, fHome.filePath(u"data"_s));
        environment.insert(u"XDG_RUNTIME_DIR"_s, fHome.filePath(u"runtime"_s));
        return environment;
    }

    QString RecoveryFolder() const { return fHome.filePath(u"data/Orvanta/Kestrova/recovery"_s); }

    QStringList Copies() const { return QDir(RecoveryFolder()).entryList({u"*.Kestrova"_s}, QDir::Files); }

    QString Xdotool(const QStringList& aArguments) const
    {
        QProcess tool;
        tool.setProcessEnvironment(Environment());
        tool.start(fXdotool, aArguments);
        if (!tool.waitForFinished(10000))
            return {};
        return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
    }

    // The first visible window whose title matches aPattern, once there is one; empty otherwise.
    QString WaitForWindow(const QString& aPattern) const
    {
        // A loaded machine (the sanitizer run, two test programs at once) may take its time.
        QString window;
        WaitFor(
            [&] {
                window = Xdotool({u"search"_s, u"--onlyvisible"_s, u"--name"_s, aPattern}).section(u'\n', 0, 0);
                return !window.isEmpty();
            },
            60000);

        return window;
    }

    // Clicks into the text box at the foot of the first page of aWindow and types aText there.
    void TypeIntoFirstPage(const QString& aWindow, const QString& aText) const
    {
        const QString geometry = Xdotool({u"getwindowgeometry"_s, u"--shell"_s, aWindow});
        const int width = geometry.section(u"WIDTH="_s, 1).section(u'\n', 0, 0).toInt();
        const int height = geometry.section(u"HEIGHT="_s, 1).section(u'\n', 0, 0).toInt();
        QVERIFY2(width > 100 && height > 100, qPrintable(geometry));
        Xdotool({u"windowfocus"_s, u"--sync"_s, aWindow});
        Xdotool({u"mousemove"_s, u"--window"_s, aWindow, QString::number(width / 2), QString::number(height - 40),
                 u"click"_s, u"1"_s});
        QThread::msleep(300); // the click's focus change is handled before the first typed key
        Xdotool({u"type"_s, u"--delay"_s, u"20"_s, aText});
    }

    // Picks aItem of the File menu by its key. On a loaded machine the menu may open later than the
    // key that picks its item; that key then only adds a letter to the page, so the command is
    // given again after an Escape until aDone holds.
    bool FileMenu(const QString& aItem, const std::function<bool()>& aDone) const
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            Xdotool({u"key"_s, u"--delay"_s, u"300"_s, u"alt+f"_s, aItem});
            if (WaitFor(aDone, 5000))
                return true;
            Xdotool({u"key"_s, u"Escape"_s});
        }
        return false;
    }

    // What a failed wait for a window saw: whether the program still runs, what it printed, and
    // the titles of the windows it shows.
    QString Seen(QProcess& aProcess) const
    {
        aProcess.waitForFinished(1000); // without an event loop, only this takes in its state and output
        QString seen = aProcess.state() == QProcess::NotRunning
                           ? u"the program ended (exit code %1, %2)"_s.arg(aProcess.exitCode()).arg(
                                 aProcess.exitStatus() == QProcess::CrashExit ? u"crashed"_s : u"normal exit"_s)
                           : u"the program runs"_s;
        const QStringList windows =
            Xdotool({u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"."_s}).split(u'\n', Qt::SkipEmptyParts);
        for (const QString& window : windows)
            seen += u"; window \""_s + Xdotool({u"getwindowname"_s, window}) + u'"';
        return seen + u"; output: "_s + QString::fromLocal8Bit(aProcess.readAll());
    }

    bool CopyHolds(const QString& aText) const
    {
        const QStringList copies = Copies();
        return copies.size() == 1 && FileHolds(QDir(RecoveryFolder()).filePath(copies[0]), aText);
    }

    // Starts the program on aDiary, waits for its offer of a recovery copy and answers it with
    // aKey (Return: Restore, Escape: Later); aWindow is then the main window, titled as aTitle.
    void StartAndAnswerTheOffer(QProcess& aProcess, const QString& aDiary, const QString& aKey, const QString& aTitle,
                                QString& aWindow) const
    {
        StartProgram(aProcess, aDiary);
        QVERIFY2(aProcess.waitForStarted(), qPrintable(aProcess.errorString()));
        const QString box = WaitForWindow(u"^Kestrova$"_s);
        QVERIFY2(!box.isEmpty(), qPrintable(Seen(aProcess)));
        Xdotool({u"windowfocus"_s, u"--sync"_s, box});
        Xdotool({u"key"_s, aKey});
        aWindow = WaitForWindow(aTitle);
        QVERIFY2(!aWindow.isEmpty(), qPrintable(Seen(aProcess)));
    }

    void StartProgram(QProcess& aProcess, const QString& aDiary) const
    {
        aProcess.setProcessEnvironment(Environment());
        aProcess.setWorkingDirectory(fHome.path());
        aProcess.setProcessChannelMode(QProcess::MergedChannels);
        aProcess.start(qEnvironmentVariable("KESTROVA_APP"), {u"--recovery-interval"_s, u"0.2"_s, aDiary});
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("KESTROVA_APP"), "KESTROVA_APP names the built program");
        const QString server = QStandardPaths::findExecutable(u"Xvfb"_s);
        fXdotool = QStandardPaths::findExecutable(u"xdotool"_s);
        QVERIFY2(!server.isEmpty() && !fXdotool.isEmpty(), "Xvfb and xdotool are needed (scripts/kestrova.sh)");
        QVERIFY(fHome.isValid());
        QVERIFY(QDir(fHome.path()).mkpath(u"runtime"_s));
        QFile::setPermissions(fHome.filePath(u"runtime"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        // The server picks a free display itself and names it on its standard output. Without
        // -noreset it resets whenever its last client leaves (each killed run, each xdotool call),
        // and a program starting during a reset cannot connect: Qt then aborts before any window.
        fServer.start(server, {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"1280x1024x24"_s, u"-nolisten"_s,
                               u"tcp"_s, u"-noreset"_s});
        QVERIFY2(WaitFor(
                     [&] {
                         fServer.waitForReadyRead(100);
                         return fServer.canReadLine() || fServer.state() == QProcess::NotRunning;
                     },
                     20000),
                 "the X server did not start");
        fDisplay = u':' + QString::fromLatin1(fServer.readLine()).trimmed();
        QVERIFY2(fDisplay.size() > 1, "the X server named no display");
    }

    void cleanupTestCase()
    {
        if (fServer.state() != QProcess::NotRunning) {
            fServer.terminate();
            if (!fServer.waitForFinished(5000))
                fServer.kill();
            fServer.waitForFinished(5000);
        }
    }

    void typedTextSurvivesAKill()
    {
        const QString diary = fHome.filePath(u"d.Kestrova"_s);
        {
            TDiary content;
            content.GetDay(EncodeDate(QDate(2025, 1, 2)))->Thoughts = u"saved long ago"_s;
            WriteDiaryFile(content, diary);
        }

        // First run: the text goes into the text box at the foot of the first page, then the
        // process is killed as soon as its copy holds the text.
        QProcess first;
        StartProgram(first, diary);
        QVERIFY2(first.waitForStarted(), qPrintable(first.errorString()));
        const QString window = WaitForWindow(u"^Kestrova: "_s);
        QVERIFY2(!window.isEmpty(), qPrintable(Seen(first)));
        TypeIntoFirstPage(window, Typed);
        QVERIFY2(WaitFor([&] {
                     const QStringList copies = Copies();
                     return copies.size() == 1 && FileHolds(QDir(RecoveryFolder()).filePath(copies[0]), Typed);
                 }),
                 qPrintable(u"no copy with the typed text; copies: "_s + Copies().join(u", "_s)));
        first.kill(); // SIGKILL: nothing of the program runs any more
        QVERIFY(first.waitForFinished(10000));
        QVERIFY(!FileHolds(diary, Typed));

        // Second run: the copy is offered; Enter presses the default button, Restore.
        QProcess second;
        QString restored;
        StartAndAnswerTheOffer(second, diary, u"Return"_s, u"^Kestrova: "_s, restored);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(!FileHolds(diary, Typed)); // restored into the window, not yet into the file

        // File > Save writes it into the diary, and the copy goes.
        Xdotool({u"windowfocus"_s, u"--sync"_s, restored});
        QVERIFY2(FileMenu(u"s"_s, [&] { return FileHolds(diary, Typed); }), second.readAll().constData());
        QVERIFY(WaitFor([&] { return Copies().isEmpty(); }));
        const std::unique_ptr<TDiary> saved = ReadDiaryFile(diary);
        QCOMPARE(saved->GetDay(EncodeDate(QDate(2025, 1, 2)))->Thoughts, u"saved long ago"_s);

        // File > Exit: nothing unsaved, nothing asked, nothing left in the recovery folder.
        QVERIFY2(FileMenu(u"e"_s, [&] { return second.waitForFinished(50); }), "the program did not exit");
        QVERIFY2(second.exitStatus() == QProcess::NormalExit, second.readAll().right(6000).constData());
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(QDir(RecoveryFolder()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    void typedTextSurvivesAKillDuringASaveAndAfterLater()
    {
        const QString diary = fHome.filePath(u"k.Kestrova"_s);
        const QString backup = fHome.filePath(TKSDateUtils::ToYearMonthDayStr(EncodeDate(QDate::currentDate())) +
                                              u"--k.Kestrova"_s);
        {
            TDiary content;
            content.GetDay(EncodeDate(QDate(2025, 1, 2)))->Thoughts = u"saved long ago"_s;
            WriteDiaryFile(content, diary);
        }
        const QString typed = u"Typed before a killed save"_s;

        // First run: the text is typed and saved, and the process is killed in the middle of the
        // save, once its backup is made (the save then waits a second before the new file takes
        // the diary's name).
        QProcess first;
        StartProgram(first, diary);
        QVERIFY2(first.waitForStarted(), qPrintable(first.errorString()));
        const QString window = WaitForWindow(u"^Kestrova: .*k\\.Kestrova"_s);
        QVERIFY2(!window.isEmpty(), qPrintable(Seen(first)));
        TypeIntoFirstPage(window, typed);
        QVERIFY2(WaitFor([&] { return CopyHolds(typed); }), "no copy with the typed text");
        QVERIFY(FileMenu(u"s"_s, [&] { return QFile::exists(backup); }));
        first.kill();
        QVERIFY(first.waitForFinished(10000));

        // The diary's name still holds a complete diary, the one before the save.
        QVERIFY2(FileHolds(diary, u"saved long ago"_s), "the diary's name holds no complete diary");
        QVERIFY2(!FileHolds(diary, typed), "the kill came after the save had ended");

        // Second run: the copy is offered; Escape picks "Later", and this run is killed too.
        QProcess second;
        QString later;
        StartAndAnswerTheOffer(second, diary, u"Escape"_s, u"^Kestrova: .*k\\.Kestrova"_s, later);
        if (QTest::currentTestFailed())
            return;
        second.kill();
        QVERIFY(second.waitForFinished(10000));
        QVERIFY(CopyHolds(typed));

        // Third run: offered again, restored with Enter, saved.
        QProcess third;
        QString restored;
        StartAndAnswerTheOffer(third, diary, u"Return"_s, u"^Kestrova: .*k\\.Kestrova"_s, restored);
        if (QTest::currentTestFailed())
            return;
        Xdotool({u"windowfocus"_s, u"--sync"_s, restored});
        QVERIFY2(FileMenu(u"s"_s, [&] { return FileHolds(diary, typed); }), third.readAll().constData());
        QVERIFY(FileHolds(diary, u"saved long ago"_s));
        QVERIFY(FileMenu(u"e"_s, [&] { return third.waitForFinished(50); }));
        QCOMPARE(third.exitCode(), 0);
        QVERIFY(Copies().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRecoveryEndToEnd)
#include "test_recovery_end_to_end.moc"
