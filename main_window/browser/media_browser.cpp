#include "main_window/browser/media_browser.h"

#include "platform/files/folder_walk.h"
#include "platform/files/volumes.h"
#include "platform/message_box.h"
#include "model/media_types.h"
#include "model/path_rules.h"
#include "main_window/prompt/prompt.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <utility>
#include <vector>

// The file list tells a selection made with the keyboard from one made by the
// program: only the former is a click.
class FileListWidget : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

signals:
    void userSelected(QListWidgetItem *item);

protected:
    // A plain click is itemClicked(); a press dragged onto another file
    // selects that file too, and that selection counts as its click.
    void mousePressEvent(QMouseEvent *event) override
    {
        QListWidget::mousePressEvent(event);
        m_pressed = currentItem();
    }
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        QListWidget::mouseDoubleClickEvent(event);
        m_pressed = currentItem();
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QListWidget::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && m_pressed && currentItem() && currentItem() != m_pressed)
            emit userSelected(currentItem());
        m_pressed = nullptr;
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        QListWidgetItem *before = currentItem();
        QListWidget::keyPressEvent(event);
        if (currentItem() && currentItem() != before)
            emit userSelected(currentItem());
    }

private:
    QListWidgetItem *m_pressed = nullptr;
};

namespace {

const QString kUnavailable = QStringLiteral("该驱动器不可用！");

constexpr int kPathRole = Qt::UserRole;
constexpr int kLoadedRole = Qt::UserRole + 1;

QString joinPath(const QString &folder, const QString &name)
{
    return PathRules::internal().join(folder, name);
}

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

MediaBrowser::MediaBrowser(QWidget *parent, MessageBox &messages, Drives &drives)
    : QObject(parent)
    , m_messages(messages)
    , m_drives(drives)
    , m_drive1(new QComboBox(parent))
    , m_dir1(new QTreeWidget(parent))
    , m_combo1(new QComboBox(parent))
    , m_file1(new FileListWidget(parent))
    , m_watcher(new QFileSystemWatcher(this))
    , m_settle(new QTimer(this))
    , m_volumePoll(new QTimer(this))
{
    m_drive1->setObjectName(QStringLiteral("drive1"));
    m_dir1->setObjectName(QStringLiteral("Dir1"));
    m_combo1->setObjectName(QStringLiteral("Combo1"));
    m_file1->setObjectName(QStringLiteral("File1"));
    // What a screen reader calls them. On Linux a drop-down list is named by
    // the label it is the buddy of, never by its own name: the two choosers
    // get labels that are never shown.
    m_drive1->setAccessibleName(QStringLiteral("驱动器"));
    m_dir1->setAccessibleName(QStringLiteral("文件夹"));
    m_combo1->setAccessibleName(QStringLiteral("文件类型"));
    m_file1->setAccessibleName(QStringLiteral("文件列表"));
    for (QComboBox *chooser : {m_drive1, m_combo1}) {
        auto *name = new QLabel(chooser->accessibleName(), parent);
        name->setBuddy(chooser);
        name->hide();
    }

    fillDrives();

    m_dir1->setHeaderHidden(true);
    // The column is narrow: keep deep paths readable.
    m_dir1->setIndentation(10);
    m_dir1->setColumnCount(1);
    m_dir1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_dir1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_dir1->header()->setStretchLastSection(false);

    m_combo1->addItems(MediaTypes::filterItems());
    m_combo1->setCurrentIndex(0);

    m_file1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_file1->setUniformItemSizes(true);

    m_work.add(m_reading);
    m_work.add(m_treeReading);
    m_work.add([this] { return m_filling.active; });

    // Start on the current folder and its drive.
    m_building = true;
    const int index = driveIndex(m_drives.volumeOf(QDir::currentPath()));
    m_drive1->setCurrentIndex(index);
    m_lastdrive = m_drive1->itemData(index).toString();
    m_building = false;
    showFolderInTree(currentFolderOf(m_lastdrive));
    listFiles(ListRefresh::NewFolder, [this] { emit fileListChanged(fileCount()); });

    connect(m_drive1, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!m_building)
            driveChanged(i);
    });
    connect(m_dir1, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        loadChildren(item);
        watchShownFolders();
    });
    connect(m_dir1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (m_building || !item)
            return;
        m_folder = item->data(0, kPathRole).toString();
        folderChanged();
    });
    connect(m_combo1, &QComboBox::currentIndexChanged, this, [this] { filterChosen(); });
    connect(m_file1, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        emit fileClicked(folderPath(), item->text());
    });
    connect(m_file1, &FileListWidget::userSelected, this, [this](QListWidgetItem *item) {
        emit fileClicked(folderPath(), item->text());
    });

    // Following the disk.
    m_settle->setSingleShot(true);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &MediaBrowser::diskChanged);
    connect(m_settle, &QTimer::timeout, this, &MediaBrowser::followDisk);
    connect(m_dir1, &QTreeWidget::itemCollapsed, this, [this] { watchShownFolders(); });
    m_volumePoll->setInterval(2000);
    connect(m_volumePoll, &QTimer::timeout, this, &MediaBrowser::checkVolumes);
    m_volumePoll->start();
    watchShownFolders();
}

