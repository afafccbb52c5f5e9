#pragma once

// The layout of a day record in the diary file, shared by the reader (DiaryReader.cpp, any version)
// and the writer (DiaryWriter.cpp, the current one) and by nothing else: the rest of the program
// sees the file through DiaryFile.h.

#include "model/Records.h"

#include <type_traits>
#include <vector>

namespace DiaryLayout {

constexpr qint32 CurrentVersion = 10;
constexpr qint32 OldestVersion = 1;

// The layout of a day record. The file format grew field by field over ten versions; this one
// table says where each field sits, from which version on it exists, and how wide it is, and both
// the reader (any version) and the writer (the current one) walk it, so they cannot drift apart.
// The date (always first, and needed to construct the day) is not in the table.

enum class TKind : quint8 {
    Float,         // 8-byte IEEE double
    Flag,          // 1 byte
    Int32,         // 4 bytes
    String,        // LEB128 byte count, then UTF-16LE
    Picture,       // int32 byte count, then the bytes
    LegacyTask,    // the one task text per day of versions before the task list
    Tasks,         // last id, count, entries
    Conversations, // last id (int32 in versions 6 to 8), count, entries
    Shoppings      // last id, count, entries
};

struct TField {
    const char* Name;
    TKind Kind;
    qint32 From = OldestVersion;
    qint32 Until = CurrentVersion;
    qint32 WideIdFrom = 0; // lists: the version from which the last id is int64 rather than int32
    double TDay::*FloatMember = nullptr;
    bool TDay::*FlagMember = nullptr;
    qint32 TDay::*Int32Member = nullptr;
    QString TDay::*StringMember = nullptr;
    qint64 TDay::*IdMember = nullptr;

    bool In(qint32 aVersion) const { return From <= aVersion && aVersion <= Until; }
};

// The day count is int32 before version 6.
qint32 DayCountWidth(qint32 aVersion);

qint64 IdWidth(const TField& aField, qint32 aVersion);

// The fields of one version in file order, with the smallest size a day record of it can have.
struct TVersionLayout {
    std::vector<const TField*> Fields;
    qint64 MinimumDaySize = 8; // the date
};

const TVersionLayout& LayoutOf(qint32 aVersion);

// The entries of the three lists, field by field in file order. One description serves reading
// (aVisit gets references it may assign) and writing (const references).
template <typename TEntry, typename TVisit> void VisitEntry(TEntry& aEntry, TVisit&& aVisit)
{
    aVisit("ID", aEntry.ID);
    aVisit("FromTime", aEntry.FromTime);
    aVisit("ToTime", aEntry.ToTime);
    using TPlain = std::remove_const_t<TEntry>;
    if constexpr (std::is_same_v<TPlain, TTask>) {
        aVisit("Task", aEntry.Task);
        aVisit("Notes", aEntry.Notes);
    } else if constexpr (std::is_same_v<TPlain, TConversation>) {
        aVisit("Title", aEntry.Title);
        aVisit("Conversation", aEntry.Conversation);
    } else {
        aVisit("Shop", aEntry.Shop);
        aVisit("ShoppingList", aEntry.ShoppingList);
        aVisit("TotalPurchaseAmount", aEntry.TotalPurchaseAmount);
    }
}

// The fewest bytes an entry can take: a count that the rest of the file cannot hold at this size
// is corrupt, and is refused before anything is allocated for it.
template <typename TEntry> qint64 MinimumEntrySize()
{
    qint64 size = 0;
    TEntry entry;
    VisitEntry(entry, [&size](const char*, const auto& aValue) {
        using TValue = std::decay_t<decltype(aValue)>;
        size += std::is_same_v<TValue, QString> ? 1 : qint64(sizeof(TValue));
    });
    return size;
}

} // namespace DiaryLayout
