#pragma once
#include "list_state.h"

#include <QStringList>

#include <memory>

// Lists are written as strings of one-letter entries: "ABCD".
QStringList letters(const QString &list);
QString joined(const ListState &m);

// A loaded list state holding `list`, insert mode `after`, selection `sel`.
std::unique_ptr<ListState> makeState(const QString &list, int sel, bool after = true,
                                     PathRules rules = PathRules::windows());

// Runs ";"-separated steps: del clear up down top bottom undo after before
// label9 release name drag:O:T sel:I add:X all:x,y,z
void run(ListState &m, const QString &steps);

// Mirrors entriesChanged onto a copy of the list, as a list view would; a
// change that does not fit makes `rows` differ. Counts changes and resets.
struct ShadowList {
    explicit ShadowList(ListState &m);
    QStringList rows;
    int signals_ = 0;
    int resets = 0;
};
