#pragma once

#include "ui/Dialogs.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

// A measured window shows nothing; anything it asks or reports means the measurement is wrong.
class TSilentDialogs : public TDialogs {
public:
    void ShowMessage(QWidget*, const QString& aText) override { Fail(aText); }
    void ShowError(QWidget*, const QString& aText) override { Fail(aText); }
    bool AskYesNo(QWidget*, const QString& aText) override { return Fail(aText), false; }
    int AskChoice(QWidget*, const QString& aText, const QStringList& aButtons) override
    {
        return Fail(aText), int(aButtons.size()) - 1;
    }
    std::optional<std::vector<TMergePick>> PickMergeResolutions(QWidget*, const std::vector<TMergeConflict>&,
                                                                const QStringList&) override
    {
        return Fail(QStringLiteral("merge dialog")), std::nullopt;
    }
    std::optional<QString> ExecuteOpen(QWidget*, TFileDialog&) override
    {
        return Fail(QStringLiteral("open dialog")), std::nullopt;
    }
    std::optional<QString> ExecuteSave(QWidget*, TFileDialog&) override
    {
        return Fail(QStringLiteral("save dialog")), std::nullopt;
    }
    void ExecuteModal(QDialog&) override { Fail(QStringLiteral("modal dialog")); }
    std::optional<TSecret> AskPassword(QWidget*, const QString& aText) override { return Fail(aText), std::nullopt; }
    std::optional<TSecret> AskNewPassword(QWidget*, const QString& aText) override { return Fail(aText), std::nullopt; }
    bool ExecutePrint(QWidget*, QPrinter&) override { return Fail(QStringLiteral("print dialog")), false; }

private:
    static void Fail(const QString& aText) { qFatal("the window showed: %s", qPrintable(aText)); }
};
