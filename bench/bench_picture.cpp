// Showing a day whose picture is a 12-megapixel (4000 x 3000) JPEG of about 3 MB: the date
// picker's switch from an empty day to it (commit of the day left, every control refilled, the
// picture decoded and scaled to 541 x 406), against decoding the same file at full size with
// libjpeg-turbo, measured in the same run (target: at most 0.35x). Reports "ratio" (mean switch over
// the floor's median decode, both in processor time of the one thread that does the work),
// "wall_ratio" (the same in wall-clock time) and the floor. The "warm" figures take a floor that
// decodes into memory already in use, which leaves the decoding work alone: the switch, the decode
// alone at the drawn scale, and the decode at 1/8, the least a scaled decode can cost, since every
// byte of the file must still be entropy-decoded. "peak_MB" is the most heap memory the switch held at
// once beyond what was held before it, and "mem_ratio" that peak over twice the picture decoded at
// the scale it is drawn from plus the file's bytes (target: at most 1).
#include "BenchMain.h"
#include "DiaryGenerator.h"
#include "BenchWindow.h"
#include "BenchTiming.h"

#include "ui/UnitMainForm.h"
#include "util/JpegDecoder.h"
#include "util/ksDateUtils.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTabWidget>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <random>
#include <vector>

#include <jpeglib.h>
#include <malloc.h>

using namespace Qt::Literals::StringLiterals;

// The heap as the whole process uses it, Qt and libjpeg included: every allocation function of the
// C library is replaced by one that counts the bytes held and the most held at once.
namespace {
std::atomic<long long> gHeld{0};
std::atomic<long long> gPeak{0};

void Took(void* aBlock)
{
    if (!aBlock)
        return;
    const long long held = gHeld.fetch_add((long long)malloc_usable_size(aBlock), std::memory_order_relaxed) +
                           (long long)malloc_usable_size(aBlock);
    long long peak = gPeak.load(std::memory_order_relaxed);
    while (held > peak && !gPeak.compare_exchange_weak(peak, held, std::memory_order_relaxed)) {
    }
}

void Gave(void* aBlock)
{
    if (aBlock)
        gHeld.fetch_sub((long long)malloc_usable_size(aBlock), std::memory_order_relaxed);
}

// The peak from now on, counted from what is held now.
long long StartPeak()
{
    const long long held = gHeld.load();
    gPeak.store(held);
    return held;
}
} // namespace

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

void* malloc(size_t aSize)
{
    void* block = __libc_malloc(aSize);
    Took(block);
    return block;
}
void* calloc(size_t aCount, size_t aSize)
{
    void* block = __libc_calloc(aCount, aSize);
    Took(block);
    return block;
}
void* realloc(void* aBlock, size_t aSize)
{
    const size_t before = aBlock ? malloc_usable_size(aBlock) : 0;
    void* block = __libc_realloc(aBlock, aSize);
    if (block || aSize == 0)
        gHeld.fetch_sub((long long)before, std::memory_order_relaxed);
    Took(block);
    return block;
}
void free(void* aBlock)
{
    Gave(aBlock);
    __libc_free(aBlock);
}
void* memalign(size_t aAlignment, size_t aSize)
{
    void* block = __libc_memalign(aAlignment, aSize);
    Took(block);
    return block;
}
void* aligned_alloc(size_t aAlignment, size_t aSize)
{
    return memalign(aAlignment, aSize);
}
int posix_memalign(void** aBlock, size_t aAlignment, size_t aSize)
{
    void* block = memalign(aAlignment, aSize);
    if (!block)
        return 12; // ENOMEM
    *aBlock = block;
    return 0;
}
void* valloc(size_t aSize)
{
    return memalign(4096, aSize);
}
void* pvalloc(size_t aSize)
{
    return memalign(4096, (aSize + 4095) & ~size_t(4095));
}
}

