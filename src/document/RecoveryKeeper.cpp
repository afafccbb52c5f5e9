#include "document/RecoveryKeeper.h"

#include "util/Errors.h"

#include <QDateTime>
#include <QTimer>

#include <new>

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

TRecoveryKeeper::TRecoveryKeeper(QObject* aContext, const TDiaryDocument& aDocument, TWindow aWindow, TOptions aOptions)
    : fDocument(aDocument), fWindow(std::move(aWindow)), fStore(std::make_unique<TRecoveryStore>(aOptions.Folder))
{
    // The writing thread tells how a write ended; the context hears it on its own thread. A
    // context already gone hears nothing: Qt drops what was queued for it.
    fWriter = std::make_unique<TRecoveryWriter>(aOptions.Thread, [this, aContext](const QString& aProblem) {
        QMetaObject::invokeMethod(
            aContext, [this, aProblem] { WriteEnded(aProblem); }, Qt::QueuedConnection);
    });

    fTimer = std::make_unique<QTimer>();
    fTimer->setInterval(aOptions.Interval);
    QObject::connect(fTimer.get(), &QTimer::timeout, aContext, [this] { WriteWhenDue(); });
    fTimer->start();

    fRetry = std::make_unique<QTimer>();
    fRetry->setSingleShot(true);
    fRetry->setInterval(std::min(IdleRetry, aOptions.Interval));
    QObject::connect(fRetry.get(), &QTimer::timeout, aContext, [this] { WriteWhenDue(); });

    fPrepare = std::make_unique<QTimer>();
    fPrepare->setSingleShot(true);
    QObject::connect(fPrepare.get(), &QTimer::timeout, aContext, [this] { PrepareSlice(); });
}

TRecoveryKeeper::~TRecoveryKeeper() = default;

QString TRecoveryKeeper::CannotBeKeptSafeText(const QString& aReason)
{
    return u"Changes cannot be kept safe: "_s + aReason;
}

void TRecoveryKeeper::FollowUnsavedChanges(bool aUnsaved)
{
    if (aUnsaved) {
        fDue = true;
        return;
    }
    DeleteCopy();
    fFate = TFate::Keep;
    ShowProblem(QString()); // nothing unsaved is left to keep safe
    // Another diary: the copies kept of the last one's days would only hold its texts in memory.
    // One still being read is another diary too, and is not waited for here.
    if (fDocument.IsArriving() || (fDocument.Diary() && fSnapshots.Diary() != fDocument.Diary()))
        StartPreparing();
}

bool TRecoveryKeeper::IsPrepared() const
{
    return !fPrepare->isActive();
}

void TRecoveryKeeper::StartPreparing()
{
    fSnapshots.Clear();
    fPrepare->start(PrepareDelay);
}

void TRecoveryKeeper::PrepareSlice()
{
    if (fStopped)
        return;
    // Not waiting for the rest of a diary being read: the window takes it when it is there.
    if (fWindow.Busy() || fDocument.IsArriving()) {
        fPrepare->start(IdleRetry);
        return;
    }
    if (!fDocument.Diary())
        return;
    try {
        if (!fSnapshots.Prepare(*fDocument.Diary(), DaysPerSlice))
            fPrepare->start(PrepareStep);
    } catch (const std::bad_alloc&) {
        fSnapshots.Clear(); // the snapshots copy what they need when they are taken
    }
}

void TRecoveryKeeper::DeleteCopy()
{
    // A write still running would bring the copy back after its removal.
    fWriter->Wait();
    if (!fCopyFile.isEmpty()) {
        fStore->Remove(fCopyFile);
        fCopyFile.clear();
    }
    // Changes the window still holds are unsaved as before and get a new copy.
    fDue = fWindow.HasUnsavedChanges();
}

void TRecoveryKeeper::LetGo()
{
    if (!fDocument.Diary())
        return;
    if (fWindow.HasUnsavedChanges() && fFate == TFate::Keep)
        WriteNow();
    else
        DeleteCopy();
    fFate = TFate::Keep;
}

void TRecoveryKeeper::WriteNow()
{
    if (!fDocument.Diary() || !fWindow.DayShown() || fStopped)
        return;
    DeleteCopy(); // the copy about to be written holds all the older one did, and more
    try {
        // Written here and now, not on the writing thread: the command that asked goes on to
        // close the window or replace the diary as soon as this returns.
        const TRecoveryCopy copy = fStore->Write(*Snapshot(), fDocument.FileName(), QDateTime::currentDateTimeUtc(),
                                                 fDocument.Base(), fDocument.Key().get());
        fStore->Release(copy);
    } catch (const EKestrovaError& error) {
        // The diary must not go while its changes are neither saved nor kept: the command ends here.
        fDue = true;
        throw EFileError(CannotBeKeptSafeText(error.Message()));
    } catch (const std::exception& error) {
        fDue = true;
        throw EFileError(CannotBeKeptSafeText(QString::fromLocal8Bit(error.what())));
    }
}

void TRecoveryKeeper::WriteEnded(const QString& aProblem)
{
    if (fStopped)
        return;
    if (aProblem.isEmpty()) {
        fFailures = 0;
        ShowProblem(QString());
        return;
    }
    // Not written: the changes are still due, and the next chance writes them. A folder that is
    // full or read-only stays so: after a second failure in a row the user hears of it, without a
    // box in the way of the writing.
    fDue = true;
    if (++fFailures == 1)
        fRetry->start();
    else
        ShowProblem(aProblem);
}

void TRecoveryKeeper::ShowProblem(const QString& aProblem)
{
    if (aProblem.isEmpty() && fProblem.isEmpty())
        return;
    fProblem = aProblem;
    fWindow.ShowProblem(aProblem.isEmpty() ? QString() : CannotBeKeptSafeText(aProblem));
}

void TRecoveryKeeper::WriteWhenDue()
{
    // The cheap tests first: a tick with nothing due does not wait for a diary still being read.
    if (fStopped || !fDue || !fWindow.DayShown() || !fDocument.Diary())
        return;
    // A command in progress may be halfway through the page or the diary; and the write must not
    // overtake a save or a removal of the copy that the command is about to make.
    if (fWindow.Busy() || fWriter->Running()) {
        fRetry->start();
        return;
    }
    fWriter->Wait(); // a failure was reported as the write ended
    try {
        const QString diaryPath = fDocument.FileName();
        const QString file = fStore->OwnCopyFile(diaryPath);
        if (!fCopyFile.isEmpty() && fCopyFile != file)
            DeleteCopy(); // the copy of the document's earlier name
        const QDateTime taken = QDateTime::currentDateTimeUtc();
        std::shared_ptr<const TDiarySnapshot> snapshot = Snapshot();
        fDue = false;
        fCopyFile = file;
        fWriter->Start(*fStore, std::move(snapshot), diaryPath, taken, fDocument.Base(), fDocument.Key());
    } catch (const std::exception&) {
        // Out of memory for the snapshot: the window goes on; the next chance tries again.
        fDue = true;
    }
}

std::shared_ptr<const TDiarySnapshot> TRecoveryKeeper::Snapshot()
{
    // Only the days changed since the last copy are copied; the page shown always is, and gets
    // what the controls show.
    return fSnapshots.Take(*fDocument.Diary(), fWindow.DayShown(), fWindow.PageIntoCopy);
}

void TRecoveryKeeper::Adopt(const TRecoveryCopy& aCopy)
{
    StartPreparing();
    fCopyFile = fStore->Adopt(aCopy).File;
    fDue = false;
}
