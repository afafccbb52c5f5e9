#include "ui/UnitMainForm.h"

#include "ui/MainFormGuard.h"
#include "ui/Widgets.h"
#include "util/Errors.h"
#include "util/FileAccess.h"
#include "util/NumberFormat.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include <new>
#include <variant>

using namespace Qt::Literals::StringLiterals;

namespace {

// A command that holds the window (a dialog, a long save) delays a due copy by about this much
// after it ends.
constexpr std::chrono::milliseconds IdleRetry{250};

// The first snapshot of a diary would copy every day at once (tens of milliseconds for ten years);
// instead the days are copied ahead in slices of about a millisecond or two, once the diary has
// been open for a moment, while the window waits for the user.
constexpr std::chrono::milliseconds PrepareDelay{500};
constexpr std::chrono::milliseconds PrepareStep{10};
constexpr size_t DaysPerSlice = 256;

} // namespace

void TmainForm::WireRecovery()
{
    fRecovery = std::make_unique<TRecoveryStore>(fOptions.RecoveryFolder);
    // The writing thread tells how a write ended; the window hears it on its own thread. A window
    // already gone hears nothing: Qt drops what was queued for it.
    fRecoveryWriter = std::make_unique<TRecoveryWriter>(fOptions.RecoveryThread, [this](const QString& aProblem) {
        QMetaObject::invokeMethod(this, [this, aProblem] { RecoveryWriteEnded(aProblem); }, Qt::QueuedConnection);
    });

    fRecoveryTimer = new QTimer(this);
    fRecoveryTimer->setInterval(fOptions.RecoveryInterval);
    connect(fRecoveryTimer, &QTimer::timeout, this, [this] { WriteRecoveryCopyWhenDue(); });
    fRecoveryTimer->start();

    fRecoveryRetry = new QTimer(this);
    fRecoveryRetry->setSingleShot(true);
    fRecoveryRetry->setInterval(std::min(IdleRetry, fOptions.RecoveryInterval));
    connect(fRecoveryRetry, &QTimer::timeout, this, [this] { WriteRecoveryCopyWhenDue(); });

    fRecoveryPrepare = new QTimer(this);
    fRecoveryPrepare->setSingleShot(true);
    connect(fRecoveryPrepare, &QTimer::timeout, this, [this] { PrepareRecoverySlice(); });

    // The user turning to another program is the moment a machine is most often left alone, or a
    // session ended; whatever is unsaved goes into the copy then, not a minute later.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState aState) {
        if (aState != Qt::ApplicationActive)
            WriteRecoveryCopyWhenDue();
    });

    // Typing in a numeric edit reaches the change check only when the edit is left, but it is a
    // change all the same, and the copy takes the edit's text.
    for (TNumberEdit* edit : findChildren<TNumberEdit*>())
        connect(edit, &QLineEdit::textEdited, this, [this] { fRecoveryDue = true; });
}

void TmainForm::RecoveryFollowsDialogUpdated(bool aFlag)
{
    if (!fRecovery)
        return;
    if (aFlag) {
        fRecoveryDue = true;
        return;
    }
    DeleteRecoveryCopy();
    fUnsavedFate = TUnsavedFate::Keep;
    ShowRecoveryProblem(QString()); // nothing unsaved is left to keep safe
    // Another diary: the copies kept of the last one's days would only hold its texts in memory.
    if (fDiary && fRecoverySnapshots.Diary() != fDiary.get()) {
        fRecoverySnapshots.Clear();
        fRecoveryPrepare->start(PrepareDelay);
    }
}

bool TmainForm::IsRecoveryPrepared() const
{
    return !fRecoveryPrepare->isActive();
}

void TmainForm::PrepareRecoverySlice()
{
    if (!fDiary || fClosed)
        return;
    if (fBusy) {
        fRecoveryPrepare->start(IdleRetry);
        return;
    }
    try {
        if (!fRecoverySnapshots.Prepare(*fDiary, DaysPerSlice))
            fRecoveryPrepare->start(PrepareStep);
    } catch (const std::bad_alloc&) {
        fRecoverySnapshots.Clear(); // the snapshots copy what they need when they are taken
    }
}

void TmainForm::DeleteRecoveryCopy()
{
    // A write still running would bring the copy back after its removal.
    fRecoveryWriter->Wait();
    if (!fRecoveryFile.isEmpty()) {
        fRecovery->Remove(fRecoveryFile);
        fRecoveryFile.clear();
    }
    // Changes the window still holds are unsaved as before and get a new copy.
    fRecoveryDue = fDialogUpdated;
}

