#include "document/ksFileUtils.h"

#include "util/Errors.h"
#include "util/FileAccess.h"
#include "util/ksDateUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// Index just past the last separator: the folder part keeps its trailing separator, so folder +
// prefix + name is the backup's path, and a bare name yields a backup in the current folder.
qsizetype NameStart(const QString& aPath)
{
#ifdef Q_OS_WIN
    const qsizetype last = std::max({aPath.lastIndexOf(u'/'), aPath.lastIndexOf(u'\\'), aPath.lastIndexOf(u':')});
#else
    const qsizetype last = aPath.lastIndexOf(u'/');
#endif
    return last + 1;
}

QString BackupName(const QString& aPath, const QDate& aDate)
{
    const qsizetype start = NameStart(aPath);
    return aPath.left(start) + TKSDateUtils::ToYearMonthDayStr(EncodeDate(aDate)) + u"--"_s + aPath.mid(start);
}

// The key is opened afresh for every access so that a store redirected between calls (tests do
// this) is always the one used. Its last two parts are organisation and application.
std::unique_ptr<QSettings> OpenKey(const QString& aKey, QSettings::Format aFormat)
{
    QString key = aKey;
    key.replace(u'/', u'\\');
    const QStringList parts = key.split(u'\\', Qt::SkipEmptyParts);
    if (parts.size() < 2)
        return nullptr;
    auto settings =
        std::make_unique<QSettings>(aFormat, QSettings::UserScope, parts.at(parts.size() - 2), parts.last());
    if (settings->status() != QSettings::NoError)
        return nullptr;
#if !defined(Q_OS_WIN) && !defined(Q_OS_DARWIN)
    // The registry creates a key on first open; the settings file is made here to match, so a
    // first start leaves the key in place with no values. A failure only means nothing is stored.
    const QString fileName = settings->fileName();
    if (!fileName.isEmpty() && !QFileInfo::exists(fileName)) {
        QDir().mkpath(QFileInfo(fileName).absolutePath());
        QFile file(fileName);
        if (file.open(QIODevice::WriteOnly))
            file.close();
    }
#endif
    return settings;
}

// The values are strings; a value of another type (a list, bytes, a number in the registry) is
// treated like a missing one rather than ending the start-up.
QString ReadString(const QSettings& aSettings, const QString& aName)
{
    const QVariant value = aSettings.value(aName);
    if (value.typeId() != QMetaType::QString)
        return QString();
    return value.toString();
}

QString RecentValueName(int aSlot)
{
    return u"RecentFile"_s + QString::number(aSlot);
}

} // namespace

QString TKSFileUtils::ExtractFilePath(const QString& aFileName)
{
    return aFileName.left(NameStart(aFileName));
}

bool TKSFileUtils::MakeBackup(const QString& aFileNameWithFullPath, qint32 aMaxBackup, const TBackupOptions& aOptions)
{
    const QDate today = aOptions.Date();

    // Only the backup of exactly aMaxBackup days ago goes: older ones, left on days without a
    // save, stay, as they always have.
    const QString oldBackup = BackupName(aFileNameWithFullPath, today.addDays(-qint64(aMaxBackup)));
    if (FileExists(oldBackup))
        RemoveFileFreeingLater(oldBackup);

    if (!FileExists(aFileNameWithFullPath))
        return false;

    // One backup per date: a later save of the day replaces the earlier backup. The diary keeps its
    // name throughout: the backup is a second name of the same file (or a copy), never the diary
    // moved away, so a crash at any moment of a save still finds the diary where the user left it.
    const QString newBackup = BackupName(aFileNameWithFullPath, today);
    RemoveFileFreeingLater(newBackup);
    const bool made = LinkOrCopyFile(aFileNameWithFullPath, newBackup);

    // Kept from the program's history: a save never finishes within the second of its backup. The
    // diary's name holds the complete previous file all the while.
    if (aOptions.WaitMs > 0)
        QThread::msleep(aOptions.WaitMs);
    return made;
}

