#pragma once
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QLockFile>
#include <QString>

#include <functional>
#include <memory>

// The folder where running programs keep the records that give their unsaved
// lists back after they died: one record per program, named by its process id
// and start time, held by a lock file beside it for as long as the program
// runs. A record whose lock no live program holds is a dead program's, to be
// offered at the next start; damaged/ and discarded/ hold the records taken
// out of the way. The records' bytes are the caller's (record_container.h).
//
// The own record is written and removed from one thread at a time (the
// recorder's worker); the dead ones are looked at from the start-up.
class RecoveryStore {
public:
    // $XDG_STATE_HOME/melvora/recovery, ~/.local/state/melvora/recovery
    // when it is not set (or not a full path).
    static QString defaultFolder();

    explicit RecoveryStore(const QString &folder);
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore &) = delete;
    RecoveryStore &operator=(const RecoveryStore &) = delete;

    const QString &folder() const { return m_folder; }
    QString ownPath() const;

    struct Outcome {
        bool ok = true;
        QString reason;   // failed: why, in the program's words
    };
    // Replaces the own record with `bytes` durably (a power cut leaves the
    // old record or the new one), making the folder and taking the lock on
    // the first write.
    Outcome write(QByteArrayView bytes);
    // The own record is gone (nothing unsaved any more).
    Outcome removeOwn();
    // Called with the record's bytes between their reaching the disk and the
    // rename, for tests that kill the program there.
    void setBeforeRename(std::function<void(QByteArrayView)> hook) { m_beforeRename = std::move(hook); }

    struct Dead {
        QString path;
        QDateTime written;
    };
    // Records no live program holds, the newest first (the own one never).
    QList<Dead> deadRecords() const;
    // The record's lock, so that no other program takes it meanwhile; null
    // when a live program holds it.
    std::unique_ptr<QLockFile> take(const QString &recordPath) const;
    // A taken record becomes this program's own record.
    Outcome adopt(const QString &recordPath, std::unique_ptr<QLockFile> taken);
    // Moves a taken record into `subfolder` ("damaged", "discarded"), with
    // `copy` beside it as <record name><copySuffix> when given. The folder
    // moved to, or empty when the move failed.
    QString moveAside(const QString &recordPath, const QString &subfolder, QByteArrayView copy = {},
                      const QString &copySuffix = {});
    // Removes what discarded/ holds that is older than `days` days at `now`,
    // and records left unfinished by a dead program's write a day ago.
    void removeOld(const QDateTime &now, int days = 7) const;

private:
    Outcome lockOwn();

    QString m_folder;
    QString m_ownName;
    std::unique_ptr<QLockFile> m_lock;
    std::function<void(QByteArrayView)> m_beforeRename;
};
