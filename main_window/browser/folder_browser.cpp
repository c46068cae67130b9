#include "main_window/browser/folder_browser.h"

#include "platform/files/folder_walk.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <utility>

namespace {

// The file list: files of the folder that the filter takes.
QStringList listedFiles(const QString &folder, const QString &pattern, WorkProgress &progress)
{
    FolderWalk walk;
    walk.kind = FolderWalk::Kind::Files;
    walk.pattern = pattern;
    return walkFolder(folder, walk, progress);
}

// The tree: folders of the folder, those reached through a link too.
QStringList subfolders(const QString &folder, WorkProgress &progress)
{
    FolderWalk walk;
    walk.kind = FolderWalk::Kind::Folders;
    walk.followLinks = true;
    return walkFolder(folder, walk, progress);
}

} // namespace

FolderBrowser::FolderBrowser(Drives &drives, const QString &pattern, QObject *parent)
    : QObject(parent)
    , m_drives(drives)
    , m_volumes(drives.volumes())
    , m_pattern(pattern)
    , m_watcher(new QFileSystemWatcher(this))
    , m_settle(new QTimer(this))
    , m_volumePoll(new QTimer(this))
{
    m_work.add(m_reading);
    m_work.add(m_treeReading);
    // Start on the current folder and its drive.
    m_volume = m_lastdrive = m_drives.volumeOf(QDir::currentPath());
    m_folder = currentFolderOf(m_volume);

    m_settle->setSingleShot(true);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderBrowser::diskChanged);
    connect(m_settle, &QTimer::timeout, this, &FolderBrowser::followDisk);
    m_volumePoll->setInterval(2000);
    connect(m_volumePoll, &QTimer::timeout, this, &FolderBrowser::checkVolumes);
    m_volumePoll->start();
    rewatch();
}

FolderBrowser::~FolderBrowser() = default;

int FolderBrowser::volumeIndex() const
{
    for (qsizetype i = 0; i < m_volumes.size(); ++i) {
        if (m_volumes.at(i).rootPath == m_volume)
            return int(i);
    }
    return 0;
}

bool FolderBrowser::chooseVolume(int index)
{
    if (index < 0 || index >= m_volumes.size())
        return false;
    const QString root = m_volumes.at(index).rootPath;
    if (!m_drives.isReady(root))
        return false;
    m_volume = m_lastdrive = root;
    show(currentFolderOf(root));
    return true;
}

bool FolderBrowser::openFolder(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return false;
    const QString folder = QDir::cleanPath(info.absoluteFilePath());
    const QString root = m_drives.volumeOf(folder);
    if (root != m_volume) {
        if (!m_drives.isReady(root))
            return false;
        m_volume = m_lastdrive = root;
    }
    show(folder);
    return true;
}

void FolderBrowser::showFolder(const QString &path)
{
    m_folder = path;
    listFiles(false);
    rewatch();
}

void FolderBrowser::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    listFiles(false);
    rewatch();
}

// The tree shows the volume's root and the way down to the folder; a folder
// the volume does not hold gives way to its root.
void FolderBrowser::show(const QString &folder)
{
    m_folder = volumeHolds(m_volume, folder) ? QDir::cleanPath(folder) : QDir::cleanPath(m_volume);
    emit folderShown(m_folder);
    listFiles(false);
    rewatch();
}

QString FolderBrowser::currentFolderOf(const QString &rootPath) const
{
    const QString cwd = QDir::cleanPath(QDir::currentPath());
    if (volumeHolds(rootPath, cwd) && m_drives.volumeOf(cwd) == rootPath && QFileInfo(cwd).isDir())
        return cwd;
    return QDir::cleanPath(rootPath);
}

void FolderBrowser::listFiles(bool sameFolder)
{
    // A newer reading wins over one still running.
    m_reading.cancel();
    emit filesReading(sameFolder);
    const QString folder = m_folder;
    const QString pattern = m_pattern;
    m_reading.run<QStringList>(
        QStringLiteral("正在读取文件夹…"),
        [folder, pattern](WorkProgress &progress) { return listedFiles(folder, pattern, progress); },
        [this, sameFolder](QStringList &names) { emit filesListed(names, sameFolder); });
}

