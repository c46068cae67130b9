#include "main_window/browser/media_browser.h"

#include "main_window/browser/folder_browser.h"
#include "platform/files/volumes.h"
#include "platform/message_box.h"
#include "model/media_types.h"
#include "model/path_rules.h"
#include "main_window/prompt/prompt.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QScopedValueRollback>
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

} // namespace

MediaBrowser::MediaBrowser(QWidget *parent, MessageBox &messages, Drives &drives)
    : QObject(parent)
    , m_messages(messages)
    , m_drive1(new QComboBox(parent))
    , m_dir1(new QTreeWidget(parent))
    , m_combo1(new QComboBox(parent))
    , m_file1(new FileListWidget(parent))
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

    // Start on the current folder and its drive.
    m_folders = new FolderBrowser(drives, currentPattern(), this);
    m_work.add(m_folders->work());
    m_work.add([this] { return m_filling.active; });
    fillDrives();
    showFolderInTree(m_folders->folder());

    connect(m_folders, &FolderBrowser::folderShown, this, &MediaBrowser::showFolderInTree);
    connect(m_folders, &FolderBrowser::filesReading, this, [this](bool sameFolder) {
        m_filling = {};
        if (!sameFolder)
            m_file1->clear();   // the old names are not this folder's
        m_file1->setVisible(true);
    });
    connect(m_folders, &FolderBrowser::filesListed, this, &MediaBrowser::fill);
    connect(m_folders, &FolderBrowser::foldersChanged, this, [this](const QStringList &paths) {
        for (const QString &path : paths)
            if (QTreeWidgetItem *item = treeItem(path); item && item->data(0, kLoadedRole).toBool())
                readChildren(item, OnLanding::KeepViewStill);
    });
    connect(m_folders, &FolderBrowser::volumesChanged, this, [this] {
        const QScopedValueRollback building(m_building, true);
        m_drive1->clear();
        fillDrives();
    });
    connect(m_folders, &FolderBrowser::diskFollowed, this, &MediaBrowser::diskFollowed);
    m_folders->listFiles(false);

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
        m_folders->showFolder(item->data(0, kPathRole).toString());
        watchShownFolders();
    });
    connect(m_combo1, &QComboBox::currentIndexChanged, this, [this] {
        m_folders->setPattern(currentPattern());
    });
    connect(m_file1, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        emit fileClicked(folderPath(), item->text());
    });
    connect(m_file1, &FileListWidget::userSelected, this, [this](QListWidgetItem *item) {
        emit fileClicked(folderPath(), item->text());
    });
    connect(m_dir1, &QTreeWidget::itemCollapsed, this, [this] { watchShownFolders(); });
    watchShownFolders();
}

MediaBrowser::~MediaBrowser() = default;

QComboBox *MediaBrowser::drive1() const { return m_drive1; }
QTreeWidget *MediaBrowser::dir1() const { return m_dir1; }
QComboBox *MediaBrowser::combo1() const { return m_combo1; }
QListWidget *MediaBrowser::file1() const { return m_file1; }

QString MediaBrowser::folderPath() const
{
    return QDir::toNativeSeparators(m_folders->folder());
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
    return m_folders->lastdrive();
}

LongWork &MediaBrowser::reading()
{
    return m_folders->reading();
}

bool MediaBrowser::openFolder(const QString &path)
{
    return m_folders->openFolder(path);
}

void MediaBrowser::checkVolumes()
{
    m_folders->checkVolumes();
}

void MediaBrowser::followDisk()
{
    m_folders->followDisk();
}

void MediaBrowser::driveChanged(int index)
{
    if (!m_folders->chooseVolume(index)) {
        m_messages.exclamation(kUnavailable, kPromptTitle);
        // Back to the drive still shown in the tree; that drive reads fine,
        // so only command enabling runs again.
        selectDrive(m_folders->volumeIndex());
        emit fileListChanged(fileCount());
    }
}

// Tens of thousands of items take a while to make: the list is filled a
// part per turn of the event loop, so the window keeps answering.
void MediaBrowser::fill(const QStringList &names, bool sameFolder)
{
    // Read again: the selected file and the scrolling are kept.
    m_filling.names = names;
    m_filling.current = sameFolder && m_file1->currentItem() ? m_file1->currentItem()->text() : QString();
    m_filling.scroll = sameFolder ? m_file1->verticalScrollBar()->value() : -1;
    m_filling.active = true;
    fillFileList();
}

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
    emit fileListChanged(fileCount());
    m_work.settle();
}

