#include "CliMerge.h"

#include "CliSupport.h"

#include "document/DiarySave.h"
#include "model/DiaryFile.h"
#include "model/DiaryMerge.h"
#include "util/Errors.h"
#include "util/RegionalSettings.h"

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

QString ConflictValue(const QString& aValue)
{
    constexpr qsizetype limit = 60;
    QString text = OneLine(aValue);
    text.replace(u'\t', u' ');
    if (text.size() > limit)
        text = text.left(limit - 1) + u'…';
    return text;
}

QString MergeKindName(TMergeKind aKind)
{
    switch (aKind) {
    case TMergeKind::Text:
        return u"text"_s;
    case TMergeKind::Choice:
        return u"choice"_s;
    case TMergeKind::Number:
        return u"number"_s;
    case TMergeKind::Flag:
        return u"flag"_s;
    case TMergeKind::Picture:
        return u"picture"_s;
    case TMergeKind::Entry:
        return u"entry"_s;
    case TMergeKind::Day:
        return u"day"_s;
    }
    return QString();
}

// What --keep-both does with a conflict: "both" for texts, "kept" for an entry or a day, "ours"
// for the rest.
QString KeepBothOutcome(const TMergeConflict& aConflict)
{
    if (!aConflict.CanKeepBoth())
        return u"ours"_s;
    return aConflict.Kind == TMergeKind::Text ? u"both"_s : u"kept"_s;
}

} // namespace

int Merge(const QStringList& aArgs)
{
    QStringList positional;
    bool keepBoth = false;
    std::optional<QString> output;
    for (qsizetype i = 0; i < aArgs.size(); ++i) {
        const QString& arg = aArgs.at(i);
        if (arg == u"--keep-both"_s) {
            keepBoth = true;
        } else if (arg == u"-o"_s || arg == u"--output"_s) {
            if (output || i + 1 >= aArgs.size())
                UsageError(u"-o needs one file name."_s);
            output = aArgs.at(++i);
        } else if (arg.startsWith(u'-') && arg.size() > 1) {
            UsageError(u"Unknown option '"_s + arg + u"'."_s);
        } else {
            positional << arg;
        }
    }
    if (positional.size() != 3)
        UsageError(u"merge needs BASE, OURS and THEIRS."_s);
    if (!output)
        UsageError(u"merge needs -o OUT."_s);

    const TOpenedDiary base = LoadDiaryWithKey(positional.at(0));
    const TOpenedDiary ours = LoadDiaryWithKey(positional.at(1));
    const TOpenedDiary theirs = LoadDiaryWithKey(positional.at(2));

    TMergeOptions options;
    options.DecimalSeparator = TRegionalSettings::System().DecimalSeparator();
    TMergeResult merged = MergeDiaries(*base.Diary, *ours.Diary, *theirs.Diary, options);
    if (keepBoth && !merged.Conflicts.empty()) {
        options.Picks = KeepBothPicks(merged.Conflicts);
        merged = MergeDiaries(*base.Diary, *ours.Diary, *theirs.Diary, options);
    }

    QString list;
    for (const TMergeConflict& conflict : merged.Conflicts)
        list += TKSDateUtils::ToYearMonthDayStr(conflict.Date) + u'\t' + conflict.Section + u'\t' +
                (conflict.Field.isEmpty() ? u"-"_s : conflict.Field) + u'\t' + MergeKindName(conflict.Kind) + u'\t' +
                KeepBothOutcome(conflict) + u'\t' + ConflictValue(conflict.Ours) + u'\t' +
                ConflictValue(conflict.Theirs) + u'\n';
    Print(stdout, list);
    if (merged.Open() > 0 || (!keepBoth && !merged.Conflicts.empty())) {
        Print(stderr, *output + u" was not written: "_s + QString::number(merged.Conflicts.size()) +
                          (merged.Conflicts.size() == 1 ? u" conflict"_s : u" conflicts"_s) +
                          u" (listed); --keep-both writes it with the outcome shown.\n"_s);
        return kExitConflicts;
    }

    // Whatever was encrypted stays encrypted: OUT takes the key of the first encrypted one of OURS,
    // THEIRS and BASE, so that no text of an encrypted diary lands in a plain file.
    const TDiaryKey* key = nullptr;
    for (const TOpenedDiary* opened : {&ours, &theirs, &base})
        if (!key && opened->Key)
            key = &*opened->Key;
    try {
        SaveDiaryWithBackup(*merged.Diary, *output, {}, {}, key);
    } catch (const EKestrovaError& e) {
        Fail(*output, e.Message());
    }
    return kExitDone;
}

int Diff(const QStringList& aArgs)
{
    if (aArgs.size() != 2)
        UsageError(u"diff needs A and B."_s);
    const auto a = LoadDiary(aArgs.at(0));
    const auto b = LoadDiary(aArgs.at(1));
    const auto changeName = [](TChange aChange) { return aChange == TChange::Added ? u"added"_s : u"removed"_s; };
    QString text;
    for (const TDayDiff& day : DiffDiaries(*a, *b)) {
        const QString date = TKSDateUtils::ToYearMonthDayStr(day.Date) + u'\t';
        if (day.Change != TChange::Changed) {
            text += date + u"Day\t"_s + changeName(day.Change) + u'\n';
            continue;
        }
        for (const TFieldChange& field : day.Fields)
            text += date + field.Section + u'\t' +
                    (field.Change == TChange::Changed ? field.Field : changeName(field.Change)) + u'\n';
    }
    Print(stdout, text);
    return kExitDone;
}
