#include "exchange/ExportWriter.h"

#include "util/Errors.h"

#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr qsizetype kBufferSize = 4096;

[[noreturn]] void ThrowWriteError()
{
    throw StreamWriteError();
}
} // namespace

void TExportWriter::WriteByteOrderMark()
{
    static const char bom[] = {'\xEF', '\xBB', '\xBF'};
    Flush();
    WriteToDevice(bom, qsizetype(sizeof bom));
}

void TExportWriter::WriteLine(QStringView aLine)
{
    fBuffer += aLine.toUtf8();
    fBuffer += "\r\n";
    FlushIfFull();
}

void TExportWriter::WriteLine(QLatin1StringView aLine)
{
    // Only ASCII literals come this way, whose Latin-1 bytes are their UTF-8 bytes.
    fBuffer.append(aLine.data(), aLine.size());
    fBuffer += "\r\n";
    FlushIfFull();
}

void TExportWriter::Flush()
{
    if (fBuffer.isEmpty())
        return;
    WriteToDevice(fBuffer.constData(), fBuffer.size());
    fBuffer.clear();
}

void TExportWriter::FlushIfFull()
{
    if (fBuffer.size() >= kBufferSize)
        Flush();
}

void TExportWriter::WriteToDevice(const char* aData, qsizetype aSize)
{
    qsizetype written = 0;
    while (written < aSize) {
        const qint64 n = fDevice.write(aData + written, aSize - written);
        if (n <= 0)
            ThrowWriteError();
        written += qsizetype(n);
    }
}

void WriteExportFile(const QString& aFileName, const std::function<void(QIODevice&)>& aWrite)
{
    // Written beside the target and put in its place only when complete: a write that fails
    // part-way leaves neither a torn file nor a damaged earlier export of the same name. Where the
    // folder allows no new file but the file itself may be written, it is written in place.
    QSaveFile file(aFileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw CannotCreateFileError(aFileName, file.errorString());
    aWrite(file); // an error here discards the unfinished file
    if (!file.commit())
        ThrowWriteError();
}
