// Loading and saving the diary file against their floors: reading the file's bytes into memory
// (page cache warm) and writing the same number of bytes through QSaveFile. Each measurement
// interleaves the operation with its floor, so both see the same machine load, and reports
// "ratio" (mean over mean) and "ratio_best" (best over best); the target is at most 2.
// The peak memory of a load is measured in a fresh process of this program and reported as
// "peak_ratio": the growth of the resident set over 1.2 x file size + 16 MiB (target at most 1).
// SaveWithBackup times the whole save with its dated backup (without the one-second wait) against
// writing the same bytes to a new file (target at most 1.5). LoadEncrypted and SaveEncrypted time
// the ten-year diary encrypted against the same diary plain (target at most 1.3 each), the key
// already derived; KeyDerivation times that apart.
//
// The picture diary needs about 1.2 GB in the temporary folder while it runs.

#include "DiaryGenerator.h"
#include "document/DiarySave.h"
#include "model/DiaryCrypto.h"
#include "model/DiaryFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point aStart)
{
    return std::chrono::duration<double>(TClock::now() - aStart).count();
}

// A value from /proc/self/status in bytes ("VmRSS", "VmHWM").
qint64 StatusBytes(const char* aKey)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray prefix = QByteArray(aKey) + ':';
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').front().toLongLong() * 1024;
    return -1;
}

struct TDiaryCase {
    QString Path;
    std::unique_ptr<TDiary> Diary;
    QByteArray Bytes; // the file's bytes, the floor's payload for writing
};

class TFixture {
public:
    static TFixture& Get()
    {
        static TFixture fixture;
        return fixture;
    }

    TDiaryCase& Case(const char* aName)
    {
        TDiaryCase& result = std::strcmp(aName, "TenYear") == 0 ? fTenYear : fPictures;
        if (!result.Diary) {
            result.Diary = std::strcmp(aName, "TenYear") == 0 ? MakeTenYearDiary() : MakePictureDiary();
            result.Path = fFolder.filePath(QString::fromLatin1(aName) + QStringLiteral(".Kestrova"));
            WriteDiaryFile(*result.Diary, result.Path);
            QFile file(result.Path);
            file.open(QIODevice::ReadOnly);
            result.Bytes = file.readAll();
        }
        return result;
    }

    QString Scratch(const char* aName) const { return fFolder.filePath(QString::fromLatin1(aName)); }

private:
    QTemporaryDir fFolder;
    TDiaryCase fTenYear;
    TDiaryCase fPictures;
};

class TRatio {
public:
    void Add(double aOperation, double aFloor)
    {
        fOperation += aOperation;
        fFloor += aFloor;
        fBestOperation = std::min(fBestOperation, aOperation);
        fBestFloor = std::min(fBestFloor, aFloor);
        ++fCount;
    }
    void Report(benchmark::State& aState, qint64 aBytes) const
    {
        aState.counters["ms"] = 1000 * fOperation / fCount;
        aState.counters["floor_ms"] = 1000 * fFloor / fCount;
        aState.counters["ratio"] = fOperation / fFloor;
        aState.counters["ratio_best"] = fBestOperation / fBestFloor;
        aState.counters["MB"] = double(aBytes) / 1e6;
        aState.SetBytesProcessed(aBytes * aState.iterations());
    }

private:
    double fOperation = 0, fFloor = 0;
    double fBestOperation = std::numeric_limits<double>::max(), fBestFloor = std::numeric_limits<double>::max();
    int fCount = 0;
};

// The floor of a load: open the file and read its bytes into a buffer of the file's size.
double ReadFloor(const QString& aPath)
{
    QByteArray bytes;
    const auto start = TClock::now();
    QFile file(aPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        std::abort();
    bytes.resize(file.size());
    if (file.read(bytes.data(), bytes.size()) != bytes.size())
        std::abort();
    const double seconds = SecondsSince(start);
    benchmark::DoNotOptimize(bytes.data());
    return seconds; // the buffer is freed outside the measured time, as the loaded diary is
}

double LoadOnce(const QString& aPath)
{
    const auto start = TClock::now();
    auto diary = ReadDiaryFile(aPath);
    const double seconds = SecondsSince(start);
    benchmark::DoNotOptimize(diary.get());
    return seconds;
}

// The floor of a save: the same bytes through QSaveFile, in one write, committed.
double WriteFloor(const QString& aPath, const QByteArray& aBytes)
{
    const auto start = TClock::now();
    QSaveFile file(aPath);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(aBytes) != aBytes.size() ||
        !file.commit())
        std::abort();
    return SecondsSince(start);
}

