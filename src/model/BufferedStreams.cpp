#include "model/BufferedStreams.h"

#include "util/Errors.h"

#include <QFileDevice>
#include <QIODevice>

#include <algorithm>

TBufferedReader::TBufferedReader(QIODevice& aDevice)
    : fDevice(aDevice), fBuffer(new char[ChunkSize]), fPos(fBuffer.get()), fEnd(fBuffer.get())
{
    if (!aDevice.isSequential())
        fDeviceLeft = std::max<qint64>(0, aDevice.size() - aDevice.pos());
}

qint64 TBufferedReader::ReadUpTo(void* aDest, qint64 aCount)
{
    char* dest = static_cast<char*>(aDest);
    qint64 done = 0;
    while (done < aCount) {
        if (fPos == fEnd) {
            if (aCount - done >= ChunkSize) {
                // Straight into the destination: a picture is never copied through the buffer.
                const qint64 got = fDevice.read(dest + done, aCount - done);
                if (got <= 0) {
                    fDeviceFailed = got < 0;
                    fDeviceLeft = SizeKnown() ? 0 : fDeviceLeft;
                    break;
                }
                fDeviceRead += got;
                if (SizeKnown())
                    fDeviceLeft = std::max<qint64>(0, fDeviceLeft - got);
                done += got;
                continue;
            }
            if (!Fill())
                break;
        }
        const qint64 step = std::min<qint64>(fEnd - fPos, aCount - done);
        std::memcpy(dest + done, fPos, size_t(step));
        fPos += step;
        done += step;
    }
    return done;
}

qint64 TBufferedReader::SkipSlow(qint64 aCount)
{
    qint64 done = fEnd - fPos;
    fPos = fEnd;
    // A file steps over a picture without reading it. Only a file: a device that stands in front
    // of another (a tap, a decryption) must see every byte pass.
    if (SizeKnown() && qobject_cast<QFileDevice*>(&fDevice) && !fDevice.isSequential()) {
        const qint64 step = std::min(aCount - done, fDeviceLeft);
        if (step > 0 && fDevice.seek(fDevice.pos() + step)) {
            fDeviceRead += step;
            fDeviceLeft -= step;
            done += step;
        }
    }
    while (done < aCount && Fill()) {
        const qint64 step = std::min<qint64>(fEnd - fPos, aCount - done);
        fPos += step;
        done += step;
    }
    return done;
}

bool TBufferedReader::Fill()
{
    if (fDeviceLeft == 0)
        return false;
    const qint64 got = fDevice.read(fBuffer.get(), ChunkSize);
    if (got <= 0) {
        fDeviceFailed = got < 0;
        fDeviceLeft = SizeKnown() ? 0 : fDeviceLeft;
        return false;
    }
    fDeviceRead += got;
    if (SizeKnown())
        fDeviceLeft = std::max<qint64>(0, fDeviceLeft - got);
    fPos = fBuffer.get();
    fEnd = fPos + got;
    return true;
}

TBufferedWriter::TBufferedWriter(QIODevice& aDevice)
    : fDevice(aDevice), fLender(dynamic_cast<TLentBuffer*>(&aDevice)),
      fBuffer(fLender ? nullptr : new char[ChunkSize]), fStart(fBuffer.get()), fPos(fStart),
      fEnd(fBuffer ? fStart + ChunkSize : fStart)
{
    // Lent room is asked for only when there is something to write into it.
}

void TBufferedWriter::WriteSlow(const void* aData, qint64 aCount)
{
    const char* data = static_cast<const char*>(aData);
    if (fLender) {
        while (aCount > 0) {
            if (fPos == fEnd) {
                // The lender knows more is coming: a full room may be handed on now.
                fLender->Used(fPos - fStart);
                qint64 size = 0;
                fStart = fLender->Room(size);
                fPos = fStart;
                fEnd = fStart + size;
            }
            const qint64 step = std::min<qint64>(fEnd - fPos, aCount);
            std::memcpy(fPos, data, size_t(step));
            fPos += step;
            data += step;
            aCount -= step;
        }
        return;
    }
    // Top the chunk up first, so the device sees full chunks while small fields keep coming.
    const qint64 room = fEnd - fPos;
    std::memcpy(fPos, data, size_t(room));
    fPos += room;
    data += room;
    aCount -= room;
    Flush();
    if (aCount >= ChunkSize) {
        WriteToDevice(data, aCount);
        return;
    }
    std::memcpy(fPos, data, size_t(aCount));
    fPos += aCount;
}

void TBufferedWriter::Flush()
{
    if (fLender) {
        // The lender keeps what is in its room: only the count changes hands, and the room stays
        // this writer's to go on filling.
        fLender->Used(fPos - fStart);
        fStart = fPos;
        return;
    }
    const qint64 used = fPos - fBuffer.get();
    fPos = fBuffer.get();
    if (used > 0)
        WriteToDevice(fBuffer.get(), used);
}

void TBufferedWriter::WriteToDevice(const void* aData, qint64 aCount)
{
    // A file takes part of a write without an error when it runs out of room; writing the rest
    // then fails with the platform's reason, which is the text worth reporting.
    const char* data = static_cast<const char*>(aData);
    while (aCount > 0) {
        const qint64 written = fDevice.write(data, aCount);
        if (written <= 0)
            throw EFileError(fDevice.errorString());
        data += written;
        aCount -= written;
    }
}
