#include "report/HealthReport.h"

#include "report/HealthReportChart.h"
#include "util/Errors.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <functional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double kChartHeightMillimetres = 68.0;

const QString kPairName = QString::fromUtf16(BloodPressurePairName);
const QString kArrhythmiaName = QString::fromUtf16(HeartArrhythmiaName);

QString DateText(TDateTime aDate)
{
    return TKSDateUtils::ToYearMonthDayStr(aDate);
}

QFont ReportFont(double aPoints, bool aBold = false)
{
    // A font with every glyph a diary may hold; fontconfig stands in a similar one where it is missing.
    QFont font(u"DejaVu Sans"_s);
    // Shaped without ligatures: the PDF's text layer then holds "fi" as two letters, and a search of
    // the report for "first" or "fine" finds them.
    font.setStyleHint(QFont::SansSerif, QFont::PreferNoShaping);
    font.setPointSizeF(aPoints);
    font.setBold(aBold);
    return font;
}

// The lines aText takes when wrapped at aWidth; a line break in the text always starts a new line.
QStringList WrapText(const QString& aText, const QFont& aFont, QPaintDevice* aDevice, double aWidth)
{
    QString text = aText;
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    QStringList lines;
    for (const QString& paragraph : text.split(u'\n')) {
        QTextLayout layout(paragraph, aFont, aDevice);
        layout.beginLayout();
        bool any = false;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(aWidth);
            lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
            any = true;
        }
        layout.endLayout();
        if (!any)
            lines << QString();
    }
    return lines;
}

// A table's columns: where each starts, how wide it is, and whether numbers stand right-aligned.
struct TColumns {
    std::vector<double> Left;
    std::vector<double> Width;
    std::vector<bool> Right;
};

// The report as a flow of blocks laid out on pages before anything is drawn, so that every page
// knows the page count for its footer, a table's header is repeated on each page it continues on,
// and a heading never stands alone at the foot of a page.
class THealthReportWriter {
public:
    THealthReportWriter(QPagedPaintDevice& aDevice, const THealthSummary& aSummary,
                        const THealthReportOptions& aOptions, const TRegionalSettings& aSettings);
    int Render();

private:
    struct TBlock {
        double Height = 0.0;
        double Need = 0.0; // the room that must be left on the page for this block to start there
        bool KeepWithNext = false;
        int Table = -1;           // the table whose header goes first when this block opens a page
        bool TableHeader = false; // the header itself, placed once where the table begins
        std::function<void(QPainter&, double)> Draw;
    };
    struct TPlaced {
        size_t Block;
        double Top;
    };

    double Mm(double aMillimetres) const { return aMillimetres * fMillimetre; }
    void Add(double aHeight, std::function<void(QPainter&, double)> aDraw, bool aKeepWithNext = false);
    void AddSpace(double aMillimetres);
    void AddText(const QString& aText, const QFont& aFont, bool aKeepWithNext = false);
    void AddHeading(const QString& aText);
    int AddTable(const QStringList& aHeader, const std::vector<double>& aWeights, const std::vector<bool>& aRight);
    void AddRow(int aTable, QStringList aCells, bool aRuleAbove = false);

    void BuildTitle();
    bool BuildSummary();
    void BuildCharts();
    void BuildDailyTable();
    void BuildNotes();
    std::vector<std::vector<TPlaced>> Paginate();
    void DrawRow(QPainter& aPainter, const TColumns& aColumns, double aTop, const QStringList& aCells,
                 const QFont& aFont) const;
    void DrawPageFrame(QPainter& aPainter, int aPage, int aPageCount) const;
    bool Chosen(THealthReading aReading) const { return fOptions.Readings[size_t(aReading)]; }
    bool PairsChosen() const
    {
        return Chosen(THealthReading::BloodPressureSys) && Chosen(THealthReading::BloodPressureDia);
    }

    QPagedPaintDevice& fDevice;
    const THealthSummary& fSummary;
    const THealthReportOptions& fOptions;
    const TRegionalSettings& fSettings;
    double fMillimetre;
    double fPageWidth;
    double fPageHeight;
    QFont fTitleFont, fHeadingFont, fBodyFont, fTableFont, fTableBoldFont, fSmallFont;
    double fRowHeight;
    double fHeaderHeight; // the running header of the pages after the first
    double fFooterHeight;
    std::vector<TBlock> fBlocks;
    std::vector<TColumns> fTables;
    std::vector<QStringList> fTableHeaders;
    std::vector<size_t> fTableHeaderBlocks;
};

