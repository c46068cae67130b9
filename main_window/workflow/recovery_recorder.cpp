#include "main_window/workflow/recovery_recorder.h"

#include "main_window/workflow/list_file_workflow.h"
#include "model/playlist.h"
#include "platform/recovery/record_container.h"
#include "platform/recovery/recovery_store.h"

#include <QPointer>

RecoveryRecorder::RecoveryRecorder(ListFileWorkflow &workflow, const Playlist &list, RecoveryStore &store,
                                   QObject *parent, int delayMs)
    : QObject(parent), m_workflow(workflow), m_store(store), m_worker(new QObject), m_delayMs(delayMs)
{
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.setObjectName(QStringLiteral("recovery"));
    m_thread.start(QThread::LowPriority);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryRecorder::writeNow);
    connect(&list, &Playlist::edited, this, &RecoveryRecorder::stale);
    connect(&list, &Playlist::selectionChanged, this, &RecoveryRecorder::stale);
    connect(&list, &Playlist::insertModeChanged, this, &RecoveryRecorder::stale);
    connect(&workflow, &ListFileWorkflow::unsavedChanged, this, [this](bool unsaved) {
        if (unsaved)
            stale();
        else
            drop();
    });
    // Quitting, whatever the save prompt was answered: the list is gone.
    connect(&workflow, &ListFileWorkflow::endProgram, this, &RecoveryRecorder::finish);
}

RecoveryRecorder::~RecoveryRecorder()
{
    m_finished = true;
    m_thread.quit();
    m_thread.wait();
}

void RecoveryRecorder::stale()
{
    if (m_finished || !m_workflow.unsaved())
        return;
    if (!m_dirty) {
        m_dirty = true;
        m_since.start();
    }
    if (!m_inFlight && !m_timer.isActive())
        m_timer.start(int(qMax<qint64>(0, m_delayMs - m_since.elapsed())));
}

void RecoveryRecorder::writeNow()
{
    m_dirty = false;
    m_inFlight = true;
    QPointer<RecoveryRecorder> self(this);
    QMetaObject::invokeMethod(m_worker, [self, store = &m_store, record = m_workflow.documentRecord()] {
        const RecoveryStore::Outcome outcome = store->write(sealRecord(writeDocumentRecord(record)));
        QMetaObject::invokeMethod(self.data(), [self, outcome] {
            if (self)
                self->done(outcome.ok, outcome.reason);
        });
    });
}

void RecoveryRecorder::drop()
{
    m_timer.stop();
    m_dirty = false;
    QPointer<RecoveryRecorder> self(this);
    QMetaObject::invokeMethod(m_worker, [self, store = &m_store] {
        const RecoveryStore::Outcome outcome = store->removeOwn();
        QMetaObject::invokeMethod(self.data(), [self, outcome] {
            if (self)
                emit self->recorded();
        });
    });
}

void RecoveryRecorder::done(bool ok, const QString &reason)
{
    m_inFlight = false;
    const QString problem = ok ? QString() : QStringLiteral("无法保存恢复信息：") + reason;
    if (problem != m_problem) {
        m_problem = problem;
        emit problemChanged(problem);
    }
    emit recorded();
    if (m_dirty && !m_finished)
        m_timer.start(int(qMax<qint64>(0, m_delayMs - m_since.elapsed())));
}

void RecoveryRecorder::finish()
{
    if (m_finished && !m_thread.isRunning())
        return;
    m_finished = true;
    m_timer.stop();
    // After the write in flight, if any: the list it held is gone.
    QMetaObject::invokeMethod(m_worker, [store = &m_store] { store->removeOwn(); });
    m_thread.quit();
    m_thread.wait();
}
