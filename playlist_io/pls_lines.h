#pragma once
#include <QByteArrayView>

// The key of a PLS line ("File3=/m/a.mp3", "Title3=…", "NumberOfEntries=2"),
// found on the bytes: the key is what comes before the first "=", blanks
// around it dropped, in any letter case.
struct PlsKey {
    bool numbered = false;   // letters, then digits: File3, Title3, Length3
    bool isFile = false;     // File<digits>: the line gives an entry
    bool isCount = false;    // NumberOfEntries
    QByteArrayView letters;  // the key's letters
    qsizetype digitsAt = 0;  // numbered: where the digits lie in the line
    qsizetype digitsEnd = 0;
    int number = -1;         // numbered: their value (-1 past nine digits)
    qsizetype valueAt = 0;   // after the first "="
};

inline PlsKey plsKey(QByteArrayView line)
{
    PlsKey key;
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return key;
    key.valueAt = eq + 1;
    qsizetype from = 0, to = eq;
    while (from < to && (line[from] == ' ' || line[from] == '\t'))
        ++from;
    while (to > from && (line[to - 1] == ' ' || line[to - 1] == '\t'))
        --to;
    qsizetype digits = from;
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    while (digits < to && isLetter(line[digits]))
        ++digits;
    key.letters = line.sliced(from, digits - from);
    if (key.letters.size() == 15 && qstrnicmp(key.letters.data(), "NumberOfEntries", 15) == 0 && digits == to) {
        key.isCount = true;
        return key;
    }
    if (digits == from || digits == to)
        return key;
    qint64 number = 0;
    for (qsizetype i = digits; i < to; ++i) {
        if (line[i] < '0' || line[i] > '9')
            return key;
        if (number >= 0)
            number = number * 10 + (line[i] - '0');
        if (number > 999999999)
            number = -1;
    }
    key.numbered = true;
    key.digitsAt = digits;
    key.digitsEnd = to;
    key.number = int(number);
    key.isFile = key.letters.size() == 4 && qstrnicmp(key.letters.data(), "file", 4) == 0;
    return key;
}