THealthReportWriter::THealthReportWriter(QPagedPaintDevice& aDevice, const THealthSummary& aSummary,
                                         const THealthReportOptions& aOptions, const TRegionalSettings& aSettings)
    : fDevice(aDevice), fSummary(aSummary), fOptions(aOptions), fSettings(aSettings),
      fMillimetre(aDevice.logicalDpiY() / 25.4), fPageWidth(aDevice.width()), fPageHeight(aDevice.height()),
      fTitleFont(ReportFont(18, true)), fHeadingFont(ReportFont(12, true)), fBodyFont(ReportFont(9.5)),
      fTableFont(ReportFont(8.5)), fTableBoldFont(ReportFont(8.5, true)), fSmallFont(ReportFont(7.5))
{
    fRowHeight = QFontMetricsF(fTableFont, &fDevice).height() * 1.35;
    fHeaderHeight = QFontMetricsF(fSmallFont, &fDevice).height() + Mm(4);
    fFooterHeight = QFontMetricsF(fSmallFont, &fDevice).height() + Mm(4);
}

void THealthReportWriter::Add(double aHeight, std::function<void(QPainter&, double)> aDraw, bool aKeepWithNext)
{
    TBlock block;
    block.Height = aHeight;
    block.Need = aHeight;
    block.KeepWithNext = aKeepWithNext;
    block.Draw = std::move(aDraw);
    fBlocks.push_back(std::move(block));
}

void THealthReportWriter::AddSpace(double aMillimetres)
{
    Add(Mm(aMillimetres), [](QPainter&, double) {});
}

void THealthReportWriter::AddText(const QString& aText, const QFont& aFont, bool aKeepWithNext)
{
    const QFontMetricsF metrics(aFont, &fDevice);
    Add(
        metrics.height() * 1.25,
        [this, aText, aFont, ascent = metrics.ascent()](QPainter& aPainter, double aTop) {
            aPainter.setFont(aFont);
            aPainter.drawText(QPointF(0, aTop + ascent), aText);
        },
        aKeepWithNext);
}

void THealthReportWriter::AddHeading(const QString& aText)
{
    AddSpace(3);
    fBlocks.back().KeepWithNext = true;
    AddText(aText, fHeadingFont, true);
}

int THealthReportWriter::AddTable(const QStringList& aHeader, const std::vector<double>& aWeights,
                                  const std::vector<bool>& aRight)
{
    double total = 0.0;
    for (double weight : aWeights)
        total += weight;
    TColumns columns;
    double left = 0.0;
    for (double weight : aWeights) {
        const double width = fPageWidth * weight / total;
        columns.Left.push_back(left);
        columns.Width.push_back(width);
        left += width;
    }
    columns.Right = aRight;
    const int table = int(fTables.size());
    fTables.push_back(std::move(columns));
    fTableHeaders.push_back(aHeader);
    fTableHeaderBlocks.push_back(fBlocks.size());
    Add(
        fRowHeight,
        [this, table](QPainter& aPainter, double aTop) {
            aPainter.setPen(QPen(Qt::black, Mm(0.3)));
            aPainter.drawLine(QPointF(0, aTop + fRowHeight), QPointF(fPageWidth, aTop + fRowHeight));
            DrawRow(aPainter, fTables[size_t(table)], aTop, fTableHeaders[size_t(table)], fTableBoldFont);
        },
        true);
    fBlocks.back().Table = table;
    fBlocks.back().TableHeader = true;
    return table;
}

void THealthReportWriter::AddRow(int aTable, QStringList aCells, bool aRuleAbove)
{
    Add(fRowHeight, [this, aTable, cells = std::move(aCells), aRuleAbove](QPainter& aPainter, double aTop) {
        if (aRuleAbove) {
            aPainter.setPen(QPen(QColor(160, 160, 160), Mm(0.15)));
            aPainter.drawLine(QPointF(0, aTop), QPointF(fPageWidth, aTop));
        }
        DrawRow(aPainter, fTables[size_t(aTable)], aTop, cells, fTableFont);
    });
    fBlocks.back().Table = aTable;
}

