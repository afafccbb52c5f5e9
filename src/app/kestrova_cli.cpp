// kestrova-cli: the diary's conversions, exports and the task import without a window. It links
// the core only, so it runs where no display exists, and it uses the same code as the window, so
// its files are byte for byte those the program writes.

#include "CliMerge.h"
#include "CliSupport.h"

#include "document/DiarySave.h"
#include "exchange/DiarySearch.h"
#include "exchange/ExportWriter.h"
#include "exchange/HealthSummary.h"
#include "exchange/HealthValuesExport.h"
#include "exchange/MonthExport.h"
#include "exchange/TaskImport.h"
#include "model/DiaryCrypto.h"
#include "model/DiaryFile.h"
#include "model/DiaryMerge.h"
#include "util/Errors.h"
#include "util/FileAccess.h"
#include "util/RegionalSettings.h"
#include "util/ksDateUtils.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {


const QString kVersion = u"1.30.1.67"_s;

const QString kUsage = u"Usage:\n"
                       "  kestrova-cli convert DIARY OUT\n"
                       "      Read DIARY (file version 1 to 10) and write it to OUT as version 10.\n"
                       "  kestrova-cli export-text DIARY YYYY-MM OUT\n"
                       "      Write the month's pages as readable text to exactly OUT.\n"
                       "  kestrova-cli export-health DIARY YYYY-MM OUT\n"
                       "      Write the month's health readings as a semicolon-separated file to exactly OUT.\n"
                       "  kestrova-cli import-tasks DIARY CSV [--end-only] [--output OUT]\n"
                       "      Add the tasks of CSV to the diary. With --end-only the rows are ordered by their end\n"
                       "      time of day and each task starts at it. The diary is written to OUT, or without\n"
                       "      --output saved back to DIARY with a dated backup beside it.\n"
                       "  kestrova-cli info DIARY\n"
                       "      Print a short summary of DIARY.\n"
                       "  kestrova-cli search DIARY QUERY [--case] [--words]\n"
                       "      Print one line \"YYYY-MM-DD<TAB>section<TAB>snippet\" for every text of DIARY that\n"
                       "      holds QUERY, newest first. Case is ignored unless --case is given; with --words a\n"
                       "      match may not be part of a longer word. After -- every argument is taken as text.\n"
                       "      Finding nothing is no failure.\n"
                       "  kestrova-cli health-summary DIARY FROM TO [--csv]\n"
                       "      Print the health readings of the days FROM to TO (YYYY-MM-DD, both included) summed\n"
                       "      up: per reading and time of day the days entered (0 counts as not entered), minimum,\n"
                       "      maximum and mean with the dates of the extremes, blood pressure as pairs, the days of\n"
                       "      the arrhythmia symbol and the health condition notes. With --csv as semicolon-separated\n"
                       "      lines under a fixed header.\n"
                       "  kestrova-cli encrypt DIARY OUT\n"
                       "      Write DIARY to OUT encrypted with a new password (asked twice on the terminal).\n"
                       "  kestrova-cli decrypt DIARY OUT\n"
                       "      Write the encrypted DIARY to OUT as a plain diary file.\n"
                       "  kestrova-cli merge BASE OURS THEIRS -o OUT [--keep-both]\n"
                       "      Join the changes OURS and THEIRS made to BASE, the version both started from, and\n"
                       "      save the result as OUT (with a dated backup of an OUT that exists). Where both\n"
                       "      changed a value differently, one line is printed for each such conflict:\n"
                       "      \"YYYY-MM-DD<TAB>section<TAB>field<TAB>kind<TAB>outcome<TAB>ours<TAB>theirs\".\n"
                       "      Conflicts leave OUT unwritten (exit status 3) unless --keep-both is given, which\n"
                       "      keeps both texts (ours, a line \"----- changed elsewhere -----\", theirs), keeps an\n"
                       "      entry or a day that one side deleted and the other changed, and takes ours for\n"
                       "      choices, numbers, flags and pictures; the outcome column says which.\n"
                       "  kestrova-cli diff A B\n"
                       "      Print what B changed against A: \"YYYY-MM-DD<TAB>section<TAB>field\" for every changed\n"
                       "      value, \"added\" or \"removed\" in place of the field for a whole day or entry.\n"
                       "  kestrova-cli --help | --version\n"
                       "\n"
                       "Every command reads encrypted diaries too; their password is typed on the terminal without\n"
                       "echo, or read from the first line of a file given with --password-file FILE (anywhere on\n"
                       "the command line). convert, import-tasks and merge keep an encrypted diary encrypted.\n"
                       "\n"
                       "Exit status: 0 done, 1 failed (nothing written), 2 usage error, 3 merge conflicts left\n"
                       "(nothing written).\n"
                       "Numbers and times follow LC_ALL, LC_NUMERIC, LC_TIME and LANG.\n"_s;