void FolderBrowser::readSubfolders(const QString &path, const QStringList &had,
                                   std::function<void(Subfolders &)> landed, bool timed)
{
    struct Read {
        Subfolders subfolders;
        int ms = 0;   // how long the read took
    };
    m_treeReading.run<Read>(
        QStringLiteral("正在读取文件夹…"),
        [path, had](WorkProgress &progress) {
            QElapsedTimer reading;
            reading.start();
            Read read;
            read.subfolders.names = subfolders(path, progress);
            const QSet<QString> names(read.subfolders.names.cbegin(), read.subfolders.names.cend());
            for (const QString &child : had)
                if (!names.contains(child.mid(child.lastIndexOf(QLatin1Char('/')) + 1)) && QFileInfo(child).isDir())
                    read.subfolders.kept.insert(child);
            read.ms = int(reading.elapsed());
            return read;
        },
        [this, landed = std::move(landed), timed](Read &read) {
            if (timed)
                m_lastReadingMs = read.ms;
            landed(read.subfolders);
        });
}

void FolderBrowser::watch(const QStringList &folders)
{
    m_watched = folders;
    rewatch();
}

// The shown folder and the folders the tree asked for.
void FolderBrowser::rewatch()
{
    QStringList wanted = m_watched;
    if (!m_folder.isEmpty())
        wanted.prepend(m_folder);
    wanted.removeDuplicates();
    const QStringList watched = m_watcher->directories();
    QStringList gone, added;
    for (const QString &path : watched)
        if (!wanted.contains(path))
            gone << path;
    for (const QString &path : std::as_const(wanted))
        if (!watched.contains(path) && QFileInfo(path).isDir())
            added << path;
    if (!gone.isEmpty())
        m_watcher->removePaths(gone);
    if (!added.isEmpty())
        m_watcher->addPaths(added);
}

void FolderBrowser::diskChanged(const QString &path)
{
    if (!m_changed.contains(path))
        m_changed << path;
    // The first change of a burst starts the pause; the rest wait with it.
    if (!m_settle->isActive())
        m_settle->start(qMax(250, 3 * m_lastReadingMs));
}

void FolderBrowser::followDisk()
{
    const QStringList changed = std::exchange(m_changed, {});
    m_settle->stop();
    emit foldersChanged(changed);
    if (!QFileInfo(m_folder).isDir()) {
        // The shown folder was removed or renamed: its nearest folder that is
        // still there is shown instead.
        QString folder = m_folder;
        while (!QFileInfo(folder).isDir() && folder != QDir::cleanPath(m_lastdrive)) {
            const QString up = QFileInfo(folder).absolutePath();
            if (up == folder)
                break;
            folder = up;
        }
        show(folder);
    } else if (changed.contains(m_folder)) {
        // Files came or went: the list again, the selected file kept.
        listFiles(true);
    }
    rewatch();
    emit diskFollowed();
}

void FolderBrowser::checkVolumes()
{
    const QList<Volume> now = m_drives.volumes();
    bool same = now.size() == m_volumes.size();
    for (qsizetype i = 0; same && i < now.size(); ++i)
        same = now.at(i).name == m_volumes.at(i).name && now.at(i).rootPath == m_volumes.at(i).rootPath;
    if (same)
        return;
    m_volumes = now;
    bool shownGone = true;
    for (const Volume &v : std::as_const(m_volumes))
        shownGone = shownGone && v.rootPath != m_volume;
    if (shownGone && !m_volumes.isEmpty())
        m_volume = m_lastdrive = m_volumes.constFirst().rootPath;   // the first one takes its place
    emit volumesChanged();
    if (shownGone)
        show(currentFolderOf(m_lastdrive));
    emit diskFollowed();
}
