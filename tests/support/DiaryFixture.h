#pragma once

#include "model/Records.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <memory>

// Test-side help for the diary file: a byte builder for hand-made and damaged files, a writer of
// every file version, a sample diary with awkward values in every field, and a comparison that
// names the first difference.

// Appends little-endian values in the diary file's encodings.
class TByteBuilder {
public:
    TByteBuilder& Int32(qint32 aValue);
    TByteBuilder& Int64(qint64 aValue);
    TByteBuilder& Float(double aValue); // by bit pattern
    TByteBuilder& Flag(bool aValue);
    TByteBuilder& String(const QString& aText); // LEB128 byte count, then UTF-16LE
    TByteBuilder& Picture(const QByteArray& aBytes);
    TByteBuilder& Raw(const QByteArray& aBytes);
    TByteBuilder& Hex(const char* aHex); // "FE FF 07": blanks are ignored
    const QByteArray& Bytes() const { return fBytes; }

private:
    QByteArray fBytes;
};

// The diary as a file of aFileVersion (written into the version field as given; versions outside
// 1..10 use the layout of the nearest one). Written field by field from the version history, apart
// from the program's own table, so that the two check each other. Versions before 10 store each
// day's legacy task text: the notes of the day's first task, or an empty text.
QByteArray DiaryFixture(const TDiary& aDiary, qint32 aFileVersion);

// Three days: the first sets every field and list to distinct and awkward values (NaN with a
// payload, -0.0, infinities, lone surrogates, a text longer than a read chunk, extreme ids, a
// picture), the second is a default day, the third holds a little of everything.
std::unique_ptr<TDiary> MakeSampleDiary();

// An empty text when both diaries are equal, floats compared by bit pattern; otherwise the first
// difference, for a test's failure message.
QString DiaryDifference(const TDiary& aExpected, const TDiary& aActual);

// WriteDiary into memory; ReadDiary from memory.
QByteArray WrittenDiary(const TDiary& aDiary);
std::unique_ptr<TDiary> ReadDiaryBytes(const QByteArray& aBytes);

// Writes a diary whose one page, on aDate, carries aThoughts: the smallest file a test can tell
// apart from another by its content.
void WriteDiaryWithThoughts(const QString& aPath, const QDate& aDate, const QString& aThoughts);
// The thoughts of aDiary's page on aDate; "<no page>" when it has none.
QString ThoughtsOf(const TDiary& aDiary, const QDate& aDate);
