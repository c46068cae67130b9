#include "model/relocation.h"

#include <QSet>

#include <algorithm>
#include <functional>
#include <numeric>

namespace {

bool isSeparator(QChar c, QChar separator)
{
    return c == separator || c == u'/';
}

// The folder names of `path` from the root down, its file name left out.
QList<QStringView> foldersOf(QStringView path, QChar separator)
{
    QList<QStringView> names;
    qsizetype begin = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (isSeparator(path.at(i), separator)) {
            names.append(path.sliced(begin, i - begin));
            begin = i + 1;
        }
    }
    return names;
}

// The folder names `a` and `b` share, counted from their files upwards until
// the first difference, letter case ignored.
int sharedFolders(QStringView a, QStringView b, QChar separator)
{
    qsizetype i = a.size(), j = b.size();
    while (i > 0 && !isSeparator(a.at(i - 1), separator))
        --i;
    while (j > 0 && !isSeparator(b.at(j - 1), separator))
        --j;
    int shared = 0;
    while (i > 0 && j > 0) {
        // a[i - 1] and b[j - 1] end a folder name each.
        qsizetype si = i - 1, sj = j - 1;
        while (si > 0 && !isSeparator(a.at(si - 1), separator))
            --si;
        while (sj > 0 && !isSeparator(b.at(sj - 1), separator))
            --sj;
        const QStringView x = a.sliced(si, i - 1 - si), y = b.sliced(sj, j - 1 - sj);
        if (x.isEmpty() || x.compare(y, Qt::CaseInsensitive) != 0)
            break;
        ++shared;
        i = si;
        j = sj;
    }
    return shared;
}

} // namespace

Relocation::Relocation(const QStringList &entries, const QList<int> &missing, const QStringList &files,
                       const PathRules &rules)
{
    QSet<QString> held;
    held.reserve(entries.size());
    for (const QString &entry : entries)
        held.insert(rules.key(entry));
    // Files of each name: those offered, and how many there are in all.
    QHash<QString, QList<qsizetype>> byName;
    QHash<QString, qsizetype> allOfName;
    byName.reserve(files.size());
    for (const QString &file : files) {
        const QString name = rules.GetFileName(file).toCaseFolded();
        ++allOfName[name];
        if (held.contains(rules.key(file)))
            continue;
        byName[name].append(m_files.size());
        m_files.append(file);
    }
    m_taken.assign(m_files.size(), false);
    m_rankedBy.resize(m_files.size());

    m_entries.reserve(missing.size());
    for (int position : missing) {
        if (position < 0 || position >= entries.size())
            continue;
        const QString &entry = entries.at(position);
        const QString name = rules.GetFileName(entry);
        const QString folded = name.toCaseFolded();
        const auto ofName = byName.constFind(folded);
        if (ofName == byName.cend()) {
            ++m_notFound;
            continue;
        }
        Entry e;
        e.position = position;
        e.ofName = allOfName.value(folded);
        e.ranked.reserve(ofName->size());
        for (qsizetype file : *ofName) {
            const QString &path = m_files.at(file);
            const bool exact = rules.GetFileName(path) == name;
            e.ranked.push_back({file, exact, sharedFolders(entry, path, rules.separator)});
            e.exactEnd += exact ? 1 : 0;
        }
        std::sort(e.ranked.begin(), e.ranked.end(), [this, &rules](const Candidate &x, const Candidate &y) {
            if (x.exact != y.exact)
                return x.exact;
            if (x.shared != y.shared)
                return x.shared > y.shared;
            return m_files.at(x.file).compare(m_files.at(y.file), rules.caseSensitivity) < 0;
        });
        e.other = {e.exactEnd, e.exactEnd};
        for (const Candidate &c : e.ranked)
            m_rankedBy[c.file].push_back(int(m_entries.size()));
        m_entries.push_back(std::move(e));
    }
    m_left = qsizetype(m_entries.size());
    // Every entry is looked at once, in list order (ascending is a heap already).
    m_recheck.resize(m_entries.size());
    std::iota(m_recheck.begin(), m_recheck.end(), 0);
    m_queued.assign(m_entries.size(), true);
}

void Relocation::advance(const Entry &entry, Cursor &cursor, std::size_t begin, std::size_t end) const
{
    cursor.first = std::max(cursor.first, begin);
    while (cursor.first < end && m_taken[entry.ranked[cursor.first].file])
        ++cursor.first;
    cursor.second = std::max(cursor.second, std::min(cursor.first + 1, end));
    while (cursor.second < end && m_taken[entry.ranked[cursor.second].file])
        ++cursor.second;
}

