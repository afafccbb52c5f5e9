#pragma once

#include "ScriptedDialogs.h"
#include "ui/UnitMainForm.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>

class QAction;

// One test's world: a temporary folder that is also the current folder, a settings store of its
// own inside it, backups dated by a fixed clock without the one-second wait, and the real main
// window with a scripted dialog seam. Create it in a test's init() and
// destroy it in cleanup() after checking Problems(), so every test function gets a fresh window.
class TWindowFixture {
public:
    static const QDate Today; // the date the backups carry

    TWindowFixture();
    ~TWindowFixture();
    TWindowFixture(const TWindowFixture&) = delete;
    TWindowFixture& operator=(const TWindowFixture&) = delete;

    // Builds the window as a new run of the program would (the recent list read afresh); a window
    // from an earlier Start is destroyed first. aOptions.Backup gets the fixed clock and no wait
    // when it has no clock. Answers for start-up are queued through the
    // returned seam's owner beforehand with Script().
    TmainForm& Start(TmainForm::TOptions aOptions = {});
    TmainForm& Window() { return *fWindow; }
    TScriptedDialogs& Dialogs() { return *fDialogs; }
    // The seam of the next Start, to queue answers that start-up needs.
    TScriptedDialogs& Script();

    // Unused answers and unexpected prompts of every window of this test.
    QStringList Problems() const;

    QString Path(const QString& aRelative) const;
    void WriteFile(const QString& aRelative, const QByteArray& aBytes) const;
    QByteArray ReadFile(const QString& aPath) const;

    // The settings store as the program sees it.
    void SetSetting(const QString& aName, const QString& aValue) const;
    QVariant Setting(const QString& aName) const;
    QStringList SettingNames() const;

    // A control as the user finds it on its page: a page nobody has looked at shows the day once
    // brought up, so every page shows it before a control is read.
    template <typename T> T* Find(const QString& aName) const
    {
        if (!fWindow)
            return nullptr;
        fWindow->ShowDayOnEveryPage();
        return fWindow->findChild<T*>(aName);
    }
    // Triggers a menu item or clicks a tool button of the window by name.
    void Trigger(const QString& aName);

private:
    QTemporaryDir fFolder;
    QString fPreviousCurrent;
    // The per-user data folder, where every window of the test keeps its recovery copies; apart
    // from fFolder, whose contents tests list.
    QTemporaryDir fDataFolder;
    QByteArray fPreviousDataHome;
    std::unique_ptr<TScriptedDialogs> fNextDialogs;
    TScriptedDialogs* fDialogs = nullptr;
    std::unique_ptr<TmainForm> fWindow;
    QStringList fProblems;
};
