#include "platform/fakes/fake_drives.h"
#include "platform/files/volumes.h"

#include <QSet>
#include <QTest>

class VolumesTest : public QObject {
    Q_OBJECT
private slots:
    // The one rule: the deepest root that holds the path a name at a time,
    // else the removable volume the place names, else none. (The check for
    // missing entries asks it for the other places: tst_entry_check.)
    void volumeOfPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("volume");
        QTest::newRow("the deepest") << "/srv/disk/a.mp3" << "/srv/disk";
        QTest::newRow("a name at a time") << "/srv/music2/a.mp3" << "/srv";
        QTest::newRow("given with a trailing slash") << "/media/usb/a" << "/media/usb/";
        QTest::newRow("dots taken out first") << "/srv/x/../music/a.mp3" << "/srv/music";
        QTest::newRow("drive letter, slash") << "e:/a.mp3" << "e:/";
        QTest::newRow("on the root") << "/home/me/a.mp3" << "";
    }
    void volumeOfPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, volume);
        const QStringList roots = {"/srv", "/srv/music", "/srv/disk", "/media/usb/"};
        QCOMPARE(volumeOf(path, roots), volume);
        QCOMPARE(VolumeFinder(roots)(path), volume);
    }

    // The drive chooser asks the same rule among its own volumes; a path on
    // none of them is on the first.
    void drivesVolumeOf_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("volume");
        QTest::newRow("root itself") << "/" << "/";
        QTest::newRow("on root") << "/home/me" << "/";
        QTest::newRow("mount point") << "/media/usb" << "/media/usb/";
        QTest::newRow("inside mount") << "/media/usb/music/a" << "/media/usb/";
        QTest::newRow("name prefix only") << "/media/usb2/x" << "/";
        QTest::newRow("a removable place not listed") << "/media/me/STICK/a" << "/";
    }
    void drivesVolumeOf()
    {
        QFETCH(QString, path);
        QFETCH(QString, volume);
        FakeDrives drives;
        drives.list = {{"/", "/"}, {"/media/usb [STICK]", "/media/usb/"}};
        QCOMPARE(drives.volumeOf(path), volume);
        QVERIFY(volumeHolds(volume, path));
    }

    // Mount points as the system's tables spell them.
    void mountTables()
    {
        const QByteArray mountinfo = "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                     "40 22 8:17 / /media/me/MY\\040STICK rw - vfat /dev/sdb1 rw\n"
                                     "41 22 0:5 / /proc rw - proc proc rw\n"
                                     "41 22 0:5 / /proc rw - proc proc rw\n";
        const QByteArray fstab = "# <file system> <mount point> <type>\n"
                                 "UUID=1 /srv/music ext4 defaults 0 2\n"
                                 "\n"
                                 "/dev/sr0 /media/cd\\011rom udf noauto 0 0\n"
                                 "proc /proc proc defaults 0 0\n";
        QCOMPARE(mountPointsIn(mountinfo, fstab),
                 (QStringList{"/media/me/MY STICK", "/proc", "/srv/music", "/media/cd\trom"}));
        // This machine's own tables.
        const QStringList points = systemMountPoints();
        QVERIFY(!points.contains(QStringLiteral("/")));
    }

    // The real drive list puts the root first and tells a missing volume.
    void realDrives()
    {
        QtDrives drives;
        const QList<Volume> volumes = drives.volumes();
        QVERIFY(!volumes.isEmpty());
#ifndef Q_OS_WIN
        QCOMPARE(volumes.first().rootPath, QStringLiteral("/"));
        QVERIFY(drives.isReady("/"));
#endif
        QSet<QString> roots;
        for (const Volume &v : volumes) {
            QVERIFY(v.rootPath.endsWith('/'));
            QVERIFY(!roots.contains(v.rootPath));
            roots.insert(v.rootPath);
        }
        QVERIFY(!drives.isReady(QStringLiteral("/melvora-no-such-drive/")));
    }
};

QTEST_GUILESS_MAIN(VolumesTest)
#include "tst_volumes.moc"
