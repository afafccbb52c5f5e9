#pragma once

#include <QStringList>

// kestrova-cli merge BASE OURS THEIRS -o OUT [--keep-both] and diff A B.
int Merge(const QStringList& aArgs);
int Diff(const QStringList& aArgs);
