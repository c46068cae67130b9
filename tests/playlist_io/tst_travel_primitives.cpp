// The pieces lists that travel are made of: encodings, relative entries,
// file URIs and XSPF.
#include "playlist_io/entry_paths.h"
#include "playlist_io/text_encoding.h"
#include "playlist_io/xspf.h"

#include <QDir>
#include <QTest>

Q_DECLARE_METATYPE(TextEncoding)

class TravelPrimitivesTest : public QObject {
    Q_OBJECT
private slots:
    void encode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("utf-8") << u"月a"_qs << TextEncoding::Utf8 << QByteArray("\xE6\x9C\x88" "a");
        QTest::newRow("bom") << u"月a"_qs << TextEncoding::Utf8Bom << QByteArray("\xEF\xBB\xBF\xE6\x9C\x88" "a");
        QTest::newRow("bom on nothing") << QString() << TextEncoding::Utf8Bom << QByteArray("\xEF\xBB\xBF");
        QTest::newRow("gb18030") << u"月a"_qs << TextEncoding::Gb18030 << QByteArray("\xD4\xC2" "a");
        QTest::newRow("gb18030 four bytes") << u"\U00020000"_qs << TextEncoding::Gb18030 << QByteArray("\x95\x32\x82\x36");
        QTest::newRow("gb18030 euro") << u"€"_qs << TextEncoding::Gb18030 << QByteArray("\xA2\xE3");
    }
    void encode()
    {
        QFETCH(QString, text);
        QFETCH(TextEncoding, encoding);
        QFETCH(QByteArray, bytes);
        QCOMPARE(encodeText(text, encoding), bytes);
    }

    void gbk_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("holds");
        QTest::newRow("ascii") << u"/m/a.mp3"_qs << true;
        QTest::newRow("common hanzi") << u"/音乐/月亮代表我的心.mp3"_qs << true;
        QTest::newRow("extension b") << u"/m/\U00020000.mp3"_qs << false;
        QTest::newRow("emoji") << u"😀"_qs << false;
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << false;
        QTest::newRow("empty") << QString() << true;
    }
    void gbk()
    {
        QFETCH(QString, text);
        QFETCH(bool, holds);
        QCOMPARE(gbkHolds(text), holds);
    }

    void relative_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("expected");
        QTest::newRow("below") << "/x/lists/Music/a.mp3" << "/x/lists" << "/" << "Music/a.mp3";
        QTest::newRow("beside") << "/x/other/b.mp3" << "/x/lists" << "/" << "../other/b.mp3";
        QTest::newRow("backslash") << "/x/other/b.mp3" << "/x/lists/" << "\\" << "..\\other\\b.mp3";
        QTest::newRow("up to the root") << "/home/u/a.mp3" << "/media/stick" << "/" << "../../home/u/a.mp3";
        QTest::newRow("folder is root") << "/a.mp3" << "/" << "/" << "a.mp3";
        QTest::newRow("dots resolved") << "/x/./y/../a.mp3" << "/x/lists/.." << "/" << "a.mp3";
        QTest::newRow("posix case kept") << "/X/a.mp3" << "/x" << "/" << "../X/a.mp3";
        QTest::newRow("same drive") << "C:\\Music\\a.mp3" << "c:/lists" << "\\" << "..\\Music\\a.mp3";
        QTest::newRow("drive ignores case") << "C:\\MUSIC\\a.mp3" << "C:/music" << "/" << "a.mp3";
        QTest::newRow("other drive") << "D:\\Music\\a.mp3" << "C:/lists" << "/" << "D:\\Music\\a.mp3";
        QTest::newRow("share") << "\\\\srv\\share\\m\\a.mp3" << "//SRV/share/lists" << "/" << "../m/a.mp3";
        QTest::newRow("other share") << "\\\\srv\\other\\a.mp3" << "//srv/share" << "/" << "\\\\srv\\other\\a.mp3";
        QTest::newRow("drive and posix") << "C:\\a.mp3" << "/x" << "/" << "C:\\a.mp3";
        QTest::newRow("reads as a drive") << "/x/a:b.mp3" << "/x" << "\\" << ".\\a:b.mp3";
        QTest::newRow("reads as a comment") << "/x/#1.mp3" << "/x" << "/" << "./#1.mp3";
        QTest::newRow("reads as a comment after blanks") << "/x/ \t#1.mp3" << "/x" << "/" << "./ \t#1.mp3";
        QTest::newRow("reads as a blank line") << "/x/ " << "/x" << "/" << "./ ";
        QTest::newRow("url") << "http://h/a.mp3" << "/x" << "/" << "http://h/a.mp3";
        QTest::newRow("relative stays") << "a.mp3" << "/x" << "/" << "a.mp3";
        QTest::newRow("empty") << "" << "/x" << "/" << "";
    }
    void relative()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(QString, separator);
        QFETCH(QString, expected);
        QCOMPARE(relativeEntry(path, folder, separator.at(0)), expected);
    }

    void fileUri_data()
    {
        QTest::addColumn<QString>("uri");
        QTest::addColumn<QString>("path");   // "/" separators; compared in native ones
        QTest::newRow("plain") << "file:///m/a.mp3" << "/m/a.mp3";
        QTest::newRow("escapes") << "file:///m/a%20b%E6%9C%88.mp3" << "/m/a b月.mp3";
        QTest::newRow("scheme case") << "FILE:///m/a.mp3" << "/m/a.mp3";
        QTest::newRow("localhost") << "file://localhost/m/a.mp3" << "/m/a.mp3";
        QTest::newRow("drive") << "file:///C:/Music/a.mp3" << "C:/Music/a.mp3";
        QTest::newRow("host") << "file://srv/share/a.mp3" << "//srv/share/a.mp3";
        QTest::newRow("not a file uri") << "http://h/a%20b.mp3" << "http://h/a%20b.mp3";
    }
    void fileUri()
    {
        QFETCH(QString, uri);
        QFETCH(QString, path);
        QCOMPARE(fileUriPath(uri), isFileUri(uri) ? QDir::toNativeSeparators(path) : path);
    }

    void location_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("relative");
        QTest::addColumn<QString>("location");
        QTest::newRow("full") << "/x/Music/a b.mp3" << false << "file:///x/Music/a%20b.mp3";
        QTest::newRow("full chinese") << "/x/月.mp3" << false << "file:///x/%E6%9C%88.mp3";
        QTest::newRow("relative") << "/x/lists/Music/a b#1.mp3" << true << "Music/a%20b%231.mp3";
        QTest::newRow("relative up") << "/x/other/b.mp3" << true << "../other/b.mp3";
        QTest::newRow("colon never a scheme") << "/x/lists/a:b.mp3" << true << "./a%3Ab.mp3";
        QTest::newRow("drive") << "C:\\Music\\a.mp3" << false << "file:///C:/Music/a.mp3";
        QTest::newRow("other volume") << "C:\\Music\\a.mp3" << true << "file:///C:/Music/a.mp3";
        QTest::newRow("url") << "http://h/s.mp3" << true << "http://h/s.mp3";
    }
    void location()
    {
        QFETCH(QString, entry);
        QFETCH(bool, relative);
        QFETCH(QString, location);
        QCOMPARE(xspfLocation(entry, relative, QStringLiteral("/x/lists")), location);
        // and read back
        if (!entry.startsWith(u"http"))
            QCOMPARE(parseXspf(formatXspf({{location, {}, {}, -1}}), QStringLiteral("/x/lists")),
                     QStringList{QDir::toNativeSeparators(entry.contains(u':') && !entry.startsWith(u'/') ? QString(entry).replace(u'\\', u'/') : entry)});
    }

    void format()
    {
        const QList<XspfTrack> tracks = {{QStringLiteral("file:///m/a.mp3"), QStringLiteral("A & <B>"),
                                          QStringLiteral("月\x01"), 1234},
                                         {QStringLiteral("b.mp3"), {}, {}, -1}};
        QCOMPARE(formatXspf(tracks, u"\r\n"),
                 QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                            "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\r\n"
                            "  <trackList>\r\n"
                            "    <track>\r\n"
                            "      <location>file:///m/a.mp3</location>\r\n"
                            "      <title>A &amp; &lt;B&gt;</title>\r\n"
                            "      <creator>\xE6\x9C\x88</creator>\r\n"
                            "      <duration>1234</duration>\r\n"
                            "    </track>\r\n"
                            "    <track>\r\n"
                            "      <location>b.mp3</location>\r\n"
                            "    </track>\r\n"
                            "  </trackList>\r\n"
                            "</playlist>\r\n"));
        QCOMPARE(formatXspf({}), QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                            "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n"
                                            "  <trackList>\n  </trackList>\n</playlist>\n"));
    }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");   // "/" separators; compared in native ones
        const QByteArray head = "<?xml version=\"1.0\"?><playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><trackList>";
        QTest::newRow("kinds") << head + "<track><location>file:///m/a%20b.mp3</location></track>"
                                         "<track><title>t</title><location> Music/c%23.mp3 </location></track>"
                                         "<track><location>../d.mp3</location></track>"
                                         "<track><location>http://h/s?a=1&amp;b=2</location></track>"
                                         "</trackList></playlist>"
                               << QStringList{"/m/a b.mp3", "/x/lists/Music/c#.mp3", "/x/d.mp3", "http://h/s?a=1&b=2"};
        QTest::newRow("first location per track") << head + "<track><location>a.mp3</location><location>b.mp3</location></track></trackList></playlist>"
                                                  << QStringList{"/x/lists/a.mp3"};
        QTest::newRow("no location") << head + "<track><title>x</title></track><track><location/></track></trackList></playlist>"
                                     << QStringList{};
        QTest::newRow("no namespace") << QByteArray("<playlist><trackList><track><location>/m/a.mp3</location></track></trackList></playlist>")
                                      << QStringList{"/m/a.mp3"};
        QTest::newRow("cut off") << head + "<track><location>/m/a.mp3</location></track><track><locat"
                                 << QStringList{"/m/a.mp3"};
        QTest::newRow("broken after") << head + "<track><location>/m/a.mp3</location></track></wrong><track><location>/m/b.mp3</location></track>"
                                      << QStringList{"/m/a.mp3"};
        QTest::newRow("location outside a track") << head + "<location>/m/a.mp3</location></trackList></playlist>"
                                                  << QStringList{};
        QTest::newRow("junk") << QByteArray("\x00\xFF<<&&", 6) << QStringList{};
        QTest::newRow("empty") << QByteArray() << QStringList{};
    }
    void parse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        QStringList expected;
        for (const QString &e : entries)
            expected << (e.startsWith(u"http") ? e : QDir::toNativeSeparators(e));
        QCOMPARE(parseXspf(bytes, QStringLiteral("/x/lists")), expected);
    }
};

QTEST_GUILESS_MAIN(TravelPrimitivesTest)
#include "tst_travel_primitives.moc"
