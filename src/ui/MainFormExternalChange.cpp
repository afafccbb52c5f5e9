// A diary kept in a synchronised folder, or open in two windows, can be changed on disk while this
// window holds it. A save must not then replace that version unasked: the dated backup would keep
// it, but nobody looks there. The window keeps a fingerprint of the file as it last read or wrote
// it, and a save that finds other content asks first. The first answer offered joins the two
// versions (MainFormMerge.cpp) rather than letting one of them go.

#include "ui/UnitMainForm.h"

#include "ui/MainFormGuard.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStatusBar>

using namespace Qt::Literals::StringLiterals;

bool TmainForm::ConfirmReplaceOfDiaryFile()
{
    bool changed = false;
    {
        THourglass hourglass; // reads the whole file once
        changed = fDocument.ChangedElsewhere();
    }
    if (!changed)
        return true;

    enum { Merge, Overwrite, SaveAs, Cancel };
    const QString name = QFileInfo(fDocument.FileName()).fileName();
    const QString text = name + u" was changed outside Kestrova since it was opened. Merge both versions, overwrite "
                                u"it, save under another name, or cancel?"_s;
    switch (fDialogs->AskChoice(this, text, {u"&Merge"_s, u"&Overwrite"_s, u"Save &As..."_s, u"&Cancel"_s})) {
    case Merge:
        // The save stops here, with nothing written: the merged diary is shown unsaved, for the
        // user to look at before a save replaces the other version with it.
        MergeWithChangedFile();
        throw TSaveCancelled();
    case Overwrite: {
        // Today's backup would keep the other version only until the next save of the day: it
        // gets a name of its own, and a save that cannot keep it does not replace it.
        const QString kept = fDocument.KeepOtherVersion(QDateTime::currentDateTime());
        statusBar()->showMessage(u"The other version of %1 is kept as %2."_s.arg(name, QDir::toNativeSeparators(kept)));
        return true;
    }
    case SaveAs:
        if (!SaveAsCommand())
            throw TSaveCancelled();
        return false;
    default:
        throw TSaveCancelled();
    }
}
