#pragma once

#include "model/Records.h"

#include <QString>
#include <QStringView>

#include <vector>

// Finding text across a whole diary. Only the stored records are searched: what the window shows
// but has not committed yet is not part of the diary.

// Where a text lives: a text of the day or a text of one of its entries. The order is that of the
// window's pages, which is also the order of a day's hits.
enum class TSearchSection {
    Task,
    TaskNotes,
    WhatHappened,
    ConversationTitle,
    Conversation,
    Shop,
    ShoppingList,
    Breakfast,
    Lunch,
    Brunch,
    TeeCoffeeTime,
    Dinner,
    HealthCondition,
    WindDirection,
    MoonPhase,
    Weather,
    Thoughts,
};

// The section as the user reads it, after the captions of the window ("Breakfast", "Task notes").
QString SearchSectionName(TSearchSection aSection);

// True for the sections that belong to a task, a conversation or a shopping trip.
bool IsEntrySection(TSearchSection aSection);

struct TSearchOptions {
    // Off: texts match by Unicode simple case folding, so "ÜBERWEISUNG" finds "Überweisung".
    bool MatchCase = false;
    // On: a match may not continue a word on either side where the query itself begins or ends
    // with a letter, digit, mark or underscore.
    bool WholeWords = false;
};

struct TSearchHit {
    TDateTime Date = 0.0; // the page's date as stored, time of day included
    TSearchSection Section = TSearchSection::Thoughts;
    qint64 EntryID = 0;     // the entry's ID in an entry section, 0 otherwise
    qsizetype Position = 0; // the first match in the text, in UTF-16 code units
    qsizetype Length = 0;
    // One line of the text around the first match: line breaks and tabs become blanks, and "…"
    // marks where the text was cut.
    QString Snippet;
};

// Every text of every page that holds the query, at most one hit per text: pages newest first
// (pages of the same date in their list order), within a page in section order, entries in their
// list order. An empty query finds nothing.
std::vector<TSearchHit> SearchDiary(const TDiary& aDiary, QStringView aQuery, TSearchOptions aOptions);

// The first match of aQuery in aText, or -1.
qsizetype FindInText(QStringView aText, QStringView aQuery, TSearchOptions aOptions);
