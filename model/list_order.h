#pragma once
#include "model/path_rules.h"

#include <QList>
#include <QStringList>

// The orders the list can be put in once. Names compare in natural order
// ("track 2" before "track 10"), letter case ignored.
enum class ListOrder {
    ByPath,
    ByFileName,
    ByFolderAndFileName,
    Reversed,
    Shuffled,
};

// The new order of `entries`: result[i] is the position of the entry that goes
// to position i. Sorting is stable; `seed` only matters for Shuffled, which
// never gives two or more entries back in their order.
QList<int> listOrder(const QStringList &entries, ListOrder order, const PathRules &rules, quint32 seed = 0);
