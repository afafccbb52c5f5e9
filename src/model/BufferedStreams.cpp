#include "model/BufferedStreams.h"

#include "util/Errors.h"

#include <QFileDevice>
#include <QIODevice>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#ifdef Q_OS_LINUX
#include <sched.h>
#endif

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

bool TBufferedReader::SeekTo(qint64 aOffset)
{
    if (fDevice.isSequential() || aOffset < 0 || aOffset > fDevice.size() || !fDevice.seek(aOffset))
        return false;
    fPos = fEnd = fBuffer.get();
    fDeviceRead = aOffset;
    fDeviceLeft = fDevice.size() - aOffset;
    fDeviceFailed = false;
    return true;
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
        WriteAll(fDevice, data, aCount);
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
        WriteAll(fDevice, fBuffer.get(), used);
}

void WriteAll(QIODevice& aDevice, const void* aData, qint64 aCount)
{
    // A file takes part of a write without an error when it runs out of room; writing the rest
    // then fails with the platform's reason, which is the text worth reporting.
    const char* data = static_cast<const char*>(aData);
    while (aCount > 0) {
        const qint64 written = aDevice.write(data, aCount);
        if (written <= 0)
            throw EFileError(aDevice.errorString());
        data += written;
        aCount -= written;
    }
}

qint64 TLendingDevice::writeData(const char* aData, qint64 aSize)
{
    try {
        for (qint64 left = aSize; left > 0;) {
            qint64 room = 0;
            char* into = Room(room);
            const qint64 step = std::min(left, room);
            std::memcpy(into, aData, size_t(step));
            Used(step);
            aData += step;
            left -= step;
        }
    } catch (const EFileError& error) {
        setErrorString(error.Message());
        return -1;
    }
    return aSize;
}

bool SecondCpuAvailable()
{
#ifdef Q_OS_LINUX
    // The CPUs this process may run on, not those of the machine: under taskset or a container's
    // limit a second thread would only take turns with the first.
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    if (::sched_getaffinity(0, sizeof cpus, &cpus) == 0)
        return CPU_COUNT(&cpus) > 1;
    // More CPUs than the set can name: certainly more than one.
#endif
    return std::thread::hardware_concurrency() != 1;
}

struct TWriteBehind::TState {
    QIODevice& Out;
    bool Behind;
    // Slots are used in turn, 0, 1, ... SlotCount - 1, 0, ..., so two counts tell which slot is
    // whose: the writer fills slot Handed % SlotCount while the thread writes slots Written to
    // Handed - 1. Each is made when first needed: a small file, or one written inline, needs one.
    std::array<std::unique_ptr<char[]>, SlotCount> Slots;
    std::array<qint64, SlotCount> Sizes{}; // of the slots handed on
    char* Current = nullptr;               // the writer's own slot
    qint64 Filled = 0;
    bool Finished = false;

    std::mutex Lock; // over the counts, Sizes, the flags and Failure
    std::condition_variable Queued; // the thread's wake-up: a slot handed on, the end, or abandoned
    std::condition_variable Freed;  // the writer's: a slot written, or a failure
    quint64 Handed = 0;
    quint64 Written = 0;
    bool Closing = false;   // nothing more is handed on: the thread ends once the last slot is written
    bool Abandoned = false; // the save has failed: the thread ends without writing what is left
    std::exception_ptr Failure; // what a write on the thread threw; nothing is written after it
    std::thread Writer;

    TState(QIODevice& aOut, bool aBehind) : Out(aOut), Behind(aBehind) {}

    char* Slot(size_t aIndex)
    {
        if (!Slots[aIndex])
            Slots[aIndex].reset(new char[size_t(SlotSize)]);
        return Slots[aIndex].get();
    }


    void ThrowFailure() const
    {
        if (Failure)
            std::rethrow_exception(Failure);
    }

    void Run()
    {
        std::unique_lock lock(Lock);
        for (;;) {
            Queued.wait(lock, [this] { return Written < Handed || Closing || Abandoned; });
            if (Abandoned || Written == Handed)
                return;
            const size_t index = size_t(Written % SlotCount);
            lock.unlock();
            // Whatever a write throws (the device's failure, or the tap's below it) stays on this
            // thread until the writer, who can report it, asks for room or finishes.
            try {
                WriteAll(Out, Slots[index].get(), Sizes[index]);
            } catch (...) {
                lock.lock();
                Failure = std::current_exception();
                Freed.notify_one();
                return;
            }
            lock.lock();
            ++Written;
            Freed.notify_one();
        }
    }

    bool StartWriter()
    {
        if (Writer.joinable())
            return true;
        try {
            Writer = std::thread([this] { Run(); });
            return true;
        } catch (const std::system_error&) {
            Behind = false; // no thread to be had: the writes are made here, as on one CPU
            return false;
        }
    }

    // Sends the writer's slot on its way; unless it is the last, gives the writer the next one.
    void HandOn(bool aLast)
    {
        // The last slot of a file that fits in one is written here: a thread would only be waited for.
        if (!Behind || (aLast && !Writer.joinable()) || !StartWriter()) {
            WriteAll(Out, Current, Filled);
            Filled = 0;
            return;
        }
        std::unique_lock lock(Lock);
        ThrowFailure();
        Sizes[size_t(Handed % SlotCount)] = Filled;
        ++Handed;
        Filled = 0;
        Queued.notify_one();
        if (aLast)
            return;
        Freed.wait(lock, [this] { return Handed - Written < quint64(SlotCount) || Failure; });
        ThrowFailure();
        Current = Slot(size_t(Handed % SlotCount));
    }

    void Stop(bool aAbandon)
    {
        if (!Writer.joinable())
            return;
        {
            std::lock_guard lock(Lock);
            Closing = true;
            Abandoned = aAbandon;
        }
        Queued.notify_one();
        Writer.join();
    }
};

TWriteBehind::TWriteBehind(QIODevice& aOut, bool aBehind) : fState(std::make_unique<TState>(aOut, aBehind))
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

TWriteBehind::~TWriteBehind()
{
    fState->Stop(true);
}

char* TWriteBehind::Room(qint64& aSize)
{
    TState& s = *fState;
    if (!s.Current)
        s.Current = s.Slot(0);
    if (SlotSize - s.Filled < LeastRoom)
        s.HandOn(false);
    aSize = SlotSize - s.Filled;
    return s.Current + s.Filled;
}

void TWriteBehind::Used(qint64 aCount)
{
    fState->Filled += aCount;
}

void TWriteBehind::Finish()
{
    TState& s = *fState;
    if (s.Finished)
        return;
    s.Finished = true;
    // The thread is joined on every way out of here, so aOut is the caller's again when this throws.
    try {
        if (s.Filled > 0)
            s.HandOn(true);
    } catch (...) {
        s.Stop(true);
        throw;
    }
    s.Stop(false);
    s.ThrowFailure();
}
