#include "document/ksFileUtils.h"
#include "util/Errors.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

using TSlots = TRecentFileNames;

namespace {

const QDate kToday(2025, 3, 12);
const TBackupOptions kFixedClock{[] { return kToday; }, 0};

void WriteBytes(const QString& aPath, const QByteArray& aBytes)
{
    QFile file(aPath);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(aPath));
    QCOMPARE(file.write(aBytes), aBytes.size());
}

// "name=content" for every file of aDir, sorted by name: one string shows the whole folder when a
// comparison fails.
QStringList FolderContents(const QDir& aDir)
{
    QStringList result;
    const QStringList names = aDir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : names) {
        QFile file(aDir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            result << name + u"=<unreadable>"_s;
        else
            result << name + u'=' + QString::fromUtf8(file.readAll());
    }
    return result;
}

TSlots Slots(const QStringList& aNames)
{
    TSlots result;
    for (int i = 0; i < TKSFileUtils::RecentFileCount && i < aNames.size(); ++i)
        result[i] = aNames.at(i);
    return result;
}

QStringList SlotList(const TSlots& aSlots)
{
    return QStringList(aSlots.begin(), aSlots.end());
}

} // namespace

class TestKSFileUtils : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void makeBackup_data();
    void makeBackup();
    void makeBackupOfBareNameUsesCurrentFolder();
    void makeBackupTwiceOnOneDateKeepsStateBeforeLastSave();
    void otherVersionKeptUnderANameOfItsOwn();
    void extractFilePath_data();
    void extractFilePath();

    void saveRecentFile_data();
    void saveRecentFile();
    void removeRecentFile_data();
    void removeRecentFile();

    void settingsRoundTrip();
    void missingValuesReadAsEmpty();
    void nonStringValuesReadAsEmpty();
    void storeIsReopenedOnEveryAccess();
    void unusableKeyReadsNothingAndKeepsSlots();

private:
    std::unique_ptr<QTemporaryDir> fDir;
    QString fSettingsPath;
};

void TestKSFileUtils::init()
{
    fDir = std::make_unique<QTemporaryDir>();
    QVERIFY(fDir->isValid());
    fSettingsPath = fDir->filePath(u"settings"_s);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, fSettingsPath);
}

void TestKSFileUtils::cleanup()
{
    fDir.reset();
}

void TestKSFileUtils::makeBackup_data()
{
    QTest::addColumn<int>("maxBackup");
    QTest::addColumn<QStringList>("before"); // files of the folder as name=content
    QTest::addColumn<QStringList>("after");

    // The diary stays under its own name in every row: the backup is made beside it.
    QTest::newRow("no file, nothing to back up") << 5 << QStringList{} << QStringList{};
    QTest::newRow("file kept under today's name too")
        << 5 << QStringList{u"x.Kestrova=v1"_s} << QStringList{u"2025-03-12--x.Kestrova=v1"_s, u"x.Kestrova=v1"_s};
    QTest::newRow("earlier backup of today replaced")
        << 5 << QStringList{u"2025-03-12--x.Kestrova=morning"_s, u"x.Kestrova=noon"_s}
        << QStringList{u"2025-03-12--x.Kestrova=noon"_s, u"x.Kestrova=noon"_s};
    QTest::newRow("exactly max days back deleted, older and newer stay")
        << 5
        << QStringList{u"2025-03-06--x.Kestrova=d6"_s, u"2025-03-07--x.Kestrova=d7"_s, u"2025-03-08--x.Kestrova=d8"_s,
                       u"x.Kestrova=now"_s}
        << QStringList{u"2025-03-06--x.Kestrova=d6"_s, u"2025-03-08--x.Kestrova=d8"_s, u"2025-03-12--x.Kestrova=now"_s,
                       u"x.Kestrova=now"_s};
    QTest::newRow("old backup deleted even without a file to move")
        << 5 << QStringList{u"2025-03-07--x.Kestrova=d7"_s} << QStringList{};
    QTest::newRow("backups of other files untouched")
        << 5 << QStringList{u"2025-03-07--y.Kestrova=y7"_s, u"x.Kestrova=now"_s, u"y.Kestrova=y"_s}
        << QStringList{u"2025-03-07--y.Kestrova=y7"_s, u"2025-03-12--x.Kestrova=now"_s, u"x.Kestrova=now"_s,
                       u"y.Kestrova=y"_s};
    QTest::newRow("across a month end") << 15 << QStringList{u"2025-02-25--x.Kestrova=old"_s, u"x.Kestrova=now"_s}
                                        << QStringList{u"2025-03-12--x.Kestrova=now"_s, u"x.Kestrova=now"_s};
    QTest::newRow("names differing in case are other files")
        << 5 << QStringList{u"2025-03-07--X.Kestrova=upper"_s, u"x.Kestrova=now"_s}
        << QStringList{u"2025-03-07--X.Kestrova=upper"_s, u"2025-03-12--x.Kestrova=now"_s, u"x.Kestrova=now"_s};
}