struct TMonth {
    quint16 Year = 0;
    quint8 Month = 0;
};

TMonth ParseMonth(const QString& aText)
{
    static const QRegularExpression pattern(u"^([0-9]{4})-([0-9]{2})$"_s);
    const QRegularExpressionMatch match = pattern.match(aText);
    if (match.hasMatch()) {
        const int year = match.captured(1).toInt();
        const int month = match.captured(2).toInt();
        if (year >= 1 && month >= 1 && month <= 12)
            return TMonth{quint16(year), quint8(month)};
    }
    UsageError(u"'"_s + aText + u"' is not a month of the form YYYY-MM (month 01 to 12)."_s);
}

QDate ParseDate(const QString& aText)
{
    static const QRegularExpression pattern(u"^([0-9]{4})-([0-9]{2})-([0-9]{2})$"_s);
    const QRegularExpressionMatch match = pattern.match(aText);
    if (match.hasMatch()) {
        const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
        if (date.isValid() && date.year() >= 1)
            return date;
    }
    UsageError(u"'"_s + aText + u"' is not a date of the form YYYY-MM-DD."_s);
}

int Convert(const QStringList& aArgs)
{
    if (aArgs.size() != 2)
        UsageError(u"convert needs DIARY and OUT."_s);
    const QString& out = aArgs.at(1);
    const TOpenedDiary opened = LoadDiaryWithKey(aArgs.at(0));
    try {
        WriteDiaryFile(*opened.Diary, out, {}, {}, opened.Key ? &*opened.Key : nullptr);
    } catch (const EKestrovaError& e) {
        Fail(out, e.Message());
    }
    return kExitDone;
}

// encrypt and decrypt write OUT as every save does, through a temporary file and one rename.
int Encrypt(const QStringList& aArgs)
{
    if (aArgs.size() != 2)
        UsageError(u"encrypt needs DIARY and OUT."_s);
    const QString& out = aArgs.at(1);
    const TOpenedDiary opened = LoadDiaryWithKey(aArgs.at(0));
    if (opened.Key)
        Fail(aArgs.at(0), aArgs.at(0) + u" is encrypted already."_s);
    try {
        const TDiaryKey key = TDiaryKey::Derive(Passwords().NewPassword(out), TKeyDerivation::New());
        WriteDiaryFile(*opened.Diary, out, {}, {}, &key);
    } catch (const EKestrovaError& e) {
        Fail(out, e.Message());
    }
    return kExitDone;
}

int Decrypt(const QStringList& aArgs)
{
    if (aArgs.size() != 2)
        UsageError(u"decrypt needs DIARY and OUT."_s);
    const QString& out = aArgs.at(1);
    const TOpenedDiary opened = LoadDiaryWithKey(aArgs.at(0));
    if (!opened.Key)
        Fail(aArgs.at(0), aArgs.at(0) + u" is not encrypted."_s);
    try {
        WriteDiaryFile(*opened.Diary, out);
    } catch (const EKestrovaError& e) {
        Fail(out, e.Message());
    }
    return kExitDone;
}

enum class TExportKind { Text, Health };

int Export(TExportKind aKind, const QStringList& aArgs)
{
    if (aArgs.size() != 3)
        UsageError((aKind == TExportKind::Text ? u"export-text"_s : u"export-health"_s) +
                   u" needs DIARY, YYYY-MM and OUT."_s);
    const TMonth month = ParseMonth(aArgs.at(1));
    const QString& out = aArgs.at(2);
    const auto diary = LoadDiary(aArgs.at(0));
    const TRegionalSettings settings = TRegionalSettings::System();

    std::vector<TDay*> days;
    SearchActualMonth(*diary, days, month.Year, month.Month);
    try {
        WriteExportFile(out, [&](QIODevice& aDevice) {
            if (aKind == TExportKind::Text)
                WriteMonthText(aDevice, days, settings);
            else
                WriteHealthValuesCsv(aDevice, days, settings);
        });
    } catch (const EKestrovaError& e) {
        Fail(out, e.Message());
    }
    return kExitDone;
}

