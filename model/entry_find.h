#pragma once
#include <QStringList>

// The words of a find text: what an entry must hold, each of them somewhere,
// letter case ignored.
QStringList findWords(const QString &text);
bool entryMatches(const QString &entry, const QStringList &words);

// The first entry matching `words` from `from` on, going `step` (1 or -1) and
// wrapping round the list; -1 when none does (or there are no words).
int findEntry(const QStringList &entries, const QStringList &words, int from, int step);
