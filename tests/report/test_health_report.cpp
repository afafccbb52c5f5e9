// The printed health report, drawn offscreen into a PDF and read back with the poppler tools a
// reader of the file would use: its text must be there as text, its pages counted and numbered,
// its tables continued over pages, and its pages must show something when rendered.

#include "late/ReportPrinting.h"
#include "report/HealthReport.h"
#include "util/Errors.h"

#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

const QDate kCreatedOn(2026, 12, 10);

TDay& AddDay(TDiary& aDiary, const QDate& aDate)
{
    aDiary.DB.push_back(std::make_unique<TDay>(EncodeDate(aDate) + 0.25));
    return *aDiary.DB.back();
}

// March 2026: readings on most days, a day with the arrhythmia symbol, a note, and pages just
// outside the month that must not show.
std::unique_ptr<TDiary> MarchDiary()
{
    auto diary = std::make_unique<TDiary>();
    AddDay(*diary, QDate(2026, 2, 28)).PulseAtMorning = 199;
    for (int d = 1; d <= 31; ++d) {
        if (d % 7 == 3)
            continue; // some days without a page
        TDay& day = AddDay(*diary, QDate(2026, 3, d));
        day.TemperatureAtMorning = 36.0 + (d % 10) / 10.0;
        day.PulseAtMorning = 60 + d;
        day.PulseAtEvening = 70 + d % 5;
        day.BloodPressureSysAtMorning = 120 + d % 9;
        day.BloodPressureDiaAtMorning = 80 + d % 4;
        day.GlucoseLevelAtLunch = 5.4;
    }
    TDay& day = AddDay(*diary, QDate(2026, 3, 3));
    day.HeartArrhythmiaSymbolAppearsAtEvening = true;
    day.HealthCondition = u"Headache after the walk"_s;
    AddDay(*diary, QDate(2026, 4, 1)).PulseAtMorning = 198;
    return diary;
}

// Ten years of every reading each day, generated the same on every run, with the arrhythmia
// symbol now and then and one note long enough to run over more than a page.
std::unique_ptr<TDiary> TenYearDiary(const QDate& aFirst, int aDays)
{
    auto diary = std::make_unique<TDiary>();
    quint32 state = 2026;
    const auto next = [&state](int aSpread) {
        state = state * 1664525u + 1013904223u;
        return int((state >> 8) % quint32(aSpread));
    };
    for (int i = 0; i < aDays; ++i) {
        TDay& day = AddDay(*diary, aFirst.addDays(i));
        for (double* value : {&day.PulseAtMorning, &day.PulseAtLunch, &day.PulseAtEvening})
            *value = 55 + next(40);
        for (double* value : {&day.BloodPressureSysAtMorning, &day.BloodPressureSysAtEvening})
            *value = 110 + next(45);
        for (double* value : {&day.BloodPressureDiaAtMorning, &day.BloodPressureDiaAtEvening})
            *value = 65 + next(30);
        day.WeightAtMorning = 80 + next(60) / 10.0;
        day.HeartArrhythmiaSymbolAppearsAtMorning = next(30) == 0;
    }
    QStringList lines;
    for (int i = 0; i < 150; ++i)
        lines << u"Line %1 of a long note on how the day went."_s.arg(i + 1);
    diary->DB[100]->HealthCondition = lines.join(u'\n');
    return diary;
}

struct TToolRun {
    bool Ok = false;
    QByteArray Out;
};

TToolRun RunTool(const QString& aProgram, const QStringList& aArgs)
{
    QProcess process;
    process.start(aProgram, aArgs);
    TToolRun run;
    run.Ok = process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    run.Out = process.readAllStandardOutput();
    return run;
}

} // namespace

class TestHealthReport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void pdfHoldsTheReportAsText_data();
    void pdfHoldsTheReportAsText();
    void aRangeWithoutReadingsSaysSo();
    void tenYearsSplitTheTablesOverPages();
    void valuesOfADamagedFileStillGiveAReport();
    void pagesAreNotBlankWhenRendered();
    void printerGetsTheSamePages();
    void aFileThatCannotBeCreatedIsReported();

