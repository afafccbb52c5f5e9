#pragma once

// What every command of kestrova-cli shares: its exit statuses, its output, how a failure ends a
// command, and the reading of a diary (plain or encrypted, with this run's passwords).

#include "CliPassword.h"

#include "model/DiaryCrypto.h"
#include "model/Records.h"

#include <QString>

#include <cstdio>
#include <memory>

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitConflicts = 3;

void Print(FILE* aStream, const QString& aText);

// A failed command. Its one line names the file; the program's own texts already do.
struct TFailure {
    QString FileName;
    QString Reason;
};

struct TUsageError {
    QString Reason;
};

[[noreturn]] void Fail(const QString& aFileName, const QString& aReason);
[[noreturn]] void UsageError(const QString& aReason);
// A text on one line: line breaks become spaces.
QString OneLine(QString aText);
// The passwords of this run's diaries; set once from the command line.
TCliPasswords& Passwords();
// The diary of aFileName with the key it was read with (none for a plain diary); a file that is
// missing or cannot be read ends the command.
TOpenedDiary LoadDiaryWithKey(const QString& aFileName);
std::unique_ptr<TDiary> LoadDiary(const QString& aFileName);
