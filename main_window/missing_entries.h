#pragma once
#include "platform/files/entry_check.h"
#include "platform/work/long_work.h"

#include <QHash>
#include <QObject>

class Playlist;
class QTimer;

// Which entries of the list are missing or on a volume that is not mounted.
// The disk is read off the UI thread; a check starts a moment after the list
// gains entries or the disk changes, and another asked for meanwhile runs
// once the first has landed.
class MissingEntries : public QObject {
    Q_OBJECT
public:
    MissingEntries(const Playlist &list, const FileProbe &probe, QObject *parent = nullptr);

    EntryHealth health(const QString &entry) const { return m_unwell.value(entry, EntryHealth::Present); }
    bool isMissing(const QString &entry) const { return health(entry) == EntryHealth::Missing; }
    // Entries of the list as it is now that are missing (not the unavailable ones).
    int missingCount() const { return m_missing; }
    // Checks soon; several asks in a row make one check.
    void checkSoon();
    // A check runs or waits.
    bool isChecking() const { return m_checking.busy(); }
    // The checks, as one part of the window's long work.
    WorkGroup &work() { return m_checking; }

signals:
    // A check landed: what health() answers may have changed.
    void checked();
    void missingCountChanged(int count);

private:
    void start();
    void landed(QHash<QString, EntryHealth> &unwell);
    void recount();

    const Playlist &m_list;
    const FileProbe &m_probe;
    LongWork m_work;
    QTimer *m_soon;
    WorkGroup m_checking;   // the check running, and one asked for
    QHash<QString, EntryHealth> m_unwell;
    int m_missing = 0;
    bool m_again = false;   // asked for while a check ran
};
