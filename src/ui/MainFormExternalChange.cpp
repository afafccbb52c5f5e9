// A diary kept in a synchronised folder, or open in two windows, can be changed on disk while this
// window holds it. A save must not then replace that version unasked: the dated backup would keep
// it, but nobody looks there. The window keeps a fingerprint of the file as it last read or wrote
// it, and a save that finds other content asks first.

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

    enum { Overwrite, SaveAs, Cancel };
    const QString name = QFileInfo(fDocument.FileName()).fileName();
    const QString text = name + u" was changed outside Kestrova since it was opened. Overwrite it, save under another "
                                u"name, or cancel?"_s;
    switch (fDialogs->AskChoice(this, text, {u"&Overwrite"_s, u"Save &As..."_s, u"&Cancel"_s})) {
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
