#pragma once

#include "model/Records.h"

#include <type_traits>

// The values of the item lists' entries and the three lists of a day, walked by member so that one
// walk serves any number of records at once: copying and comparing entries (two), merging them
// (three). As DayFields does for the day's own values, this is the one place that names them; a
// value added to an entry is added here and to the file format.

enum class TEntryFieldKind {
    ID,     // the entry's number within its list, from the day's counter
    Time,   // a time of day (the fraction of a date-time)
    Text,   // a text the user writes
    Amount, // the amount spent on a shopping trip
};

struct TEntryField {
    const char* Name; // the member's name
    TEntryFieldKind Kind;
};

// Calls aVisit(field, member) for every value of a TEntry, in the file's order.
template <typename TEntry, typename TVisit> void ForEachEntryMember(TVisit&& aVisit)
{
    using K = TEntryFieldKind;
    aVisit(TEntryField{"ID", K::ID}, &TEntry::ID);
    aVisit(TEntryField{"FromTime", K::Time}, &TEntry::FromTime);
    aVisit(TEntryField{"ToTime", K::Time}, &TEntry::ToTime);
    if constexpr (std::is_same_v<TEntry, TTask>) {
        aVisit(TEntryField{"Task", K::Text}, &TTask::Task);
        aVisit(TEntryField{"Notes", K::Text}, &TTask::Notes);
    } else if constexpr (std::is_same_v<TEntry, TConversation>) {
        aVisit(TEntryField{"Title", K::Text}, &TConversation::Title);
        aVisit(TEntryField{"Conversation", K::Text}, &TConversation::Conversation);
    } else {
        static_assert(std::is_same_v<TEntry, TShopping>);
        aVisit(TEntryField{"Shop", K::Text}, &TShopping::Shop);
        aVisit(TEntryField{"ShoppingList", K::Text}, &TShopping::ShoppingList);
        aVisit(TEntryField{"TotalPurchaseAmount", K::Amount}, &TShopping::TotalPurchaseAmount);
    }
}

// One of a day's item lists with the counter its ids come from.
struct TEntryList {
    const char* Name;      // the list's member: "Tasks"
    const char* EntryName; // one entry as the user reads it: "Task", "Conversation", "Shopping trip"
};

// Calls aVisit(list, list member, counter member) for the three lists of a day, in the file's order.
template <typename TVisit> void ForEachEntryList(TVisit&& aVisit)
{
    aVisit(TEntryList{"Tasks", "Task"}, &TDay::Tasks, &TDay::LastTaskID);
    aVisit(TEntryList{"Conversations", "Conversation"}, &TDay::Conversations, &TDay::LastConversationID);
    aVisit(TEntryList{"Shoppings", "Shopping trip"}, &TDay::Shoppings, &TDay::LastShoppingID);
}
