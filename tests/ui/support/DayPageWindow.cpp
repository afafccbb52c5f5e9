#include "DayPageWindow.h"

#include "document/ksFileUtils.h"
#include "model/DiaryFile.h"
#include "util/ksDateUtils.h"

#include <QDateEdit>
#include <QSettings>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

class TRecordingDialogs : public TDialogs {
public:
    QStringList Messages;

    void ShowMessage(QWidget*, const QString& aText) override { Messages << QStringLiteral("message: ") + aText; }
    void ShowError(QWidget*, const QString& aText) override { Messages << QStringLiteral("error: ") + aText; }
    bool AskYesNo(QWidget*, const QString& aText) override
    {
        Messages << QStringLiteral("unexpected question: ") + aText;
        return false;
    }
    std::optional<QString> ExecuteOpen(QWidget*, TFileDialog&) override
    {
        Messages << QStringLiteral("unexpected open dialog");
        return std::nullopt;
    }
    std::optional<QString> ExecuteSave(QWidget*, TFileDialog&) override
    {
        Messages << QStringLiteral("unexpected save dialog");
        return std::nullopt;
    }
    void ExecuteModal(QDialog&) override { Messages << QStringLiteral("unexpected modal dialog"); }
};

TDayPageWindow::TDayPageWindow(const TDiary* aDiary, const TRegionalSettings& aSettings)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, fFolder.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, fFolder.path());
    TKSFileUtils::ClearRecentFiles();
    TKSFileUtils::SetBackupWait(0);
    TmainForm::TOptions options;
    if (aDiary) {
        fDiaryPath = fFolder.filePath(QStringLiteral("Test.Kestrova"));
        WriteDiaryFile(*aDiary, fDiaryPath);
        options.StartFile = fDiaryPath;
    }
    auto dialogs = std::make_unique<TRecordingDialogs>();
    fDialogs = dialogs.get();
    fForm = std::make_unique<TmainForm>(std::move(dialogs), aSettings, options);
    fForm->show();
    if (!QTest::qWaitForWindowActive(fForm.get()))
        qWarning("the test window did not become active");
}

TDayPageWindow::~TDayPageWindow()
{
    fForm.reset();
    TKSFileUtils::ClearRecentFiles();
    TKSFileUtils::ResetClockAndWait();
}

QWidget* TDayPageWindow::Widget(const QString& aName) const
{
    return Find<QWidget>(aName);
}

QDateEdit* TDayPageWindow::Picker() const
{
    return Find<QDateEdit>(QStringLiteral("DateTimePicker1"));
}

void TDayPageWindow::Focus(QWidget* aControl)
{
    for (QWidget* page = aControl; page && page->parentWidget(); page = page->parentWidget()) {
        auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget());
        if (stack && qobject_cast<QTabWidget*>(stack->parentWidget()))
            static_cast<QTabWidget*>(stack->parentWidget())->setCurrentWidget(page);
    }
    aControl->setFocus(Qt::TabFocusReason);
}

void TDayPageWindow::PickDate(const QDate& aDate)
{
    Picker()->setDate(aDate);
}

QStringList TDayPageWindow::TakeMessages()
{
    QStringList messages;
    messages.swap(fDialogs->Messages);
    return messages;
}

std::unique_ptr<TDiary> MakeDiary(std::initializer_list<QDate> aDates)
{
    auto diary = std::make_unique<TDiary>();
    for (const QDate& date : aDates)
        diary->GetDay(EncodeDate(date) + 0.5);
    return diary;
}

TDay& DayOf(TDiary& aDiary, const QDate& aDate)
{
    return *aDiary.GetDay(EncodeDate(aDate));
}
