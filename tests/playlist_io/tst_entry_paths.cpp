// Entries relative to the list's folder come back as full paths; URLs and full
// paths stay exactly as written.
#include "playlist_io/entry_paths.h"
#include "playlist_io/playlist_reader.h"
#include "playlist_io/playlist_writer.h"
#include "tests/common/test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class EntryPathsTest : public QObject {
    Q_OBJECT
private slots:
    void resolve_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("expected");   // "/" separators; compared in native ones
        QTest::newRow("name") << "a.mp3" << "/home/u/lists" << "/home/u/lists/a.mp3";
        QTest::newRow("subfolder") << "Music/a.mp3" << "/home/u/lists" << "/home/u/lists/Music/a.mp3";
        QTest::newRow("dot") << "./Music/./a.mp3" << "/home/u/lists" << "/home/u/lists/Music/a.mp3";
        QTest::newRow("parent") << "../b.mp3" << "/home/u/lists" << "/home/u/b.mp3";
        QTest::newRow("parent inside") << "Music/../x/../c.mp3" << "/m" << "/m/c.mp3";
        QTest::newRow("above the root") << "../../../d.mp3" << "/m" << "/d.mp3";
        QTest::newRow("doubled slashes") << "Music//a.mp3" << "/m" << "/m/Music/a.mp3";
        QTest::newRow("chinese folder") << "音乐/月亮代表我的心.mp3" << "/home/用户/列表"
                                        << "/home/用户/列表/音乐/月亮代表我的心.mp3";
        QTest::newRow("drive folder") << "../a.mp3" << "C:/music/lists" << "C:/music/a.mp3";
        QTest::newRow("drive root kept") << "../../a.mp3" << "C:/lists" << "C:/a.mp3";
        QTest::newRow("network share kept") << "../../a.mp3" << "//server/share/lists" << "//server/share/a.mp3";
        QTest::newRow("url") << "http://radio.example/stream.mp3" << "/m" << "http://radio.example/stream.mp3";
        QTest::newRow("url with odd scheme") << "rtsp+tcp://h/x" << "/m" << "rtsp+tcp://h/x";
        QTest::newRow("not a scheme") << "a b://x.mp3" << "/m" << "/m/a b:/x.mp3";
        QTest::newRow("absolute") << "/music/../a.mp3" << "/m" << "/music/../a.mp3";
        QTest::newRow("windows absolute") << "C:\\Music\\..\\a.mp3" << "/m" << "C:\\Music\\..\\a.mp3";
        QTest::newRow("backslash root") << "\\music\\a.mp3" << "/m" << "\\music\\a.mp3";
        QTest::newRow("empty") << "" << "/m" << "";
    }
    void resolve()
    {
        QFETCH(QString, entry);
        QFETCH(QString, folder);
        QFETCH(QString, expected);
        const bool asWritten = expected == entry;
        QCOMPARE(resolveEntry(entry, folder), asWritten ? expected : QDir::toNativeSeparators(expected));
    }

    // Reading a list resolves its relative entries against its own folder,
    // in both formats, and leaves full paths and URLs alone.
    void readResolves_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("m3u") << "l.m3u"
                             << QByteArray("#EXTM3U\r\nMusic/a.mp3\r\n../b.mp3\r\n/abs/c.mp3\r\nhttp://h/d.mp3\r\n");
        QTest::newRow("m3u8") << "l.m3u8"
                              << QByteArray("#EXTM3U\nMusic/a.mp3\n../b.mp3\n/abs/c.mp3\nhttp://h/d.mp3\n");
        QTest::newRow("pls") << "l.pls"
                             << QByteArray("[playlist]\nFile1=Music/a.mp3\nFile2=./../b.mp3\nFile3=/abs/c.mp3\n"
                                           "File4=http://h/d.mp3\nNumberOfEntries=4\n");
    }
    void readResolves()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("lists"));
        const QString file = dir.filePath("lists/" + name);
        QVERIFY(putBytes(file, content));
        const PlaylistRead read = readPlaylistFile(file);
        QCOMPARE(read.outcome, PlaylistRead::ReadOk);
        const QString folder = QDir::toNativeSeparators(dir.path());
        const QString sep = QDir::separator();
        QCOMPARE(read.entries, (QStringList{folder + sep + "lists" + sep + "Music" + sep + "a.mp3",
                                            folder + sep + "b.mp3", "/abs/c.mp3", "http://h/d.mp3"}));
    }

    // Lists from other programs: file URIs read as paths, Windows separators
    // as separators when the name as written is no file, XSPF's locations as
    // URIs; and the form they came in. "@" is the scratch folder, where
    // lists/odd\name.mp3 exists.
    void readsWhatOthersWrite_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<bool>("relative");
        QTest::addColumn<QString>("separator");
        QTest::newRow("m3u file uris") << "l.m3u" << QByteArray("file:///abs/a%20b.mp3\r\nFILE://localhost@/x%E6%9C%88.mp3\r\n"
                                                                "http://h/a%20b.mp3\r\n")
                                       << QStringList{"/abs/a b.mp3", "@/x月.mp3", "http://h/a%20b.mp3"}
                                       << false << "/";
        QTest::newRow("pls file uri") << "l.pls" << QByteArray("[playlist]\nFile1=file:///abs/c%23.mp3\nFile2=rtsp://h/%41\n")
                                      << QStringList{"/abs/c#.mp3", "rtsp://h/%41"} << false << "/";
        QTest::newRow("backslashes") << "l.m3u" << QByteArray("Music\\a.mp3\r\n..\\other\\b.mp3\r\nc/d.mp3\r\n")
                                     << QStringList{"@/lists/Music/a.mp3", "@/other/b.mp3", "@/lists/c/d.mp3"} << true << "\\";
        QTest::newRow("slashes first") << "l.m3u" << QByteArray("a.mp3\r\nc/d.mp3\r\nMusic\\a.mp3\r\n")
                                       << QStringList{"@/lists/a.mp3", "@/lists/c/d.mp3", "@/lists/Music/a.mp3"} << true << "/";