int ImportTasks(const QStringList& aArgs)
{
    QStringList positional;
    bool endOnly = false;
    std::optional<QString> output;
    for (qsizetype i = 0; i < aArgs.size(); ++i) {
        const QString& arg = aArgs.at(i);
        if (arg == u"--end-only"_s) {
            endOnly = true;
        } else if (arg == u"--output"_s) {
            if (output || i + 1 >= aArgs.size())
                UsageError(u"--output needs one file name."_s);
            output = aArgs.at(++i);
        } else if (arg.startsWith(u"--"_s)) {
            UsageError(u"Unknown option '"_s + arg + u"'."_s);
        } else {
            positional << arg;
        }
    }
    if (positional.size() != 2)
        UsageError(u"import-tasks needs DIARY and CSV."_s);
    const QString& diaryName = positional.at(0);
    const QString& csvName = positional.at(1);

    const TOpenedDiary opened = LoadDiaryWithKey(diaryName);
    const auto& diary = opened.Diary;
    try {
        ImportTasksFromFile(*diary, csvName, endOnly);
    } catch (const EKestrovaError& e) {
        Fail(csvName, e.Message());
    }

    const QString target = output.value_or(diaryName);
    try {
        // An encrypted diary stays encrypted, under the key it was read with.
        const TDiaryKey* key = opened.Key ? &*opened.Key : nullptr;
        if (output)
            WriteDiaryFile(*diary, target, {}, {}, key);
        else
            SaveDiaryWithBackup(*diary, target, {}, {}, key);
    } catch (const EKestrovaError& e) {
        Fail(target, e.Message());
    }
    return kExitDone;
}

int Info(const QStringList& aArgs)
{
    if (aArgs.size() != 1)
        UsageError(u"info needs DIARY."_s);
    const QString& name = aArgs.at(0);
    const auto diary = LoadDiary(name);

    qsizetype filled = 0, tasks = 0, conversations = 0, shoppings = 0, pictures = 0;
    std::optional<qint64> first, last;
    for (const auto& day : diary->DB) {
        if (IsFilledDay(*day))
            ++filled;
        tasks += qsizetype(day->Tasks.size());
        conversations += qsizetype(day->Conversations.size());
        shoppings += qsizetype(day->Shoppings.size());
        if (!day->Picture.isEmpty())
            ++pictures;
        // The file keeps its own order; first and last mean the calendar.
        const qint64 date = DatePart(day->Date);
        first = first ? std::min(*first, date) : date;
        last = last ? std::max(*last, date) : date;
    }
    const auto dateText = [](const std::optional<qint64>& aDate) {
        return aDate ? TKSDateUtils::ToYearMonthDayStr(TDateTime(*aDate)) : u"none"_s;
    };

    QString text;
    QTextStream out(&text);
    out << "File: " << name << '\n'
        << "Version read: " << diary->Version << '\n'
        << "Notice: " << OneLine(diary->Copyright) << '\n'
        << "Days: " << diary->DB.size() << '\n'
        << "Filled days: " << filled << '\n'
        << "First date: " << dateText(first) << '\n'
        << "Last date: " << dateText(last) << '\n'
        << "Tasks: " << tasks << '\n'
        << "Conversations: " << conversations << '\n'
        << "Shopping trips: " << shoppings << '\n'
        << "Pictures: " << pictures << '\n';
    out.flush();
    Print(stdout, text);
    return kExitDone;
}

int Search(const QStringList& aArgs)
{
    QStringList positional;
    TSearchOptions options;
    bool optionsEnded = false;
    for (const QString& arg : aArgs) {
        if (optionsEnded || !arg.startsWith(u"--"_s))
            positional << arg;
        else if (arg == u"--"_s)
            optionsEnded = true;
        else if (arg == u"--case"_s)
            options.MatchCase = true;
        else if (arg == u"--words"_s)
            options.WholeWords = true;
        else
            UsageError(u"Unknown option '"_s + arg + u"'."_s);
    }
    if (positional.size() != 2)
        UsageError(u"search needs DIARY and QUERY."_s);
    if (positional.at(1).isEmpty())
        UsageError(u"search needs a QUERY that is not empty."_s);

    const auto diary = LoadDiary(positional.at(0));
    QString text;
    for (const TSearchHit& hit : SearchDiary(*diary, positional.at(1), options))
        text += TKSDateUtils::ToYearMonthDayStr(hit.Date) + u'\t' + SearchSectionName(hit.Section) + u'\t' +
                hit.Snippet + u'\n';
    Print(stdout, text);
    return kExitDone;
}

