#pragma once

#include "SilentDialogs.h"

#include "model/DiaryFile.h"
#include "ui/UnitMainForm.h"
#include "util/ksDateUtils.h"

#include <QDateEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

// The window as the program shows it with a diary named on its command line, the file and the
// settings store in a folder of its own, so a measured window starts as a user's does.
class TBenchWindow {
public:
    explicit TBenchWindow(const TDiary& aDiary)
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, fDir.filePath(QStringLiteral("settings")));
        const QString file = fDir.filePath(QStringLiteral("bench.Kestrova"));
        WriteDiaryFile(aDiary, file);
        TmainForm::TOptions options{file};
        options.RecoveryFolder = fDir.filePath(QStringLiteral("recovery")); // never the user's own
        fForm =
            std::make_unique<TmainForm>(std::make_unique<TSilentDialogs>(), TRegionalSettings(), std::move(options));
        fForm->show();
        fPicker = fForm->findChild<QDateEdit*>(QStringLiteral("DateTimePicker1"));
        if (!fPicker)
            qFatal("no date picker");
    }

    // Every tab page made, as the window makes them in its first idle moments after it appears.
    void MakeEveryPage() { fForm->ShowDayOnEveryPage(); }

    // Picks aDate as the user does; a measurement in which no switch happened would be wrong.
    void Switch(const QDate& aDate)
    {
        fPicker->setDate(aDate);
        if (DateOfDateTime(fForm->Day()->Date) != aDate)
            qFatal("the switch did not happen");
    }

protected:
    QTemporaryDir fDir;
    std::unique_ptr<TmainForm> fForm;
    QDateEdit* fPicker = nullptr;
};
