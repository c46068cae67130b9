#include "main_window/browser/media_browser.h"

#include "model/media_types.h"
#include "tests/common/wait_idle.h"

#include "platform/files/volumes.h"
#include "platform/fakes/fake_drives.h"
#include "platform/fakes/fake_message_box.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWidget>

#include <memory>

namespace {

const QString kNoMedium = QStringLiteral("/melvora-no-such-drive/");

// A browser over a temporary folder tree that is the first "drive":
//   music/  a.mp3 alpha.MP3 B.MP3 c.Mp3 Zed.mp3 d.wav k.Au e.mov f.m3u g.PLS
//           h.txt song.mp3.txt x.avi y.WMV z.ogg  (+ folders sub/, sub.mp3/)
//   music/sub/  deep.mp3
//   empty/
struct Fixture {
    QTemporaryDir tmp;
    QString root;    // '/' separators, no trailing slash
    QString oldCwd = QDir::currentPath();
    FakeDrives drives;
    FakeMessageBox messages;
    QWidget window;
    std::unique_ptr<MediaBrowser> browser;

    Fixture()
    {
        root = QDir::cleanPath(tmp.path());
        QDir dir(root);
        dir.mkpath("music/sub");
        dir.mkpath("music/sub.mp3");
        dir.mkpath("empty");
        for (const char *name : {"a.mp3", "alpha.MP3", "B.MP3", "c.Mp3", "Zed.mp3", "d.wav", "k.Au",
                                 "e.mov", "f.m3u", "g.PLS", "h.txt", "song.mp3.txt", "x.avi",
                                 "y.WMV", "z.ogg"})
            touch("music/" + QString::fromLatin1(name));
        touch("music/sub/deep.mp3");
        drives.list = {{"tmp", root + "/"}, {"cd", kNoMedium}};
        drives.unavailable = {kNoMedium};
        QDir::setCurrent(root + "/music");
        browser = std::make_unique<MediaBrowser>(&window, messages, drives);
        window.resize(400, 600);
        browser->file1()->setGeometry(0, 300, 300, 300);
        if (!listed())
            qFatal("the first folder was not read");
    }
    // The folder shown is read (off the UI thread) and its files listed.
    bool listed()
    {
        return waitForIdle(browser->work(), 5000);
    }
    ~Fixture() { QDir::setCurrent(oldCwd); }

    void touch(const QString &relative)
    {
        QFile f(root + "/" + relative);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QString native(const QString &relative) const
    {
        return QDir::toNativeSeparators(relative.isEmpty() ? root : root + "/" + relative);
    }
    QTreeWidgetItem *treeItem(const QString &relative) const
    {
        const QString path = relative.isEmpty() ? root : root + "/" + relative;
        for (QTreeWidgetItemIterator it(browser->dir1()); *it; ++it)
            if ((*it)->data(0, Qt::UserRole).toString() == path)
                return *it;
        return nullptr;
    }
};

} // namespace

class TestMediaBrowser : public QObject {
    Q_OBJECT

private slots:
    // The filter box offers the media types' ten items in order and starts on "*.MP3".
    void filterItemsAreFixed()
    {
        Fixture f;
        QComboBox *combo = f.browser->combo1();
        QStringList shown;
        for (int i = 0; i < combo->count(); ++i)
            shown << combo->itemText(i);
        QCOMPARE(shown, MediaTypes::filterItems());
        QCOMPARE(combo->currentText(), QStringLiteral("*.MP3"));
        QVERIFY(!combo->isEditable());
    }

