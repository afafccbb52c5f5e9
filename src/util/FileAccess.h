#pragma once

#include <QByteArray>
#include <QString>

// The platform's existence test: true for a file or a link to one, false for a folder and for an
// empty name.
bool FileExists(const QString& aFileName);

// The message for a chosen file that is not there: "File " + name + " does not exist."
QString DoesNotExistText(const QString& aFileName);

// The whole content of a file the user chose (a picture, a task file). A file that cannot be opened
// or read throws EFileError with the runtime's text, naming the file by its full path.
QByteArray ReadWholeFile(const QString& aFileName);
