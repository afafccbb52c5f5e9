#include "util/FileAccess.h"

#include "util/Errors.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

bool FileExists(const QString& aFileName)
{
    if (aFileName.isEmpty())
        return false;
    const QFileInfo info(aFileName);
    return info.exists() && !info.isDir();
}

QString DoesNotExistText(const QString& aFileName)
{
    return u"File "_s + aFileName + u" does not exist."_s;
}

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
