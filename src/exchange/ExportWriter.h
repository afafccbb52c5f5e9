#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringView>

#include <functional>

class QIODevice;

// The text writer both exports share: UTF-8, CR LF after every line, a 4096-byte buffer. Every
// write to the device is checked, so a full disk ends the export with the runtime's
// "Stream-Schreibfehler" instead of a silently short file.
class TExportWriter {
public:
    explicit TExportWriter(QIODevice& aDevice) : fDevice(aDevice) {}
    TExportWriter(const TExportWriter&) = delete;
    TExportWriter& operator=(const TExportWriter&) = delete;

    // Bypasses the buffer: the mark is in the file before the first line is built.
    void WriteByteOrderMark();
    void WriteLine(QStringView aLine);
    void WriteLine(QLatin1StringView aLine);
    void Flush();

private:
    void WriteToDevice(const char* aData, qsizetype aSize);
    void FlushIfFull();

    QIODevice& fDevice;
    QByteArray fBuffer;
};

// Runs aWrite on a new file that replaces aFileName only once it is complete and closed; when
// aWrite throws, or the file cannot be completed ("Stream-Schreibfehler"), aFileName is left as
// it was. The file is unbuffered so that TExportWriter's checks see every failure. Throws
// EFileError("Datei \"<full path>\" kann nicht erstellt werden. <reason>") when it cannot be created.
void WriteExportFile(const QString& aFileName, const std::function<void(QIODevice&)>& aWrite);
