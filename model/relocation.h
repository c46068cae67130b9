#pragma once
#include "model/path_rules.h"

#include <QHash>
#include <QList>
#include <QStringList>

// Finding where missing entries went: by file name among the files of a
// folder the user points at, or by replacing the start of their paths.
struct Relocation {
    struct Choice {
        int position;            // of the missing entry
        QStringList candidates;  // every file of its name, sorted
    };
    QHash<int, QString> found;   // position → the one file of that name
    QList<Choice> choices;       // names that several files have: the user picks
    int notFound = 0;            // names no file has
};

// `missing`: positions of the entries that are missing; `files`: full paths
// of the files under the folder, in the list's spelling. Names compare as the
// rules say (letter case ignored where the file system ignores it).
Relocation relocateByName(const QStringList &entries, const QList<int> &missing, const QStringList &files,
                          const PathRules &rules);

// The entries that start with `oldPrefix`, which must end at a folder
// boundary ("/mnt/old" changes "/mnt/old/a.mp3", not "/mnt/older/a.mp3"),
// with it replaced by `newPrefix`. Empty when `oldPrefix` is.
QHash<int, QString> replacePrefix(const QStringList &entries, const QString &oldPrefix, const QString &newPrefix,
                                  const PathRules &rules);