    // Each filter lists the matching files of the folder, ignoring letter
    // case, sorted by name without regard to case; folders never appear.
    void filterListsMatchingFiles_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("mp3") << 0 << QStringList{"a.mp3", "alpha.MP3", "B.MP3", "c.Mp3", "Zed.mp3"};
        QTest::newRow("lists") << 1 << QStringList{"f.m3u", "g.PLS"};
        QTest::newRow("midi, none") << 2 << QStringList{};
        QTest::newRow("video") << 3 << QStringList{"x.avi", "y.WMV"};
        QTest::newRow("wave") << 4 << QStringList{"d.wav", "k.Au"};
        QTest::newRow("ogg") << 5 << QStringList{"z.ogg"};
        QTest::newRow("all types")
            << 9
            << QStringList{"a.mp3", "alpha.MP3", "B.MP3", "c.Mp3", "d.wav", "e.mov", "f.m3u",
                           "g.PLS", "k.Au", "x.avi", "y.WMV", "z.ogg", "Zed.mp3"};
    }
    void filterListsMatchingFiles()
    {
        QFETCH(int, item);
        QFETCH(QStringList, names);
        Fixture f;
        QSignalSpy changed(f.browser.get(), &MediaBrowser::fileListChanged);
        QSignalSpy clicked(f.browser.get(), &MediaBrowser::fileClicked);
        f.browser->combo1()->setCurrentIndex(item);
        QVERIFY(f.listed());
        QCOMPARE(f.browser->fileNames(), names);
        QCOMPARE(f.browser->fileCount(), names.size());
        QCOMPARE(f.browser->file1()->count(), names.size());
        QCOMPARE(f.browser->folderPath(), f.native("music"));
        if (item != 0) {
            QCOMPARE(changed.size(), 1);
            QCOMPARE(changed.first().first().toInt(), names.size());
        }
        QCOMPARE(clicked.size(), 0);
    }

    // The start state: the working folder, its drive as lastdrive, its
    // subfolders visible in the tree below the path to it.
    void startsInWorkingFolder()
    {
        Fixture f;
        QCOMPARE(f.browser->folderPath(), f.native("music"));
        QCOMPARE(f.browser->lastdrive(), f.root + "/");
        QCOMPARE(f.browser->drive1()->currentData().toString(), f.root + "/");
        QCOMPARE(f.browser->drive1()->count(), 2);
        QTreeWidgetItem *music = f.treeItem("music");
        QVERIFY(music);
        QCOMPARE(f.browser->dir1()->currentItem(), music);
        QVERIFY(music->isExpanded());
        QVERIFY(music->parent() && music->parent()->isExpanded());
        QVERIFY(f.treeItem("music/sub"));
        QVERIFY(f.treeItem("empty"));
        QCOMPARE(f.browser->drive1()->objectName(), QStringLiteral("drive1"));
        QCOMPARE(f.browser->dir1()->objectName(), QStringLiteral("Dir1"));
        QCOMPARE(f.browser->combo1()->objectName(), QStringLiteral("Combo1"));
        QCOMPARE(f.browser->file1()->objectName(), QStringLiteral("File1"));
        for (QWidget *w : std::initializer_list<QWidget *>{f.browser->drive1(), f.browser->dir1(),
                                                           f.browser->combo1(), f.browser->file1()})
            QCOMPARE(w->parentWidget(), &f.window);
    }

