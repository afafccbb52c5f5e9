#pragma once

#include "model/Records.h"
#include "util/RegionalSettings.h"

#include <QString>

#include <vector>

class QIODevice;

// The month selection of both exports: every page of the diary dated in aMonth of aYear, empty
// pages included, in calendar order (the time of day a page carries plays no part; pages of the
// same date keep their list order). The list does not own the pages. A month outside 1 to 12
// selects nothing.
void SearchActualMonth(const TDiary& aDiary, std::vector<TDay*>& aList, quint16 aYear, quint8 aMonth);

// The readable month text: one block per day in the order of aDays, UTF-8 with the byte-order
// mark, CR LF after every line, numbers and times as aSettings writes them. aDevice must be open
// for writing. A failed write throws EFileError("Stream-Schreibfehler"); what was written before
// stays.
void WriteMonthText(QIODevice& aDevice, const std::vector<TDay*>& aDays, const TRegionalSettings& aSettings);
// Creates or truncates exactly aFileName (no extension is added here) and writes the month text.
// The byte-order mark reaches the file first, so even a month without pages gives a 3-byte file.
// A file that cannot be created throws EFileError("Datei \"<full path>\" kann nicht erstellt
// werden. <reason>").
void WriteMonthTextFile(const QString& aFileName, const std::vector<TDay*>& aDays, const TRegionalSettings& aSettings);
// SearchActualMonth and WriteMonthTextFile in one call, for callers without a window.
void ExportMonthAsTextFile(const TDiary& aDiary, quint16 aYear, quint8 aMonth, const QString& aFileName,
                           const TRegionalSettings& aSettings);

// The name the save dialog proposes: "2026-03-Diary.txt" for any date in March 2026.
QString ProposedMonthTextFileName(TDateTime aDate);

// The chosen name with aExtension appended unless the name contains it anywhere (a case-sensitive
// substring test, not a test of the ending): "report" and "report.TXT" get ".txt", while
// "notes.txt.old" stays as it is.
QString WithExportExtension(const QString& aFileName, const QString& aExtension);
