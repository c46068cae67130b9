#include "platform/recovery/recovery_store.h"

#include "platform/files/durable_write.h"
#include "platform/files/file_errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {
const QString kSuffix = QStringLiteral(".melvora-recovery");
const QString kLockSuffix = QStringLiteral(".lock");

QString lockPathOf(const QString &recordPath)
{
    return recordPath + kLockSuffix;
}

// A lock that only a live program holds: never stale by age, since a program
// may run for weeks.
std::unique_ptr<QLockFile> tryLock(const QString &recordPath)
{
    auto lock = std::make_unique<QLockFile>(lockPathOf(recordPath));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

RecoveryStore::Outcome failure(int error)
{
    return {false, fileErrorText(error)};
}
} // namespace

QString RecoveryStore::defaultFolder()
{
    QString state = QString::fromLocal8Bit(qgetenv("XDG_STATE_HOME"));
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/melvora/recovery");
}

RecoveryStore::RecoveryStore(const QString &folder)
    : m_folder(folder),
      m_ownName(QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(QDateTime::currentMSecsSinceEpoch()) +
                kSuffix)
{
}

RecoveryStore::~RecoveryStore() = default;

QString RecoveryStore::ownPath() const
{
    return m_folder + u'/' + m_ownName;
}

RecoveryStore::Outcome RecoveryStore::lockOwn()
{
    if (m_lock)
        return {};
    if (const FoldersMade made = makeFolders(m_folder); !made.ok)
        return failure(made.error);
    m_lock = tryLock(ownPath());
    if (!m_lock)
        return failure(EACCES);
    return {};
}

RecoveryStore::Outcome RecoveryStore::write(QByteArrayView bytes)
{
    if (Outcome locked = lockOwn(); !locked.ok)
        return locked;
    DurableWrite file(m_folder, QStringLiteral("recovery"));
    if (!file.isOpen() || !file.write(bytes) || !file.finish())
        return failure(file.error());
    if (m_beforeRename)
        m_beforeRename(bytes);
    if (!file.replace(ownPath()))
        return failure(file.error());
    return {};
}

RecoveryStore::Outcome RecoveryStore::removeOwn()
{
    if (!QFile::exists(ownPath()) || QFile::remove(ownPath()))
        return {};
    return failure(errno);
}

QList<RecoveryStore::Dead> RecoveryStore::deadRecords() const
{
    QList<Dead> dead;
    const QFileInfoList records =
        QDir(m_folder).entryInfoList({QStringLiteral("*") + kSuffix}, QDir::Files | QDir::Hidden);
    for (const QFileInfo &record : records) {
        if (record.fileName() == m_ownName || !tryLock(record.filePath()))
            continue;   // the lock is let go at once: taking it is take()'s
        dead.append({record.filePath(), record.lastModified()});
    }
    std::sort(dead.begin(), dead.end(), [](const Dead &a, const Dead &b) { return a.written > b.written; });
    return dead;
}

std::unique_ptr<QLockFile> RecoveryStore::take(const QString &recordPath) const
{
    return tryLock(recordPath);
}

RecoveryStore::Outcome RecoveryStore::adopt(const QString &recordPath, std::unique_ptr<QLockFile> taken)
{
    if (Outcome locked = lockOwn(); !locked.ok)
        return locked;
    if (std::rename(QFile::encodeName(recordPath).constData(), QFile::encodeName(ownPath()).constData()) != 0)
        return failure(errno);
    taken.reset();
    return {};
}

QString RecoveryStore::moveAside(const QString &recordPath, const QString &subfolder, QByteArrayView copy,
                                 const QString &copySuffix)
{
    const QString to = m_folder + u'/' + subfolder;
    if (!makeFolders(to).ok)
        return {};
    const QString name = QFileInfo(recordPath).fileName();
    const QString moved = to + u'/' + name;
    if (std::rename(QFile::encodeName(recordPath).constData(), QFile::encodeName(moved).constData()) != 0)
        return {};
    // Its age in the folder counts from now.
    QFile file(moved);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
    if (!copy.isEmpty()) {
        DurableWrite plain(to, QStringLiteral("copy"));
        if (plain.isOpen() && plain.write(copy) && plain.finish())
            plain.replace(moved + copySuffix);
    }
    return to;
}

void RecoveryStore::removeOld(const QDateTime &now, int days) const
{
    const QDateTime limit = now.addDays(-days);
    const QFileInfoList old = QDir(m_folder + QStringLiteral("/discarded")).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo &file : old) {
        if (file.lastModified() < limit)
            QFile::remove(file.filePath());
    }
    // Records a program was writing when it died, never renamed; a day old,
    // no live program is still writing them.
    const QFileInfoList torn = QDir(m_folder).entryInfoList({QStringLiteral(".melvora-recovery-*.tmp")},
                                                            QDir::Files | QDir::Hidden);
    for (const QFileInfo &file : torn) {
        if (file.lastModified() < now.addDays(-1))
            QFile::remove(file.filePath());
    }
}