private:
    // The text of the PDF, pages separated by form feeds as pdftotext writes them.
    QString PdfText(const QString& aFile);
    int PdfPages(const QString& aFile);
    QString WritePdf(const QByteArray& aBytes);

    QString fPdfToText, fPdfInfo, fPdfToPpm;
    std::unique_ptr<QTemporaryDir> fDir;
};

void TestHealthReport::initTestCase()
{
    fPdfToText = QStandardPaths::findExecutable(u"pdftotext"_s);
    fPdfInfo = QStandardPaths::findExecutable(u"pdfinfo"_s);
    fPdfToPpm = QStandardPaths::findExecutable(u"pdftoppm"_s);
}

void TestHealthReport::init()
{
    // The set-up installs poppler-utils; only a machine without it may skip.
    if (fPdfToText.isEmpty() || fPdfInfo.isEmpty() || fPdfToPpm.isEmpty())
        QSKIP("poppler-utils (pdftotext, pdfinfo, pdftoppm) is not installed");
    fDir = std::make_unique<QTemporaryDir>();
    QVERIFY(fDir->isValid());
}

void TestHealthReport::cleanup()
{
    fDir.reset();
}

QString TestHealthReport::PdfText(const QString& aFile)
{
    const TToolRun run = RunTool(fPdfToText, {u"-layout"_s, aFile, u"-"_s});
    if (!run.Ok)
        return u"<pdftotext failed>"_s;
    return QString::fromUtf8(run.Out);
}

int TestHealthReport::PdfPages(const QString& aFile)
{
    const TToolRun run = RunTool(fPdfInfo, {aFile});
    const QRegularExpressionMatch match =
        QRegularExpression(u"^Pages:\\s+(\\d+)$"_s, QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(run.Out));
    return run.Ok && match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString TestHealthReport::WritePdf(const QByteArray& aBytes)
{
    const QString path = fDir->filePath(u"report.pdf"_s);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(aBytes) != aBytes.size())
        return QString();
    return path;
}

void TestHealthReport::pdfHoldsTheReportAsText_data()
{
    QTest::addColumn<QString>("locale"); // empty: the test settings with a decimal comma
    QTest::addColumn<QString>("pageSize");
    QTest::addColumn<QStringList>("texts");

    const QStringList common{
        u"Health report"_s,         u"Diary: March.Kestrova"_s,   u"From 2026-03-01 to 2026-03-31 (31 days)"_s,
        u"Created on 2026-12-10"_s, u"Headache after the walk"_s, u"Heart arrhythmia symbol"_s};
    QTest::newRow("C, A4") << u"C"_s << u"(A4)"_s
                           << common + QStringList{u"36.9"_s, u"5.4"_s, u"Blood pressure Sys/Dia"_s, u"128/80"_s};
    QTest::newRow("decimal comma") << QString() << u"(A4)"_s << common + QStringList{u"36,9"_s, u"5,4"_s};
    QTest::newRow("en_US, Letter") << u"en_US"_s << u"(letter)"_s << common + QStringList{u"36.9"_s};
}

void TestHealthReport::pdfHoldsTheReportAsText()
{
    QFETCH(QString, locale);
    QFETCH(QString, pageSize);
    QFETCH(QStringList, texts);

    const TRegionalSettings settings =
        locale.isEmpty() ? TRegionalSettings::WithSeparator(u',') : TRegionalSettings::FromLocale(QLocale(locale));
    const THealthSummary summary = SummarizeHealth(*MarchDiary(), QDate(2026, 3, 1), QDate(2026, 3, 31));
    THealthReportOptions options;
    options.DiaryName = u"March.Kestrova"_s;
    options.CreatedOn = kCreatedOn;
    int pages = 0;
    const QString file = WritePdf(HealthReportPdf(summary, options, settings, &pages));
    QVERIFY(!file.isEmpty());

    QCOMPARE(PdfPages(file), pages);
    QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
    const QString text = PdfText(file);
    for (const QString& expected : texts)
        QVERIFY2(text.contains(expected), qPrintable(expected));
    // A day's rows in the daily table: the date on the first, each reading at its times of day.
    QVERIFY2(text.contains(QRegularExpression(u"2026-03-14 +Temperature +36[.,]4\\n +Pulse +74 +74\\n"_s)),
             qPrintable(text));
    QVERIFY(text.contains(u"Page 1 of %1"_s.arg(pages)));
    QVERIFY(text.contains(u"Page %1 of %1"_s.arg(pages)));
    QVERIFY(!text.contains(u"199"_s) && !text.contains(u"198"_s)); // pages outside the range
    // The text layer holds plain letters, so a search for "first" finds it (no "ﬁ" ligature), and the
    // footnote says the whole rule of the pairs.
    QVERIFY2(text.contains(u"first date"_s), qPrintable(text));
    for (const char16_t ligature : {u'\uFB00', u'\uFB01', u'\uFB02', u'\uFB03', u'\uFB04'})
        QVERIFY2(!text.contains(QChar(ligature)), qPrintable(text));
    QVERIFY2(text.simplified().contains(u"systolic value, then by the diastolic one"_s), qPrintable(text));

    const TToolRun info = RunTool(fPdfInfo, {file});
    QVERIFY2(QString::fromUtf8(info.Out).contains(pageSize), info.Out.constData());
}

