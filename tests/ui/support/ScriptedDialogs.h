#pragma once

#include "ui/Dialogs.h"

#include <QList>
#include <QStringList>

#include <functional>

// The seam as a test drives it: answers are queued in the order the window will ask for them, every
// box and dialog shown is recorded, and anything asked for without a queued answer of its kind is
// noted as a problem (and answered with No or a cancel), so an unexpected or a missing prompt fails
// the test that checks Problems() at its end.
class TScriptedDialogs : public TDialogs {
public:
    enum class TKind { Message, Error, Question, Choice, Open, Save, Modal, Print, Password, NewPassword, Merge };
    struct TShown {
        TKind Kind;
        QString Text;       // the message or question; the window title of a modal dialog
        TFileDialog Dialog; // a file dialog as the window prepared it, before the answer
    };

    void AnswerFile(const QString& aFileName) { fAnswers.append({TAnswerKind::File, aFileName}); }
    void AnswerCancel() { fAnswers.append({TAnswerKind::Cancel, {}}); }
    void AnswerYes() { fAnswers.append({TAnswerKind::Yes, {}}); }
    void AnswerNo() { fAnswers.append({TAnswerKind::No, {}}); }
    // For AskChoice: the index of the button to press.
    void AnswerChoice(int aIndex) { fAnswers.append({TAnswerKind::Choice, {}, aIndex}); }
    // For the print dialog, recorded with the name of the paper size it was given as its text:
    // print, into aPdfFile as PDF when one is named (so a test can read what was printed).
    // AnswerCancel() cancels it.
    void AnswerPrint(const QString& aPdfFile = {}) { fAnswers.append({TAnswerKind::Print, aPdfFile}); }
    // For AskPassword and AskNewPassword alike: the password typed. AnswerCancel() cancels either.
    void AnswerPassword(const QString& aPassword) { fAnswers.append({TAnswerKind::Password, aPassword}); }
    // For the conflicts of a merge: the picks, one per conflict. AnswerCancel() cancels it.
    void AnswerPicks(const std::vector<TMergePick>& aPicks) { fAnswers.append({TAnswerKind::Picks, {}, -1, aPicks}); }

    // Runs while a modal dialog of the program is "shown"; the dialog is closed afterwards if the
    // callback left it open.
    std::function<void(QDialog&)> OnModal;

    const QList<TShown>& Shown() const { return fShown; }
    QStringList Texts(TKind aKind) const;
    // The file dialog of aKind shown last, as the window prepared it; a default one if none was.
    TFileDialog LastDialog(TKind aKind) const;
    void ClearShown() { fShown.clear(); }
    // The conflicts and their dates as the last merge dialog was given them.
    const std::vector<TMergeConflict>& LastConflicts() const { return fLastConflicts; }
    const QStringList& LastConflictDates() const { return fLastConflictDates; }

    // Unused answers and prompts that found no answer; empty when the script matched the run.
    QStringList Problems() const;

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

private:
    enum class TAnswerKind { File, Cancel, Yes, No, Choice, Print, Password, Picks };
    struct TAnswer {
        TAnswerKind Kind;
        QString FileName;
        int Choice = -1;
        std::vector<TMergePick> Picks = {};
    };
    std::optional<QString> FileAnswer(TKind aKind, TFileDialog& aDialog);
    std::optional<TSecret> PasswordAnswer(TKind aKind, const QString& aText);

    QList<TAnswer> fAnswers;
    QList<TShown> fShown;
    QStringList fProblems;
    std::vector<TMergeConflict> fLastConflicts;
    QStringList fLastConflictDates;
};
