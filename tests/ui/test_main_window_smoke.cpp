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
};

QTEST_GUILESS_MAIN(TestMainWindowSmoke)
#include "test_main_window_smoke.moc"
