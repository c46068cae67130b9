#pragma once
#include <QString>
#include <QStringList>

class FileProbe;

// melvora --check LIST…: tells, without a window, which entries of the lists
// are missing. Each missing entry is printed as the list writes it, one a
// line, then one summary line. Entries on a volume that is not mounted are
// counted apart, never as missing; URLs are not checked.

struct CheckAnswer {
    int exitCode = 0;   // 0: none missing, 1: some missing, 2: a list could not be read
    QString out;        // missing entries and the summary
    QString err;        // lists that could not be read
};
CheckAnswer checkLists(const QStringList &lists, const FileProbe &probe);

// Checks `lists` against the disk, prints the answer and gives the exit status.
int runCheckCommand(const QStringList &lists);
