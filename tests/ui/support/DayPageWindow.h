#pragma once

#include "WindowFixture.h"
#include "model/Records.h"
#include "ui/UnitMainForm.h"
#include "util/RegionalSettings.h"

#include <QDate>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

class QDateEdit;

// One main window for one test function, in the world of TWindowFixture (its own folder, settings
// store and clock) but with regional settings of the test's choice: the given diary written there
// and opened at start, the window shown and active so that focus changes are real, and the scripted
// seam with no answers queued, since none of the day page's flows asks anything.
class TDayPageWindow {
public:
    explicit TDayPageWindow(const TDiary* aDiary = nullptr, const TRegionalSettings& aSettings = {});
    ~TDayPageWindow();
    TDayPageWindow(const TDayPageWindow&) = delete;
    TDayPageWindow& operator=(const TDayPageWindow&) = delete;

    TmainForm& Form() { return *fForm; }
    const TDay& Day() const { return *fForm->Day(); }
    const QString& DiaryPath() const { return fDiaryPath; }

    // The control of that object name; the test fails (and returns null) when there is none.
    // A page nobody has looked at shows the day once brought up: every page shows it before a
    // control is read, as the user would find it there.
    template <typename T> T* Find(const QString& aName) const
    {
        fForm->ShowDayOnEveryPage();
        return fForm->findChild<T*>(aName);
    }
    QWidget* Widget(const QString& aName) const;
    QDateEdit* Picker() const;

    // Brings the control's tab pages to the front and gives it the focus by Tab.
    void Focus(QWidget* aControl);
    // The user picks aDate in the date picker, as a pick in its calendar does.
    void PickDate(const QDate& aDate);

    TScriptedDialogs& Dialogs() { return *fDialogs; }

    // The boxes shown since the last call, oldest first, as "error: text" or "message: text",
    // followed by every question or dialog that nobody expected.
    QStringList TakeMessages();

private:
    TWindowFixture fWorld;
    QString fDiaryPath;
    TScriptedDialogs* fDialogs = nullptr; // owned by the window
    std::unique_ptr<TmainForm> fForm;
};

// A diary with the given days (dates at noon), each left default; tests fill in what they need.
std::unique_ptr<TDiary> MakeDiary(std::initializer_list<QDate> aDates);
TDay& DayOf(TDiary& aDiary, const QDate& aDate);
