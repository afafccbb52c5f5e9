#pragma once

#include "model/Records.h"

#include <QByteArray>
#include <QString>

#include <vector>

// What an import did to the diary. The window raises its unsaved-changes flag from it.
struct TTaskImportResult {
    qsizetype TasksAdded = 0;
    qsizetype DaysCreated = 0;
    bool DiaryChanged() const { return TasksAdded > 0; }
};

// Reads the rows of a task file (task;start;end;note, the first line skipped, continuation lines
// joined to the last accepted row's note, malformed rows dropped silently) and sorts them by start
// date, then by the time of day of the start, or of the end when aEndOnly is set. UTF-8 with or
// without the byte-order mark; bytes that are no valid UTF-8 become U+FFFD. A date-time piece that
// is no integer throws EConvertError("'<piece>' ist kein gültiger Integerwert"); a date or time
// that does not exist throws EConvertError("'<field>' ist keine gültige Datums- und
// Uhrzeitangabe"). The seconds of a row are never read: they are always 0.
std::vector<TTaskOfTheDay> ParseTaskRows(const QByteArray& aBytes, bool aEndOnly);

// Parses all of aBytes first and only then adds one task per row to the page of the row's start
// date (created through TDiary::GetDay when missing), numbered from that page's task counter.
// Either every row of the file is added or, when a conversion error is thrown, none: the diary is
// then exactly as it was.
TTaskImportResult ImportTasks(TDiary& aDiary, const QByteArray& aBytes, bool aEndOnly);

// Reads aFileName and imports it as above. A missing file throws EFileError("File <name> does not
// exist."), one that cannot be opened or read EFileError("Datei <full path> kann nicht geöffnet
// werden. <reason>"); the diary is then unchanged.
// The largest task file read: a million tasks and more, while what parsing it costs stays within a
// few hundred megabytes of memory. A larger file is refused before it is read whole.
inline constexpr qint64 MaxTaskFileBytes = 64 * 1024 * 1024;
TTaskImportResult ImportTasksFromFile(TDiary& aDiary, const QString& aFileName, bool aEndOnly);
