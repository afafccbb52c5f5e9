#include "late/LateFunctions.h"

#include "late/ReportPrinting.h"
#include "late/ValueChart.h"

#include <QChartView>

namespace {

// The window's charts are the views MakeChart made, held as widgets.
QChart& ChartOf(QWidget& aView)
{
    return *static_cast<QChartView&>(aView).chart();
}

const TLateFunctions Functions{
    .Version = LateFunctionsVersion,
    .MakeChart = [](QWidget* aParent, const QString& aName, const QString& aTitle,
                    std::initializer_list<std::pair<QLineSeries**, QString>> aSeries,
                    const TRegionalSettings& aSettings) -> QWidget* {
        return MakeChart(aParent, aName, aTitle, aSeries, aSettings);
    },
    .HideLegend = [](QWidget& aChart) { HideLegend(ChartOf(aChart)); },
    .ShowChartData = [](QWidget& aChart, const QList<QLineSeries*>& aSeries,
                        const TChartData& aData) { ShowChartData(ChartOf(aChart), aSeries, aData); },
    .MakeReportPrinter = &MakeReportPrinter,
    .ExecutePrintDialog = &ExecutePrintDialog,
    .PrintHealthReport = &PrintHealthReport,
};

} // namespace

extern "C" const TLateFunctions* KestrovaLateFunctions()
{
    return &Functions;
}
