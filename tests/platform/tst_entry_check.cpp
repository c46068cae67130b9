#include "platform/fakes/fake_file_probe.h"

#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(EntryHealth)

// What the check makes of an entry that is there, gone, on an unmounted
// volume, or a URL.
class EntryCheckTest : public QObject {
    Q_OBJECT
private slots:
    void health_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<EntryHealth>("expected");
        QTest::newRow("present") << "/music/a.mp3" << EntryHealth::Present;
        QTest::newRow("missing on the root volume") << "/music/gone.mp3" << EntryHealth::Missing;
        QTest::newRow("missing on a mounted stick") << "/media/me/STICK/gone.mp3" << EntryHealth::Missing;
        QTest::newRow("stick not mounted") << "/media/me/OTHER/a.mp3" << EntryHealth::Unavailable;
        QTest::newRow("media without a user's folder") << "/media/usb0/a.mp3" << EntryHealth::Unavailable;
        QTest::newRow("run/media not mounted") << "/run/media/me/DISK/x/a.mp3" << EntryHealth::Unavailable;
        QTest::newRow("mnt not mounted") << "/mnt/nas/a.mp3" << EntryHealth::Unavailable;
        QTest::newRow("a file right in /mnt is just missing") << "/mnt/a.mp3" << EntryHealth::Missing;
        QTest::newRow("drive letter not there") << "E:\\music\\a.mp3" << EntryHealth::Unavailable;
        QTest::newRow("a known mount point, not mounted") << "/srv/music/x/a.mp3" << EntryHealth::Unavailable;
        QTest::newRow("only at a folder boundary") << "/srv/music2/a.mp3" << EntryHealth::Missing;
        QTest::newRow("a known mount point, mounted") << "/srv/disk/a.mp3" << EntryHealth::Missing;
        QTest::newRow("url") << "http://radio.example/stream.mp3" << EntryHealth::Present;
    }
    void health()
    {
        QFETCH(QString, entry);
        QFETCH(EntryHealth, expected);
        FakeFileProbe probe;
        probe.files = {QStringLiteral("/music/a.mp3")};
        probe.filled = {QStringLiteral("/media/me/STICK"), QStringLiteral("/srv"), QStringLiteral("/srv/disk")};
        probe.mounts = {QStringLiteral("/srv"), QStringLiteral("/srv/music"), QStringLiteral("/srv/disk")};
        WorkProgress progress;
        QCOMPARE(checkEntries({entry}, probe, progress).value(entry, EntryHealth::Present), expected);
    }

    // A volume is asked about once per check, not once per entry.
    void volumeAskedOnce()
    {
        FakeFileProbe probe;
        QStringList entries;
        for (int i = 0; i < 100; ++i)
            entries << QStringLiteral("/media/me/GONE/%1.mp3").arg(i);
        WorkProgress progress;
        QCOMPARE(checkEntries(entries, probe, progress).size(), 100);
        QCOMPARE(probe.asked, 101);
    }
};

QTEST_GUILESS_MAIN(EntryCheckTest)
#include "tst_entry_check.moc"
