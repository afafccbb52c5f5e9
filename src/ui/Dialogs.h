#pragma once

#include "model/DiaryCrypto.h"
#include "model/DiaryMerge.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QDialog;
class QPrinter;
class QWidget;

// The state of one file dialog object, kept between uses as the window's OpenDialog1 and
// SaveDialog1 keep theirs: every command sets what it needs and finds the rest as the last use left it.
class TFileDialog {
public:
    QString FileName;    // proposed name before showing; the chosen full path after a confirmed use
    QString InitialDir;  // folder to open in; empty: the folder of FileName, else the dialog's own choice
    QString Filter;      // "Description (*.ext)|*.ext[|...]"
    int FilterIndex = 1; // 1-based
    QString DefaultExt;  // without the dot
    bool OverwritePrompt = false;
};

// Every message box and dialog of the window goes through this seam. The window owns one; the
// program passes the real one, tests a scripted one with queued answers and a record of messages.
class TDialogs {
public:
    virtual ~TDialogs() = default;

    // A plain message box with OK, centred.
    virtual void ShowMessage(QWidget* aParent, const QString& aText) = 0;
    // An error box with a stop icon and OK, titled with the program's name.
    virtual void ShowError(QWidget* aParent, const QString& aText) = 0;
    // A confirmation box with Yes and No, Yes the default; true for Yes.
    virtual bool AskYesNo(QWidget* aParent, const QString& aText) = 0;
    // A question with buttons of the caller's own texts ("&Restore", "&Discard", "&Later"), over the
    // parent, the first button the default. Returns the index of the button pressed; closing the box
    // (Escape, the title bar) counts as the last button, so that one must be the harmless answer.
    virtual int AskChoice(QWidget* aParent, const QString& aText, const QStringList& aButtons) = 0;
    // File dialogs: on confirmation the chosen full path, also stored in aDialog.FileName (with the
    // filter index chosen); std::nullopt when cancelled.
    virtual std::optional<QString> ExecuteOpen(QWidget* aParent, TFileDialog& aDialog) = 0;
    virtual std::optional<QString> ExecuteSave(QWidget* aParent, TFileDialog& aDialog) = 0;
    // Shows a dialog of the program's own (the about box) modally.
    virtual void ExecuteModal(QDialog& aDialog) = 0;
    // The password of an encrypted diary, typed unseen, below aText (which names the diary and
    // says when the last one was wrong); std::nullopt when cancelled.
    virtual std::optional<TSecret> AskPassword(QWidget* aParent, const QString& aText) = 0;
    // A new password, typed twice, with how strong it is and the warning that a lost password
    // cannot be recovered; confirmed only when both agree and it is not empty. std::nullopt when
    // cancelled.
    virtual std::optional<TSecret> AskNewPassword(QWidget* aParent, const QString& aText) = 0;
    // The print dialog for aPrinter, which it sets up as the user chooses (printer, pages, paper);
    // true when the user asks to print.
    virtual bool ExecutePrint(QWidget* aParent, QPrinter& aPrinter) = 0;
    // The conflicts of a merge, one row each with its date as aDates says it, for the user to pick
    // what the diary keeps: ours, theirs, or both where the conflict allows it. One pick per
    // conflict, in their order, never None; std::nullopt when cancelled.
    virtual std::optional<std::vector<TMergePick>> PickMergeResolutions(QWidget* aParent,
                                                                        const std::vector<TMergeConflict>& aConflicts,
                                                                        const QStringList& aDates) = 0;
};

// Turns a filter of the "Description|*.a;*.b|Description|*.c" form that the commands set into
// Qt's name filters ("Description (*.a *.b)"); a description that already names its patterns in
// parentheses is kept as it is.
QStringList ToQtNameFilters(const QString& aFilter);

// The seam of the running program: QFileDialog and QMessageBox.
class TStandardDialogs : public TDialogs {
public:
    void ShowMessage(QWidget* aParent, const QString& aText) override;
    void ShowError(QWidget* aParent, const QString& aText) override;
    bool AskYesNo(QWidget* aParent, const QString& aText) override;
    int AskChoice(QWidget* aParent, const QString& aText, const QStringList& aButtons) override;
    std::optional<QString> ExecuteOpen(QWidget* aParent, TFileDialog& aDialog) override;
    std::optional<QString> ExecuteSave(QWidget* aParent, TFileDialog& aDialog) override;
    void ExecuteModal(QDialog& aDialog) override;
    std::optional<TSecret> AskPassword(QWidget* aParent, const QString& aText) override;
    std::optional<TSecret> AskNewPassword(QWidget* aParent, const QString& aText) override;
    bool ExecutePrint(QWidget* aParent, QPrinter& aPrinter) override;
    std::optional<std::vector<TMergePick>> PickMergeResolutions(QWidget* aParent,
                                                                const std::vector<TMergeConflict>& aConflicts,
                                                                const QStringList& aDates) override;
};
