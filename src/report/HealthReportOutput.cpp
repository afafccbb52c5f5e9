#include "report/HealthReport.h"

#include "exchange/ExportWriter.h"
#include "util/Errors.h"

#include <QBuffer>
#include <QPageSize>
#include <QPdfWriter>

using namespace Qt::Literals::StringLiterals;

// Where the report goes: a PDF in memory or in a file; a printer in the late library
// (late/ReportPrinting.cpp). The drawing itself is the same for all of them (HealthReport.cpp).

namespace {
constexpr double kMarginMillimetres = 15.0;
} // namespace

QString ProposedHealthReportFileName(const QDate& aFrom, const QDate& aTo)
{
    return TKSDateUtils::ToYearMonthDayStr(EncodeDate(aFrom)) + u'-' +
           TKSDateUtils::ToYearMonthDayStr(EncodeDate(aTo)) + u"-HealthReport.pdf"_s;
}

QPageLayout HealthReportPageLayout(const QLocale& aLocale)
{
    const QPageSize size(aLocale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4);
    return QPageLayout(size, QPageLayout::Portrait,
                       QMarginsF(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres, kMarginMillimetres),
                       QPageLayout::Millimeter);
}

QByteArray HealthReportPdf(const THealthSummary& aSummary, const THealthReportOptions& aOptions,
                           const TRegionalSettings& aSettings, int* aPageCount)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageLayout(HealthReportPageLayout(aSettings.Locale()));
        pdf.setTitle(u"Health report: "_s + aOptions.DiaryName);
        pdf.setCreator(u"Kestrova"_s);
        const int pages = RenderHealthReport(pdf, aSummary, aOptions, aSettings);
        if (aPageCount)
            *aPageCount = pages;
    }
    return buffer.data();
}

int WriteHealthReportPdfFile(const QString& aFileName, const THealthSummary& aSummary,
                             const THealthReportOptions& aOptions, const TRegionalSettings& aSettings)
{
    int pages = 0;
    WriteExportFile(aFileName, [&](QIODevice& aFile) {
        // Drawn into memory and written in one checked piece: the PDF engine's many small writes
        // would each be a system call on the unbuffered file.
        const QByteArray bytes = HealthReportPdf(aSummary, aOptions, aSettings, &pages);
        qsizetype written = 0;
        while (written < bytes.size()) {
            const qint64 n = aFile.write(bytes.constData() + written, bytes.size() - written);
            if (n <= 0)
                throw StreamWriteError();
            written += qsizetype(n);
        }
    });
    return pages;
}
