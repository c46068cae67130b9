#include "model/media_types.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace MediaTypes {

const QString kAllTypesItem = QStringLiteral("所有音频,视频文件...");

namespace {

// The filter items before the all-types one: each is its own pattern list.
const char *const kItems[] = {
    "*.MP3",
    "*.M3U;*.PLS",
    "*.MID;*.MIDE;*.RMI",
    "*.AVI;*.WMV",
    "*.WAV;*.AU;*.SND",
    "*.DAT;*.OGG",
    "*.MPG;*.MPEG;*.MLV",
    "*.WMA;*.WM;*.ASF",
    "*.WAX;*.ASX",
};

// Every media type, in the order the all-types item lists them; "*.MOV" is in
// no single item.
const QString kAllTypes = QStringLiteral(
    "*.MP3;*.MID;*.AVI;*.WMV;*.MPG;*.MPEG;*.MLV;*.MOV;*.DAT;*.M3U;*.PLS;*.WMA;*.WM;*.ASF;"
    "*.WAV;*.AU;*.SND;*.MIDE;*.RMI;*.WAX;*.ASX;*.OGG");

} // namespace

QStringList filterItems()
{
    QStringList items;
    for (const char *item : kItems)
        items << QString::fromLatin1(item);
    items << kAllTypesItem;
    return items;
}

QString allTypesPattern()
{
    return kAllTypes;
}

QString patternFor(const QString &filterText)
{
    return filterText == kAllTypesItem ? kAllTypes : filterText;
}

} // namespace MediaTypes

WildcardMatch::WildcardMatch(const QString &patterns)
{
    // One expression for all patterns: far cheaper than trying each in turn.
    QStringList alternatives;
    for (const QString &p : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString pattern = p.trimmed();
        if (!pattern.isEmpty())
            alternatives << QRegularExpression::wildcardToRegularExpression(pattern);
    }
    m_expression = alternatives.isEmpty()
        ? QRegularExpression(QStringLiteral("(?!)"))   // matches nothing
        : QRegularExpression(alternatives.join(QLatin1Char('|')), QRegularExpression::CaseInsensitiveOption);
}

bool WildcardMatch::matches(const QString &name) const
{
    return m_expression.match(name).hasMatch();
}

bool listedBefore(const QString &a, const QString &b)
{
    const int folded = a.toCaseFolded().compare(b.toCaseFolded());
    return folded != 0 ? folded < 0 : a < b;
}

void sortAsListed(QStringList &names)
{
    // Each name folded once, not at every comparison.
    std::vector<std::pair<QString, QString>> keyed;
    keyed.reserve(std::size_t(names.size()));
    for (QString &name : names) {
        QString key = name.toCaseFolded();
        keyed.emplace_back(std::move(key), std::move(name));
    }
    std::sort(keyed.begin(), keyed.end());
    for (qsizetype i = 0; i < names.size(); ++i)
        names[i] = std::move(keyed[std::size_t(i)].second);
}

bool hasMp3Extension(const QString &entry, const PathRules &rules)
{
    return rules.GetFileExt(entry).toUpper() == QLatin1String("MP3");
}

bool endsInMp3(const QString &entry)
{
    qsizetype end = entry.size();
    while (end > 0 && entry.at(end - 1) == QLatin1Char(' '))
        --end;
    return end >= 3 && QStringView(entry).mid(end - 3, 3).compare(QLatin1String("MP3"), Qt::CaseInsensitive) == 0;
}
