#pragma once

#include "model/DiaryCrypto.h"

#include <QString>

// Where kestrova-cli takes the password of an encrypted diary from: the first line of a file the
// user names (--password-file FILE), or else the terminal, typed without echo. Never an option's
// value or an environment variable, which other users and the shell's history can see.
class TCliPasswords {
public:
    explicit TCliPasswords(QString aPasswordFile = {}) : fPasswordFile(std::move(aPasswordFile)) {}

    // The password of an existing diary, asked again after a wrong one: from a file once (a wrong
    // one there is final), from the terminal up to three times. Throws EFileError when there is
    // neither a file nor a terminal, EWrongPassword when the attempts are used up.
    TPasswordPrompt Prompt() const;
    // A new password for aFileName: from the file, or typed twice on the terminal. Refuses an
    // empty one. Throws EFileError.
    TSecret NewPassword(const QString& aFileName) const;

private:
    TSecret FromFile() const;
    QString fPasswordFile;
};

// Reads a line from the terminal with its echo off; empty optional when there is no terminal.
std::optional<TSecret> ReadFromTerminal(const QString& aQuestion);
