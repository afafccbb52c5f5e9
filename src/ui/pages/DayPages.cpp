#include "ui/pages/DayPages.h"

#include "exchange/DiarySearch.h"

#include <QTabWidget>

using namespace Qt::Literals::StringLiterals;

void TDayPages::Create(QTabWidget& aTabs, const TRegionalSettings& aSettings, TDialogs& aDialogs)
{
    fInTabOrder.clear();
    const auto add = [this, &aTabs](auto* aPage, const QString& aName, const QString& aCaption) {
        aPage->setObjectName(aName);
        aTabs.addTab(aPage, aCaption);
        fInTabOrder.push_back(aPage);
        return aPage;
    };
    Tasks = add(new TTasksPage(aSettings, &aTabs), u"TabSheetTasks"_s, u"&Tasks"_s);
    Conversations = add(new TConversationsPage(aSettings, &aTabs), u"TabSheetConversations"_s, u"&Conversations"_s);
    Shopping = add(new TShoppingPage(aSettings, &aTabs), u"TabSheetShopping"_s, u"Sh&opping"_s);
    Meals = add(new TMealsPage(aSettings, &aTabs), u"TabSheetMeals"_s, u"&Meals"_s);
    Health = add(new THealthPage(aSettings, &aTabs), u"TabSheetHealth"_s, u"&Health"_s);
    Weather = add(new TWeatherPage(aSettings, &aTabs), u"TabSheetWeather"_s, u"&Weather"_s);
    Thoughts = add(new TThoughtsPage(aSettings, &aTabs), u"TabSheetThoughts"_s, u"Th&oughts"_s);
    Picture = add(new TPicturePage(aSettings, aDialogs, &aTabs), u"TabSheetPicture"_s, u"&Picture of the day"_s);
    // The pages with fields in the order of the day's fields, the picture, then the pages whose
    // only part is their entries.
    fInCommitOrder = {Tasks, Meals, Health, Weather, Thoughts, Picture, Conversations, Shopping};
}

bool TDayPages::BuildNext()
{
    for (TDayPage* page : fInTabOrder) {
        if (!page->IsBuilt()) {
            page->EnsureBuilt();
            return true;
        }
    }
    return false;
}

// A page that has not shown the day yet holds nothing of it: the walks below pass it by, and the
// day keeps what it holds for that page.

void TDayPages::ShowDay(TDay& aDay)
{
    for (TDayPage* page : fInCommitOrder)
        page->ShowDayWhenSeen(aDay);
}

void TDayPages::CatchUp()
{
    for (TDayPage* page : fInCommitOrder)
        page->CatchUp();
}

void TDayPages::StoreInto(TDay& aDay)
{
    for (TDayPage* page : fInCommitOrder)
        if (page->HoldsDayShown())
            page->StoreInto(aDay);
    if (Tasks->HoldsDayShown())
        Tasks->StoreEntry();
    if (Conversations->HoldsDayShown())
        Conversations->StoreEntry();
    if (Shopping->HoldsDayShown())
        Shopping->StoreEntry();
}

bool TDayPages::HasChanged(const TDay& aDay) const
{
    for (const TDayPage* page : fInCommitOrder) {
        if (page->HoldsDayShown() && page->HasChanged(aDay))
            return true;
    }
    return (Tasks->HoldsDayShown() && Tasks->EntryChanged()) ||
           (Conversations->HoldsDayShown() && Conversations->EntryChanged()) ||
           (Shopping->HoldsDayShown() && Shopping->EntryChanged());
}

void TDayPages::CopyInto(TDay& aCopy, const TDay& aShown) const
{
    for (const TDayPage* page : fInCommitOrder)
        if (page->HoldsDayShown())
            page->CopyInto(aCopy);
    if (Tasks->HoldsDayShown())
        Tasks->CopyEntryInto(aCopy, aShown);
    if (Conversations->HoldsDayShown())
        Conversations->CopyEntryInto(aCopy, aShown);
    if (Shopping->HoldsDayShown())
        Shopping->CopyEntryInto(aCopy, aShown);
}

void TDayPages::FillEmptyNumberEdits()
{
    for (TDayPage* page : fInCommitOrder)
        if (page->HoldsDayShown())
            page->FillEmptyNumberEdits();
}

TDayPages::TFailingEdit TDayPages::FirstNumberEditThatDoesNotConvert() const
{
    for (TDayPage* page : fInCommitOrder) {
        if (!page->HoldsDayShown())
            continue;
        if (TNumberEdit* edit = page->FirstNumberEditThatDoesNotConvert())
            return {page, edit};
    }
    return {};
}

void TDayPages::ForgetEntries()
{
    for (TDayPage* page : fInCommitOrder)
        page->DropDayToShow();
    Tasks->ForgetEntry();
    Conversations->ForgetEntry();
    Shopping->ForgetEntry();
}

void TDayPages::ShowFirstTabs()
{
    Health->ShowFirstTab();
    Weather->ShowFirstTab();
}

TDayPage* TDayPages::PageOf(TSearchSection aSection) const
{
    switch (aSection) {
    case TSearchSection::Task:
    case TSearchSection::TaskNotes:
    case TSearchSection::WhatHappened:
        return Tasks;
    case TSearchSection::ConversationTitle:
    case TSearchSection::Conversation:
        return Conversations;
    case TSearchSection::Shop:
    case TSearchSection::ShoppingList:
        return Shopping;
    case TSearchSection::Breakfast:
    case TSearchSection::Lunch:
    case TSearchSection::Brunch:
    case TSearchSection::TeeCoffeeTime:
    case TSearchSection::Dinner:
        return Meals;
    case TSearchSection::HealthCondition:
        return Health;
    case TSearchSection::WindDirection:
    case TSearchSection::MoonPhase:
    case TSearchSection::Weather:
        return Weather;
    case TSearchSection::Thoughts:
        return Thoughts;
    }
    return nullptr;
}
