#include "model/list_order.h"

#include <QCollator>
#include <QCollatorSortKey>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

namespace {
// Natural order needs the collator's numeric mode, which the C locale lacks;
// the Chinese locale also puts Chinese names in pinyin order.
QCollator naturalCollator()
{
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

// The folder part of a path, without the separator before the name.
QString folderOf(const QString &path, const PathRules &rules)
{
    const qsizetype at = path.lastIndexOf(rules.separator);
    return at < 0 ? QString() : path.left(at);
}

// Each entry's key made once, so a sort compares byte strings, not texts.
std::vector<QCollatorSortKey> sortKeys(const QStringList &texts, const QCollator &collator)
{
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(texts.size()));
    for (const QString &text : texts)
        keys.push_back(collator.sortKey(text));
    return keys;
}
} // namespace

QList<int> listOrder(const QStringList &entries, ListOrder order, const PathRules &rules, quint32 seed)
{
    QList<int> positions(entries.size());
    std::iota(positions.begin(), positions.end(), 0);
    switch (order) {
    case ListOrder::Reversed:
        std::reverse(positions.begin(), positions.end());
        return positions;
    case ListOrder::Shuffled: {
        std::mt19937 random(seed);
        std::shuffle(positions.begin(), positions.end(), random);
        return positions;
    }
    case ListOrder::ByPath:
    case ListOrder::ByFileName:
    case ListOrder::ByFolderAndFileName:
        break;
    }
    const QCollator collator = naturalCollator();
    QStringList first, second;
    first.reserve(entries.size());
    for (const QString &path : entries) {
        if (order == ListOrder::ByPath)
            first.append(path);
        else if (order == ListOrder::ByFileName)
            first.append(rules.GetFileName(path));
        else {
            first.append(folderOf(path, rules));
            second.append(rules.GetFileName(path));
        }
    }
    const std::vector<QCollatorSortKey> primary = sortKeys(first, collator);
    const std::vector<QCollatorSortKey> secondary = sortKeys(second, collator);
    std::stable_sort(positions.begin(), positions.end(), [&](int a, int b) {
        const int c = primary[size_t(a)].compare(primary[size_t(b)]);
        if (c != 0 || secondary.empty())
            return c < 0;
        return secondary[size_t(a)].compare(secondary[size_t(b)]) < 0;
    });
    return positions;
}
