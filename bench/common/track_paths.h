#pragma once
// The lists the benchmarks open, save and export: many distinct track paths.
#include <QLatin1Char>
#include <QString>
#include <QStringList>

namespace bench {

constexpr int kListEntries = 100000;   // the size of a large list

// `count` distinct paths on `pattern`, whose %1 is the artist (997 of them),
// %2 the album (31) and %3 the track's six-digit number.
inline QStringList trackPaths(int count = kListEntries,
                              const QString &pattern = QStringLiteral(
                                  "/home/user/Music/Artist %1/Album %2/%3 - Track title.mp3"))
{
    QStringList out;
    out.reserve(count);
    for (int i = 0; i < count; ++i)
        out << pattern.arg(i % 997).arg(i % 31).arg(i, 6, 10, QLatin1Char('0'));
    return out;
}

} // namespace bench