void MediaBrowser::fillDrives()
{
    const QIcon driveIcon = m_drive1->style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const Volume &v : m_folders->volumes())
        m_drive1->addItem(driveIcon, v.name, v.rootPath);
    selectDrive(m_folders->volumeIndex());
}

QTreeWidgetItem *MediaBrowser::treeItem(const QString &path) const
{
    for (QTreeWidgetItemIterator it(m_dir1); *it; ++it)
        if ((*it)->data(0, kPathRole).toString() == path)
            return *it;
    return nullptr;
}

// The folders whose subfolders the tree shows are watched, beside the shown one.
void MediaBrowser::watchShownFolders()
{
    QStringList wanted;
    for (QTreeWidgetItemIterator it(m_dir1); *it; ++it) {
        QTreeWidgetItem *item = *it;
        if (item->data(0, kLoadedRole).toBool() && (item->isExpanded() || item == m_dir1->currentItem()))
            wanted << item->data(0, kPathRole).toString();
    }
    m_folders->watch(wanted);
}

// What the folders in sight are stays still across `change`: the first one
// keeps its place at the top (or, when it went, the first one still there).
void MediaBrowser::keepViewStill(const std::function<void()> &change)
{
    const QScopedValueRollback building(m_building, true);
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
}

void MediaBrowser::readChildren(QTreeWidgetItem *item, OnLanding onLanding)
{
    const QString path = item->data(0, kPathRole).toString();
    QStringList had;
    for (int i = 0; i < item->childCount(); ++i)
        had << item->child(i)->data(0, kPathRole).toString();
    m_folders->readSubfolders(
        path, had,
        [this, path, onLanding](FolderBrowser::Subfolders &read) {
            // The tree may have been built anew meanwhile.
            QTreeWidgetItem *now = treeItem(path);
            if (now && now->data(0, kLoadedRole).toBool()) {
                if (onLanding == OnLanding::KeepViewStill) {
                    keepViewStill([&] { mergeChildren(now, read); });
                } else {
                    const QScopedValueRollback building(m_building, true);
                    mergeChildren(now, read);
                    if (QTreeWidgetItem *current = m_dir1->currentItem();
                        current && onLanding == OnLanding::RevealCurrent) {
                        m_dir1->scrollToItem(current);
                        m_dir1->horizontalScrollBar()->setValue(0);
                    }
                }
            }
            watchShownFolders();
        },
        onLanding == OnLanding::KeepViewStill);
}

// The children gone are taken out, new ones put in their sorted place; the
// others keep their items, opened or not.
void MediaBrowser::mergeChildren(QTreeWidgetItem *item, const FolderBrowser::Subfolders &read)
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

// Rebuilds the tree for the shown volume: its root, the folders down to
// `folder`, and the subfolders of each of them.
void MediaBrowser::showFolderInTree(const QString &folder)
{
    const QScopedValueRollback building(m_building, true);
    selectDrive(m_folders->volumeIndex());
    const QString root = m_folders->volumes().value(m_folders->volumeIndex()).rootPath;
    m_dir1->clear();
    const QIcon folderIcon = m_dir1->style()->standardIcon(QStyle::SP_DirIcon);
    auto *item = new QTreeWidgetItem(m_dir1, {QDir::toNativeSeparators(QDir::cleanPath(root))});
    item->setIcon(0, m_dir1->style()->standardIcon(QStyle::SP_DriveHDIcon));
    item->setData(0, kPathRole, QDir::cleanPath(root));
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);

    QString current = QDir::cleanPath(root);
    const QString rest = folder.mid(root.size());
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
    watchShownFolders();
}

void MediaBrowser::loadChildren(QTreeWidgetItem *item, OnLanding onLanding)
{
    if (item->data(0, kLoadedRole).toBool())
        return;
    item->setData(0, kLoadedRole, true);
    readChildren(item, onLanding);
}

void MediaBrowser::selectDrive(int index)
{
    const QScopedValueRollback building(m_building, true);
    m_drive1->setCurrentIndex(index);
}

#include "media_browser.moc"
