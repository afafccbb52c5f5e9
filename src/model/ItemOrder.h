#pragma once

#include "model/Records.h"

#include <QString>

// The order of a day's three item lists, which the lists keep in the day itself, so the file holds
// the entries as the user last saw them: the from time first, then the to time, then the text, and
// for shopping trips last the amount. Each compare is negative when a comes before b.

// A time as the lists order it: its time of day, rounded to the millisecond and then cut to the
// whole second, so two times the list shows alike never differ in order. A value that is no
// number counts as midnight, as the time pickers show it.
int SortSecond(TTime aTime);

// By UTF-16 code unit, case-sensitive and without regard to the locale; a proper prefix first.
int CompareOrdinal(const QString& aA, const QString& aB);

// Amounts in ascending order; a value that is no number sorts after every number, so the order
// stays a strict one whatever a file holds.
int CompareAmounts(double aA, double aB);

int CompareTasks(const TTask& aA, const TTask& aB);
int CompareConversations(const TConversation& aA, const TConversation& aB);
int CompareShoppings(const TShopping& aA, const TShopping& aB);

// Sorts a day's list in place. Entries equal on every key keep their relative order, so an entry
// does not jump between refills while the user types.
void SortEntries(TOwningList<TTask>& aTasks);
void SortEntries(TOwningList<TConversation>& aConversations);
void SortEntries(TOwningList<TShopping>& aShoppings);
