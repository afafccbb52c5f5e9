#pragma once

#include <QByteArray>

class TKSByteUtils {
public:
    TKSByteUtils() = delete;
    // Same length and same bytes; an empty array equals only an empty one.
    static bool SameByteArray(const QByteArray& aA, const QByteArray& aB) { return aA == aB; }
};