void TestHealthReport::aRangeWithoutReadingsSaysSo()
{
    const THealthSummary summary = SummarizeHealth(*MarchDiary(), QDate(2026, 5, 1), QDate(2026, 5, 30));
    THealthReportOptions options;
    options.DiaryName = u"March.Kestrova"_s;
    int pages = 0;
    const QString file = WritePdf(HealthReportPdf(summary, options, TRegionalSettings(), &pages));

    QCOMPARE(pages, 1);
    QCOMPARE(PdfPages(file), 1);
    const QString text = PdfText(file);
    QVERIFY2(text.contains(u"No health readings were entered in this range."_s), qPrintable(text));
    QVERIFY(text.contains(u"From 2026-05-01 to 2026-05-30 (30 days)"_s));
    QVERIFY(!text.contains(u"Daily readings"_s) && !text.contains(u"Morning"_s));
}

void TestHealthReport::tenYearsSplitTheTablesOverPages()
{
    const QDate first(2016, 1, 1);
    const int days = 3650;
    const QDate last = first.addDays(days - 1);
    const THealthSummary summary = SummarizeHealth(*TenYearDiary(first, days), first, last);
    THealthReportOptions options;
    options.DiaryName = u"Ten years"_s;
    options.Readings = {false, true, true, true, false, false, false}; // pulse and blood pressure
    int pages = 0;
    const QString file = WritePdf(HealthReportPdf(summary, options, TRegionalSettings(), &pages));

    QCOMPARE(PdfPages(file), pages);
    const QStringList pageTexts = PdfText(file).split(u'\f', Qt::SkipEmptyParts);
    QCOMPARE(pageTexts.size(), pages);

    // Every day is in the daily table: nothing is lost where a page ends.
    const QString all = pageTexts.join(u'\n');
    static const QRegularExpression dayRow(u"^ *(\\d{4}-\\d{2}-\\d{2}) +(Pulse|Blood pressure Sys/Dia) "_s,
                                           QRegularExpression::MultilineOption);
    QSet<QString> dates;
    for (auto it = dayRow.globalMatch(all); it.hasNext();)
        dates.insert(it.next().captured(1));
    QCOMPARE(dates.size(), days);
    QVERIFY(dates.contains(first.toString(Qt::ISODate)) && dates.contains(last.toString(Qt::ISODate)));

    // Each page the daily table runs on repeats its header; the note's table follows it.
    int dailyPages = 0;
    for (qsizetype i = 0; i < pageTexts.size(); ++i) {
        const QString& page = pageTexts.at(i);
        QVERIFY2(page.contains(u"Page %1 of %2"_s.arg(i + 1).arg(pages)), qPrintable(page));
        if (i > 0)
            QVERIFY2(page.contains(u"Health report: Ten years"_s), qPrintable(page));
        if (dayRow.match(page).hasMatch()) {
            ++dailyPages;
            QVERIFY2(page.contains(QRegularExpression(u"Date +Reading +Morning +Afternoon +Evening"_s)),
                     qPrintable(page));
        }
    }
    QVERIFY2(dailyPages > 100, qPrintable(QString::number(dailyPages)));
    QVERIFY(all.contains(u"Line 1 of a long note"_s) && all.contains(u"Line 150 of a long note"_s));
    QVERIFY(pageTexts.constLast().contains(u"Date"_s) && pageTexts.constLast().contains(u"Note"_s));
}