void TestKSFileUtils::makeBackup()
{
    QFETCH(int, maxBackup);
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);

    // A folder whose own name looks like a diary and a backup: only the part after the last
    // separator is the file name.
    const QDir dir(fDir->filePath(u"2025-03-12--D.Kestrova"_s));
    QVERIFY(QDir().mkpath(dir.path()));
    for (const QString& entry : before) {
        const qsizetype eq = entry.indexOf(u'=');
        WriteBytes(dir.filePath(entry.left(eq)), entry.mid(eq + 1).toUtf8());
    }

    TKSFileUtils::MakeBackup(dir.filePath(u"x.Kestrova"_s), maxBackup, kFixedClock);

    QCOMPARE(FolderContents(dir), after);
}

void TestKSFileUtils::makeBackupOfBareNameUsesCurrentFolder()
{
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(fDir->path()));
    WriteBytes(u"x.Kestrova"_s, "bare");
    TKSFileUtils::MakeBackup(u"x.Kestrova"_s, 5, kFixedClock);
    QDir::setCurrent(previous);

    QCOMPARE(FolderContents(QDir(fDir->path())),
             (QStringList{u"2025-03-12--x.Kestrova=bare"_s, u"x.Kestrova=bare"_s}));
}

void TestKSFileUtils::makeBackupTwiceOnOneDateKeepsStateBeforeLastSave()
{
    const QString name = fDir->filePath(u"x.Kestrova"_s);
    // As a save puts its new file in place: under the name, never into the file the backup shares.
    const auto save = [&name](const QByteArray& aBytes) {
        WriteBytes(name + u".new"_s, aBytes);
        QFile::remove(name);
        QVERIFY(QFile::rename(name + u".new"_s, name));
    };
    save("yesterday");
    QVERIFY(TKSFileUtils::MakeBackup(name, 5, kFixedClock));
    save("first save");
    QVERIFY(TKSFileUtils::MakeBackup(name, 5, kFixedClock));
    save("second save");

    QCOMPARE(FolderContents(QDir(fDir->path())),
             (QStringList{u"2025-03-12--x.Kestrova=first save"_s, u"x.Kestrova=second save"_s}));

    // The next day the same file gets its own backup; the one of the 12th stays.
    QVERIFY(TKSFileUtils::MakeBackup(name, 5, TBackupOptions{[] { return kToday.addDays(1); }, 0}));
    QCOMPARE(FolderContents(QDir(fDir->path())),
             (QStringList{u"2025-03-12--x.Kestrova=first save"_s, u"2025-03-13--x.Kestrova=second save"_s,
                          u"x.Kestrova=second save"_s}));
}

