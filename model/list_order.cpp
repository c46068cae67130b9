#include "model/list_order.h"

#include <QCollator>
#include <QCollatorSortKey>

#include <algorithm>
#include <iterator>
#include <numeric>
#include <random>
#include <thread>
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

// How much of every text is the same up to a separator: keys of what
// follows order the texts as the whole texts' keys would (the common part
// weighs the same in each), and cost less to make.
qsizetype commonFolderPrefix(const QStringList &texts, QChar separator)
{
    if (texts.isEmpty())
        return 0;
    QStringView common = texts.constFirst();
    for (const QString &text : texts) {
        qsizetype n = 0;
        const qsizetype most = std::min(common.size(), text.size());
        while (n < most && common[n] == text[n])
            ++n;
        common = common.left(n);
        if (common.isEmpty())
            return 0;
    }
    return common.lastIndexOf(separator) + 1;
}

// Each text's key made once, so a sort compares byte strings, not texts. A
// long list is keyed on two threads, each with its own collator; texts met
// again right after (a folder, for each of its files) are keyed once.
std::vector<QCollatorSortKey> sortKeys(const QStringList &texts, QChar separator)
{
    const qsizetype skip = commonFolderPrefix(texts, separator);
    const auto keyRange = [&texts, skip](qsizetype from, qsizetype to) {
        const QCollator collator = naturalCollator();
        std::vector<QCollatorSortKey> keys;
        keys.reserve(size_t(to - from));
        const QString *last = nullptr;
        for (qsizetype i = from; i < to; ++i) {
            const QString &text = texts.at(i);
            if (last && *last == text)
                keys.push_back(keys.back());
            else
                keys.push_back(collator.sortKey(text.mid(skip)));
            last = &text;
        }
        return keys;
    };
    const qsizetype half = texts.size() / 2;
    if (half < 10000 || std::thread::hardware_concurrency() < 2)
        return keyRange(0, texts.size());
    std::vector<QCollatorSortKey> second;
    std::thread other([&] { second = keyRange(half, texts.size()); });
    std::vector<QCollatorSortKey> keys = keyRange(0, half);
    other.join();
    std::move(second.begin(), second.end(), std::back_inserter(keys));
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
        // A shuffle that gives the same order back would look like nothing
        // happened; a list of two or more always changes.
        std::mt19937 random(seed);
        const QList<int> unchanged = positions;
        do
            std::shuffle(positions.begin(), positions.end(), random);
        while (positions.size() > 1 && positions == unchanged);
        return positions;
    }
    case ListOrder::ByPath:
    case ListOrder::ByFileName:
    case ListOrder::ByFolderAndFileName:
        break;
    }
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
    const std::vector<QCollatorSortKey> primary = sortKeys(first, rules.separator);
    const std::vector<QCollatorSortKey> secondary = sortKeys(second, rules.separator);
    std::stable_sort(positions.begin(), positions.end(), [&](int a, int b) {
        const int c = primary[size_t(a)].compare(primary[size_t(b)]);
        if (c != 0 || secondary.empty())
            return c < 0;
        return secondary[size_t(a)].compare(secondary[size_t(b)]) < 0;
    });
    return positions;
}