MediaBrowser::~MediaBrowser() = default;

QComboBox *MediaBrowser::drive1() const { return m_drive1; }
QTreeWidget *MediaBrowser::dir1() const { return m_dir1; }
QComboBox *MediaBrowser::combo1() const { return m_combo1; }
QListWidget *MediaBrowser::file1() const { return m_file1; }

QString MediaBrowser::folderPath() const
{
    return QDir::toNativeSeparators(m_folder);
}

QStringList MediaBrowser::fileNames() const
{
    QStringList out;
    out.reserve(m_file1->count());
    for (int i = 0; i < m_file1->count(); ++i)
        out.append(m_file1->item(i)->text());
    return out;
}

int MediaBrowser::fileCount() const
{
    return m_file1->count();
}

QString MediaBrowser::currentPattern() const
{
    return MediaTypes::patternFor(m_combo1->currentText());
}

QString MediaBrowser::lastdrive() const
{
    return m_lastdrive;
}

bool MediaBrowser::openFolder(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return false;
    const QString folder = QDir::cleanPath(info.absoluteFilePath());
    const int index = driveIndex(m_drives.volumeOf(folder));
    if (index != m_drive1->currentIndex()) {
        if (!m_drives.isReady(m_drive1->itemData(index).toString()))
            return false;
        selectDrive(index);
        m_lastdrive = m_drive1->itemData(index).toString();
    }
    showFolderInTree(folder);
    folderChanged();
    return true;
}

void MediaBrowser::driveChanged(int index)
{
    const QString root = m_drive1->itemData(index).toString();
    if (!m_drives.isReady(root)) {
        m_messages.exclamation(kUnavailable, kPromptTitle);
        // Back to the drive still shown in the tree; that drive reads fine,
        // so only command enabling runs again.
        selectDrive(driveIndex(m_lastdrive));
        emit fileListChanged(fileCount());
        return;
    }
    showFolderInTree(currentFolderOf(root));
    m_lastdrive = root;
    folderChanged();
}

void MediaBrowser::folderChanged()
{
    listFiles(ListRefresh::NewFolder, [this] { emit fileListChanged(fileCount()); });
    m_file1->setVisible(true);
    watchShownFolders();
}

void MediaBrowser::filterChosen()
{
    folderChanged();
}

void MediaBrowser::listFiles(ListRefresh refresh, std::function<void()> landed)
{
    // The folder is read off the UI thread; a newer reading wins over one
    // still running.
    m_reading.cancel();
    m_filling = {};
    if (refresh == ListRefresh::NewFolder)
        m_file1->clear();   // the old names are not this folder's
    const QString folder = m_folder;
    const QString pattern = currentPattern();
    m_reading.run<QStringList>(
        QStringLiteral("正在读取文件夹…"),
        [folder, pattern](WorkProgress &progress) { return listedFiles(folder, pattern, progress); },
        [this, refresh, landed = std::move(landed)](QStringList &names) {
            // Read again: the selected file and the scrolling are kept.
            const bool keep = refresh == ListRefresh::SameFolder;
            m_filling.names = std::move(names);
            m_filling.current = keep && m_file1->currentItem() ? m_file1->currentItem()->text() : QString();
            m_filling.scroll = keep ? m_file1->verticalScrollBar()->value() : -1;
            m_filling.landed = landed;
            m_filling.active = true;
            fillFileList();
        });
}

