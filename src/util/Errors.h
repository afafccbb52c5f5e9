#pragma once

#include <QString>

#include <exception>

// Errors that end a running command and reach the application's error box. The text is what the
// user sees, so it is kept as a QString and never built from std::exception::what().
class EKestrovaError : public std::exception {
public:
    explicit EKestrovaError(QString aMessage) : fMessage(std::move(aMessage)), fUtf8(fMessage.toUtf8()) {}
    const QString& Message() const noexcept { return fMessage; }
    const char* what() const noexcept override { return fUtf8.constData(); }

private:
    QString fMessage;
    QByteArray fUtf8;
};

// A text that is no number of the expected kind ("'%s' ist kein gültiger Gleitkommawert").
class EConvertError : public EKestrovaError {
public:
    using EKestrovaError::EKestrovaError;
};

// A file that cannot be created, opened, read or written; the text carries the platform's reason.
class EFileError : public EKestrovaError {
public:
    using EKestrovaError::EKestrovaError;
};

// The runtime's texts for a file that cannot be made ("Datei "<full path>" kann nicht erstellt
// werden. <reason>") and for a write that fails part-way ("Stream-Schreibfehler"), shared by the
// diary file, the exports and the command-line tool.
EFileError CannotCreateFileError(const QString& aFileName, const QString& aReason);
EFileError StreamWriteError();

// Their counterparts for reading: a file that cannot be opened ("Datei <full path> kann nicht
// geöffnet werden. <reason>", without quotes, as the runtime gives it) and a read that fails
// part-way ("Stream-Lesefehler").
EFileError CannotOpenFileError(const QString& aFileName, const QString& aReason);
EFileError StreamReadError();