    // Opening a folder in the tree re-lists the file list once, with the
    // current filter; an empty folder leaves the list empty but visible.
    void openingFolderRelists_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("subfolder") << "music/sub" << QStringList{"deep.mp3"};
        QTest::newRow("empty") << "empty" << QStringList{};
        QTest::newRow("drive root") << "" << QStringList{};
    }
    void openingFolderRelists()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, names);
        Fixture f;
        f.window.show();
        QSignalSpy changed(f.browser.get(), &MediaBrowser::fileListChanged);
        QSignalSpy clicked(f.browser.get(), &MediaBrowser::fileClicked);
        QTreeWidgetItem *item = f.treeItem(folder);
        QVERIFY(item);
        f.browser->dir1()->setCurrentItem(item);
        QVERIFY(f.listed());
        QCOMPARE(f.browser->folderPath(), f.native(folder));
        QCOMPARE(f.browser->fileNames(), names);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().first().toInt(), names.size());
        QVERIFY(f.browser->file1()->isVisible());
        QCOMPARE(clicked.size(), 0);
    }

    // Folders below the path are read when they are expanded.
    void expandingReadsSubfolders()
    {
        Fixture f;
        f.touch("empty/in.mp3");
        QDir(f.root).mkpath("empty/inner");
        QTreeWidgetItem *empty = f.treeItem("empty");
        QVERIFY(empty);
        QVERIFY(!f.treeItem("empty/inner"));
        empty->setExpanded(true);
        QVERIFY(f.listed());   // read off the UI thread
        QVERIFY(f.treeItem("empty/inner"));
    }

    void openFolderShowsPathInTree()
    {
        Fixture f;
        QSignalSpy changed(f.browser.get(), &MediaBrowser::fileListChanged);
        QSignalSpy clicked(f.browser.get(), &MediaBrowser::fileClicked);
        QVERIFY(f.browser->openFolder(f.root + "/music/sub"));
        QVERIFY(f.listed());
        QCOMPARE(f.browser->folderPath(), f.native("music/sub"));
        QCOMPARE(f.browser->fileNames(), QStringList{"deep.mp3"});
        QCOMPARE(f.browser->dir1()->currentItem(), f.treeItem("music/sub"));
        QCOMPARE(changed.size(), 1);
        QVERIFY(!f.browser->openFolder(f.root + "/no-such-folder"));
        QCOMPARE(f.browser->folderPath(), f.native("music/sub"));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(clicked.size(), 0);
    }

    // Each selection the user makes in the file list is one click, with the
    // folder and the file name; a double click is one click too, and a key
    // that leaves the selection where it is makes none.
    void userSelectionIsOneClick_data()
    {
        QTest::addColumn<int>("startRow"); // -1: nothing selected before
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("expected"); // empty: no click
        QTest::newRow("mouse, first") << -1 << "mouse 0" << "a.mp3";
        QTest::newRow("mouse, third") << 0 << "mouse 2" << "B.MP3";
        QTest::newRow("mouse, same again") << 2 << "mouse 2" << "B.MP3";
        QTest::newRow("double click") << -1 << "double 1" << "alpha.MP3";
        QTest::newRow("dragged onto another") << -1 << "drag 0 2" << "B.MP3";
        QTest::newRow("dragged away and back") << -1 << "drag 1 2 1" << "alpha.MP3";
        QTest::newRow("down from first") << 0 << "Down" << "alpha.MP3";
        QTest::newRow("up from third") << 2 << "Up" << "alpha.MP3";
        QTest::newRow("end") << 0 << "End" << "Zed.mp3";
        QTest::newRow("up at first") << 0 << "Up" << "";
        QTest::newRow("home at first") << 0 << "Home" << "";
    }
    void userSelectionIsOneClick()
    {
        QFETCH(int, startRow);
        QFETCH(QString, action);
        QFETCH(QString, expected);
        Fixture f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QListWidget *list = f.browser->file1();
        if (startRow >= 0)
            list->setCurrentRow(startRow);
        QSignalSpy clicked(f.browser.get(), &MediaBrowser::fileClicked);
        const QString how = action.section(' ', 0, 0);
        if (how == "mouse" || how == "double") {
            const int row = action.section(' ', 1).toInt();
            const QPoint at = list->visualItemRect(list->item(row)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            if (how == "double")
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        } else if (how == "drag") {
            // Press on the first row, move with the button held over the others, release.
            const QStringList rows = action.section(' ', 1).split(' ');
            QWidget *viewport = list->viewport();
            const auto send = [&](QEvent::Type type, int row, Qt::MouseButtons held) {
                const QPoint at = list->visualItemRect(list->item(row)).center();
                QMouseEvent e(type, at, viewport->mapToGlobal(at),
                              type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
                QApplication::sendEvent(viewport, &e);
            };
            send(QEvent::MouseButtonPress, rows.first().toInt(), Qt::LeftButton);
            for (const QString &row : rows.mid(1))
                send(QEvent::MouseMove, row.toInt(), Qt::LeftButton);
            send(QEvent::MouseButtonRelease, rows.last().toInt(), Qt::NoButton);
            QCOMPARE(list->currentRow(), rows.last().toInt());
        } else {
            list->setFocus();
            const QMap<QString, Qt::Key> keys = {
                {"Down", Qt::Key_Down}, {"Up", Qt::Key_Up}, {"End", Qt::Key_End}, {"Home", Qt::Key_Home}};
            QTest::keyClick(list, keys.value(how));
        }
        if (expected.isEmpty()) {
            QCOMPARE(clicked.size(), 0);
            return;
        }
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked.first().at(0).toString(), f.native("music"));
        QCOMPARE(clicked.first().at(1).toString(), expected);
    }

    // Re-listing and selections made by the program are no clicks.
    void programChangesAreNoClicks()
    {
        Fixture f;
        f.window.show();
        QSignalSpy clicked(f.browser.get(), &MediaBrowser::fileClicked);
        f.browser->file1()->setCurrentRow(1);
        f.browser->file1()->setCurrentRow(3);
        f.browser->combo1()->setCurrentIndex(9);
        f.browser->file1()->setCurrentRow(0);
        f.browser->dir1()->setCurrentItem(f.treeItem("music/sub"));
        f.browser->openFolder(f.root + "/music");
        QVERIFY(f.listed());
        QCOMPARE(clicked.size(), 0);
    }

    // A drive that cannot be read: one message, the chooser back on the last
    // drive, tree and list unchanged; command enabling runs once more.
    void unavailableDriveGoesBack()
    {
        Fixture f;
        f.browser->combo1()->setCurrentIndex(9);
        QVERIFY(f.listed());
        const QStringList before = f.browser->fileNames();
        QTreeWidgetItem *current = f.browser->dir1()->currentItem();
        QSignalSpy changed(f.browser.get(), &MediaBrowser::fileListChanged);
        QSignalSpy clicked(f.browser.get(), &MediaBrowser::fileClicked);
        f.browser->drive1()->setCurrentIndex(1);
        QCOMPARE(f.messages.shown.size(), 1);
        QCOMPARE(f.messages.shown.first().kind, FakeMessageBox::Shown::Exclamation);
        QCOMPARE(f.messages.shown.first().text, QStringLiteral("该驱动器不可用！"));
        QCOMPARE(f.messages.shown.first().title, QStringLiteral("提示"));
        QCOMPARE(f.browser->drive1()->currentIndex(), 0);
        QCOMPARE(f.browser->drive1()->currentData().toString(), f.browser->lastdrive());
        QCOMPARE(f.browser->lastdrive(), f.root + "/");
        QCOMPARE(f.browser->fileNames(), before);
        QCOMPARE(f.browser->folderPath(), f.native("music"));
        QCOMPARE(f.browser->dir1()->currentItem(), current);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().first().toInt(), before.size());
        QCOMPARE(clicked.size(), 0);
    }

    // Another readable drive shows its root folder and becomes lastdrive.
    void readableDriveShowsItsRoot()
    {
        Fixture f;
        QTemporaryDir other;
        const QString otherRoot = QDir::cleanPath(other.path());
        QFile(otherRoot + "/one.MP3").open(QIODevice::WriteOnly);
        QDir(otherRoot).mkpath("inside");
        f.drives.list.append({"usb", otherRoot + "/"});
        // A drive added later is offered by a fresh browser.
        f.browser = std::make_unique<MediaBrowser>(&f.window, f.messages, f.drives);
        QVERIFY(f.listed());
        QCOMPARE(f.browser->drive1()->count(), 3);
        QSignalSpy changed(f.browser.get(), &MediaBrowser::fileListChanged);
        f.browser->drive1()->setCurrentIndex(2);
        QVERIFY(f.messages.shown.isEmpty());
        QVERIFY(f.listed());
        QCOMPARE(f.browser->lastdrive(), otherRoot + "/");
        QCOMPARE(f.browser->folderPath(), QDir::toNativeSeparators(otherRoot));
        QCOMPARE(f.browser->fileNames(), QStringList{"one.MP3"});
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().first().toInt(), 1);
        QCOMPARE(f.browser->dir1()->topLevelItemCount(), 1);
        QCOMPARE(f.browser->dir1()->topLevelItem(0)->childCount(), 1);
        // And back to the first drive: its current folder is the working folder.
        f.browser->drive1()->setCurrentIndex(0);
        QCOMPARE(f.browser->folderPath(), f.native("music"));
        QCOMPARE(f.browser->lastdrive(), f.root + "/");
    }

    // Folders created, removed or renamed on disk come and go in the tree by
    // themselves, in their sorted place, wherever the tree shows the folder
    // above them; the shown folder stays shown.
    void treeFollowsDisk_data()
    {
        QTest::addColumn<QString>("change");   // mkdir, rmdir, rename
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("parent");   // whose subfolders change
        QTest::newRow("made in the shown folder") << "mkdir" << "music/new" << "" << "music";
        QTest::newRow("made first in order") << "mkdir" << "music/0 first" << "" << "music";
        QTest::newRow("made beside the shown folder") << "mkdir" << "newtop" << "" << "";
        QTest::newRow("removed") << "rmdir" << "music/sub.mp3" << "" << "music";
        QTest::newRow("renamed") << "rename" << "music/sub" << "music/zz sub" << "music";
        QTest::newRow("beside renamed") << "rename" << "empty" << "Empty too" << "";
    }
    void treeFollowsDisk()
    {
        QFETCH(QString, change);
        QFETCH(QString, path);
        QFETCH(QString, to);
        QFETCH(QString, parent);
        Fixture f;
        QSignalSpy clicked(f.browser.get(), &MediaBrowser::fileClicked);
        QDir root(f.root);
        if (change == "mkdir")
            QVERIFY(root.mkpath(path));
        else if (change == "rmdir")
            QVERIFY(root.rmdir(path));
        else
            QVERIFY(root.rename(path, to));
        const QString parentPath = parent.isEmpty() ? f.root : f.root + "/" + parent;
        const QStringList onDisk =
            QDir(parentPath).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
        const auto shown = [&] {
            QTreeWidgetItem *item = f.treeItem(parent);
            QStringList names;
            for (int i = 0; item && i < item->childCount(); ++i)
                names << item->child(i)->text(0);
            return names;
        };
        QTRY_COMPARE(shown(), onDisk);
        QCOMPARE(f.browser->folderPath(), f.native("music"));
        QCOMPARE(f.browser->dir1()->currentItem(), f.treeItem("music"));
        QCOMPARE(clicked.size(), 0);
    }

    // Folders that come or go above what the tree shows do not move what it
    // shows: the first folder in view stays the first, or, when it went, the
    // next one still there takes its place.
    void treeViewStaysStill_data()
    {
        QTest::addColumn<QStringList>("made");      // folders made under the root
        QTest::addColumn<QStringList>("removed");   // folders removed from under the root
        QTest::addColumn<QString>("top");           // the first folder in view afterwards
        QTest::newRow("three made above") << QStringList{"a1", "a2", "a3"} << QStringList{} << "f30";
        QTest::newRow("two removed above") << QStringList{} << QStringList{"f05", "f06"} << "f30";
        QTest::newRow("made and removed above") << QStringList{"a1"} << QStringList{"f01", "f02", "f03"} << "f30";
        QTest::newRow("made below only") << QStringList{"zz"} << QStringList{} << "f30";
        QTest::newRow("the first in view removed") << QStringList{"a1"} << QStringList{"f30"} << "f31";
    }
    void treeViewStaysStill()
    {
        QFETCH(QStringList, made);
        QFETCH(QStringList, removed);
        QFETCH(QString, top);
        Fixture f;
        QDir root(f.root);
        for (int i = 0; i < 60; ++i)
            QVERIFY(root.mkdir(QStringLiteral("f%1").arg(i, 2, 10, QLatin1Char('0'))));
        QVERIFY(f.browser->openFolder(f.root));
        QVERIFY(f.listed());
        QTreeWidget *tree = f.browser->dir1();
        tree->setGeometry(0, 0, 200, 150);
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        tree->scrollToItem(f.treeItem("f30"), QAbstractItemView::PositionAtTop);
        QCOMPARE(tree->itemAt(0, 0)->text(0), QStringLiteral("f30"));
        const int row = tree->visualItemRect(tree->itemAt(0, 0)).top();
        for (const QString &name : made)
            QVERIFY(root.mkdir(name));
        for (const QString &name : removed)
            QVERIFY(root.rmdir(name));
        const QStringList onDisk =
            QDir(f.root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
        const auto shown = [&] {
            QStringList names;
            for (int i = 0; i < f.treeItem("")->childCount(); ++i)
                names << f.treeItem("")->child(i)->text(0);
            return names;
        };
        QTRY_COMPARE(shown(), onDisk);   // the tree follows by itself
        QCOMPARE(f.treeItem("a1") != nullptr, made.contains("a1"));
        QCOMPARE(tree->itemAt(0, 0)->text(0), top);
        QCOMPARE(tree->visualItemRect(tree->itemAt(0, 0)).top(), row);
    }

    // Files coming and going in the shown folder change the file list; the
    // selected file stays selected, and none of it counts as a click.
    void fileListFollowsDisk_data()
    {
        QTest::addColumn<QString>("change");   // touch, remove, rename
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("file added") << "touch" << "new.mp3" << ""
                                    << QStringList{"a.mp3", "alpha.MP3", "B.MP3", "c.Mp3", "new.mp3", "Zed.mp3"};
        QTest::newRow("file of another type added") << "touch" << "new.wav" << ""
                                                    << QStringList{"a.mp3", "alpha.MP3", "B.MP3", "c.Mp3", "Zed.mp3"};
        QTest::newRow("file removed") << "remove" << "alpha.MP3" << ""
                                      << QStringList{"a.mp3", "B.MP3", "c.Mp3", "Zed.mp3"};
        QTest::newRow("file renamed") << "rename" << "Zed.mp3" << "b2.mp3"
                                      << QStringList{"a.mp3", "alpha.MP3", "B.MP3", "b2.mp3", "c.Mp3"};
    }
    void fileListFollowsDisk()
    {
        QFETCH(QString, change);
        QFETCH(QString, name);
        QFETCH(QString, to);
        QFETCH(QStringList, names);
        Fixture f;
        f.browser->file1()->setCurrentRow(3);   // c.Mp3
        QSignalSpy changed(f.browser.get(), &MediaBrowser::fileListChanged);
        QSignalSpy clicked(f.browser.get(), &MediaBrowser::fileClicked);
        QDir music(f.root + "/music");
        if (change == "touch")
            f.touch("music/" + name);
        else if (change == "remove")
            QVERIFY(music.remove(name));
        else
            QVERIFY(music.rename(name, to));
        if (names != f.browser->fileNames())
            QTRY_COMPARE(f.browser->fileNames(), names);
        else
            QTRY_VERIFY(changed.size() > 0);
        QCOMPARE(changed.constLast().first().toInt(), names.size());
        QCOMPARE(f.browser->file1()->currentItem()->text(), QStringLiteral("c.Mp3"));
        QCOMPARE(clicked.size(), 0);
    }

    // The shown folder removed: its nearest folder still there is shown.
    void shownFolderRemovedShowsParent()
    {
        Fixture f;
        QVERIFY(f.browser->openFolder(f.root + "/music/sub"));
        QVERIFY(f.listed());
        QCOMPARE(f.browser->fileNames(), QStringList{"deep.mp3"});
        QVERIFY(QDir(f.root + "/music/sub").removeRecursively());
        QTRY_COMPARE(f.browser->folderPath(), f.native("music"));
        QVERIFY(f.listed());
        QCOMPARE(f.browser->fileNames(), QStringList({"a.mp3", "alpha.MP3", "B.MP3", "c.Mp3", "Zed.mp3"}));
        QCOMPARE(f.browser->dir1()->currentItem(), f.treeItem("music"));
        QVERIFY(!f.treeItem("music/sub"));
    }

    // A burst of new files is read in one go, not once per file.
    void burstIsReadOnce()
    {
        Fixture f;
        QSignalSpy changed(f.browser.get(), &MediaBrowser::fileListChanged);
        for (int i = 0; i < 300; ++i)
            f.touch(QStringLiteral("music/burst %1.mp3").arg(i, 3, 10, QLatin1Char('0')));
        QTRY_COMPARE(f.browser->fileCount(), 305);
        QTest::qWait(600);
        QVERIFY2(changed.size() <= 2, qPrintable(QString::number(changed.size())));
        QCOMPARE(changed.constLast().first().toInt(), 305);
    }

    // Volumes mounted and unmounted change the drive chooser; the one shown
    // stays shown while it is there, and gives way to the first when it goes.
    void volumesFollowMounts()
    {
        Fixture f;
        QTemporaryDir other;
        const QString otherRoot = QDir::cleanPath(other.path()) + "/";
        QSignalSpy changed(f.browser.get(), &MediaBrowser::fileListChanged);
        f.drives.list.append({"usb", otherRoot});
        f.browser->checkVolumes();
        QCOMPARE(f.browser->drive1()->count(), 3);
        QCOMPARE(f.browser->drive1()->itemText(2), QStringLiteral("usb"));
        QCOMPARE(f.browser->drive1()->currentIndex(), 0);
        QCOMPARE(f.browser->folderPath(), f.native("music"));
        QCOMPARE(changed.size(), 0);

        f.browser->drive1()->setCurrentIndex(2);   // shows the new volume
        QVERIFY(f.listed());
        QCOMPARE(f.browser->lastdrive(), otherRoot);
        f.drives.list.removeLast();                 // and it is unmounted
        changed.clear();
        f.browser->checkVolumes();
        QVERIFY(f.listed());
        QCOMPARE(f.browser->drive1()->count(), 2);
        QCOMPARE(f.browser->drive1()->currentIndex(), 0);
        QCOMPARE(f.browser->lastdrive(), f.root + "/");
        QCOMPARE(f.browser->folderPath(), f.native("music"));
        QCOMPARE(changed.size(), 1);
        QVERIFY(f.messages.shown.isEmpty());
        // Nothing changed: nothing happens.
        f.browser->checkVolumes();
        QCOMPARE(changed.size(), 1);
    }
};

QTEST_MAIN(TestMediaBrowser)
#include "tst_media_browser.moc"
