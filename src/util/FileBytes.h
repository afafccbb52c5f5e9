#pragma once

#include <QByteArray>
#include <QString>

// The whole content of a file the user chose (a picture, a task file). A file that cannot be opened
// or read throws EFileError with the runtime's text, naming the file by its full path.
QByteArray ReadWholeFile(const QString& aFileName);
