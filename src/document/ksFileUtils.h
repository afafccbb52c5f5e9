#pragma once

#include <QDate>
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

    // Moves the existing file to "<folder><YYYY-MM-DD>--<name>" of today and deletes the backup
    // dated exactly aMaxBackup days back. Every file-system failure is ignored.
    static void MakeBackup(const QString& aFileNameWithFullPath, qint32 aMaxBackup,
                           const TBackupOptions& aOptions = {});
    // The name MakeBackup gives the backup of aFileNameWithFullPath made on aDate.
    static QString BackupFileName(const QString& aFileNameWithFullPath, const QDate& aDate);

    static void RemoveRecentFile(TRecentFileNames& aRecentFileNames, const QString& aFileNameWithFullPath);
    static void SaveRecentFile(TRecentFileNames& aRecentFileNames, const QString& aFileNameWithFullPath);

    static QString ReadLastFilenameFromRegistry(const QString& aKey,
                                                QSettings::Format aFormat = QSettings::NativeFormat);
    static void ReadRecentFilesFromRegistry(TRecentFileNames& aRecentFileNames, const QString& aKey,
                                            QSettings::Format aFormat = QSettings::NativeFormat);
    // The last file name and the six slots in one write of the store: every write of it reaches
    // the disk, and closing the window should not wait for two.
    static void WriteLastFilenameAndRecentFilesIntoRegistry(const QString& aFilename,
                                                            const TRecentFileNames& aRecentFileNames,
                                                            const QString& aKey,
                                                            QSettings::Format aFormat = QSettings::NativeFormat);
};
