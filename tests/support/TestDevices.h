#pragma once

#include <QBuffer>
#include <QIODevice>

#include <algorithm>
#include <cstring>

// A write-only device that takes aLimit bytes and then fails every write with aErrorText, like a
// disk that fills up.
class TFailingDevice : public QIODevice {
public:
    TFailingDevice(qint64 aLimit, QString aErrorText) : fLimit(aLimit), fErrorText(std::move(aErrorText))
    {
        open(QIODevice::WriteOnly);
    }
    const QByteArray& Written() const { return fWritten; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* aData, qint64 aCount) override
    {
        if (fWritten.size() + aCount > fLimit) {
            setErrorString(fErrorText);
            return -1;
        }
        fWritten.append(aData, aCount);
        return aCount;
    }

private:
    qint64 fLimit;
    QString fErrorText;
    QByteArray fWritten;
};

// A read-only device that hands out the first aLimit of its bytes and then fails every read, like
// a file on a disk with a bad sector: it tells its whole size, as a file does.
class TFailingReadDevice : public QIODevice {
public:
    TFailingReadDevice(QByteArray aBytes, qint64 aLimit) : fBytes(std::move(aBytes)), fLimit(aLimit)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    qint64 size() const override { return fBytes.size(); }

protected:
    qint64 readData(char* aData, qint64 aMax) override
    {
        if (fPos >= fLimit) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 count = std::min({aMax, fLimit - fPos, qint64(fBytes.size()) - fPos});
        std::memcpy(aData, fBytes.constData() + fPos, size_t(count));
        fPos += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray fBytes;
    qint64 fLimit;
    qint64 fPos = 0;
};

// A read-only device that hands out its bytes in small pieces and cannot tell its size, like a
// pipe: readers must not rely on size() or seeking.
class TSequentialDevice : public QIODevice {
public:
    explicit TSequentialDevice(QByteArray aBytes, qint64 aPiece = 1000) : fBytes(std::move(aBytes)), fPiece(aPiece)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* aData, qint64 aMax) override
    {
        const qint64 count = std::min({aMax, fPiece, qint64(fBytes.size()) - fPos});
        std::memcpy(aData, fBytes.constData() + fPos, size_t(count));
        fPos += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray fBytes;
    qint64 fPiece;
    qint64 fPos = 0;
};
