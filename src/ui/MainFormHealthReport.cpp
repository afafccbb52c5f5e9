#include "ui/UnitMainForm.h"

#include "exchange/HealthSummary.h"
#include "exchange/MonthExport.h"
#include "report/HealthReport.h"
#include "ui/HealthReportDialog.h"
#include "ui/MainFormGuard.h"

#include <QFileInfo>
#include <QScopeGuard>

using namespace Qt::Literals::StringLiterals;

void TmainForm::MenuItemHealthReportClick()
{
    GuardShowingErrors(TCursor::Keep, [this] {
        // The dialogs take the focus, and with it a date still being typed into the picker.
        const auto keepPicker = qScopeGuard([this] { KeepDatePickerOnShownDay(); });
        // The report holds what the page shows, saved or not, as the exports do. A page that does
        // not convert ends the command before the dialog.
        CommitPage();

        THealthReportDialog dialog(DateOfDateTime(fDay->Date), fSettings, this);
        fDialogs->ExecuteModal(dialog);
        const int action = dialog.result();
        if (action != THealthReportDialog::SaveAsPdf && action != THealthReportDialog::Print)
            return;

        THealthReportOptions options;
        // The name the window's title shows, without its folder.
        options.DiaryName = !fDocument.HasFileName() ? u"NewFile.Kestrova"_s : QFileInfo(fDocument.FileName()).fileName();
        options.Readings = dialog.Readings();
        options.CreatedOn = QDate::currentDate();

        if (action == THealthReportDialog::SaveAsPdf) {
            SaveDialog1.FileName = ProposedHealthReportFileName(dialog.From(), dialog.To());
            SaveDialog1.InitialDir = TKSFileUtils::ExtractFilePath(fDocument.FileName());
            SaveDialog1.OverwritePrompt = true;
            SaveDialog1.DefaultExt = u"pdf"_s;
            SaveDialog1.Filter = u"PDF- Files (*.pdf)|*.pdf"_s;
            SaveDialog1.FilterIndex = 1;
            const std::optional<QString> chosen = fDialogs->ExecuteSave(this, SaveDialog1);
            if (!chosen)
                return;
            THourglass hourglass;
            const THealthSummary summary = SummarizeHealth(*fDocument.Diary(), dialog.From(), dialog.To());
            WriteHealthReportPdfFile(WithExportExtension(*chosen, u".pdf"_s), summary, options, fSettings);
            return;
        }

        const TLateFunctions& printing = fOptions.LateLibrary();
        const TLatePrinter printer = printing.MakeReportPrinter(HealthReportPageLayout(fSettings.Locale()));
        if (!fDialogs->ExecutePrint(this, *printer))
            return;
        THourglass hourglass;
        const THealthSummary summary = SummarizeHealth(*fDocument.Diary(), dialog.From(), dialog.To());
        printing.PrintHealthReport(*printer, summary, options, fSettings);
    });
}
