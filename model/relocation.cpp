#include "model/relocation.h"

Relocation relocateByName(const QStringList &entries, const QList<int> &missing, const QStringList &files,
                          const PathRules &rules)
{
    QHash<QString, QStringList> byName;
    byName.reserve(files.size());
    for (const QString &file : files)
        byName[rules.key(rules.GetFileName(file))].append(file);
    Relocation result;
    for (int position : missing) {
        if (position < 0 || position >= entries.size())
            continue;
        const auto match = byName.constFind(rules.key(rules.GetFileName(entries.at(position))));
        if (match == byName.cend())
            ++result.notFound;
        else if (match->size() == 1)
            result.found.insert(position, match->constFirst());
        else {
            QStringList candidates = *match;
            candidates.sort(rules.caseSensitivity);
            result.choices.append({position, candidates});
        }
    }
    return result;
}

QHash<int, QString> replacePrefix(const QStringList &entries, const QString &oldPrefix, const QString &newPrefix,
                                  const PathRules &rules)
{
    QHash<int, QString> changed;
    if (oldPrefix.isEmpty())
        return changed;
    const bool endsAtFolder = oldPrefix.endsWith(rules.separator);
    for (int i = 0; i < entries.size(); ++i) {
        const QString &entry = entries.at(i);
        if (!entry.startsWith(oldPrefix, rules.caseSensitivity))
            continue;
        if (!endsAtFolder && entry.size() > oldPrefix.size() && entry.at(oldPrefix.size()) != rules.separator)
            continue;
        const QString path = newPrefix + entry.mid(oldPrefix.size());
        if (path != entry)
            changed.insert(i, path);
    }
    return changed;
}