void TestKSFileUtils::otherVersionKeptUnderANameOfItsOwn()
{
    const QString name = fDir->filePath(u"x.Kestrova"_s);
    WriteBytes(name, "theirs");
    const QDateTime now(kToday, QTime(21, 44, 3));
    QCOMPARE(TKSFileUtils::KeepOtherVersion(name, now), fDir->filePath(u"2025-03-12_21-44-03--x.Kestrova"_s));
    // A second one within the same second does not replace the first.
    QCOMPARE(TKSFileUtils::KeepOtherVersion(name, now), fDir->filePath(u"2025-03-12_21-44-03-2--x.Kestrova"_s));
    // Neither is a backup that a save of this day or one five days on replaces or deletes.
    QVERIFY(TKSFileUtils::MakeBackup(name, 5, kFixedClock));
    QVERIFY(TKSFileUtils::MakeBackup(name, 5, TBackupOptions{[] { return kToday.addDays(5); }, 0}));
    QCOMPARE(FolderContents(QDir(fDir->path())),
             (QStringList{u"2025-03-12_21-44-03--x.Kestrova=theirs"_s, u"2025-03-12_21-44-03-2--x.Kestrova=theirs"_s,
                          u"2025-03-17--x.Kestrova=theirs"_s, u"x.Kestrova=theirs"_s}));

    // A version that cannot be kept is reported: the save must not replace it then.
    QVERIFY_THROWS_EXCEPTION(EFileError, TKSFileUtils::KeepOtherVersion(fDir->filePath(u"nothing/x.Kestrova"_s), now));
}

void TestKSFileUtils::extractFilePath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::newRow("full path") << u"/home/ann/diary.Kestrova"_s << u"/home/ann/"_s;
    QTest::newRow("root") << u"/diary.Kestrova"_s << u"/"_s;
    QTest::newRow("bare name") << u"diary.Kestrova"_s << QString();
    QTest::newRow("unnamed diary") << QString() << QString();
    QTest::newRow("folder itself") << u"/home/ann/"_s << u"/home/ann/"_s;
}

void TestKSFileUtils::extractFilePath()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QCOMPARE(TKSFileUtils::ExtractFilePath(path), folder);
}

void TestKSFileUtils::saveRecentFile_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("after");

    const QStringList full{u"/d/1"_s, u"/d/2"_s, u"/d/3"_s, u"/d/4"_s, u"/d/5"_s, u"/d/6"_s};
    QTest::newRow("slot 4 to the head") << full << u"/d/4"_s << QStringList{u"/d/4"_s, u"/d/1"_s, u"/d/2"_s,
                                                                            u"/d/3"_s, u"/d/5"_s, u"/d/6"_s};
    QTest::newRow("slot 6 to the head") << full << u"/d/6"_s << QStringList{u"/d/6"_s, u"/d/1"_s, u"/d/2"_s,
                                                                            u"/d/3"_s, u"/d/4"_s, u"/d/5"_s};
    QTest::newRow("slot 1 unchanged") << full << u"/d/1"_s << full;
    QTest::newRow("new name drops slot 6")
        << full << u"/d/new"_s << QStringList{u"/d/new"_s, u"/d/1"_s, u"/d/2"_s, u"/d/3"_s, u"/d/4"_s, u"/d/5"_s};
    QTest::newRow("new name into empty list") << QStringList{} << u"/d/a"_s << QStringList{u"/d/a"_s};
    QTest::newRow("new name into partly used list")
        << QStringList{u"/d/a"_s, u"/d/b"_s} << u"/d/c"_s << QStringList{u"/d/c"_s, u"/d/a"_s, u"/d/b"_s};
    QTest::newRow("letter case makes another name")
        << QStringList{u"/d/a"_s, u"/d/X"_s} << u"/d/x"_s << QStringList{u"/d/x"_s, u"/d/a"_s, u"/d/X"_s};
    QTest::newRow("only the first equal slot moves")
        << QStringList{u"/d/a"_s, u"/d/b"_s, u"/d/b"_s, u"/d/c"_s} << u"/d/b"_s
        << QStringList{u"/d/b"_s, u"/d/a"_s, u"/d/b"_s, u"/d/c"_s};
}

void TestKSFileUtils::saveRecentFile()
{
    QFETCH(QStringList, before);
    QFETCH(QString, name);
    QFETCH(QStringList, after);

    TSlots recent = Slots(before);
    TKSFileUtils::SaveRecentFile(recent, name);
    QCOMPARE(SlotList(recent), SlotList(Slots(after)));
}