double SaveOnce(const QString& aPath, const TDiary& aDiary)
{
    const auto start = TClock::now();
    WriteDiaryFile(aDiary, aPath);
    return SecondsSince(start);
}

void Load(benchmark::State& aState, const char* aCase)
{
    TDiaryCase& diaryCase = TFixture::Get().Case(aCase);
    TRatio ratio;
    bool floorFirst = true;
    for (auto _ : aState) {
        // Alternating the order keeps any warm-up advantage from favouring one side.
        const double floor1 = floorFirst ? ReadFloor(diaryCase.Path) : 0;
        const double load = LoadOnce(diaryCase.Path);
        const double floor2 = floorFirst ? 0 : ReadFloor(diaryCase.Path);
        ratio.Add(load, floor1 + floor2);
        aState.SetIterationTime(load);
        floorFirst = !floorFirst;
    }
    ratio.Report(aState, diaryCase.Bytes.size());
}

void Save(benchmark::State& aState, const char* aCase)
{
    TDiaryCase& diaryCase = TFixture::Get().Case(aCase);
    const QString floorPath = TFixture::Get().Scratch("floor.bin");
    const QString savePath = TFixture::Get().Scratch("saved.Kestrova");
    TRatio ratio;
    bool floorFirst = true;
    for (auto _ : aState) {
        const double floor1 = floorFirst ? WriteFloor(floorPath, diaryCase.Bytes) : 0;
        const double save = SaveOnce(savePath, *diaryCase.Diary);
        const double floor2 = floorFirst ? 0 : WriteFloor(floorPath, diaryCase.Bytes);
        ratio.Add(save, floor1 + floor2);
        aState.SetIterationTime(save);
        floorFirst = !floorFirst;
    }
    ratio.Report(aState, diaryCase.Bytes.size());
    QFile::remove(floorPath);
    QFile::remove(savePath);
}

// The whole save command on a diary file that exists: today's backup made beside it, the new file
// written, flushed, renamed into place and its folder flushed; only the one-second wait is left
// out. The floor writes the same bytes to a new file through QSaveFile, which flushes them too.
void SaveWithBackup(benchmark::State& aState, const char* aCase)
{
    TDiaryCase& diaryCase = TFixture::Get().Case(aCase);
    const QString floorPath = TFixture::Get().Scratch("floor.bin");
    const QString savePath = TFixture::Get().Scratch("saved.Kestrova");
    WriteDiaryFile(*diaryCase.Diary, savePath);
    const TBackupOptions noWait{{}, 0};
    TRatio ratio;
    bool floorFirst = true;
    for (auto _ : aState) {
        QFile::remove(floorPath); // a new file every time
        const double floor1 = floorFirst ? WriteFloor(floorPath, diaryCase.Bytes) : 0;
        const auto start = TClock::now();
        SaveDiaryWithBackup(*diaryCase.Diary, savePath, noWait);
        const double save = SecondsSince(start);
        QFile::remove(floorPath);
        const double floor2 = floorFirst ? 0 : WriteFloor(floorPath, diaryCase.Bytes);
        ratio.Add(save, floor1 + floor2);
        aState.SetIterationTime(save);
        floorFirst = !floorFirst;
    }
    ratio.Report(aState, diaryCase.Bytes.size());
    for (const QString& name : QDir(QFileInfo(savePath).absolutePath()).entryList({QStringLiteral("*saved.Kestrova*")}))
        QFile::remove(QFileInfo(savePath).absolutePath() + u'/' + name);
    QFile::remove(floorPath);
}

// An encrypted diary against the same diary plain, in one run: opening it with its key already
// derived, and saving it (with its backup, without the wait). The key derivation is timed apart:
// it is the deliberate cost of a password, paid once per opening.
const TDiaryKey& BenchKey()
{
    static const TDiaryKey key = TDiaryKey::Derive(TSecret::FromText(QStringLiteral("bench")), TKeyDerivation::New());
    return key;
}

void LoadEncrypted(benchmark::State& aState, const char* aCase)
{
    TDiaryCase& diaryCase = TFixture::Get().Case(aCase);
    const QString sealed = TFixture::Get().Scratch("sealed.Kestrova");
    WriteDiaryFile(*diaryCase.Diary, sealed, {}, {}, &BenchKey());
    TRatio ratio;
    bool plainFirst = true;
    for (auto _ : aState) {
        const double plain1 = plainFirst ? LoadOnce(diaryCase.Path) : 0;
        const auto start = TClock::now();
        auto diary = ReadDiaryFileWithKey(sealed, BenchKey());
        const double load = SecondsSince(start);
        benchmark::DoNotOptimize(diary.get());
        diary.reset();
        const double plain2 = plainFirst ? 0 : LoadOnce(diaryCase.Path);
        ratio.Add(load, plain1 + plain2);
        aState.SetIterationTime(load);
        plainFirst = !plainFirst;
    }
    ratio.Report(aState, diaryCase.Bytes.size());
    QFile::remove(sealed);
}

