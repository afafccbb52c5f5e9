#pragma once

#include <QDate>
#include <QString>

#include <array>
#include <functional>

// The settings key every caller passes as aKey. On Windows it is the registry key under
// HKEY_CURRENT_USER; elsewhere its last two parts name the organisation and application of the
// per-user settings file.
inline const QString KestrovaRegistryKey = QStringLiteral("Software\\Orvanta\\Kestrova");

// What the document commands keep beside the diary file: dated backups, the recent-files list
// and the per-user settings store. Class functions only; the recent list exists once per run.
class TKSFileUtils {
public:
    TKSFileUtils() = delete;

    static constexpr int RecentFileCount = 6;
    static constexpr int DefaultBackupWaitMs = 1000;

    // Slot k (1..6) is RecentFileNames[k - 1]; an empty text is a free slot.
    static std::array<QString, RecentFileCount> RecentFileNames;

    // Moves the existing file to "<folder><YYYY-MM-DD>--<name>" of today and deletes the backup
    // dated exactly aMaxBackup days back. Every file-system failure is ignored.
    static void MakeBackup(const QString& aFileNameWithFullPath, qint32 aMaxBackup);

    static QString ReadLastFilenameFromRegistry(const QString& aKey);
    static void ReadRecentFilesFromRegistry(const QString& aKey);
    static void RemoveRecentFile(const QString& aFileNameWithFullPath);
    static void SaveRecentFile(const QString& aFileNameWithFullPath);
    static void WriteLastFilenameIntoRegistry(const QString& aFilename, const QString& aKey);
    static void WriteRecentFilesIntoRegistry(const QString& aKey);

    // The name MakeBackup gives the backup of aFileNameWithFullPath made on aDate, and the date it
    // takes as today.
    static QString BackupFileName(const QString& aFileNameWithFullPath, const QDate& aDate);
    static QDate Today();

    // For tests: empty all six slots, set the date MakeBackup takes as today (an empty function
    // means the system clock) and shorten its wait.
    static void ClearRecentFiles();
    static void SetToday(std::function<QDate()> aToday);
    static void SetBackupWait(int aMilliseconds);
    static void ResetClockAndWait();
};