int HealthSummary(const QStringList& aArgs)
{
    QStringList positional;
    bool csv = false;
    for (const QString& arg : aArgs) {
        if (arg == u"--csv"_s)
            csv = true;
        else if (arg.startsWith(u"--"_s))
            UsageError(u"Unknown option '"_s + arg + u"'."_s);
        else
            positional << arg;
    }
    if (positional.size() != 3)
        UsageError(u"health-summary needs DIARY, FROM and TO."_s);
    const QDate from = ParseDate(positional.at(1));
    const QDate to = ParseDate(positional.at(2));
    if (to < from)
        UsageError(u"health-summary needs a FROM that is not after TO."_s);

    const auto diary = LoadDiary(positional.at(0));
    const TRegionalSettings settings = TRegionalSettings::System();
    const THealthSummary summary = SummarizeHealth(*diary, from, to);
    Print(stdout, csv ? HealthSummaryCsv(summary, settings) : HealthSummaryText(summary, settings));
    return kExitDone;
}

// One value of a conflict on its line: on one line, without the tabs that part the columns, and
// short enough to read beside the other.
int Run(const QStringList& aArgs)
{
    if (aArgs.isEmpty())
        UsageError(u"No command given."_s);
    const QString& command = aArgs.first();
    if (command == u"--help"_s || command == u"-h"_s) {
        Print(stdout, kUsage);
        return kExitDone;
    }
    if (command == u"--version"_s) {
        Print(stdout, u"kestrova-cli "_s + kVersion + u'\n');
        return kExitDone;
    }

    // --password-file FILE may stand anywhere; it is no argument of the command itself.
    QStringList rest;
    QString passwordFile;
    for (qsizetype i = 1; i < aArgs.size(); ++i) {
        if (aArgs.at(i) == u"--"_s) { // what follows is text (search), taken as it stands
            rest << aArgs.mid(i);
            break;
        }
        if (aArgs.at(i) == u"--password-file"_s) {
            if (!passwordFile.isEmpty() || i + 1 >= aArgs.size())
                UsageError(u"--password-file needs one file name."_s);
            passwordFile = aArgs.at(++i);
        } else {
            rest << aArgs.at(i);
        }
    }
    Passwords() = TCliPasswords(passwordFile);
    // Only import-tasks, search, health-summary and merge have options; elsewhere an argument that
    // looks like one is a mistake rather than a file name.
    if (command != u"import-tasks"_s && command != u"search"_s && command != u"health-summary"_s &&
        command != u"merge"_s) {
        for (const QString& arg : rest)
            if (arg.startsWith(u"--"_s))
                UsageError(u"Unknown option '"_s + arg + u"'."_s);
    }

    if (command == u"convert"_s)
        return Convert(rest);
    if (command == u"export-text"_s)
        return Export(TExportKind::Text, rest);
    if (command == u"export-health"_s)
        return Export(TExportKind::Health, rest);
    if (command == u"import-tasks"_s)
        return ImportTasks(rest);
    if (command == u"info"_s)
        return Info(rest);
    if (command == u"search"_s)
        return Search(rest);
    if (command == u"health-summary"_s)
        return HealthSummary(rest);
    if (command == u"encrypt"_s)
        return Encrypt(rest);
    if (command == u"decrypt"_s)
        return Decrypt(rest);
    if (command == u"merge"_s)
        return Merge(rest);
    if (command == u"diff"_s)
        return Diff(rest);
    UsageError(u"Unknown command '"_s + command + u"'."_s);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"kestrova-cli"_s);
    QCoreApplication::setApplicationVersion(kVersion);

    try {
        return Run(QCoreApplication::arguments().mid(1));
    } catch (const TUsageError& e) {
        Print(stderr, u"kestrova-cli: "_s + e.Reason + u"\n\n"_s + kUsage);
        return kExitUsage;
    } catch (const TFailure& e) {
        const QString reason = OneLine(e.Reason);
        // The program's own texts name the file already; other reasons get it in front.
        const QString line = reason.contains(e.FileName) ? reason : e.FileName + u": "_s + reason;
        Print(stderr, line + u'\n');
        return kExitFailed;
    } catch (const std::exception& e) {
        Print(stderr, u"kestrova-cli: "_s + QString::fromUtf8(e.what()) + u'\n');
        return kExitFailed;
    }
}
