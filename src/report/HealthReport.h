#pragma once

#include "exchange/HealthSummary.h"
#include "util/RegionalSettings.h"

#include <QByteArray>
#include <QDate>
#include <QPageLayout>
#include <QString>

#include <array>

class QPagedPaintDevice;

// The health report a user hands to a doctor: a header with the diary's name and the range, the
// summary table, one line chart per chosen reading, the daily readings with the arrhythmia
// symbol, the health condition notes, and on every page its number and the date it was created.
// It is drawn with QPainter onto any paged device, so the PDF file and the printer get the same
// pages; the text stays text in a PDF (selectable and searchable). The printer's side, which needs
// Qt Print Support, is in the late library (late/ReportPrinting.h).

struct THealthReportOptions {
    QString DiaryName;
    // The readings whose figures, charts and daily rows the report shows, by THealthReading.
    std::array<bool, HealthReadingCount> Readings{true, true, true, true, true, true, true};
    QDate CreatedOn = QDate::currentDate();
};

// The name the save dialog proposes: "2026-03-01-2026-03-30-HealthReport.pdf".
QString ProposedHealthReportFileName(const QDate& aFrom, const QDate& aTo);

// A4 portrait, or US Letter where the locale measures in US units; 15 mm margins.
QPageLayout HealthReportPageLayout(const QLocale& aLocale);

// Draws the report onto aDevice as its page layout stands (a print dialog may have changed it)
// and returns the number of pages. Throws EKestrovaError("The health report could not be
// printed.") when the device cannot be painted on or fails to finish.
int RenderHealthReport(QPagedPaintDevice& aDevice, const THealthSummary& aSummary, const THealthReportOptions& aOptions,
                       const TRegionalSettings& aSettings);

// The report as the bytes of a PDF file laid out by HealthReportPageLayout for aSettings' locale.
QByteArray HealthReportPdf(const THealthSummary& aSummary, const THealthReportOptions& aOptions,
                           const TRegionalSettings& aSettings, int* aPageCount = nullptr);

// Writes exactly aFileName as the exports write their files: the file is created first, so a
// name that cannot be created fails before the report is drawn, and an earlier file of that name
// is replaced only by a complete one. Throws EFileError with the exports' texts ("Datei "<full
// path>" kann nicht erstellt werden. <reason>", "Stream-Schreibfehler"). Returns the page count.
int WriteHealthReportPdfFile(const QString& aFileName, const THealthSummary& aSummary,
                             const THealthReportOptions& aOptions, const TRegionalSettings& aSettings);
