#include "util/FileBytes.h"

#include "util/Errors.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

QByteArray ReadWholeFile(const QString& aFileName)
{
    QFile file(aFileName);
    const auto openError = [&file] {
        return EFileError(u"Datei %1 kann nicht geöffnet werden. %2"_s.arg(
            QFileInfo(file.fileName()).absoluteFilePath(), file.errorString()));
    };
    if (!file.open(QIODevice::ReadOnly))
        throw openError();
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw openError();
    return bytes;
}
