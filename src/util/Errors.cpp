#include "util/Errors.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

EFileError CannotCreateFileError(const QString& aFileName, const QString& aReason)
{
    return EFileError(
        u"Datei \"%1\" kann nicht erstellt werden. %2"_s.arg(QFileInfo(aFileName).absoluteFilePath(), aReason));
}

EFileError StreamWriteError()
{
    return EFileError(u"Stream-Schreibfehler"_s);
}

EFileError CannotOpenFileError(const QString& aFileName, const QString& aReason)
{
    return EFileError(
        u"Datei %1 kann nicht geöffnet werden. %2"_s.arg(QFileInfo(aFileName).absoluteFilePath(), aReason));
}

EFileError StreamReadError()
{
    return EFileError(u"Stream-Lesefehler"_s);
}
