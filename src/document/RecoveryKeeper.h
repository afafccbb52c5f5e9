#pragma once

#include "document/DiaryDocument.h"
#include "document/RecoveryStore.h"
#include "model/DiaryCopy.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class QTimer;

// Keeps the unsaved changes of one document safe in recovery copies, without a window: it writes a
// copy when changes are due and nothing else runs, retries a failed write and reports a lasting
// failure, keeps or removes the copy when the diary goes, and takes over a copy restored. It owns
// the store, the writing thread and the snapshots of the diary; it reads the document, and asks
// the window only through TWindow.
class TRecoveryKeeper {
public:
    struct TWindow {
        std::function<bool()> Busy;           // a command runs: no copy now, try again shortly
        std::function<const TDay*()> DayShown; // the page the controls are bound to (null: none)
        std::function<void(TDay&)> PageIntoCopy; // puts what the controls show into a copy of that day
        std::function<bool()> HasUnsavedChanges;
        std::function<void(const QString&)> ShowProblem; // a lasting failure; empty: it is over
    };
    struct TOptions {
        QString Folder; // empty: TRecoveryStore::DefaultFolder()
        std::chrono::milliseconds Interval{60000};
        TRecoveryWriter::TLauncher Thread;
    };

    // aContext: the QObject whose thread hears how writes end and owns the timers (the window).
    TRecoveryKeeper(QObject* aContext, const TDiaryDocument& aDocument, TWindow aWindow, TOptions aOptions);
    ~TRecoveryKeeper();
    TRecoveryKeeper(const TRecoveryKeeper&) = delete;
    TRecoveryKeeper& operator=(const TRecoveryKeeper&) = delete;

    const TRecoveryStore& Store() const { return *fStore; }
    const QString& CopyFile() const { return fCopyFile; }
    void WaitForWrite() { fWriter->Wait(); }
    bool IsPrepared() const; // the days of the diary are copied ahead of the first copy

    // Something changed that the change flag does not show yet (typing in a number edit).
    void MarkDue() { fDue = true; }
    // Follows the window's change flag: a change makes a copy due; a document that matches its file
    // (or is new) needs none, and its copy goes.
    void FollowUnsavedChanges(bool aUnsaved);
    // Writes a copy when something changed since the last one, unless a command runs: then it
    // tries again shortly, until the window is idle.
    void WriteWhenDue();

    // What becomes of unsaved changes when their diary goes, as the last save question was
    // answered: No gives them up; Yes that did not save (a cancelled Save As) keeps them. Until the
    // diary goes, its copy stays and follows every change: the command that asked may still keep
    // the diary (a cancelled Open, the import).
    void GiveUpUnsavedChanges() { fFate = TFate::Discard; }
    void KeepUnsavedChanges() { fFate = TFate::Keep; }
    // Run before the diary goes: a copy of changes to keep is written now and left for the next
    // start to offer; otherwise the copy is removed. Throws EFileError when changes to keep cannot
    // be written: the diary must then stay.
    void LetGo();
    // The copy aCopy was restored into the document, which now holds what it holds: it becomes
    // this session's copy, offered again should the program die before a save.
    void Adopt(const TRecoveryCopy& aCopy);
    // The window is closed: nothing is written any more.
    void Stop() { fStopped = true; }

    static QString CannotBeKeptSafeText(const QString& aReason);

private:
    enum class TFate { Keep, Discard };
    void DeleteCopy();
    void WriteNow();
    void WriteEnded(const QString& aProblem);
    void ShowProblem(const QString& aProblem);
    void PrepareSlice();
    void StartPreparing();
    std::shared_ptr<const TDiarySnapshot> Snapshot();

    const TDiaryDocument& fDocument;
    TWindow fWindow;
    std::unique_ptr<TRecoveryStore> fStore;   // before the writer, which writes through it
    std::unique_ptr<TRecoveryWriter> fWriter; // goes first, waiting for its write
    TDiarySnapshotter fSnapshots; // the last copy of each day, so a snapshot shares what did not change
    std::unique_ptr<QTimer> fTimer;
    std::unique_ptr<QTimer> fRetry;   // while a command runs
    std::unique_ptr<QTimer> fPrepare; // copies the days of a diary just opened, a slice at a time
    TFate fFate = TFate::Keep;
    bool fDue = false;
    bool fStopped = false;
    int fFailures = 0;
    QString fProblem;
    QString fCopyFile; // the copy written or restored for the open document
};
