// The Merge answer of the save question: the file changed elsewhere is joined with the window's
// diary against the version both started from, the user settles what both sides changed, and the
// window shows the result unsaved. Nothing is written here; the user looks at the result and saves.

#include "ui/UnitMainForm.h"

#include "model/DiaryMerge.h"
#include "ui/MainFormGuard.h"
#include "util/Errors.h"
#include "util/ksDateUtils.h"

#include <QDateEdit>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStatusBar>

using namespace Qt::Literals::StringLiterals;

void TmainForm::MergeWithChangedFile()
{
    CommitPage(); // ours is the diary with the page as the controls show it

    std::unique_ptr<TDiary> theirs;
    TFileFingerprint theirsVersion;
    try {
        THourglass hourglass;
        theirs = fDocument.ReadFileNow(theirsVersion);
    } catch (const EKestrovaError& error) {
        throw EFileError(u"%1 cannot be merged, as it cannot be read: %2"_s.arg(
            QDir::toNativeSeparators(fDocument.FileName()), error.Message()));
    }
    // Without the version the changes were made on (a restored copy whose version is gone), an
    // empty base takes nothing from either side: every value the two hold differently is a
    // conflict for the user, and nothing one side deleted is dropped from the other.
    const TDiary emptyBase;
    const TDiary* base = fDocument.BaseDiary();
    const bool baseKnown = base != nullptr;
    if (!base)
        base = &emptyBase;
    const TDiary& ours = *fDocument.Diary();

    TMergeOptions options;
    options.DecimalSeparator = fSettings.DecimalSeparator();
    TMergeResult merged;
    {
        THourglass hourglass;
        merged = MergeDiaries(*base, ours, *theirs, options);
    }
    const size_t conflicts = merged.Conflicts.size();
    if (conflicts > 0) {
        QStringList dates;
        for (const TMergeConflict& conflict : merged.Conflicts)
            dates << fSettings.Locale().toString(DateOfDateTime(conflict.Date), fSettings.ShortDateFormat());
        std::optional<std::vector<TMergePick>> picks = fDialogs->PickMergeResolutions(this, merged.Conflicts, dates);
        if (!picks)
            throw TSaveCancelled();
        options.Picks = std::move(*picks);
        THourglass hourglass;
        merged = MergeDiaries(*base, ours, *theirs, options);
        // A pick left out would leave ours in place of a value the user never saw decided.
        if (merged.Open() > 0)
            throw EKestrovaError(u"Not every conflict of the merge has a pick; nothing was merged"_s);
    }

    // The picks may drop values of the other version; it stays beside the diary under a name no
    // later save replaces, as Overwrite keeps it. When it cannot be kept, nothing is merged.
    const QString name = QFileInfo(fDocument.FileName()).fileName();
    const QString kept = fDocument.KeepOtherVersion(QDateTime::currentDateTime());

    // The page shown goes with the old diary; the same date is shown again from the merged one.
    const TDateTime shown = fDay->Date;
    fDay = nullptr;
    fPages.ForgetEntries();
    fDocument.TakeMerged(std::move(merged.Diary), std::move(theirs), theirsVersion);
    fDay = fDocument.Diary()->GetDay(shown);
    DateTimePicker1->setDate(DateOfDateTime(fDay->Date));
    ShowDay();
    FollowWholeDiary();
    SetDialogUpdated(true);

    QString text = conflicts == 0
                       ? u"Merged with the version of %1 changed elsewhere; save to keep the result."_s.arg(name)
                       : u"Merged with the version of %1 changed elsewhere, %2 conflict(s) settled; save to keep the "
                         u"result."_s.arg(name)
                             .arg(conflicts);
    if (!baseKnown)
        text += u" The version your changes started from was not found, so every difference was a conflict."_s;
    text += u" The other version is kept as %1."_s.arg(QDir::toNativeSeparators(kept));
    statusBar()->showMessage(text);
}