void THealthReportWriter::DrawRow(QPainter& aPainter, const TColumns& aColumns, double aTop, const QStringList& aCells,
                                  const QFont& aFont) const
{
    aPainter.setFont(aFont);
    aPainter.setPen(Qt::black);
    const double pad = Mm(1.2);
    for (qsizetype i = 0; i < aCells.size() && size_t(i) < aColumns.Left.size(); ++i) {
        if (aCells.at(i).isEmpty())
            continue;
        const QRectF cell(aColumns.Left[size_t(i)] + pad, aTop, aColumns.Width[size_t(i)] - 2 * pad, fRowHeight);
        aPainter.drawText(cell, Qt::AlignVCenter | (aColumns.Right[size_t(i)] ? Qt::AlignRight : Qt::AlignLeft),
                          aCells.at(i));
    }
}

void THealthReportWriter::BuildTitle()
{
    AddText(u"Health report"_s, fTitleFont);
    AddText(u"Diary: "_s + fOptions.DiaryName, fBodyFont);
    const int days = fSummary.RangeDays();
    AddText(u"From "_s + DateText(fSummary.From) + u" to "_s + DateText(fSummary.To) + u" ("_s + QString::number(days) +
                (days == 1 ? u" day)"_s : u" days)"_s),
            fBodyFont);
}

bool THealthReportWriter::BuildSummary()
{
    std::vector<QStringList> rows;
    for (THealthReading reading : AllHealthReadings) {
        if (!Chosen(reading))
            continue;
        for (TTimeOfDay time : AllTimesOfDay) {
            const TReadingStatistics& s = fSummary.Statistics(reading, time);
            if (s.DaysEntered > 0)
                rows.push_back({HealthReadingName(reading), TimeOfDayName(time), QString::number(s.DaysEntered),
                                FormatReading(s.Minimum, fSettings), DateText(s.MinimumDate),
                                FormatReading(s.Maximum, fSettings), DateText(s.MaximumDate),
                                FormatMean(s.Mean, fSettings)});
        }
    }
    for (TTimeOfDay time : AllTimesOfDay) {
        const TBloodPressureStatistics& s = fSummary.BloodPressure[size_t(time)];
        if (PairsChosen() && s.DaysEntered > 0)
            rows.push_back({kPairName, TimeOfDayName(time), QString::number(s.DaysEntered),
                            FormatBloodPressurePair(s.Lowest, fSettings), DateText(s.LowestDate),
                            FormatBloodPressurePair(s.Highest, fSettings), DateText(s.HighestDate),
                            FormatBloodPressurePair(s.Mean, fSettings, true)});
    }
    for (TTimeOfDay time : AllTimesOfDay)
        if (fSummary.ArrhythmiaDays[size_t(time)] > 0)
            rows.push_back(
                {kArrhythmiaName, TimeOfDayName(time), QString::number(fSummary.ArrhythmiaDays[size_t(time)])});

    AddHeading(u"Summary"_s);
    if (rows.empty()) {
        AddText(fSummary.Days.empty() ? u"No health readings were entered in this range."_s
                                      : u"None of the chosen readings was entered in this range."_s,
                fBodyFont);
        return false;
    }
    const int table =
        AddTable({u"Reading"_s, u"Time of day"_s, u"Days"_s, u"Minimum"_s, u"on"_s, u"Maximum"_s, u"on"_s, u"Mean"_s},
                 {40, 22, 10, 20, 20, 20, 20, 24}, {false, false, true, true, false, true, false, true});
    for (QStringList& row : rows)
        AddRow(table, std::move(row));
    AddSpace(1.5);
    for (const QString& line :
         WrapText(u"Days: the days on which a value was entered (0 counts as not entered). On: the first date of the "
                  u"minimum or maximum. The mean is rounded to two decimals. Blood pressure pairs rank by the "
                  u"systolic value, then by the diastolic one."_s,
                  fSmallFont, &fDevice, fPageWidth))
        AddText(line, fSmallFont);
    return true;
}

