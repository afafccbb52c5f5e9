#pragma once

#include "late/LateFunctions.h"
#include "report/HealthReport.h"

class QPageLayout;
class QPrinter;
class QWidget;

// The health report's way onto paper: the printer, its dialog, and the report drawn onto it. Part
// of the late library: the window reaches these through TLateFunctions.

// A high-resolution printer with aLayout's page, which the print dialog may change.
KESTROVA_LATE_API TLatePrinter MakeReportPrinter(const QPageLayout& aLayout);

// Qt's print dialog for aPrinter, which it sets up as the user chooses (printer, pages, paper);
// true when the user asks to print.
KESTROVA_LATE_API bool ExecutePrintDialog(QWidget* aParent, QPrinter& aPrinter);

// Prints onto aPrinter as the print dialog left it; returns the page count. Throws as
// RenderHealthReport does.
KESTROVA_LATE_API int PrintHealthReport(QPrinter& aPrinter, const THealthSummary& aSummary,
                                        const THealthReportOptions& aOptions, const TRegionalSettings& aSettings);