// Tens of thousands of items take a while to make: the list is filled a
// part per turn of the event loop, so the window keeps answering.
void MediaBrowser::fillFileList()
{
    constexpr int kPerTurn = 20000;
    if (!m_filling.active)
        return;
    m_file1->setUpdatesEnabled(false);
    if (m_filling.at == 0)
        m_file1->clear();
    const qsizetype n = std::min<qsizetype>(kPerTurn, m_filling.names.size() - m_filling.at);
    m_file1->addItems(m_filling.names.mid(m_filling.at, n));
    m_filling.at += n;
    if (m_filling.at < m_filling.names.size()) {
        m_file1->setUpdatesEnabled(true);
        QTimer::singleShot(0, this, &MediaBrowser::fillFileList);
        return;
    }
    const Filling done = std::exchange(m_filling, {});
    if (!done.current.isEmpty()) {
        const auto found = m_file1->findItems(done.current, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (!found.isEmpty())
            m_file1->setCurrentItem(found.constFirst(), QItemSelectionModel::ClearAndSelect);
    }
    if (done.scroll >= 0)
        m_file1->verticalScrollBar()->setValue(done.scroll);
    m_file1->setUpdatesEnabled(true);
    done.landed();
    m_work.settle();
}

// ---- following the disk ----------------------------------------------------

void MediaBrowser::fillDrives()
{
    const QIcon driveIcon = m_drive1->style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const Volume &v : m_drives.volumes())
        m_drive1->addItem(driveIcon, v.name, v.rootPath);
}

void MediaBrowser::checkVolumes()
{
    const QList<Volume> now = m_drives.volumes();
    bool same = now.size() == m_drive1->count();
    for (int i = 0; same && i < now.size(); ++i)
        same = m_drive1->itemText(i) == now.at(i).name && m_drive1->itemData(i).toString() == now.at(i).rootPath;
    if (same)
        return;
    const QString shown = m_drive1->currentData().toString();
    const bool was = m_building;
    m_building = true;
    m_drive1->clear();
    fillDrives();
    const int index = m_drive1->findData(shown);
    m_drive1->setCurrentIndex(index < 0 ? 0 : index);
    m_building = was;
    if (index < 0) {
        // The volume shown is gone: the first one takes its place.
        m_lastdrive = m_drive1->currentData().toString();
        showFolderInTree(currentFolderOf(m_lastdrive));
        folderChanged();
    }
    emit diskFollowed();
}

QTreeWidgetItem *MediaBrowser::treeItem(const QString &path) const
{
    for (QTreeWidgetItemIterator it(m_dir1); *it; ++it)
        if ((*it)->data(0, kPathRole).toString() == path)
            return *it;
    return nullptr;
}

// The shown folder and the folders whose subfolders the tree shows.
void MediaBrowser::watchShownFolders()
{
    QStringList wanted;
    if (!m_folder.isEmpty())
        wanted << m_folder;
    for (QTreeWidgetItemIterator it(m_dir1); *it; ++it) {
        QTreeWidgetItem *item = *it;
        if (item->data(0, kLoadedRole).toBool() && (item->isExpanded() || item == m_dir1->currentItem()))
            wanted << item->data(0, kPathRole).toString();
    }
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

void MediaBrowser::diskChanged(const QString &path)
{
    if (!m_changed.contains(path))
        m_changed << path;
    // The first change of a burst starts the pause; the rest wait with it.
    // A pause at least three times a reading keeps a long copy into a big
    // folder from keeping the program busy.
    if (!m_settle->isActive())
        m_settle->start(qMax(250, 3 * m_lastReadingMs));
}

void MediaBrowser::followDisk()
{
    const QStringList changed = std::exchange(m_changed, {});
    m_settle->stop();
    for (const QString &path : changed)
        if (QTreeWidgetItem *item = treeItem(path); item && item->data(0, kLoadedRole).toBool())
            readChildren(item, OnLanding::KeepViewStill);
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
        showFolderInTree(folder);
        folderChanged();
    } else if (changed.contains(m_folder)) {
        // Files came or went: the list again, the selected file kept.
        listFiles(ListRefresh::SameFolder, [this] { emit fileListChanged(fileCount()); });
    }
    watchShownFolders();
    emit diskFollowed();
}

