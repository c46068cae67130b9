#pragma once
#include "model/path_rules.h"

#include <QHash>
#include <QList>
#include <QStringList>

#include <optional>
#include <vector>

// Finding where missing entries went, among the files under a folder the
// user points at: a file of the entry's name (letter case ignored) that the
// list does not hold yet. Files are ranked by how many folder names they
// share with the entry's old path, counted from the file upwards until the
// first difference, letter case ignored ("…/Library/House/Artist 1/a.mp3"
// shares 2 with "…/Music/House/Artist 1/a.mp3"); a name spelled exactly as
// the entry's ranks before the others, then the most folders shared, then
// the path. An entry's file is sure, and taken without asking, when the
// folder holds no other file of its name, or when the best file shares at
// least one folder name and no other file offered shares as many; the other
// entries are asked about in list order. A file taken, sure or chosen, is
// never offered again, so no two entries get one file.
class Relocation {
public:
    // `missing`: positions of the entries that are missing, in list order;
    // `files`: full paths of the files under the folder, in the list's
    // spelling. Files the list holds already are never offered.
    Relocation(const QStringList &entries, const QList<int> &missing, const QStringList &files,
               const PathRules &rules);

    struct Question {
        int position;            // of the missing entry
        QStringList candidates;  // the files offered, best first
        int number;              // this question's number, from 1
        int count;               // questions asked and still to ask, this one included
    };
    // Gives every entry whose file is now sure its file, then the next
    // question; none when nothing is left to ask.
    std::optional<Question> next();
    // The answer to the question next() gave last: one of its candidates.
    void answer(const QString &file);
    void skip();
    // Skips this question and every one after it.
    void skipAll();

    // Position → the file it gets: those found sure and those chosen so far.
    const QHash<int, QString> &paths() const { return m_paths; }
    int found() const { return m_found; }
    int chosen() const { return m_chosen; }
    // No file of the name was left to offer, or the question was skipped.
    int stillMissing() const { return m_notFound + m_skipped; }

private:
    struct Candidate {
        qsizetype file;   // into m_files
        bool exact;       // the name spelled as the entry's
        int shared;       // folder names shared with the entry's path
    };
    // The files not taken yet of one part of an entry's ranking, best first:
    // taken files are only ever added, so both places only move on.
    struct Cursor {
        std::size_t first = 0, second = 0;
    };
    struct Entry {
        int position;
        std::vector<Candidate> ranked;   // best first: those spelled exactly, then the others
        std::size_t exactEnd = 0;        // where the others start
        qsizetype ofName = 0;            // files of the name under the folder, held ones included
        Cursor exact, other;
        bool done = false;
    };
    struct Best {
        const Candidate *best = nullptr;
        int rivalShared = -1;   // the most any other offered file shares; -1: none is offered
    };
    Best best(Entry &entry) const;
    void advance(const Entry &entry, Cursor &cursor, std::size_t begin, std::size_t end) const;
    void take(Entry &entry, qsizetype file);
    void finish(Entry &entry);
    void settle();
    Entry *current();   // the entry asked about, or to ask about next

    QStringList m_files;
    std::vector<bool> m_taken;                  // beside m_files
    std::vector<std::vector<int>> m_rankedBy;   // beside m_files: the entries whose ranking holds it
    std::vector<Entry> m_entries;               // in list order
    std::vector<int> m_recheck;                 // a min-heap of entries whose files were taken
    std::vector<bool> m_queued;                 // beside m_entries
    std::size_t m_first = 0;                    // no entry before it is left to ask
    qsizetype m_left = 0;                       // entries not done
    QHash<int, QString> m_paths;
    int m_found = 0, m_chosen = 0, m_notFound = 0, m_skipped = 0, m_asked = 0;
};

// The start to offer for replacing the paths of `paths`: the longest folder
// start they all share, at least one folder name long; the first one's folder
// when they share none. Empty for no paths.
QString sharedFolderStart(const QStringList &paths, const PathRules &rules);

// The entries that start with `oldPrefix`, which must end at a folder
// boundary ("/mnt/old" changes "/mnt/old/a.mp3", not "/mnt/older/a.mp3"),
// with it replaced by `newPrefix`. Empty when `oldPrefix` is.
QHash<int, QString> replacePrefix(const QStringList &entries, const QString &oldPrefix, const QString &newPrefix,
                                  const PathRules &rules);
