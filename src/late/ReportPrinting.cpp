#include "late/ReportPrinting.h"

#include <QPrintDialog>
#include <QPrinter>

using namespace Qt::Literals::StringLiterals;

TLatePrinter MakeReportPrinter(const QPageLayout& aLayout)
{
    // Deleted here too: the caller holds no code of the printer's class.
    TLatePrinter printer(new QPrinter(QPrinter::HighResolution), [](QPrinter* aPrinter) { delete aPrinter; });
    printer->setPageLayout(aLayout);
    return printer;
}

bool ExecutePrintDialog(QWidget* aParent, QPrinter& aPrinter)
{
    QPrintDialog dialog(&aPrinter, aParent);
    return dialog.exec() == QDialog::Accepted;
}

int PrintHealthReport(QPrinter& aPrinter, const THealthSummary& aSummary, const THealthReportOptions& aOptions,
                      const TRegionalSettings& aSettings)
{
    aPrinter.setDocName(u"Health report: "_s + aOptions.DiaryName);
    aPrinter.setCreator(u"Kestrova"_s);
    return RenderHealthReport(aPrinter, aSummary, aOptions, aSettings);
}
