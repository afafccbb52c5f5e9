// The day switch as the user sees it, on each tab page in turn, with the 10-year diary open: a key
// in the date picker (a step to the next or the previous day) until the window is painted again,
// against painting the same page again with nothing changed, in the same run (target: at most 2x
// on the Thoughts, Tasks and Health pages). The health and weather pages show their charts, the
// health chart all three times of day. On the picture page the switch goes onto today, whose page
// holds a 3000 x 2000 photo, from yesterday, which holds another photo, so that every switch
// decodes; its floor is decoding that photo at the drawn size alone (target: at most 1.3x).
// Reports "ratio" (the median switch over the floor's median) and the floor.
#include "BenchMain.h"
#include "BenchTiming.h"
#include "BenchWindow.h"
#include "DiaryGenerator.h"

#include "ui/UnitMainForm.h"
#include "util/JpegDecoder.h"
#include "util/ksDateUtils.h"

#include <benchmark/benchmark.h>

#include <string>
#include <utility>

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QKeyEvent>
#include <QTabWidget>

#include <algorithm>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// Two neighbouring pages from the middle of the ten years.
constexpr int kMiddle = 1825;

class TPageWindow : public TBenchWindow {
public:
    TPageWindow(const TDiary& aDiary, const QString& aPage) : TBenchWindow(aDiary)
    {
        fForm->resize(788, 560);
        auto* tabs = fForm->findChild<QTabWidget*>(u"PageControlAll"_s);
        QWidget* page = fForm->findChild<QWidget*>(aPage);
        if (!tabs || !page)
            qFatal("no page %s", qPrintable(aPage));
        tabs->setCurrentWidget(page);
        // The pages with a chart show it.
        for (const QString& inner : {u"PageControlHealth"_s, u"PageControlWeather"_s})
            if (auto* charts = page->findChild<QTabWidget*>(inner))
                charts->setCurrentIndex(1);
        if (auto* all = page->findChild<QAbstractButton*>(u"RadioGroupChartTypeAll"_s))
            all->click();
        fPicker->setFocus();
        Settle();
        // The arrow keys step the day, whatever the order of the date format's sections.
        fPicker->setCurrentSection(QDateTimeEdit::DaySection);
    }

    // Every posted event handled (layouts, the charts' scenes), then the window painted.
    void Paint()
    {
        QCoreApplication::sendPostedEvents();
        fForm->repaint();
    }

    // One key in the date picker: a day forward or back, until the window is painted.
    void Step(bool aForward, const QDate& aExpected)
    {
        QKeyEvent press(QEvent::KeyPress, aForward ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, press.key(), Qt::NoModifier);
        QApplication::sendEvent(fPicker, &press);
        QApplication::sendEvent(fPicker, &release);
        Paint();
        if (DateOfDateTime(fForm->Day()->Date) != aExpected)
            qFatal("the key did not switch the day: %s shown, %s in the picker, section %d, %s expected",
                   qPrintable(DateOfDateTime(fForm->Day()->Date).toString()), qPrintable(fPicker->date().toString()),
                   int(fPicker->currentSection()), qPrintable(aExpected.toString()));
    }

    QSize Box() const { return fForm->findChild<QWidget*>(u"ImageOfTheDay"_s)->size(); }

    void Settle()
    {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
            Paint();
        }
    }
};

double Median(std::vector<double> aValues)
{
    std::sort(aValues.begin(), aValues.end());
    return aValues[aValues.size() / 2];
}

// The switch between two days on aPage, every switch timed; reported against the repaint of the
// page with nothing changed.
void SwitchOnPage(benchmark::State& aState, const QString& aPage)
{
    const std::unique_ptr<TDiary> diary = MakeTenYearDiary();
    const QDate first = DateOfDateTime(diary->DB[kMiddle]->Date);
    const QDate second = first.addDays(1);
    TPageWindow window(*diary, aPage);
    window.Switch(first);
    window.Settle();
    for (int i = 0; i < 4; ++i) { // warm up
        window.Step(true, second);
        window.Step(false, first);
    }
    std::vector<double> floors;
    for (int i = 0; i < 21; ++i)
        floors.push_back(Seconds([&] { window.Paint(); }));

    std::vector<double> switches;
    bool forward = true;
    for (auto _ : aState) {
        const double seconds = Seconds([&] { window.Step(forward, forward ? second : first); });
        forward = !forward;
        aState.SetIterationTime(seconds);
        switches.push_back(seconds);
        floors.push_back(Seconds([&] { window.Paint(); }));
    }
    ReportRatio(aState, Median(switches), Median(floors));
}

void BM_SwitchKeyToPainted(benchmark::State& aState, const char* aPage)
{
    SwitchOnPage(aState, QString::fromLatin1(aPage));
}

// Onto today's photo from yesterday's other photo, the picture tab shown.
void BM_SwitchOntoThePhoto(benchmark::State& aState)
{
    const std::unique_ptr<TDiary> diary = MakeTenYearDiary();
    const QByteArray photo = diary->DB.back()->Picture;
    diary->DB[diary->DB.size() - 2]->Picture = MakePhoto(2000, 3000);
    const QDate today = DateOfDateTime(diary->DB.back()->Date);
    const QDate yesterday = today.addDays(-1);
    TPageWindow window(*diary, u"TabSheetPicture"_s);
    const QSize box = window.Box();
    window.Step(false, yesterday);
    window.Step(true, today); // warm up

    std::vector<double> decodes;
    std::vector<double> decodesAndScales;
    for (int i = 0; i < 7; ++i) {
        decodes.push_back(Seconds([&] { benchmark::DoNotOptimize(TJpegDecoder::Decode(photo, box)); }));
        decodesAndScales.push_back(Seconds([&] {
            TDecodedPicture decoded = TJpegDecoder::Decode(photo, box);
            const QImage image(reinterpret_cast<const uchar*>(decoded.Pixels.get()), decoded.Size.width(),
                               decoded.Size.height(), decoded.Size.width() * 4, QImage::Format_RGB32);
            benchmark::DoNotOptimize(image.scaled(TJpegDecoder::DrawnSize(decoded.SourceSize, box),
                                                  Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }));
    }
    std::vector<double> switches;
    for (auto _ : aState) {
        window.Step(false, yesterday);
        const double seconds = Seconds([&] { window.Step(true, today); });
        aState.SetIterationTime(seconds);
        switches.push_back(seconds);
        decodes.push_back(Seconds([&] { benchmark::DoNotOptimize(TJpegDecoder::Decode(photo, box)); }));
    }
    ReportRatio(aState, Median(switches), Median(decodes));
    aState.counters["ratio_to_decode_and_scale"] = Median(switches) / Median(decodesAndScales);
}

} // namespace

// Each tab page, named as the figures name it.
const bool PagesRegistered = [] {
    const std::pair<const char*, const char*> pages[] = {
        {"Tasks", "TabSheetTasks"},          {"Conversations", "TabSheetConversations"},
        {"Shopping", "TabSheetShopping"},    {"Meals", "TabSheetMeals"},
        {"HealthChart", "TabSheetHealth"},   {"WeatherChart", "TabSheetWeather"},
        {"Thoughts", "TabSheetThoughts"},    {"PictureNone", "TabSheetPicture"}};
    for (const auto& [label, page] : pages)
        benchmark::RegisterBenchmark((std::string("BM_SwitchKeyToPainted/") + label).c_str(), BM_SwitchKeyToPainted,
                                     page)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(40);
    return true;
}();
BENCHMARK(BM_SwitchOntoThePhoto)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv)
{
    return RunWindowBenchmarks(argc, argv);
}
