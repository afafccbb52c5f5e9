#include "DayPageWindow.h"

#include "model/DiaryFile.h"
#include "util/ksDateUtils.h"

#include <QDateEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

TDayPageWindow::TDayPageWindow(const TDiary* aDiary, const TRegionalSettings& aSettings)
{
    TmainForm::TOptions options;
    if (aDiary) {
        fDiaryPath = fWorld.Path(QStringLiteral("Test.Kestrova"));
        WriteDiaryFile(*aDiary, fDiaryPath);
        options.StartFile = fDiaryPath;
    }
    auto dialogs = std::make_unique<TScriptedDialogs>();
    fDialogs = dialogs.get();
    fForm = std::make_unique<TmainForm>(std::move(dialogs), aSettings, options);
    fForm->show();
    if (!QTest::qWaitForWindowActive(fForm.get()))
        qWarning("the test window did not become active");
}

TDayPageWindow::~TDayPageWindow()
{
    fForm.reset(); // before the world it lives in
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
    // Each page shows the day as it is brought up; the tests read pages the user has not.
    fForm->ShowDayOnEveryPage();
}

QStringList TDayPageWindow::TakeMessages()
{
    QStringList messages;
    for (const TScriptedDialogs::TShown& shown : fDialogs->Shown()) {
        switch (shown.Kind) {
        case TScriptedDialogs::TKind::Error:
            messages << QStringLiteral("error: ") + shown.Text;
            break;
        case TScriptedDialogs::TKind::Message:
            messages << QStringLiteral("message: ") + shown.Text;
            break;
        default:
            messages << QStringLiteral("dialog: ") + shown.Text;
            break;
        }
    }
    fDialogs->ClearShown();
    return messages + fDialogs->Problems();
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
