#pragma once

#include "model/Records.h"
#include "util/RegionalSettings.h"

#include <QString>

#include <vector>

class QIODevice;

// The header line of the health values file: 28 names, each followed by ";".
extern const QString HealthValuesCsvHeader;

// The health values CSV of the days in aDays, in their order: the header, then one line of 28
// fields per day. UTF-8 with the byte-order mark, CR LF after every line, numbers in the general
// number format with aSettings' separator. aDevice must be open for writing; a failed write throws
// EFileError("Stream-Schreibfehler").
void WriteHealthValuesCsv(QIODevice& aDevice, const std::vector<TDay*>& aDays, const TRegionalSettings& aSettings);
// Creates or truncates exactly aFileName (no extension is added here) and writes the CSV. A file
// that cannot be created throws EFileError("Datei \"<full path>\" kann nicht erstellt werden.
// <reason>").
void WriteHealthValuesCsvFile(const QString& aFileName, const std::vector<TDay*>& aDays,
                              const TRegionalSettings& aSettings);
// SearchActualMonth and WriteHealthValuesCsvFile in one call, for callers without a window.
void ExportHealthValuesAsCsvFile(const TDiary& aDiary, quint16 aYear, quint8 aMonth, const QString& aFileName,
                                 const TRegionalSettings& aSettings);

// The name the save dialog proposes: "2026-03-HealthValues.csv" for any date in March 2026.
QString ProposedHealthValuesFileName(TDateTime aDate);
