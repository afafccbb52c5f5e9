#pragma once

#include "model/Records.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QFile;
class QIODevice;
class TDiaryKey;

// The diary file: versions 1 to 10 are read, version 10 is written.

// Reads a whole diary from aDevice (opened for reading). Throws EFileError: for damaged content
// with a text that names the problem and where it lies, for a device that fails with the runtime's
// "Stream-Lesefehler". Nothing partly read survives a failure. The diary keeps the file's version.
std::unique_ptr<TDiary> ReadDiary(QIODevice& aDevice);
// The first page dated on aDate's calendar date, the page TDiary::GetDay would find in the whole
// diary, read from aDevice without the rest: every other page is stepped over with the checks a
// whole read makes, so a file this reads is one ReadDiary reads too. Day is null when the file has
// no such page; Head holds the version and the notice, and no page.
struct TDiaryDayRead {
    std::unique_ptr<TDiary> Head;
    std::unique_ptr<TDay> Day;
};
TDiaryDayRead ReadDiaryDay(QIODevice& aDevice, TDateTime aDate);
// The head and the last page of a file known to hold aDayCount pages, the last of them beginning
// at byte aLastDayStart, read without the pages before it: Day is that page. nullopt when the file
// does not bear that out (another count, a page that does not read whole or does not end where the
// file does); the caller then reads the file the long way, which reports whatever is wrong with it.
std::optional<TDiaryDayRead> ReadDiaryLastDay(QIODevice& aDevice, qint64 aLastDayStart, qint64 aDayCount);

// Sees the bytes of a diary file in their order as they pass between the file and memory, each
// once, so that a caller can fingerprint what was read or written without a second pass.
using TFileBytesTap = std::function<void(QByteArrayView aBytes)>;

// Opens aFile for reading as the diary readers read a file: unbuffered, as the reader keeps its own
// buffer and a second one would only copy the bytes. Throws EFileError with the runtime's "Datei
// <full path> kann nicht geöffnet werden. <reason>" when it cannot be opened.
void OpenDiaryFile(QFile& aFile);

// Opens aFileName and reads it as above; a file that cannot be opened throws EFileError with the
// runtime's "Datei <full path> kann nicht geöffnet werden. <reason>".
// With aTap, the bytes after the diary's end (which the reader ignores) are read as well, so that
// the tap sees the whole file.
std::unique_ptr<TDiary> ReadDiaryFile(const QString& aFileName, const TFileBytesTap& aTap = {});
// The same from a file already open (unbuffered, for reading), from its present position.
std::unique_ptr<TDiary> ReadDiaryFile(QFile& aFile, const TFileBytesTap& aTap = {});

// How many bytes aDay takes in a file written now (version 10).
qint64 WrittenDaySize(const TDay& aDay);

// Writes aDiary as version 10 to aDevice (opened for writing). Throws EFileError with the device's
// error text when a write fails.
void WriteDiary(const TDiary& aDiary, QIODevice& aDevice);
// The same for a diary given as its notice and its days, which need not belong to one TDiary (the
// days of a snapshot are shared with earlier snapshots).
void WriteDiary(const QString& aCopyright, const std::vector<const TDay*>& aDays, QIODevice& aDevice);

// Writes aDiary as version 10 to aFileName without ever leaving a half-written file there: the
// bytes go to a temporary file in the same folder; when every byte is written and flushed,
// aBeforeReplace runs (the dated backup moves the previous file aside), then the temporary file
// takes aFileName's place. On any failure the temporary file is removed, aFileName is as it was,
// and EFileError carries the runtime's text: "Datei "<full path>" kann nicht erstellt werden.
// <reason>" when the file cannot be made, "Stream-Schreibfehler" when writing it fails.
// aTap sees every byte written, in order, one call at a time, but not necessarily on the caller's
// thread: the file is written on a thread of its own while the next bytes are being made. Every
// call is over when this returns or throws.
// With aKey the file is the encrypted container of the diary (DiaryCrypto.h) under that key; the
// plain bytes never reach the disk.
void WriteDiaryFile(const TDiary& aDiary, const QString& aFileName, const std::function<void()>& aBeforeReplace = {},
                    const TFileBytesTap& aTap = {}, const TDiaryKey* aKey = nullptr);
