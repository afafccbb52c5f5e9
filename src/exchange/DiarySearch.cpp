#include "exchange/DiarySearch.h"

#include <QChar>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype kContextBefore = 30;
constexpr qsizetype kSnippetLength = 100;

bool IsWordCharacter(char32_t aCodePoint)
{
    return QChar::isLetterOrNumber(aCodePoint) || QChar::isMark(aCodePoint) ||
           QChar::category(aCodePoint) == QChar::Punctuation_Connector;
}

char32_t CodePointBefore(QStringView aText, qsizetype aPosition)
{
    const QChar last = aText[aPosition - 1];
    if (last.isLowSurrogate() && aPosition >= 2 && aText[aPosition - 2].isHighSurrogate())
        return QChar::surrogateToUcs4(aText[aPosition - 2], last);
    return last.unicode();
}

char32_t CodePointAt(QStringView aText, qsizetype aPosition)
{
    const QChar first = aText[aPosition];
    if (first.isHighSurrogate() && aPosition + 1 < aText.size() && aText[aPosition + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(first, aText[aPosition + 1]);
    return first.unicode();
}

// A cut never falls between the two halves of a surrogate pair.
qsizetype BackToCodePoint(QStringView aText, qsizetype aPosition)
{
    if (aPosition > 0 && aPosition < aText.size() && aText[aPosition].isLowSurrogate() &&
        aText[aPosition - 1].isHighSurrogate())
        return aPosition - 1;
    return aPosition;
}

QString Snippet(QStringView aText, qsizetype aPosition, qsizetype aLength)
{
    const qsizetype from = BackToCodePoint(aText, std::max<qsizetype>(0, aPosition - kContextBefore));
    const qsizetype to =
        BackToCodePoint(aText, std::min(aText.size(), std::max(aPosition + aLength, from + kSnippetLength)));
    // A common word gives a hit in nearly every text: the line is written in place, not appended
    // character by character.
    QString line(to - from + 2, Qt::Uninitialized);
    QChar* out = line.data();
    if (from > 0)
        *out++ = u'…';
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = aText[i];
        if (c == u'\r' && i + 1 < to && aText[i + 1] == u'\n')
            continue; // CR LF is one break, one blank
        const bool breaksTheLine =
            c.unicode() < 32 || c.unicode() == 127 || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
        *out++ = breaksTheLine ? QChar(u' ') : c;
    }
    if (to < aText.size())
        *out++ = u'…';
    line.truncate(out - line.constData());
    return line;
}

class TSearcher {
public:
    TSearcher(QStringView aQuery, TSearchOptions aOptions, std::vector<TSearchHit>& aHits)
        : fQuery(aQuery), fOptions(aOptions), fHits(aHits)
    {
    }

    void Search(const TDay& aDay)
    {
        fDate = aDay.Date;
        for (const auto& task : aDay.Tasks) {
            Text(task->Task, TSearchSection::Task, task->ID);
            Text(task->Notes, TSearchSection::TaskNotes, task->ID);
        }
        Text(aDay.WhatHappenedAdditionalyToTheTasks, TSearchSection::WhatHappened);
        for (const auto& conversation : aDay.Conversations) {
            Text(conversation->Title, TSearchSection::ConversationTitle, conversation->ID);
            Text(conversation->Conversation, TSearchSection::Conversation, conversation->ID);
        }
        for (const auto& shopping : aDay.Shoppings) {
            Text(shopping->Shop, TSearchSection::Shop, shopping->ID);
            Text(shopping->ShoppingList, TSearchSection::ShoppingList, shopping->ID);
        }
        Text(aDay.Breakfast, TSearchSection::Breakfast);
        Text(aDay.Lunch, TSearchSection::Lunch);
        Text(aDay.Brunch, TSearchSection::Brunch);
        Text(aDay.TeeCoffeeTime, TSearchSection::TeeCoffeeTime);
        Text(aDay.Dinner, TSearchSection::Dinner);
        Text(aDay.HealthCondition, TSearchSection::HealthCondition);
        Text(aDay.WeatherWindDirection, TSearchSection::WindDirection);
        Text(aDay.WeatherMoonPhase, TSearchSection::MoonPhase);
        Text(aDay.Weather, TSearchSection::Weather);
        Text(aDay.Thoughts, TSearchSection::Thoughts);
    }

private:
    void Text(const QString& aText, TSearchSection aSection, qint64 aEntryID = 0)
    {
        const qsizetype position = FindInText(aText, fQuery, fOptions);
        if (position < 0)
            return;
        fHits.push_back(
            TSearchHit{fDate, aSection, aEntryID, position, fQuery.size(), Snippet(aText, position, fQuery.size())});
    }

    QStringView fQuery;
    TSearchOptions fOptions;
    std::vector<TSearchHit>& fHits;
    TDateTime fDate = 0.0;
};

} // namespace