void TestKSFileUtils::removeRecentFile_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("after");

    const QStringList full{u"/d/1"_s, u"/d/2"_s, u"/d/3"_s, u"/d/4"_s, u"/d/5"_s, u"/d/6"_s};
    QTest::newRow("slot 2") << full << u"/d/2"_s
                            << QStringList{u"/d/1"_s, u"/d/3"_s, u"/d/4"_s, u"/d/5"_s, u"/d/6"_s, QString()};
    QTest::newRow("slot 1") << full << u"/d/1"_s
                            << QStringList{u"/d/2"_s, u"/d/3"_s, u"/d/4"_s, u"/d/5"_s, u"/d/6"_s, QString()};
    QTest::newRow("slot 6") << full << u"/d/6"_s
                            << QStringList{u"/d/1"_s, u"/d/2"_s, u"/d/3"_s, u"/d/4"_s, u"/d/5"_s, QString()};
    QTest::newRow("unknown name") << full << u"/d/7"_s << full;
    QTest::newRow("other letter case") << full << u"/D/2"_s << full;
    QTest::newRow("only the first equal slot goes")
        << QStringList{u"/d/a"_s, u"/d/b"_s, u"/d/a"_s} << u"/d/a"_s << QStringList{u"/d/b"_s, u"/d/a"_s};
}

void TestKSFileUtils::removeRecentFile()
{
    QFETCH(QStringList, before);
    QFETCH(QString, name);
    QFETCH(QStringList, after);

    TSlots recent = Slots(before);
    TKSFileUtils::RemoveRecentFile(recent, name);
    QCOMPARE(SlotList(recent), SlotList(Slots(after)));
}

void TestKSFileUtils::settingsRoundTrip()
{
    // Texts the settings file could mistake for its own syntax: commas (lists), a leading "@"
    // (typed values), quotes, backslashes, an equals sign and text beyond Latin-1.
    const QString last = u"C:\\D\\Tagebuch, 2025; \"neu\"=ä€.Kestrova"_s;
    const QStringList names{
        u"@Variant(x).Kestrova"_s, u"/home/ü/a,b.Kestrova"_s, QString(), u"[General]"_s, u" spaced "_s, u"/d/6"_s};

    TKSFileUtils::WriteLastFilenameAndRecentFilesIntoRegistry(last, Slots(names), KestrovaRegistryKey);

    // The values are strings in the store, free slots included.
    {
        QSettings raw(QSettings::NativeFormat, QSettings::UserScope, u"Orvanta"_s, u"Kestrova"_s);
        QVERIFY2(raw.fileName().startsWith(fSettingsPath), qPrintable(raw.fileName()));
        QCOMPARE(raw.value(u"RecentFile3"_s).typeId(), QMetaType::QString);
        QCOMPARE(raw.value(u"LastFilename"_s).typeId(), QMetaType::QString);
    }

    TSlots read;
    QCOMPARE(TKSFileUtils::ReadLastFilenameFromRegistry(KestrovaRegistryKey), last);
    TKSFileUtils::ReadRecentFilesFromRegistry(read, KestrovaRegistryKey);
    QCOMPARE(SlotList(read), SlotList(Slots(names)));

    // A shorter list written later leaves no old names behind.
    TKSFileUtils::WriteLastFilenameAndRecentFilesIntoRegistry(last, Slots({u"/d/only"_s}), KestrovaRegistryKey);
    read = Slots(names);
    TKSFileUtils::ReadRecentFilesFromRegistry(read, KestrovaRegistryKey);
    QCOMPARE(SlotList(read), SlotList(Slots({u"/d/only"_s})));
}