void TmainForm::LetGoOfUnsavedChanges()
{
    if (!fRecovery || !fDiary)
        return;
    if (fDialogUpdated && fUnsavedFate == TUnsavedFate::Keep)
        KeepRecoveryCopyOfUnsavedChanges();
    else
        DeleteRecoveryCopy();
    fUnsavedFate = TUnsavedFate::Keep;
}

void TmainForm::KeepRecoveryCopyOfUnsavedChanges()
{
    if (!fRecovery || !fDiary || !fDay || fClosed)
        return;
    DeleteRecoveryCopy(); // the copy about to be written holds all the older one did, and more
    try {
        // Written here and now, not on the writing thread: the command that asked goes on to
        // close the window or replace the diary as soon as this returns.
        const TRecoveryCopy copy = fRecovery->Write(*RecoverySnapshot(), fFileName, QDateTime::currentDateTimeUtc(),
                                                    RecoveryBase());
        fRecovery->Release(copy);
    } catch (const EKestrovaError& error) {
        // The diary must not go while its changes are neither saved nor kept: the command ends here.
        fRecoveryDue = true;
        throw EFileError(CannotBeKeptSafeText(error.Message()));
    } catch (const std::exception& error) {
        fRecoveryDue = true;
        throw EFileError(CannotBeKeptSafeText(QString::fromLocal8Bit(error.what())));
    }
}

QString TmainForm::CannotBeKeptSafeText(const QString& aReason)
{
    return u"Changes cannot be kept safe: "_s + aReason;
}

TFileFingerprint TmainForm::RecoveryBase() const
{
    return fFileFingerprint.Describes(fFileName) ? fFileFingerprint : TFileFingerprint{};
}

void TmainForm::RecoveryWriteEnded(const QString& aProblem)
{
    if (fClosed)
        return;
    if (aProblem.isEmpty()) {
        fRecoveryFailures = 0;
        ShowRecoveryProblem(QString());
        return;
    }
    // Not written: the changes are still due, and the next chance writes them. A folder that is
    // full or read-only stays so: after a second failure in a row the user hears of it, without a
    // box in the way of the writing.
    fRecoveryDue = true;
    if (++fRecoveryFailures == 1)
        fRecoveryRetry->start();
    else
        ShowRecoveryProblem(aProblem);
}

void TmainForm::ShowRecoveryProblem(const QString& aProblem)
{
    if (aProblem.isEmpty()) {
        if (!fRecoveryProblem.isEmpty())
            statusBar()->clearMessage();
        fRecoveryProblem.clear();
        return;
    }
    fRecoveryProblem = aProblem;
    statusBar()->showMessage(CannotBeKeptSafeText(aProblem));
}

void TmainForm::WriteRecoveryCopyWhenDue()
{
    if (!fDiary || !fDay || fClosed || !fRecoveryDue)
        return;
    // A command in progress may be halfway through the page or the diary; and the write must not
    // overtake a save or a removal of the copy that the command is about to make.
    if (fBusy || fRecoveryWriter->Running()) {
        fRecoveryRetry->start();
        return;
    }
    fRecoveryWriter->Wait(); // a failure was reported as the write ended
    try {
        const QString diaryPath = fFileName;
        const QString file = fRecovery->OwnCopyFile(diaryPath);
        if (!fRecoveryFile.isEmpty() && fRecoveryFile != file)
            DeleteRecoveryCopy(); // the copy of the document's earlier name
        const QDateTime taken = QDateTime::currentDateTimeUtc();
        std::shared_ptr<const TDiarySnapshot> snapshot = RecoverySnapshot();
        fRecoveryDue = false;
        fRecoveryFile = file;
        fRecoveryWriter->Start(*fRecovery, std::move(snapshot), diaryPath, taken, RecoveryBase());
    } catch (const std::exception&) {
        // Out of memory for the snapshot: the window goes on; the next chance tries again.
        fRecoveryDue = true;
    }
}

std::shared_ptr<const TDiarySnapshot> TmainForm::RecoverySnapshot()
{
    // Only the days changed since the last copy are copied; the page shown always is, and gets
    // what the controls show.
    return fRecoverySnapshots.Take(*fDiary, fDay, [this](TDay& aPage) { PageIntoCopy(aPage); });
}

void TmainForm::PageIntoCopy(TDay& aDay) const
{
    fPages.CopyInto(aDay, *fDay);
}

