#pragma once

#include <QDate>
#include <QDateTime>
#include <QSettings>
#include <QString>

#include <array>
#include <functional>

// The settings key every caller passes as aKey. On Windows it is the registry key under
// HKEY_CURRENT_USER; elsewhere its last two parts name the organisation and application of the
// per-user settings file.
inline const QString KestrovaRegistryKey = QStringLiteral("Software\\Orvanta\\Kestrova");

// The recent-files list: slot k (1..6) is element k - 1; an empty text is a free slot. The window
// owns the one list of a run and hands it to the functions below.
using TRecentFileNames = std::array<QString, 6>;

// What a backup takes from its surroundings: the date that counts as today and the wait after the
// move. The program keeps the defaults; tests give a fixed date and no wait.
struct TBackupOptions {
    std::function<QDate()> Today; // empty: the system's date
    int WaitMs = 1000;

    QDate Date() const { return Today ? Today() : QDate::currentDate(); }
};

// What the document commands keep beside the diary file: dated backups, the recent-files list
// and the per-user settings store. Class functions only.
//
// aFormat chooses the store's format; the program always uses the native one. It exists so that a
// test can register a format of its own and see every write of the store.
class TKSFileUtils {
public:
    TKSFileUtils() = delete;

    static constexpr int RecentFileCount = int(std::tuple_size_v<TRecentFileNames>);

    // The folder part of a path with its closing separator; empty for a name without a folder.
    // The dialogs that open "in the diary's folder" take it as they find it.
    static QString ExtractFilePath(const QString& aFileName);

    // Gives the existing file a second name "<folder><YYYY-MM-DD>--<name>" of today (a copy where
    // links are impossible), replacing an earlier backup of the same date, and deletes the backup
    // dated exactly aMaxBackup days back; then waits aOptions.WaitMs. The file itself stays where it
    // is. True when today's backup was made; every file-system failure is otherwise ignored.
    static bool MakeBackup(const QString& aFileNameWithFullPath, qint32 aMaxBackup,
                           const TBackupOptions& aOptions = {});
    // Keeps aFileNameWithFullPath as it is now under a name of its own beside it, which no backup
    // step replaces or deletes: "<folder><YYYY-MM-DD_hh-mm-ss>--<name>" of aNow, with "-2", "-3", ...
    // after the time when that is taken. For a version of the diary that a save is about to replace
    // although it was changed elsewhere. Returns the name; throws EFileError when it fails.
    static QString KeepOtherVersion(const QString& aFileNameWithFullPath, const QDateTime& aNow);
    // The name MakeBackup gives the backup of aFileNameWithFullPath made on aDate.
    static QString BackupFileName(const QString& aFileNameWithFullPath, const QDate& aDate);

    static void RemoveRecentFile(TRecentFileNames& aRecentFileNames, const QString& aFileNameWithFullPath);
    static void SaveRecentFile(TRecentFileNames& aRecentFileNames, const QString& aFileNameWithFullPath);

    static QString ReadLastFilenameFromRegistry(const QString& aKey,
                                                QSettings::Format aFormat = QSettings::NativeFormat);
    static void ReadRecentFilesFromRegistry(TRecentFileNames& aRecentFileNames, const QString& aKey,
                                            QSettings::Format aFormat = QSettings::NativeFormat);
    // Where the last file's last page begins (TLastPageHint's text); empty when none is stored.
    static QString ReadLastPageFromRegistry(const QString& aKey, QSettings::Format aFormat = QSettings::NativeFormat);
    // The last file name, the six slots and where the last file's last page begins (none when
    // aLastPage is empty) in one write of the store: every write of it reaches the disk, and
    // closing the window should not wait for two.
    static void WriteLastFilenameAndRecentFilesIntoRegistry(const QString& aFilename,
                                                            const TRecentFileNames& aRecentFileNames,
                                                            const QString& aKey,
                                                            QSettings::Format aFormat = QSettings::NativeFormat,
                                                            const QString& aLastPage = QString());
};