void THealthReportWriter::BuildCharts()
{
    QStringList withoutValues;
    bool headingAdded = false;
    for (THealthReading reading : AllHealthReadings) {
        if (!Chosen(reading))
            continue;
        bool any = false;
        for (TTimeOfDay time : AllTimesOfDay)
            any = any || fSummary.Statistics(reading, time).DaysEntered > 0;
        if (!any) {
            withoutValues << HealthReadingName(reading);
            continue;
        }
        if (!headingAdded) {
            AddHeading(u"Charts"_s);
            headingAdded = true;
        }
        const THealthChartStyle style{ReportFont(9.5, true), ReportFont(7.5), fMillimetre};
        Add(Mm(kChartHeightMillimetres), [this, reading, style](QPainter& aPainter, double aTop) {
            DrawHealthChart(aPainter, QRectF(0, aTop + Mm(2), fPageWidth, Mm(kChartHeightMillimetres - 4)), fSummary,
                            reading, fSettings, style);
        });
    }
    if (!withoutValues.isEmpty()) {
        if (!headingAdded)
            AddHeading(u"Charts"_s);
        AddText(u"No values were entered for: "_s + withoutValues.join(u", "_s) + u'.', fBodyFont);
    }
}

void THealthReportWriter::BuildDailyTable()
{
    AddHeading(u"Daily readings"_s);
    const int table = AddTable({u"Date"_s, u"Reading"_s, u"Morning"_s, u"Afternoon"_s, u"Evening"_s},
                               {20, 38, 22, 22, 22}, {false, false, true, true, true});
    const auto cell = [this](double aValue) {
        return IsEnteredReading(aValue) ? FormatReading(aValue, fSettings) : QString();
    };
    bool first = true;
    for (const THealthDayRow& day : fSummary.Days) {
        std::vector<QStringList> rows;
        for (THealthReading reading : AllHealthReadings) {
            if (!Chosen(reading))
                continue;
            if (PairsChosen() && reading == THealthReading::BloodPressureDia)
                continue;
            if (PairsChosen() && reading == THealthReading::BloodPressureSys) {
                if (!day.HasReading(THealthReading::BloodPressureSys) &&
                    !day.HasReading(THealthReading::BloodPressureDia))
                    continue;
                QStringList row{QString(), kPairName};
                for (TTimeOfDay time : AllTimesOfDay) {
                    const double sys = day.Reading(THealthReading::BloodPressureSys, time);
                    const double dia = day.Reading(THealthReading::BloodPressureDia, time);
                    // Half a pair is shown as such rather than dropped: the doctor sees what was measured.
                    row << (IsEnteredReading(sys) || IsEnteredReading(dia)
                                ? (IsEnteredReading(sys) ? cell(sys) : u"–"_s) + u'/' +
                                      (IsEnteredReading(dia) ? cell(dia) : u"–"_s)
                                : QString());
                }
                rows.push_back(row);
                continue;
            }
            if (!day.HasReading(reading))
                continue;
            QStringList row{QString(), HealthReadingName(reading)};
            for (TTimeOfDay time : AllTimesOfDay)
                row << cell(day.Reading(reading, time));
            rows.push_back(row);
        }
        if (day.HasArrhythmia()) {
            QStringList row{QString(), kArrhythmiaName};
            for (TTimeOfDay time : AllTimesOfDay)
                row << (day.Arrhythmia[size_t(time)] ? u"Yes"_s : QString());
            rows.push_back(row);
        }
        if (rows.empty())
            continue;
        rows.front()[0] = DateText(day.Date);
        // A day's rows stay together on one page.
        const size_t firstBlock = fBlocks.size();
        for (size_t i = 0; i < rows.size(); ++i)
            AddRow(table, std::move(rows[i]), i == 0 && !first);
        fBlocks[firstBlock].Need = fRowHeight * double(rows.size());
        first = false;
    }
}

void THealthReportWriter::BuildNotes()
{
    if (fSummary.HealthConditions.empty())
        return;
    AddHeading(u"Health condition"_s);
    const int table = AddTable({u"Date"_s, u"Note"_s}, {20, 104}, {false, false});
    const TColumns& columns = fTables[size_t(table)];
    const double textWidth = columns.Width[1] - Mm(2.4);
    bool first = true;
    for (const THealthConditionNote& note : fSummary.HealthConditions) {
        // Long notes wrap within their column and may run on over pages, one line at a time.
        const QStringList lines = WrapText(note.Text, fTableFont, &fDevice, textWidth);
        const size_t firstBlock = fBlocks.size();
        for (qsizetype i = 0; i < lines.size(); ++i)
            AddRow(table, {i == 0 ? DateText(note.Date) : QString(), lines.at(i)}, i == 0 && !first);
        // A date is never left alone at the foot of a page.
        fBlocks[firstBlock].Need = fRowHeight * double(std::min<qsizetype>(lines.size(), 2));
        first = false;
    }
}

