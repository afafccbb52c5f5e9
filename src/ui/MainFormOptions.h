#pragma once

#include "document/DiaryPrefetch.h"
#include "document/RecoveryStore.h"
#include "document/ksFileUtils.h"
#include "model/DiaryCrypto.h"
#include "ui/LateLibrary.h"

#include <QSettings>
#include <QString>

#include <chrono>
#include <functional>

// What the main window takes from outside besides its dialogs and regional settings
// (TmainForm::TOptions). The program sets StartFile at most; tests fix the clock of the backups
// and reach the other seams through it.
struct TmainFormOptions {
    TmainFormOptions() = default;
    TmainFormOptions(QString aStartFile) : StartFile(std::move(aStartFile)) {} // {file} names the start file

    QString StartFile;     // a diary named on the command line, opened instead of the last file
    TBackupOptions Backup; // the date of the backups and the wait after each
    QSettings::Format SettingsFormat = QSettings::NativeFormat; // the settings store's format
    TDiaryPrefetch::TLauncher StartThread; // runs the start-up read beside the building of the window
    // Recovery copies of unsaved changes (MainFormRecovery.cpp): where they go, how often they are
    // written at most, and the thread that writes them.
    QString RecoveryFolder; // empty: TRecoveryStore::DefaultFolder()
    std::chrono::milliseconds RecoveryInterval{60000};
    TRecoveryWriter::TLauncher RecoveryThread;
    // The salt and costs of a new password's key; empty: TKeyDerivation::New(). Tests make it cheap.
    std::function<TKeyDerivation()> NewKeyDerivation;
    // The charts and the printer; empty: LateLibrary(), the library beside the program.
    TLateLibrary LateLibrary;
};
