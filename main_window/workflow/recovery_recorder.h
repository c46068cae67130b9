#pragma once
#include "playlist_io/recovery_record.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>

class ListFileWorkflow;
class Playlist;
class RecoveryStore;

// Keeps the recovery record of the workflow's document while it is unsaved:
// written at most `delayMs` (a second) after the first change not yet recorded (a long
// burst of edits is recorded every `delayMs`, not held back until it ends),
// at most one write in flight, removed once nothing is unsaved. The UI thread
// only takes the document's snapshot; a worker thread serializes and writes.
// A document with no unsaved edit costs nothing.
class RecoveryRecorder : public QObject {
    Q_OBJECT
public:
    static constexpr int kDelayMs = 1000;

    RecoveryRecorder(ListFileWorkflow &workflow, const Playlist &list, RecoveryStore &store,
                     QObject *parent = nullptr, int delayMs = kDelayMs);
    // Ends the worker after what was posted to it; the record stays (a
    // program torn down other than by quitting still has its list unsaved).
    ~RecoveryRecorder() override;

    // Empty, or the status line telling why the record cannot be written.
    const QString &problem() const { return m_problem; }
    // Nothing waits to be written and nothing is being written.
    bool idle() const { return !m_inFlight && !m_timer.isActive(); }
    // The program ends: the record is removed and the worker ends (waited for).
    void finish();

signals:
    void problemChanged(const QString &problem);
    void recorded();   // a write or a removal ended

private:
    void stale();
    void writeNow();
    void drop();
    void done(bool ok, const QString &reason);

    ListFileWorkflow &m_workflow;
    RecoveryStore &m_store;
    QThread m_thread;
    QObject *m_worker;       // lives on m_thread: what is posted to it runs there, in order
    QTimer m_timer;
    QElapsedTimer m_since;   // since the first change not yet recorded
    int m_delayMs;
    bool m_dirty = false;
    bool m_inFlight = false;
    bool m_finished = false;
    QString m_problem;
};