QString SearchSectionName(TSearchSection aSection)
{
    switch (aSection) {
    case TSearchSection::Task:
        return u"Task"_s;
    case TSearchSection::TaskNotes:
        return u"Task notes"_s;
    case TSearchSection::WhatHappened:
        return u"What else happened"_s;
    case TSearchSection::ConversationTitle:
        return u"Conversation title"_s;
    case TSearchSection::Conversation:
        return u"Conversation"_s;
    case TSearchSection::Shop:
        return u"Shop"_s;
    case TSearchSection::ShoppingList:
        return u"Shopping list"_s;
    case TSearchSection::Breakfast:
        return u"Breakfast"_s;
    case TSearchSection::Lunch:
        return u"Lunch"_s;
    case TSearchSection::Brunch:
        return u"Brunch"_s;
    case TSearchSection::TeeCoffeeTime:
        return u"Afternoon snack/Tee"_s;
    case TSearchSection::Dinner:
        return u"Dinner"_s;
    case TSearchSection::HealthCondition:
        return u"Health condition"_s;
    case TSearchSection::WindDirection:
        return u"Wind direction"_s;
    case TSearchSection::MoonPhase:
        return u"Moon phase"_s;
    case TSearchSection::Weather:
        return u"Weather condition"_s;
    case TSearchSection::Thoughts:
        return u"Thoughts"_s;
    }
    return QString();
}

bool IsEntrySection(TSearchSection aSection)
{
    switch (aSection) {
    case TSearchSection::Task:
    case TSearchSection::TaskNotes:
    case TSearchSection::ConversationTitle:
    case TSearchSection::Conversation:
    case TSearchSection::Shop:
    case TSearchSection::ShoppingList:
        return true;
    default:
        return false;
    }
}

qsizetype FindInText(QStringView aText, QStringView aQuery, TSearchOptions aOptions)
{
    if (aQuery.isEmpty())
        return -1;
    // Qt's case-insensitive search folds both sides character by character, surrogate pairs
    // included, without copying either text: one pass, as fast as a folded copy would be to make.
    const Qt::CaseSensitivity cs = aOptions.MatchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const bool wordAtStart = aOptions.WholeWords && IsWordCharacter(CodePointAt(aQuery, 0));
    const bool wordAtEnd = aOptions.WholeWords && IsWordCharacter(CodePointBefore(aQuery, aQuery.size()));
    for (qsizetype position = aText.indexOf(aQuery, 0, cs); position >= 0;
         position = aText.indexOf(aQuery, position + 1, cs)) {
        const qsizetype end = position + aQuery.size();
        if (wordAtStart && position > 0 && IsWordCharacter(CodePointBefore(aText, position)))
            continue;
        if (wordAtEnd && end < aText.size() && IsWordCharacter(CodePointAt(aText, end)))
            continue;
        return position;
    }
    return -1;
}

std::vector<TSearchHit> SearchDiary(const TDiary& aDiary, QStringView aQuery, TSearchOptions aOptions)
{
    std::vector<TSearchHit> hits;
    if (aQuery.isEmpty())
        return hits;
    // The file reader keeps the file's order, which need not be the calendar's.
    std::vector<const TDay*> days;
    days.reserve(aDiary.DB.size());
    for (const auto& day : aDiary.DB)
        days.push_back(day.get());
    std::stable_sort(days.begin(), days.end(),
                     [](const TDay* aA, const TDay* aB) { return DatePart(aA->Date) > DatePart(aB->Date); });

    TSearcher searcher(aQuery, aOptions, hits);
    for (const TDay* day : days)
        searcher.Search(*day);
    return hits;
}
