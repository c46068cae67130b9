#include "model/entry_find.h"

QStringList findWords(const QString &text)
{
    return text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool entryMatches(const QString &entry, const QStringList &words)
{
    for (const QString &word : words) {
        if (!entry.contains(word, Qt::CaseInsensitive))
            return false;
    }
    return true;
}

int findEntry(const QStringList &entries, const QStringList &words, int from, int step)
{
    const int n = int(entries.size());
    if (n == 0 || words.isEmpty())
        return -1;
    from = ((from % n) + n) % n;
    for (int k = 0; k < n; ++k) {
        const int i = ((from + k * step) % n + n) % n;
        if (entryMatches(entries.at(i), words))
            return i;
    }
    return -1;
}
