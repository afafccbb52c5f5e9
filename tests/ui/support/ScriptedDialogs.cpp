#include "ScriptedDialogs.h"

#include <QDialog>
#include <QPrinter>

using namespace Qt::Literals::StringLiterals;

QStringList TScriptedDialogs::Texts(TKind aKind) const
{
    QStringList texts;
    for (const TShown& shown : fShown)
        if (shown.Kind == aKind)
            texts << shown.Text;
    return texts;
}

TFileDialog TScriptedDialogs::LastDialog(TKind aKind) const
{
    for (auto it = fShown.crbegin(); it != fShown.crend(); ++it)
        if (it->Kind == aKind)
            return it->Dialog;
    return {};
}

QStringList TScriptedDialogs::Problems() const
{
    QStringList problems = fProblems;
    if (!fAnswers.isEmpty())
        problems << u"%1 queued answer(s) never asked for"_s.arg(fAnswers.size());
    return problems;
}

void TScriptedDialogs::ShowMessage(QWidget*, const QString& aText)
{
    fShown.append({TKind::Message, aText, {}});
}

void TScriptedDialogs::ShowError(QWidget*, const QString& aText)
{
    fShown.append({TKind::Error, aText, {}});
}

bool TScriptedDialogs::AskYesNo(QWidget*, const QString& aText)
{
    fShown.append({TKind::Question, aText, {}});
    if (fAnswers.isEmpty() || (fAnswers.first().Kind != TAnswerKind::Yes && fAnswers.first().Kind != TAnswerKind::No)) {
        fProblems << u"unexpected question: "_s + aText;
        return false;
    }
    return fAnswers.takeFirst().Kind == TAnswerKind::Yes;
}

int TScriptedDialogs::AskChoice(QWidget*, const QString& aText, const QStringList& aButtons)
{
    fShown.append({TKind::Choice, aText, {}});
    const int escape = int(aButtons.size()) - 1;
    if (fAnswers.isEmpty() || fAnswers.first().Kind != TAnswerKind::Choice) {
        fProblems << u"unexpected choice: "_s + aText;
        return escape;
    }
    const int choice = fAnswers.takeFirst().Choice;
    if (choice < 0 || choice >= aButtons.size()) {
        fProblems << u"no button %1 in: "_s.arg(choice) + aText;
        return escape;
    }
    return choice;
}

std::optional<QString> TScriptedDialogs::FileAnswer(TKind aKind, TFileDialog& aDialog)
{
    fShown.append({aKind, {}, aDialog});
    if (fAnswers.isEmpty() ||
        (fAnswers.first().Kind != TAnswerKind::File && fAnswers.first().Kind != TAnswerKind::Cancel)) {
        fProblems << (aKind == TKind::Open ? u"unexpected open dialog"_s : u"unexpected save dialog"_s);
        return std::nullopt;
    }
    const TAnswer answer = fAnswers.takeFirst();
    if (answer.Kind == TAnswerKind::Cancel)
        return std::nullopt;
    aDialog.FileName = answer.FileName;
    return answer.FileName;
}

std::optional<QString> TScriptedDialogs::ExecuteOpen(QWidget*, TFileDialog& aDialog)
{
    return FileAnswer(TKind::Open, aDialog);
}

std::optional<QString> TScriptedDialogs::ExecuteSave(QWidget*, TFileDialog& aDialog)
{
    return FileAnswer(TKind::Save, aDialog);
}

void TScriptedDialogs::ExecuteModal(QDialog& aDialog)
{
    fShown.append({TKind::Modal, aDialog.windowTitle(), {}});
    if (OnModal)
        OnModal(aDialog);
    if (aDialog.isVisible())
        aDialog.reject();
}

std::optional<TSecret> TScriptedDialogs::PasswordAnswer(TKind aKind, const QString& aText)
{
    fShown.append({aKind, aText, {}});
    if (fAnswers.isEmpty() ||
        (fAnswers.first().Kind != TAnswerKind::Password && fAnswers.first().Kind != TAnswerKind::Cancel)) {
        fProblems << u"unexpected password prompt: "_s + aText;
        return std::nullopt;
    }
    const TAnswer answer = fAnswers.takeFirst();
    if (answer.Kind == TAnswerKind::Cancel)
        return std::nullopt;
    return TSecret::FromText(answer.FileName);
}

std::optional<TSecret> TScriptedDialogs::AskPassword(QWidget*, const QString& aText)
{
    return PasswordAnswer(TKind::Password, aText);
}

std::optional<TSecret> TScriptedDialogs::AskNewPassword(QWidget*, const QString& aText)
{
    return PasswordAnswer(TKind::NewPassword, aText);
}

bool TScriptedDialogs::ExecutePrint(QWidget*, QPrinter& aPrinter)
{
    fShown.append({TKind::Print, aPrinter.pageLayout().pageSize().name(), {}});
    if (fAnswers.isEmpty() ||
        (fAnswers.first().Kind != TAnswerKind::Print && fAnswers.first().Kind != TAnswerKind::Cancel)) {
        fProblems << u"unexpected print dialog"_s;
        return false;
    }
    const TAnswer answer = fAnswers.takeFirst();
    if (answer.Kind == TAnswerKind::Cancel)
        return false;
    if (!answer.FileName.isEmpty()) {
        aPrinter.setOutputFormat(QPrinter::PdfFormat);
        aPrinter.setOutputFileName(answer.FileName);
    }
    return true;
}

std::optional<std::vector<TMergePick>> TScriptedDialogs::PickMergeResolutions(
    QWidget*, const std::vector<TMergeConflict>& aConflicts, const QStringList& aDates)
{
    // Recorded with one line per conflict, as the table shows it.
    QStringList rows;
    for (size_t i = 0; i < aConflicts.size(); ++i) {
        const TMergeConflict& conflict = aConflicts[i];
        rows << QStringList{aDates.value(qsizetype(i)), conflict.Section, conflict.Field, conflict.Ours,
                            conflict.Theirs}
                    .join(u'\t');
    }
    fShown.append({TKind::Merge, rows.join(u'\n'), {}});
    fLastConflicts = aConflicts;
    fLastConflictDates = aDates;
    if (fAnswers.isEmpty() ||
        (fAnswers.first().Kind != TAnswerKind::Picks && fAnswers.first().Kind != TAnswerKind::Cancel)) {
        fProblems << u"unexpected merge dialog: "_s + rows.join(u"; "_s);
        return std::nullopt;
    }
    const TAnswer answer = fAnswers.takeFirst();
    if (answer.Kind == TAnswerKind::Cancel)
        return std::nullopt;
    if (answer.Picks.size() != aConflicts.size())
        fProblems << u"%1 picks for %2 conflicts"_s.arg(answer.Picks.size()).arg(aConflicts.size());
    return answer.Picks;
}