void TmainForm::OfferRecoveryCopies(const QString& aDiaryPath, bool aFileRead, bool aAlsoNewDiaries)
{
    QList<TRecoveryCopy> copies;
    if (!aDiaryPath.isEmpty())
        copies = fRecovery->CopiesToOffer(aDiaryPath);
    if (aAlsoNewDiaries)
        copies += fRecovery->CopiesToOffer(QString());
    // The diary as its file holds it, just read and not yet changed; none when the file is missing
    // or could not be read.
    const TDiary* const fileDiary = aFileRead ? fDiary.get() : nullptr;
    TFileFingerprint fileFingerprint = aFileRead ? fFileFingerprint : TFileFingerprint{};
    if (!aFileRead && !aDiaryPath.isEmpty() && FileExists(aDiaryPath)) {
        // A file that cannot be read as a diary is still a version the changes were not made on.
        try {
            fileFingerprint = FingerprintOfFile(aDiaryPath);
        } catch (const EKestrovaError&) {
        }
    }

    const QLocale& locale = fSettings.Locale();
    for (const TRecoveryCopy& copy : copies) {
        const QString name = copy.DiaryPath.isEmpty() ? u"NewFile.Kestrova"_s : QFileInfo(copy.DiaryPath).fileName();
        const QDateTime written = copy.Written.toLocalTime();
        const QString when = locale.toString(written.date(), fSettings.ShortDateFormat()) + u' ' +
                             locale.toString(written.time(), fSettings.LongTimeFormat());
        // Read before asking: a copy that cannot be restored is not offered, and one that was
        // offered restores whole.
        TRecoveryRead read = fRecovery->Read(copy);
        if (!read.Diary) {
            const QString kept = read.KeptAs.isEmpty()
                                     ? u"It stays at %1."_s.arg(QDir::toNativeSeparators(copy.File))
                                     : u"It is kept as %1."_s.arg(QDir::toNativeSeparators(read.KeptAs));
            fDialogs->ShowMessage(this, u"Kestrova found changes to %1 that were not saved (from %2), but they can "
                                        u"not be read (%3). %4"_s.arg(name, when, read.Problem, kept));
            continue;
        }
        const TRecoveryOffer offer =
            DecideRecoveryOffer(copy, *read.Diary, copy.DiaryPath.isEmpty() ? nullptr : fileDiary, fileFingerprint);
        if (offer == TRecoveryOffer::NothingNew) {
            fRecovery->Remove(copy.File); // everything it holds is in the file
            continue;
        }
        QString text = u"Kestrova found changes to %1 that were not saved (from %2)."_s.arg(name, when);
        if (offer == TRecoveryOffer::OfferChangedElsewhere)
            text += u" %1 was also changed elsewhere since these changes were made."_s.arg(name);
        text += u" Restore them?"_s;
        const int choice = fDialogs->AskChoice(this, text, {u"&Restore"_s, u"&Discard"_s, u"&Later"_s});
        if (choice == 0) {
            RestoreRecoveryCopy(copy, std::move(read.Diary));
            return; // one document at a time: the other copies wait for their next offer
        }
        if (choice == 1)
            fRecovery->Remove(copy.File);
        // Later: the copy stays, and is offered again at the next start or opening of the diary.
    }
}

void TmainForm::RestoreRecoveryCopy(const TRecoveryCopy& aCopy, std::unique_ptr<TDiary> aDiary)
{
    THourglass hourglass;
    ReplaceDiary(std::move(aDiary));
    fDiary->Version = 10;
    // The diary keeps its own name, so a save goes where the user expects it, but nothing is
    // written there until the user saves.
    fFileName = aCopy.DiaryPath;
    // The changes were made on the file as the copy's window knew it: a save asks before it
    // replaces a file changed since, as it would have asked that window.
    if (aCopy.Base.IsKnown())
        fFileFingerprint = aCopy.Base;
    setWindowTitle(fFileName.isEmpty() ? u"Kestrova: NewFile.Kestrova"_s : u"Kestrova: "_s + fFileName);
    ShowTodayOfOpenedDiary();
    fRecoverySnapshots.Clear();
    fRecoveryPrepare->start(PrepareDelay);
    SetDialogUpdated(true);
    // The copy now belongs to this window and already holds what it shows; should the program die
    // before the user saves, it is offered again.
    fRecoveryFile = fRecovery->Adopt(aCopy).File;
    fRecoveryDue = false;
}
