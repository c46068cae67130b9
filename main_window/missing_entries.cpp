#include "main_window/missing_entries.h"

#include "model/playlist.h"

#include <QTimer>

MissingEntries::MissingEntries(const Playlist &list, const FileProbe &probe, QObject *parent)
    : QObject(parent), m_list(list), m_probe(probe), m_soon(new QTimer(this))
{
    m_soon->setSingleShot(true);
    m_soon->setInterval(100);
    m_checking.add(m_work);
    m_checking.add([this] { return m_soon->isActive() || m_again; });
    connect(m_soon, &QTimer::timeout, this, &MissingEntries::start);
    connect(&list, &Playlist::edited, this, [this](Edit what) {
        switch (what) {
        case Edit::FileAdded:
        case Edit::FilesAdded:
        case Edit::Replaced:
        case Edit::Appended:
        case Edit::PathsChanged:
        case Edit::Recovered:
        case Edit::Undone:   // may bring back entries the last check never saw
            recount();
            checkSoon();
            break;
        case Edit::Deleted:
        case Edit::Cleared:
        case Edit::EntriesRemoved:
            recount();
            break;
        default:
            break;   // the same entries in another order
        }
    });
}

void MissingEntries::checkSoon()
{
    if (m_work.busy())
        m_again = true;
    else
        m_soon->start();
}

void MissingEntries::start()
{
    // The list is shared, not copied: the check reads it as it was asked for.
    const QStringList entries = m_list.entries();
    const FileProbe &probe = m_probe;
    m_work.run<QHash<QString, EntryHealth>>(
        QStringLiteral("正在检查文件…"),
        [entries, &probe](WorkProgress &progress) {
            progress.setTotal(entries.size());
            return checkEntries(entries, probe, progress);
        },
        [this](QHash<QString, EntryHealth> &unwell) { landed(unwell); });
}

void MissingEntries::landed(QHash<QString, EntryHealth> &unwell)
{
    m_unwell = std::move(unwell);
    recount();
    emit checked();
    if (std::exchange(m_again, false))
        m_soon->start();
}

void MissingEntries::recount()
{
    int missing = 0;
    if (!m_unwell.isEmpty()) {
        for (const QString &entry : m_list.entries())
            missing += isMissing(entry) ? 1 : 0;
    }
    if (missing != m_missing) {
        m_missing = missing;
        emit missingCountChanged(missing);
    }
}