// What the folders in sight are stays still across `change`: the first one
// keeps its place at the top (or, when it went, the first one still there).
void MediaBrowser::keepViewStill(const std::function<void()> &change)
{
    const bool was = m_building;
    m_building = true;
    QStringList shown;
    int shownTop = 0;
    if (QTreeWidgetItem *top = m_dir1->itemAt(0, 0)) {
        shownTop = m_dir1->visualItemRect(top).top();
        for (QTreeWidgetItem *item = top; item && m_dir1->visualItemRect(item).top() < m_dir1->viewport()->height();
             item = m_dir1->itemBelow(item))
            shown << item->data(0, kPathRole).toString();
    }
    change();
    for (const QString &path : std::as_const(shown)) {
        QTreeWidgetItem *item = treeItem(path);
        if (!item)
            continue;
        if (m_dir1->visualItemRect(item).top() != shownTop) {
            const int across = m_dir1->horizontalScrollBar()->value();
            m_dir1->scrollToItem(item, QAbstractItemView::PositionAtTop);
            QScrollBar *bar = m_dir1->verticalScrollBar();
            if (m_dir1->verticalScrollMode() == QAbstractItemView::ScrollPerPixel)
                bar->setValue(bar->value() - shownTop);
            m_dir1->horizontalScrollBar()->setValue(across);
        }
        break;
    }
    m_building = was;
}

// A folder's subfolders as read off the UI thread: their names, and of the
// children the tree had that are not among them (hidden folders on the way to
// the shown one), the paths of those still there.
struct MediaBrowser::Subfolders {
    QStringList names;
    QSet<QString> kept;
    int ms = 0;   // how long the read took
};

void MediaBrowser::readChildren(QTreeWidgetItem *item, OnLanding onLanding)
{
    const QString path = item->data(0, kPathRole).toString();
    QStringList had;
    for (int i = 0; i < item->childCount(); ++i)
        had << item->child(i)->data(0, kPathRole).toString();
    m_treeReading.run<Subfolders>(
        QStringLiteral("正在读取文件夹…"),
        [path, had](WorkProgress &progress) {
            QElapsedTimer reading;
            reading.start();
            Subfolders read;
            read.names = subfolders(path, progress);
            const QSet<QString> names(read.names.cbegin(), read.names.cend());
            for (const QString &child : had)
                if (!names.contains(child.mid(child.lastIndexOf(QLatin1Char('/')) + 1)) && QFileInfo(child).isDir())
                    read.kept.insert(child);
            read.ms = int(reading.elapsed());
            return read;
        },
        [this, path, onLanding](Subfolders &read) {
            // The tree may have been built anew meanwhile.
            QTreeWidgetItem *now = treeItem(path);
            if (now && now->data(0, kLoadedRole).toBool()) {
                if (onLanding == OnLanding::KeepViewStill) {
                    keepViewStill([&] { mergeChildren(now, read); });
                    m_lastReadingMs = read.ms;
                } else {
                    const bool was = m_building;
                    m_building = true;
                    mergeChildren(now, read);
                    if (QTreeWidgetItem *current = m_dir1->currentItem();
                        current && onLanding == OnLanding::RevealCurrent) {
                        m_dir1->scrollToItem(current);
                        m_dir1->horizontalScrollBar()->setValue(0);
                    }
                    m_building = was;
                }
            }
            watchShownFolders();
        });
}