#ifndef Q_OS_WIN
        QTest::newRow("a backslash in a name") << "l.m3u" << QByteArray("odd\\name.mp3\r\n")
                                               << QStringList{"@/lists/odd\\name.mp3"} << true << "/";
#endif
        QTest::newRow("xspf") << "l.xspf"
                              << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">"
                                            "<trackList><track><location>Music/a%20b.mp3</location></track>"
                                            "<track><location>file:///abs/%E6%9C%88.mp3</location></track>"
                                            "<track><location>http://h/s?x=%20</location></track></trackList></playlist>")
                              << QStringList{"@/lists/Music/a b.mp3", "/abs/月.mp3", "http://h/s?x=%20"} << true << "/";
        QTest::newRow("xspf of full paths") << "l.XSPF"
                                            << QByteArray("<playlist><trackList><track><location>file:///abs/a.mp3</location></track></trackList></playlist>")
                                            << QStringList{"/abs/a.mp3"} << false << "/";
    }
    void readsWhatOthersWrite()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, entries);
        QFETCH(bool, relative);
        QFETCH(QString, separator);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("lists"));
        QVERIFY(putBytes(dir.filePath("lists/odd\\name.mp3"), ""));
        const QString file = dir.filePath("lists/" + name);
        QVERIFY(putBytes(file, content.replace('@', dir.path().toUtf8())));
        const PlaylistRead read = readPlaylistFile(file);
        QCOMPARE(read.outcome, PlaylistRead::ReadOk);
        for (QString &e : entries) {
            if (e.startsWith(u'@') || e.startsWith(u'/'))
                e = QDir::toNativeSeparators(e.replace(u'@', dir.path()));
        }
        QCOMPARE(read.entries, entries);
        QCOMPARE(read.form.relative, relative);
        QCOMPARE(read.form.separator, separator.at(0));
    }

    // An M3U8 list is written as M3U in UTF-8 and read back the same, byte for byte.
    void m3u8RoundTrip()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("歌单.m3u8");
        const QStringList entries{"/音乐/月亮代表我的心.mp3", "/music/Blue Moon.mp3"};
        QCOMPARE(writePlaylistFile(file, entries, Qt::CaseSensitive).outcome, PlaylistWrite::Written);
        const QByteArray expected = QString("#EXTINF:/音乐/月亮代表我的心.mp3\r\n/音乐/月亮代表我的心.mp3\r\n"
                                            "#EXTINF:/music/Blue Moon.mp3\r\n/music/Blue Moon.mp3\r\n").toUtf8();
        QCOMPARE(fileBytes(file), expected);
        QCOMPARE(readPlaylistFile(file).entries, entries);
    }
};

QTEST_GUILESS_MAIN(EntryPathsTest)
#include "tst_entry_paths.moc"