Relocation::Best Relocation::best(Entry &entry) const
{
    const std::size_t end = entry.ranked.size();
    advance(entry, entry.exact, 0, entry.exactEnd);
    advance(entry, entry.other, entry.exactEnd, end);
    const auto shared = [&entry](std::size_t at, std::size_t end) { return at < end ? entry.ranked[at].shared : -1; };
    Best b;
    if (entry.exact.first < entry.exactEnd) {
        b.best = &entry.ranked[entry.exact.first];
        b.rivalShared = std::max(shared(entry.exact.second, entry.exactEnd), shared(entry.other.first, end));
    } else if (entry.other.first < end) {
        // The others are ranked by folders shared: the next one shares the most.
        b.best = &entry.ranked[entry.other.first];
        b.rivalShared = shared(entry.other.second, end);
    }
    return b;
}

void Relocation::finish(Entry &entry)
{
    entry.done = true;
    entry.ranked = {};
    --m_left;
}

void Relocation::take(Entry &entry, qsizetype file)
{
    m_taken[file] = true;
    m_paths.insert(entry.position, m_files.at(file));
    finish(entry);
    // The entries that might have had it now have fewer files to choose from.
    for (int other : m_rankedBy[file]) {
        if (!m_entries[other].done && !m_queued[other]) {
            m_queued[other] = true;
            m_recheck.push_back(other);
            std::push_heap(m_recheck.begin(), m_recheck.end(), std::greater<>());
        }
    }
    m_rankedBy[file] = {};
}

void Relocation::settle()
{
    while (!m_recheck.empty()) {
        std::pop_heap(m_recheck.begin(), m_recheck.end(), std::greater<>());
        const int index = m_recheck.back();
        m_recheck.pop_back();
        m_queued[index] = false;
        Entry &entry = m_entries[index];
        if (entry.done)
            continue;
        const Best b = best(entry);
        if (!b.best) {
            ++m_notFound;
            finish(entry);
        } else if ((entry.ofName == 1 && b.rivalShared < 0) || (b.best->shared >= 1 && b.rivalShared < b.best->shared)) {
            ++m_found;
            take(entry, b.best->file);
        }
    }
}

Relocation::Entry *Relocation::current()
{
    while (m_first < m_entries.size() && m_entries[m_first].done)
        ++m_first;
    return m_first < m_entries.size() ? &m_entries[m_first] : nullptr;
}

std::optional<Relocation::Question> Relocation::next()
{
    settle();
    const Entry *entry = current();
    if (!entry)
        return std::nullopt;
    Question q{entry->position, {}, m_asked + 1, m_asked + int(m_left)};
    for (const Candidate &c : entry->ranked) {
        if (!m_taken[c.file])
            q.candidates.append(m_files.at(c.file));
    }
    return q;
}

void Relocation::answer(const QString &file)
{
    Entry *entry = current();
    if (!entry)
        return;
    for (const Candidate &c : entry->ranked) {
        if (!m_taken[c.file] && m_files.at(c.file) == file) {
            ++m_chosen;
            ++m_asked;
            take(*entry, c.file);
            return;
        }
    }
    skip();   // not one of those offered
}

void Relocation::skip()
{
    if (Entry *entry = current()) {
        ++m_skipped;
        ++m_asked;
        finish(*entry);
    }
}

void Relocation::skipAll()
{
    for (std::size_t i = m_first; i < m_entries.size(); ++i) {
        if (!m_entries[i].done) {
            ++m_skipped;
            finish(m_entries[i]);
        }
    }
}

QString sharedFolderStart(const QStringList &paths, const PathRules &rules)
{
    if (paths.isEmpty())
        return QString();
    const QString &first = paths.constFirst();
    QList<QStringView> shared = foldersOf(first, rules.separator);
    for (qsizetype i = 1; i < paths.size() && !shared.isEmpty(); ++i) {
        const QList<QStringView> names = foldersOf(paths.at(i), rules.separator);
        qsizetype same = 0;
        while (same < shared.size() && same < names.size()
               && shared.at(same).compare(names.at(same), rules.caseSensitivity) == 0)
            ++same;
        shared.resize(same);
    }
    // The root ("/", "C:") alone is no folder shared: the first one's folder then.
    if (shared.size() < 2)
        shared = foldersOf(first, rules.separator);
    qsizetype length = shared.size() - 1;
    for (QStringView name : shared)
        length += name.size();
    return first.left(length);
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
