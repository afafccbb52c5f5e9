#pragma once

#include "model/Records.h"
#include "ui/UnitMainForm.h"
#include "util/RegionalSettings.h"

#include <QDate>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

class QDateEdit;
class TRecordingDialogs;

// One main window for one test function: its own temporary folder and settings store, the given
// diary written there and opened at start, shown and active so that focus changes are real, and a
// seam that records every message ("error: text", "message: text") and fails on any question or
// file dialog, which none of the day page's flows asks.
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
    template <typename T> T* Find(const QString& aName) const { return fForm->findChild<T*>(aName); }
    QWidget* Widget(const QString& aName) const;
    QDateEdit* Picker() const;

    // Brings the control's tab pages to the front and gives it the focus by Tab.
    void Focus(QWidget* aControl);
    // The user picks aDate in the date picker, as a pick in its calendar does.
    void PickDate(const QDate& aDate);

    // The messages shown since the last call, oldest first.
    QStringList TakeMessages();

private:
    QTemporaryDir fFolder;
    QString fDiaryPath;
    TRecordingDialogs* fDialogs = nullptr; // owned by the window
    std::unique_ptr<TmainForm> fForm;
};

// A diary with the given days (dates at noon), each left default; tests fill in what they need.
std::unique_ptr<TDiary> MakeDiary(std::initializer_list<QDate> aDates);
TDay& DayOf(TDiary& aDiary, const QDate& aDate);
