// The late library's entry as a library from another build has it: the same name, another version,
// and nothing behind it that may be called.

#include "late/LateFunctions.h"

namespace {
const TLateFunctions Stale{.Version = LateFunctionsVersion + 1,
                           .MakeChart = nullptr,
                           .HideLegend = nullptr,
                           .ShowChartData = nullptr,
                           .MakeReportPrinter = nullptr,
                           .ExecutePrintDialog = nullptr,
                           .PrintHealthReport = nullptr};
} // namespace

extern "C" const TLateFunctions* KestrovaLateFunctions()
{
    return &Stale;
}