QString TKSFileUtils::KeepOtherVersion(const QString& aFileNameWithFullPath, const QDateTime& aNow)
{
    // Through a symbolic link, the file it leads to is the version to keep, beside itself.
    const QString file = FileBehindLink(aFileNameWithFullPath);
    const qsizetype start = NameStart(file);
    const QString stamp = aNow.toString(u"yyyy-MM-dd_HH-mm-ss"_s);
    QString target;
    for (int n = 1; n < 1000; ++n) {
        target = file.left(start) + stamp + (n > 1 ? u'-' + QString::number(n) : QString()) + u"--"_s +
                 file.mid(start);
        if (!QFileInfo::exists(target) && !QFileInfo(target).isSymLink())
            break;
    }
    if (!LinkOrCopyFile(file, target))
        throw CannotCreateFileError(target, qt_error_string());
    return target;
}

QString TKSFileUtils::BackupFileName(const QString& aFileNameWithFullPath, const QDate& aDate)
{
    return BackupName(aFileNameWithFullPath, aDate);
}

void TKSFileUtils::RemoveRecentFile(TRecentFileNames& aRecentFileNames, const QString& aFileNameWithFullPath)
{
    for (int k = 0; k < RecentFileCount; ++k) {
        if (aRecentFileNames[k] == aFileNameWithFullPath) {
            for (int i = k; i < RecentFileCount - 1; ++i)
                aRecentFileNames[i] = aRecentFileNames[i + 1];
            aRecentFileNames[RecentFileCount - 1].clear();
            return;
        }
    }
}

void TKSFileUtils::SaveRecentFile(TRecentFileNames& aRecentFileNames, const QString& aFileNameWithFullPath)
{
    int found = RecentFileCount - 1; // not found: the last slot's text is dropped
    for (int k = 0; k < RecentFileCount; ++k) {
        if (aRecentFileNames[k] == aFileNameWithFullPath) {
            found = k;
            break;
        }
    }
    for (int i = found; i > 0; --i)
        aRecentFileNames[i] = aRecentFileNames[i - 1];
    aRecentFileNames[0] = aFileNameWithFullPath;
}

QString TKSFileUtils::ReadLastFilenameFromRegistry(const QString& aKey, QSettings::Format aFormat)
{
    const auto settings = OpenKey(aKey, aFormat);
    if (!settings)
        return QString();
    return ReadString(*settings, u"LastFilename"_s);
}

void TKSFileUtils::ReadRecentFilesFromRegistry(TRecentFileNames& aRecentFileNames, const QString& aKey,
                                               QSettings::Format aFormat)
{
    const auto settings = OpenKey(aKey, aFormat);
    if (!settings)
        return;
    for (int slot = 1; slot <= RecentFileCount; ++slot)
        aRecentFileNames[slot - 1] = ReadString(*settings, RecentValueName(slot));
}

QString TKSFileUtils::ReadLastPageFromRegistry(const QString& aKey, QSettings::Format aFormat)
{
    const auto settings = OpenKey(aKey, aFormat);
    if (!settings)
        return QString();
    return ReadString(*settings, u"LastPage"_s);
}

void TKSFileUtils::WriteLastFilenameAndRecentFilesIntoRegistry(const QString& aFilename,
                                                               const TRecentFileNames& aRecentFileNames,
                                                               const QString& aKey, QSettings::Format aFormat,
                                                               const QString& aLastPage)
{
    const auto settings = OpenKey(aKey, aFormat);
    if (!settings)
        return;
    settings->setValue(u"LastFilename"_s, aFilename);
    if (aLastPage.isEmpty())
        settings->remove(u"LastPage"_s);
    else
        settings->setValue(u"LastPage"_s, aLastPage);
    // A free slot is written as an empty string, so a list that shrank does not keep old names.
    for (int slot = 1; slot <= RecentFileCount; ++slot)
        settings->setValue(RecentValueName(slot), aRecentFileNames[slot - 1]);
    settings->sync();
}
