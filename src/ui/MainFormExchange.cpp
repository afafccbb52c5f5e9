#include "ui/UnitMainForm.h"

#include "exchange/HealthValuesExport.h"
#include "exchange/MonthExport.h"
#include "exchange/TaskImport.h"
#include "ui/MainFormGuard.h"
#include "util/ksDateUtils.h"
#include "util/FileAccess.h"

#include <QDateEdit>
#include <QScopeGuard>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString CsvFilter = u"CSV- Files (*.csv)|*.csv"_s;

} // namespace

void TmainForm::MenuItemExportSelectedMonthAsTextfileClick()
{
    ExportSelectedMonth(&ProposedMonthTextFileName, u".txt"_s, u"Text- Files (*.txt)|*.txt"_s, &WriteMonthTextFile);
}

void TmainForm::MenuItemExporthealthvaluesoftheselectedmonthasaCSVfile1Click()
{
    ExportSelectedMonth(&ProposedHealthValuesFileName, u".csv"_s, CsvFilter, &WriteHealthValuesCsvFile);
}

// The course both exports share: aProposedName names the file of a month, aWrite writes the
// month's pages into the chosen file.
void TmainForm::ExportSelectedMonth(TProposedName aProposedName, const QString& aExtension, const QString& aFilter,
                                    TMonthWriter aWrite)
{
    GuardShowingErrors(TCursor::Keep, [&] {
        // The dialog takes the focus, and with it a date still being typed into the picker.
        const auto keepPicker = qScopeGuard([this] { KeepDatePickerOnShownDay(); });
        // The export holds what the page shows, saved or not. A page that does not convert ends the
        // command before the dialog.
        CommitPage();

        const QDate month = DateTimePicker1->date();
        SaveDialog1.FileName = aProposedName(EncodeDate(month));
        SaveDialog1.InitialDir = TKSFileUtils::ExtractFilePath(fDocument.FileName());
        SaveDialog1.OverwritePrompt = true;
        SaveDialog1.DefaultExt = aExtension.mid(1);
        SaveDialog1.Filter = aFilter;
        SaveDialog1.FilterIndex = 1;
        const std::optional<QString> chosen = fDialogs->ExecuteSave(this, SaveDialog1);
        if (!chosen)
            return;

        THourglass hourglass;
        std::vector<TDay*> days;
        SearchActualMonth(*fDocument.Diary(), days, quint16(month.year()), quint8(month.month()));
        aWrite(WithExportExtension(*chosen, aExtension), days, fSettings);
    });
}

void TmainForm::MenuItemImportTasksFromACSVFileClick()
{
    GuardShowingErrors(TCursor::Keep, [this] {
        const auto keepPicker = qScopeGuard([this] { KeepDatePickerOnShownDay(); });
        // Offers to save first, so the state before the import can be gone back to; whatever the
        // answer, the import goes on.
        AskToSaveChanges();
        fDialogs->ShowMessage(this, u"The CSV file must be structured as follows: Task; Start date and time; End "
                                    u"date and time; Note. First line is not read because it is the header!"_s);
        // Only the filter is set: name, folder and filter index are what the shared dialog's last
        // use left.
        OpenDialog1.Filter = CsvFilter;
        const std::optional<QString> chosen = fDialogs->ExecuteOpen(this, OpenDialog1);
        if (!chosen)
            return;

        THourglass hourglass;
        if (!FileExists(*chosen)) {
            fDialogs->ShowMessage(this, DoesNotExistText(*chosen));
            return;
        }
        const bool endOnly = fDialogs->AskYesNo(
            this, u"Should only the end date time be taken into account and start date time ignored?"_s);

        // From here on the document counts as changed and the page is shown again, whatever the
        // import did, so the tasks it added to the page shown are listed at once. The import adds
        // all rows of the file or, when one fails, none.
        const auto showAgain = [this] {
            SetDialogUpdated(true);
            ShowDay();
            // The import may have filled days anywhere in the diary.
            FollowWholeDiary();
        };
        try {
            ImportTasksFromFile(*fDocument.Diary(), *chosen, endOnly);
        } catch (...) {
            showAgain();
            throw;
        }
        showAgain();
    });
}