namespace {
const QDate EmptyDay(2025, 6, 1);

// The processor time of this thread: all the work measured here runs on it, and on a shared
// machine it does not count the time the thread waits for a core, which wall-clock time does.
double CpuSeconds(const std::function<void()>& aWork)
{
    timespec start{}, end{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    aWork();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    return double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) * 1e-9;
}

double MedianCpuSeconds(const std::function<void()>& aWork, int aRuns = 7)
{
    std::vector<double> times;
    for (int i = 0; i < aRuns; ++i)
        times.push_back(CpuSeconds(aWork));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
const QDate PictureDay(2025, 6, 2);

// The floor: the same file decoded at full size with libjpeg-turbo into the same pixel layout,
// into a buffer of its own as a program showing the picture at full size needs one, or into
// aReused, which leaves out the cost of fresh memory and counts the decoding work alone.
void DecodeFullSize(const QByteArray& aJpeg, unsigned char* aReused = nullptr)
{
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(aJpeg.constData()), aJpeg.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    const size_t stride = size_t(info.output_width) * 4;
    std::unique_ptr<unsigned char[]> own;
    unsigned char* pixels = aReused;
    if (!pixels) {
        own = std::make_unique_for_overwrite<unsigned char[]>(stride * info.output_height);
        pixels = own.get();
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {pixels + stride * info.output_scanline};
        jpeg_read_scanlines(&info, rows, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    benchmark::DoNotOptimize(pixels);
}

// A diary of two pages: one without a picture, one with aPicture.
std::unique_ptr<TDiary> PictureDiary(const QByteArray& aPicture)
{
    auto diary = std::make_unique<TDiary>();
    diary->GetDay(EncodeDate(EmptyDay))->Thoughts = u"no picture today"_s;
    diary->GetDay(EncodeDate(PictureDay))->Picture = aPicture;
    return diary;
}

// The picture is decoded for a user who looks at it: the window shows the picture's tab.
class TPictureWindow : public TBenchWindow {
public:
    explicit TPictureWindow(const QByteArray& aPicture) : TBenchWindow(*PictureDiary(aPicture))
    {
        auto* tabs = fForm->findChild<QTabWidget*>(u"PageControlAll"_s);
        QWidget* page = fForm->findChild<QWidget*>(u"TabSheetPicture"_s);
        if (!tabs || !page)
            qFatal("no picture page");
        tabs->setCurrentWidget(page);
    }
};

void BM_ShowDayWithPhoto(benchmark::State& aState)
{
    const QByteArray photo = MakePhoto(4000, 3000);
    DecodeFullSize(photo); // warm up
    const double floor = MedianCpuSeconds([&] { DecodeFullSize(photo); });
    const double wallFloor = MedianSeconds([&] { DecodeFullSize(photo); });
    double warmFloor = 0;
    {
        std::vector<unsigned char> reused(size_t(4000) * 3000 * 4);
        warmFloor = MedianCpuSeconds([&] { DecodeFullSize(photo, reused.data()); });
    }
    const double decodeOnly =
        MedianCpuSeconds([&] { benchmark::DoNotOptimize(TJpegDecoder::Decode(photo, QSize(760, 406))); });
    // The least any scaled decode costs: 1/8, where only the DC coefficients are transformed.
    const double eighth = MedianCpuSeconds([&] { benchmark::DoNotOptimize(TJpegDecoder::Decode(photo, QSize(1, 1))); });

    TPictureWindow window(photo);
    window.Switch(EmptyDay);
    window.Switch(PictureDay); // warm up
    window.Switch(EmptyDay);

    // The memory of one switch, with nothing of the picture held before it.
    const long long before = StartPeak();
    window.Switch(PictureDay);
    const long long peak = gPeak.load() - before;
    window.Switch(EmptyDay);

    double total = 0, wallTotal = 0;
    for (auto _ : aState) {
        double wall = 0;
        const double seconds = CpuSeconds([&] { wall = Seconds([&] { window.Switch(PictureDay); }); });
        aState.SetIterationTime(seconds);
        total += seconds;
        wallTotal += wall;
        window.Switch(EmptyDay);
    }
    const double iterations = double(aState.iterations());
    const TDecodedPicture decoded = TJpegDecoder::Decode(photo, QSize(760, 406));
    const double decodedBytes = double(decoded.Size.width()) * decoded.Size.height() * 4;
    const double bound = 2 * decodedBytes + double(photo.size());
    ReportRatio(aState, total / iterations, floor);
    aState.counters["wall_ratio"] = wallTotal / iterations / wallFloor;
    aState.counters["warm_ratio"] = total / iterations / warmFloor;
    aState.counters["decode_warm_ratio"] = decodeOnly / warmFloor;
    aState.counters["eighth_warm_ratio"] = eighth / warmFloor;
    aState.counters["file_MB"] = double(photo.size()) / 1e6;
    aState.counters["peak_MB"] = double(peak) / 1e6;
    aState.counters["mem_ratio"] = double(peak) / bound;
}
} // namespace

BENCHMARK(BM_ShowDayWithPhoto)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

int main(int argc, char** argv)
{
    return RunWindowBenchmarks(argc, argv);
}