void TestHealthReport::valuesOfADamagedFileStillGiveAReport()
{
    // Readings no device shows, at both ends of the float range: the chart's axis cannot span them.
    auto diary = MarchDiary();
    diary->DB[1]->PulseAtMorning = 1.7e308;
    diary->DB[2]->PulseAtMorning = -1.7e308;
    diary->DB[3]->PulseAtMorning = std::numeric_limits<double>::quiet_NaN();
    const THealthSummary summary = SummarizeHealth(*diary, QDate(2026, 3, 1), QDate(2026, 3, 31));
    THealthReportOptions options;
    int pages = 0;
    const QString file = WritePdf(HealthReportPdf(summary, options, TRegionalSettings(), &pages));

    QCOMPARE(PdfPages(file), pages);
    const QString text = PdfText(file);
    QVERIFY2(text.contains(u"The values are too far apart to be drawn."_s), qPrintable(text));
    QVERIFY(text.contains(u"1.7E308"_s) && text.contains(u"-1.7E308"_s));
}

void TestHealthReport::pagesAreNotBlankWhenRendered()
{
    const THealthSummary summary = SummarizeHealth(*MarchDiary(), QDate(2026, 3, 1), QDate(2026, 3, 31));
    THealthReportOptions options;
    options.DiaryName = u"March.Kestrova"_s;
    int pages = 0;
    const QString file = WritePdf(HealthReportPdf(summary, options, TRegionalSettings(), &pages));
    const QString prefix = fDir->filePath(u"page"_s);
    QVERIFY(RunTool(fPdfToPpm, {u"-r"_s, u"40"_s, u"-png"_s, file, prefix}).Ok);

    const QDir folder(fDir->path());
    const QStringList images = folder.entryList({u"page*.png"_s}, QDir::Files, QDir::Name);
    QCOMPARE(images.size(), pages);
    for (const QString& name : images) {
        const QImage image(folder.filePath(name));
        QVERIFY(!image.isNull());
        qint64 dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 128;
        const double share = double(dark) / (double(image.width()) * image.height());
        // Text and lines, but not a page painted over.
        QVERIFY2(share > 0.002 && share < 0.5, qPrintable(name + u": "_s + QString::number(share)));
    }
}

void TestHealthReport::printerGetsTheSamePages()
{
    const THealthSummary summary = SummarizeHealth(*MarchDiary(), QDate(2026, 3, 1), QDate(2026, 3, 31));
    THealthReportOptions options;
    options.DiaryName = u"March.Kestrova"_s;
    int pdfPages = 0;
    HealthReportPdf(summary, options, TRegionalSettings(), &pdfPages);

    const QString file = fDir->filePath(u"printed.pdf"_s);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageLayout(HealthReportPageLayout(QLocale::c()));
    QCOMPARE(PrintHealthReport(printer, summary, options, TRegionalSettings()), pdfPages);

    QCOMPARE(PdfPages(file), pdfPages);
    QVERIFY(PdfText(file).contains(u"From 2026-03-01 to 2026-03-31"_s));
}

void TestHealthReport::aFileThatCannotBeCreatedIsReported()
{
    const THealthSummary summary = SummarizeHealth(*MarchDiary(), QDate(2026, 3, 1), QDate(2026, 3, 31));
    THealthReportOptions options;
    const QString target = fDir->filePath(u"no such folder/report.pdf"_s);
    try {
        WriteHealthReportPdfFile(target, summary, options, TRegionalSettings());
        QFAIL("no error for a file that cannot be created");
    } catch (const EFileError& error) {
        QVERIFY2(error.Message().startsWith(u"Datei \"%1\" kann nicht erstellt werden. "_s.arg(target)),
                 qPrintable(error.Message()));
    }
    QVERIFY(!QFileInfo::exists(target));

    // An earlier file of that name is replaced by the whole report.
    const QString existing = fDir->filePath(u"existing.pdf"_s);
    QFile old(existing);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    const int pages = WriteHealthReportPdfFile(existing, summary, options, TRegionalSettings());
    QCOMPARE(PdfPages(existing), pages);
}

QTEST_MAIN(TestHealthReport)
#include "test_health_report.moc"