// The children gone are taken out, new ones put in their sorted place; the
// others keep their items, opened or not.
void MediaBrowser::mergeChildren(QTreeWidgetItem *item, const Subfolders &read)
{
    const QString path = item->data(0, kPathRole).toString();
    const QSet<QString> names(read.names.cbegin(), read.names.cend());
    for (int i = item->childCount() - 1; i >= 0; --i) {
        QTreeWidgetItem *child = item->child(i);
        if (!names.contains(child->text(0)) && !read.kept.contains(child->data(0, kPathRole).toString()))
            delete item->takeChild(i);
    }
    const QIcon folderIcon = m_dir1->style()->standardIcon(QStyle::SP_DirIcon);
    const auto newChild = [&](const QString &name) {
        auto *child = new QTreeWidgetItem({name});
        child->setIcon(0, folderIcon);
        child->setData(0, kPathRole, joinPath(path, name));
        child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        return child;
    };
    if (item->childCount() == 0) {   // the common case: all in one insert
        QList<QTreeWidgetItem *> children;
        children.reserve(read.names.size());
        for (const QString &name : read.names)
            children.append(newChild(name));
        item->addChildren(children);
    } else {
        int at = 0;
        for (const QString &name : read.names) {
            while (at < item->childCount() && listedBefore(item->child(at)->text(0), name))
                ++at;
            if (at < item->childCount() && item->child(at)->text(0) == name) {
                ++at;
                continue;
            }
            item->insertChild(at++, newChild(name));
        }
    }
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

// Rebuilds the tree for the volume holding `path`: the volume's root, the
// folders down to `path`, and the subfolders of each of them.
void MediaBrowser::showFolderInTree(const QString &folder)
{
    m_building = true;
    const QString root = m_drives.volumeOf(folder);
    const QString path = volumeHolds(root, folder) ? folder : QDir::cleanPath(root);
    m_dir1->clear();
    const QIcon folderIcon = m_dir1->style()->standardIcon(QStyle::SP_DirIcon);
    auto *item = new QTreeWidgetItem(m_dir1, {QDir::toNativeSeparators(QDir::cleanPath(root))});
    item->setIcon(0, m_dir1->style()->standardIcon(QStyle::SP_DriveHDIcon));
    item->setData(0, kPathRole, QDir::cleanPath(root));
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);

    QString current = QDir::cleanPath(root);
    const QString rest = path.mid(root.size());
    // The way down is known from the path; the folders beside it come when read.
    for (const QString &part : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        current = joinPath(current, part);
        auto *next = new QTreeWidgetItem(item, {part});
        next->setIcon(0, folderIcon);
        next->setData(0, kPathRole, current);
        next->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        loadChildren(item, OnLanding::RevealCurrent);
        item->setExpanded(true);
        item = next;
    }
    loadChildren(item, OnLanding::RevealCurrent);
    item->setExpanded(true);
    m_dir1->setCurrentItem(item);
    m_dir1->scrollToItem(item);
    m_dir1->horizontalScrollBar()->setValue(0);
    m_folder = current;
    m_building = false;
}

void MediaBrowser::loadChildren(QTreeWidgetItem *item, OnLanding onLanding)
{
    if (item->data(0, kLoadedRole).toBool())
        return;
    item->setData(0, kLoadedRole, true);
    readChildren(item, onLanding);
}

// A drive's current folder: the working folder when it lies on that drive,
// the drive's root otherwise.
QString MediaBrowser::currentFolderOf(const QString &rootPath) const
{
    const QString cwd = QDir::cleanPath(QDir::currentPath());
    if (volumeHolds(rootPath, cwd) && m_drives.volumeOf(cwd) == rootPath && QFileInfo(cwd).isDir())
        return cwd;
    return QDir::cleanPath(rootPath);
}

int MediaBrowser::driveIndex(const QString &rootPath) const
{
    const int i = m_drive1->findData(rootPath);
    return i < 0 ? 0 : i;
}

void MediaBrowser::selectDrive(int index)
{
    const bool was = m_building;
    m_building = true;
    m_drive1->setCurrentIndex(index);
    m_building = was;
}

#include "media_browser.moc"
