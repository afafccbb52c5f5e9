// The built program itself: it starts under the offscreen platform, opens the diary named on its
// command line, and with --close-when-shown closes through the window's own shutdown once shown,
// which records the file in the store.

#include "model/DiaryFile.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestMainWindowSmoke : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void programStartsAndCloses()
    {
        const QString program = qEnvironmentVariable("KESTROVA_APP");
        QVERIFY2(!program.isEmpty(), "KESTROVA_APP names the built program");
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QString diary = home.filePath(u"smoke.Kestrova"_s);
        {
            TDiary content;
            content.GetDay(45000.0)->Thoughts = u"smoke"_s;
            WriteDiaryFile(content, diary);
        }

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        environment.insert(u"HOME"_s, home.path());
        environment.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(home.path());
        process.start(program, {u"--close-when-shown"_s, diary});
        QVERIFY2(process.waitForFinished(60000), "the program did not close");
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardOutput(), QByteArray("shown\n"));

        QSettings store(home.filePath(u"config/Orvanta/Kestrova.conf"_s), QSettings::IniFormat);
        QCOMPARE(store.value(u"LastFilename"_s).toString(), diary);
        QCOMPARE(store.value(u"RecentFile1"_s).toString(), diary);
    }

    // What needs no window works without a display: --help, and every mistake in the options.
    void optionsNeedNoDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output"); // a text the output must hold
        QTest::newRow("--help") << QStringList{u"--help"_s} << 0 << u"--recovery-interval <SECONDS>"_s;
        QTest::newRow("-h") << QStringList{u"-h"_s} << 0 << u"--close-when-shown"_s;
        QTest::newRow("unknown option") << QStringList{u"--colour"_s} << 1 << u"Unknown option 'colour'"_s;
        QTest::newRow("bad interval") << QStringList{u"--recovery-interval"_s, u"soon"_s} << 2
                                      << u"--recovery-interval takes a number of seconds"_s;
        QTest::newRow("two diaries") << QStringList{u"a.Kestrova"_s, u"b.Kestrova"_s} << 2 << u"[diary]"_s;
    }
    void optionsNeedNoDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // No platform that could be reached: xcb without a display aborts if it is ever loaded.
        environment.remove(u"DISPLAY"_s);
        environment.remove(u"WAYLAND_DISPLAY"_s);
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(qEnvironmentVariable("KESTROVA_APP"), arguments);
        QVERIFY(process.waitForFinished(60000));
        const QString printed = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        QVERIFY2(printed.contains(output), qPrintable(printed));
    }
};

QTEST_GUILESS_MAIN(TestMainWindowSmoke)
#include "test_main_window_smoke.moc"