void TestKSFileUtils::missingValuesReadAsEmpty()
{
    TSlots recent = Slots({u"/d/a"_s, u"/d/b"_s});
    QCOMPARE(TKSFileUtils::ReadLastFilenameFromRegistry(KestrovaRegistryKey), QString());
    TKSFileUtils::ReadRecentFilesFromRegistry(recent, KestrovaRegistryKey);
    QCOMPARE(SlotList(recent), SlotList(TSlots{}));

    // Opening creates the key, with no values in it.
    QSettings raw(QSettings::NativeFormat, QSettings::UserScope, u"Orvanta"_s, u"Kestrova"_s);
    QVERIFY(raw.allKeys().isEmpty());
#if !defined(Q_OS_WIN) && !defined(Q_OS_DARWIN)
    QVERIFY2(QFileInfo::exists(raw.fileName()), qPrintable(raw.fileName()));
#endif

    // Only some values present: the others are empty.
    raw.setValue(u"RecentFile2"_s, u"/d/two"_s);
    raw.sync();
    TKSFileUtils::ReadRecentFilesFromRegistry(recent, KestrovaRegistryKey);
    QCOMPARE(SlotList(recent), SlotList(Slots({QString(), u"/d/two"_s})));
}

void TestKSFileUtils::nonStringValuesReadAsEmpty()
{
    {
        QSettings raw(QSettings::NativeFormat, QSettings::UserScope, u"Orvanta"_s, u"Kestrova"_s);
        raw.setValue(u"LastFilename"_s, QByteArray("/d/bytes"));
        raw.setValue(u"RecentFile1"_s, u"/d/one"_s);
        raw.setValue(u"RecentFile2"_s, QStringList{u"/d/a"_s, u"/d/b"_s});
        raw.setValue(u"RecentFile3"_s, QDate(2025, 3, 12));
        raw.setValue(u"RecentFile4"_s, u"/d/four"_s);
        raw.sync();
        QCOMPARE(raw.status(), QSettings::NoError);
    }

    QCOMPARE(TKSFileUtils::ReadLastFilenameFromRegistry(KestrovaRegistryKey), QString());
    TSlots recent;
    TKSFileUtils::ReadRecentFilesFromRegistry(recent, KestrovaRegistryKey);
    QCOMPARE(SlotList(recent), SlotList(Slots({u"/d/one"_s, QString(), QString(), u"/d/four"_s})));
}

void TestKSFileUtils::storeIsReopenedOnEveryAccess()
{
    TKSFileUtils::WriteLastFilenameAndRecentFilesIntoRegistry(u"/d/first"_s, {}, KestrovaRegistryKey);

    const QString second = fDir->filePath(u"second-store"_s);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, second);
    QCOMPARE(TKSFileUtils::ReadLastFilenameFromRegistry(KestrovaRegistryKey), QString());
    TKSFileUtils::WriteLastFilenameAndRecentFilesIntoRegistry(u"/d/second"_s, {}, KestrovaRegistryKey);

    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, fSettingsPath);
    QCOMPARE(TKSFileUtils::ReadLastFilenameFromRegistry(KestrovaRegistryKey), u"/d/first"_s);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, second);
    QCOMPARE(TKSFileUtils::ReadLastFilenameFromRegistry(KestrovaRegistryKey), u"/d/second"_s);
}

void TestKSFileUtils::unusableKeyReadsNothingAndKeepsSlots()
{
    TKSFileUtils::WriteLastFilenameAndRecentFilesIntoRegistry(u"/d/stored"_s, {}, KestrovaRegistryKey);
    TSlots recent = Slots({u"/d/a"_s, u"/d/b"_s});

    // A key without organisation and application opens nothing.
    QCOMPARE(TKSFileUtils::ReadLastFilenameFromRegistry(u"Kestrova"_s), QString());
    TKSFileUtils::ReadRecentFilesFromRegistry(recent, u"\\"_s);
    QCOMPARE(SlotList(recent), SlotList(Slots({u"/d/a"_s, u"/d/b"_s})));
    TKSFileUtils::WriteLastFilenameAndRecentFilesIntoRegistry(u"/d/other"_s, recent, QString());
    QCOMPARE(TKSFileUtils::ReadLastFilenameFromRegistry(KestrovaRegistryKey), u"/d/stored"_s);
}

QTEST_GUILESS_MAIN(TestKSFileUtils)
#include "test_ksFileUtils.moc"