std::vector<std::vector<THealthReportWriter::TPlaced>> THealthReportWriter::Paginate()
{
    // The room a heading needs includes what it heads.
    for (size_t i = fBlocks.size(); i-- > 0;)
        if (fBlocks[i].KeepWithNext && i + 1 < fBlocks.size())
            fBlocks[i].Need = fBlocks[i].Height + fBlocks[i + 1].Need;

    const double bottom = fPageHeight - fFooterHeight;
    std::vector<std::vector<TPlaced>> pages(1);
    double top = 0.0;
    double y = top;
    for (size_t i = 0; i < fBlocks.size(); ++i) {
        const TBlock& block = fBlocks[i];
        // A block taller than a page starts on a page of its own and is cut at its foot.
        if (y + block.Need > bottom && y > top) {
            pages.emplace_back();
            top = fHeaderHeight;
            y = top;
            if (block.Table >= 0 && !block.TableHeader) {
                const size_t header = fTableHeaderBlocks[size_t(block.Table)];
                pages.back().push_back({header, y});
                y += fBlocks[header].Height;
            }
        }
        pages.back().push_back({i, y});
        y += block.Height;
    }
    return pages;
}

void THealthReportWriter::DrawPageFrame(QPainter& aPainter, int aPage, int aPageCount) const
{
    aPainter.setFont(fSmallFont);
    aPainter.setPen(Qt::black);
    const QFontMetricsF metrics(fSmallFont, &fDevice);
    if (aPage > 0) {
        aPainter.drawText(QPointF(0, metrics.ascent()), u"Health report: "_s + fOptions.DiaryName);
        aPainter.drawText(QRectF(0, 0, fPageWidth, metrics.height()), Qt::AlignRight | Qt::AlignTop,
                          DateText(fSummary.From) + u" to "_s + DateText(fSummary.To));
        aPainter.setPen(QPen(Qt::black, Mm(0.2)));
        aPainter.drawLine(QPointF(0, metrics.height() + Mm(1)), QPointF(fPageWidth, metrics.height() + Mm(1)));
        aPainter.setPen(Qt::black);
    }
    const double baseline = fPageHeight - metrics.descent();
    aPainter.drawText(QPointF(0, baseline), u"Created on "_s + fOptions.CreatedOn.toString(u"yyyy-MM-dd"_s));
    const QString page = u"Page %1 of %2"_s.arg(aPage + 1).arg(aPageCount);
    aPainter.drawText(QPointF(fPageWidth - metrics.horizontalAdvance(page), baseline), page);
}

int THealthReportWriter::Render()
{
    BuildTitle();
    if (BuildSummary()) {
        BuildCharts();
        BuildDailyTable();
    }
    BuildNotes();
    const auto pages = Paginate();

    QPainter painter;
    if (!painter.begin(&fDevice))
        throw EKestrovaError(u"The health report could not be printed."_s);
    const double clipBottom = fPageHeight - fFooterHeight;
    for (size_t page = 0; page < pages.size(); ++page) {
        if (page > 0 && !fDevice.newPage()) {
            painter.end();
            throw EKestrovaError(u"The health report could not be printed."_s);
        }
        DrawPageFrame(painter, int(page), int(pages.size()));
        painter.setClipRect(QRectF(0, 0, fPageWidth, clipBottom));
        for (const TPlaced& placed : pages[page])
            fBlocks[placed.Block].Draw(painter, placed.Top);
        painter.setClipping(false);
    }
    if (!painter.end())
        throw EKestrovaError(u"The health report could not be printed."_s);
    return int(pages.size());
}

} // namespace

int RenderHealthReport(QPagedPaintDevice& aDevice, const THealthSummary& aSummary, const THealthReportOptions& aOptions,
                       const TRegionalSettings& aSettings)
{
    THealthReportWriter writer(aDevice, aSummary, aOptions, aSettings);
    return writer.Render();
}
