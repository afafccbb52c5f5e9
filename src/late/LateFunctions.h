#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>

// The window's way into libkestrova-late.so, the library of everything that needs Qt Charts or Qt
// Print Support: the value charts of the health and weather pages and the printing of the health
// report. Loading those Qt libraries (and the OpenGL ones the charts bring) is a good part of the
// dynamic linker's work at start, and the first page needs none of them, so kestrova does not link
// this library: it loads it when a chart page is first made, which the window does while idle
// after its first paint (ui/LateLibrary.h).
//
// This header is all the two sides share. It names the Qt Charts and Qt Print Support classes
// only as pointers and references to incomplete types, which need none of their symbols; an
// include of their headers here would bring the libraries back into the program (a test guards
// against that).

class QLineSeries;
class QPageLayout;
class QPrinter;
class QWidget;
class TRegionalSettings;
struct TChartData;
struct THealthReportOptions;
struct THealthSummary;

// What the library's headers declare is exported, for the tests that link it; everything else in
// it, its copy of the core and the report included, stays hidden.
#define KESTROVA_LATE_API __attribute__((visibility("default")))

// A printer made by the library and deleted by it.
using TLatePrinter = std::unique_ptr<QPrinter, void (*)(QPrinter*)>;

// Raised with every change of the table below or of a type its functions take: a library built
// from other sources (left over from another build, or copied beside another program) is refused
// rather than called with a layout it does not know.
inline constexpr std::uint32_t LateFunctionsVersion = 1;

struct TLateFunctions {
    // First and of a fixed type in every version, so that the loader can read it from any library.
    std::uint32_t Version;

    // The value charts (ValueChart.h). The window holds a chart as the widget it lays out and
    // watches, its QChartView, which it cannot convert itself: every chart it passes back is one
    // that MakeChart made.

    // A value chart over dates with one line series per entry of aSeries, each stored where its
    // pointer points.
    QWidget* (*MakeChart)(QWidget* aParent, const QString& aName, const QString& aTitle,
                          std::initializer_list<std::pair<QLineSeries**, QString>> aSeries,
                          const TRegionalSettings& aSettings);
    // Takes the legend off a chart whose one line needs no name.
    void (*HideLegend)(QWidget& aChart);
    // Shows aData in the chart (ShowChartData in ValueChart.h).
    void (*ShowChartData)(QWidget& aChart, const QList<QLineSeries*>& aSeries, const TChartData& aData);

    // The health report's printer: high resolution, aLayout's page (ReportPrinting.h).
    TLatePrinter (*MakeReportPrinter)(const QPageLayout& aLayout);
    // The print dialog for aPrinter; true when the user asks to print.
    bool (*ExecutePrintDialog)(QWidget* aParent, QPrinter& aPrinter);
    // Prints the report onto aPrinter as the print dialog left it; returns the page count.
    int (*PrintHealthReport)(QPrinter& aPrinter, const THealthSummary& aSummary, const THealthReportOptions& aOptions,
                             const TRegionalSettings& aSettings);
};

// The library's one entry: its table, which lives as long as the library.
extern "C" KESTROVA_LATE_API const TLateFunctions* KestrovaLateFunctions();
inline constexpr char LateFunctionsEntry[] = "KestrovaLateFunctions";