void SaveEncrypted(benchmark::State& aState, const char* aCase)
{
    TDiaryCase& diaryCase = TFixture::Get().Case(aCase);
    const QString plainPath = TFixture::Get().Scratch("plain.Kestrova");
    const QString sealedPath = TFixture::Get().Scratch("sealed.Kestrova");
    const TBackupOptions noWait{{}, 0};
    TRatio ratio;
    bool plainFirst = true;
    const auto save = [&](const QString& aPath, const TDiaryKey* aKey) {
        const auto start = TClock::now();
        SaveDiaryWithBackup(*diaryCase.Diary, aPath, noWait, {}, aKey);
        return SecondsSince(start);
    };
    save(plainPath, nullptr);
    save(sealedPath, &BenchKey());
    for (auto _ : aState) {
        const double plain1 = plainFirst ? save(plainPath, nullptr) : 0;
        const double sealed = save(sealedPath, &BenchKey());
        const double plain2 = plainFirst ? 0 : save(plainPath, nullptr);
        ratio.Add(sealed, plain1 + plain2);
        aState.SetIterationTime(sealed);
        plainFirst = !plainFirst;
    }
    ratio.Report(aState, diaryCase.Bytes.size());
    const QString folder = QFileInfo(plainPath).absolutePath();
    for (const QString& name :
         QDir(folder).entryList({QStringLiteral("*plain.Kestrova"), QStringLiteral("*sealed.Kestrova")}))
        QFile::remove(folder + u'/' + name);
}

// The key derivation of a new password, with the costs every diary is encrypted with.
void KeyDerivation(benchmark::State& aState)
{
    const TSecret password = TSecret::FromText(QStringLiteral("a password of some length"));
    const TKeyDerivation derivation = TKeyDerivation::New();
    for (auto _ : aState) {
        const auto start = TClock::now();
        const TDiaryKey key = TDiaryKey::Derive(password, derivation);
        benchmark::DoNotOptimize(key.Bytes());
        aState.SetIterationTime(SecondsSince(start));
    }
}

// Runs this program again to load aCase's file in a fresh process, where the growth of the
// resident set is the load's own.
void PeakMemory(benchmark::State& aState, const char* aCase)
{
    TDiaryCase& diaryCase = TFixture::Get().Case(aCase);
    qint64 growth = -1;
    for (auto _ : aState) {
        const QByteArray command = "'" + QFile::symLinkTarget(QStringLiteral("/proc/self/exe")).toLocal8Bit() +
                                   "' --peak-load '" + diaryCase.Path.toLocal8Bit() + "'";
        FILE* child = popen(command.constData(), "r");
        if (!child)
            std::abort();
        long long value = -1;
        if (std::fscanf(child, "%lld", &value) != 1)
            value = -1;
        if (pclose(child) != 0 || value < 0) {
            aState.SkipWithError("the loading process failed");
            return;
        }
        growth = value;
    }
    const double limit = 1.2 * double(diaryCase.Bytes.size()) + 16.0 * 1024 * 1024;
    aState.counters["MB"] = double(diaryCase.Bytes.size()) / 1e6;
    aState.counters["peak_MB"] = double(growth) / 1e6;
    aState.counters["limit_MB"] = limit / 1e6;
    aState.counters["peak_ratio"] = double(growth) / limit;
}

int PeakLoad(const char* aPath)
{
    const qint64 before = StatusBytes("VmRSS");
    auto diary = ReadDiaryFile(QString::fromLocal8Bit(aPath));
    const qint64 peak = StatusBytes("VmHWM");
    benchmark::DoNotOptimize(diary.get());
    std::printf("%lld\n", static_cast<long long>(peak - before));
    return 0;
}

} // namespace

BENCHMARK_CAPTURE(Load, TenYear, "TenYear")->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(Save, TenYear, "TenYear")->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(SaveWithBackup, TenYear, "TenYear")->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(LoadEncrypted, TenYear, "TenYear")->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(SaveEncrypted, TenYear, "TenYear")->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(KeyDerivation)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(PeakMemory, TenYear, "TenYear")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Load, Pictures, "Pictures")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK_CAPTURE(Save, Pictures, "Pictures")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK_CAPTURE(PeakMemory, Pictures, "Pictures")->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--peak-load") == 0)
        return PeakLoad(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
