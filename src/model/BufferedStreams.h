#pragma once

#include <QIODevice>
#include <QtEndian>
#include <QtGlobal>

#include <cstring>
#include <limits>
#include <memory>

// Little-endian byte streams over a QIODevice with their own 64 KiB buffer. The diary file is
// tens of thousands of small fields: going to the device (or through QDataStream) per field costs
// more than the data, while one read or write per chunk costs next to nothing. Payloads of a
// chunk or more (pictures, long texts) bypass the buffer and move straight between the device and
// their destination, so no second copy of the file is ever held.

class TBufferedReader {
public:
    static constexpr qint64 ChunkSize = 64 * 1024;

    explicit TBufferedReader(QIODevice& aDevice);

    // Bytes consumed so far.
    qint64 Offset() const { return fDeviceRead - (fEnd - fPos); }
    // Whether the device can tell how many bytes are left (files and buffers can, pipes cannot).
    bool SizeKnown() const { return fDeviceLeft >= 0; }
    // Bytes left to read; the largest qint64 when the device cannot tell.
    qint64 Remaining() const { return SizeKnown() ? fDeviceLeft + (fEnd - fPos) : std::numeric_limits<qint64>::max(); }
    // True when the device reported a read error (rather than a plain end of data).
    bool DeviceFailed() const { return fDeviceFailed; }

    // Fills aDest with exactly aCount bytes; false when the data ends (or fails) first.
    bool Read(void* aDest, qint64 aCount)
    {
        if (aCount <= fEnd - fPos) {
            std::memcpy(aDest, fPos, size_t(aCount));
            fPos += aCount;
            return true;
        }
        return ReadUpTo(aDest, aCount) == aCount;
    }

    // Reads as many of aCount bytes as there are; returns how many that was.
    qint64 ReadUpTo(void* aDest, qint64 aCount);
    // Steps over as many of aCount bytes as there are, without copying them out; returns how many.
    qint64 Skip(qint64 aCount)
    {
        if (aCount <= fEnd - fPos) {
            fPos += aCount;
            return aCount;
        }
        return SkipSlow(aCount);
    }

    template <typename T> bool ReadLE(T& aValue)
    {
        T raw;
        if (!Read(&raw, sizeof raw))
            return false;
        aValue = qFromLittleEndian(raw);
        return true;
    }

    bool ReadByte(quint8& aValue)
    {
        if (fPos == fEnd && !Fill())
            return false;
        aValue = quint8(*fPos++);
        return true;
    }

    // Goes on reading from aOffset of a device that can seek (a file), dropping what is buffered;
    // false when it cannot.
    bool SeekTo(qint64 aOffset);

private:
    bool Fill();
    qint64 SkipSlow(qint64 aCount);

    QIODevice& fDevice;
    std::unique_ptr<char[]> fBuffer;
    char* fPos;
    char* fEnd;
    qint64 fDeviceRead = 0;
    qint64 fDeviceLeft = -1; // bytes not yet read from the device; -1 when unknown
    bool fDeviceFailed = false;
};

// A device that lends the writer room in a buffer of its own (the sealer of an encrypted diary,
// whose chunks are encrypted where they lie): the bytes are written once, straight where they are
// used, rather than into the writer's buffer and copied from there.
class TLentBuffer {
public:
    virtual ~TLentBuffer() = default;
    // Room to write into, never empty; making it may hand earlier bytes on (EFileError when that
    // fails, with the device's text).
    virtual char* Room(qint64& aSize) = 0;
    // aCount more bytes were written where the last Room began; the room now begins after them.
    virtual void Used(qint64 aCount) = 0;
};

// A write-only device that lends its room: a plain write is copied into that room, as much at a
// time as there is. A write that Room refuses fails with Room's text.
class TLendingDevice : public QIODevice, public TLentBuffer {
public:
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* aData, qint64 aSize) override;
};

// Writes all aCount bytes to aDevice, however many calls that takes; EFileError with the device's
// text when a write takes nothing.
void WriteAll(QIODevice& aDevice, const void* aData, qint64 aCount);

class TBufferedWriter {
public:
    static constexpr qint64 ChunkSize = 64 * 1024;

    // Writes into aDevice's own room when it lends it (TLentBuffer), else through a buffer of its own.
    explicit TBufferedWriter(QIODevice& aDevice);

    // Each throws EFileError with the device's text when the device takes fewer bytes than given.
    void Write(const void* aData, qint64 aCount)
    {
        if (aCount <= fEnd - fPos) {
            std::memcpy(fPos, aData, size_t(aCount));
            fPos += aCount;
            return;
        }
        WriteSlow(aData, aCount);
    }

    template <typename T> void WriteLE(T aValue)
    {
        const T raw = qToLittleEndian(aValue);
        Write(&raw, sizeof raw);
    }

    // Hands the buffered bytes to the device. Must be called once at the end: the destructor does
    // not flush, because a failure there could not be reported.
    void Flush();

private:
    void WriteSlow(const void* aData, qint64 aCount);

    QIODevice& fDevice;
    TLentBuffer* fLender;
    std::unique_ptr<char[]> fBuffer;
    char* fStart; // of the room written into
    char* fPos;
    char* fEnd;
};

// Whether the process may run on more than one CPU: only then does work handed to a second thread
// overlap anything.
bool SecondCpuAvailable();

// Makes the writes to aOut on a thread of its own while the writer goes on making the next bytes.
// Writing a large file costs the kernel's copy of every byte into the page cache, about as much as
// sealing the bytes of an encrypted diary or laying out those of a plain one; one after the other,
// a save pays for both. The bytes wait in a small ring of slots that the writer fills in place
// through the room lent to it, so nothing is copied on the way. With aBehind false (where the
// process has one CPU, a thread would only take turns with the writer) each slot is written as it
// fills up, on the writer's thread, with no thread made at all.
// From the first slot handed on until Finish returns or the destructor has run, aOut belongs to
// that thread: the caller touches it (its error state included) only after either.
// Only bytes bound for aOut sit in the slots: for an encrypted diary those are already sealed.
class TWriteBehind : public TLendingDevice {
public:
    // The least room lent at a time: a sealed chunk of an encrypted diary (64 KiB and its tag) fits
    // whole, so it is sealed straight into a slot.
    static constexpr qint64 LeastRoom = 64 * 1024 + 64;
    // Few hand-overs (each wakes the other thread) against little waiting for the last slot, which
    // no other work overlaps; the ring is about a megabyte.
    static constexpr qint64 SlotSize = 4 * LeastRoom;
    static constexpr int SlotCount = 4;

    explicit TWriteBehind(QIODevice& aOut, bool aBehind = SecondCpuAvailable());
    // Without Finish (a save that failed) what is not yet written is dropped; either way the thread
    // is gone when this returns.
    ~TWriteBehind() override;
    TWriteBehind(const TWriteBehind&) = delete;
    TWriteBehind& operator=(const TWriteBehind&) = delete;

    // Writes what is left and waits for every write. Throws what a write threw (EFileError with
    // aOut's text when aOut failed), on whichever thread it was made.
    void Finish();

    // Handing a full slot on may find that the write of an earlier one failed meanwhile: what that
    // write threw is thrown here.
    char* Room(qint64& aSize) override;
    void Used(qint64 aCount) override;

private:
    struct TState;
    std::unique_ptr<TState> fState;
};
