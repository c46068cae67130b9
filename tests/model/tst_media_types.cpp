#include "model/entry_rules.h"
#include "model/media_types.h"

#include <QTest>

class MediaTypesTest : public QObject {
    Q_OBJECT
private slots:
    // The filter box's items and the types each one takes; the last item
    // takes every type, "*.MOV" among them, which no single item offers.
    // A new type is a row here and a row of the table in media_types.cpp.
    void filterItems_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("takes");
        QTest::addColumn<QStringList>("leaves");
        const QStringList notMedia = {"a.txt", "song.mp3.txt", "mp3", "a.m3u8", "a.xspf", "a.flac"};
        const struct {
            const char *text;
            QStringList takes;
        } rows[] = {
            {"*.MP3", {"a.mp3", "B.MP3", "c.Mp3"}},
            {"*.M3U;*.PLS", {"f.m3u", "g.PLS"}},
            {"*.MID;*.MIDE;*.RMI", {"a.mid", "b.MIDE", "c.rmi"}},
            {"*.AVI;*.WMV", {"x.avi", "y.WMV"}},
            {"*.WAV;*.AU;*.SND", {"d.wav", "k.Au", "s.snd"}},
            {"*.DAT;*.OGG", {"v.dat", "z.ogg"}},
            {"*.MPG;*.MPEG;*.MLV", {"a.mpg", "b.mpeg", "c.mlv"}},
            {"*.WMA;*.WM;*.ASF", {"a.wma", "b.wm", "c.asf"}},
            {"*.WAX;*.ASX", {"a.wax", "b.asx"}},
        };
        QStringList everything;
        for (int i = 0; i < 9; ++i) {
            QTest::newRow(rows[i].text) << i << QString::fromLatin1(rows[i].text) << rows[i].takes << notMedia;
            everything << rows[i].takes;
        }
        QTest::newRow("all types") << 9 << QStringLiteral("所有音频,视频文件...") << everything + QStringList{"e.mov"}
                                   << notMedia;
    }
    void filterItems()
    {
        QFETCH(int, item);
        QFETCH(QString, text);
        QFETCH(QStringList, takes);
        QFETCH(QStringList, leaves);
        const QStringList items = MediaTypes::filterItems();
        QCOMPARE(items.size(), 10);
        QCOMPARE(items.at(item), text);
        const WildcardMatch match(MediaTypes::patternFor(text));
        for (const QString &name : takes)
            QVERIFY2(match.matches(name), qPrintable(name));
        for (const QString &name : leaves)
            QVERIFY2(!match.matches(name), qPrintable(name));
        if (item < 9)
            QVERIFY(!match.matches(QStringLiteral("e.mov")));
    }

    void allTypes()
    {
        QCOMPARE(MediaTypes::allTypesPattern(),
                 QStringLiteral("*.MP3;*.MID;*.AVI;*.WMV;*.MPG;*.MPEG;*.MLV;*.MOV;*.DAT;*.M3U;*.PLS;*.WMA;*.WM;"
                                "*.ASF;*.WAV;*.AU;*.SND;*.MIDE;*.RMI;*.WAX;*.ASX;*.OGG"));
        // Only the exact item text selects every type; any other text is its own pattern.
        QCOMPARE(MediaTypes::patternFor(QStringLiteral("所有音频,视频文件…")), QStringLiteral("所有音频,视频文件…"));
        QCOMPARE(MediaTypes::patternFor(QStringLiteral("*.WAV;*.AU")), QStringLiteral("*.WAV;*.AU"));
    }

    void wildcards_data()
    {
        QTest::addColumn<QString>("patterns");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("case ignored") << "*.mp3" << "A.MP3" << true;
        QTest::newRow("whole name") << "*.MP3" << "a.mp3x" << false;
        QTest::newRow("one character") << "track?.mp3" << "track1.mp3" << true;
        QTest::newRow("one, not two") << "track?.mp3" << "track10.mp3" << false;
        QTest::newRow("blanks around a pattern") << " *.WAV ; *.AU " << "k.au" << true;
        QTest::newRow("empty list") << "" << "a.mp3" << false;
        QTest::newRow("only separators") << ";;" << "a.mp3" << false;
        QTest::newRow("regex characters are text") << "a+(b).mp3" << "a+(b).mp3" << true;
    }
    void wildcards()
    {
        QFETCH(QString, patterns);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QCOMPARE(WildcardMatch(patterns).matches(name), matches);
    }

    // Names as the browser lists them: case ignored, then exact order.
    void listedOrder_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("case ignored") << QStringList{"Zed.mp3", "b.mp3", "A.mp3"} << QStringList{"A.mp3", "b.mp3", "Zed.mp3"};
        QTest::newRow("same but for case") << QStringList{"a.mp3", "A.mp3"} << QStringList{"A.mp3", "a.mp3"};
        QTest::newRow("shorter first") << QStringList{"ab", "a"} << QStringList{"a", "ab"};
        QTest::newRow("empty") << QStringList{} << QStringList{};
    }
    void listedOrder()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, listed);
        sortAsListed(names);
        QCOMPARE(names, listed);
        for (qsizetype i = 0; i + 1 < listed.size(); ++i) {
            QVERIFY(listedBefore(listed.at(i), listed.at(i + 1)));
            QVERIFY(!listedBefore(listed.at(i + 1), listed.at(i)));
        }
    }

    // The two MP3 rules, each asked as every caller asks it: the play
    // command's (the extension, split at the list's separator) and the
    // player's (the text ends in MP3).
    void mp3Rules_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("playCommandPosix");
        QTest::addColumn<bool>("playCommandWindows");
        QTest::addColumn<bool>("player");
        QTest::newRow("mixed case") << "C:\\Music\\song.Mp3" << true << true << true;
        QTest::newRow("posix path") << "/music/song.mp3" << true << true << true;
        QTest::newRow("wav in an mp3 folder") << "C:\\Music.mp3\\song.wav" << false << false << false;
        QTest::newRow("dot in the folder only") << "/a.mp3/song" << false << false << false;
        QTest::newRow("no dot") << "songmp3" << false << false << true;
        QTest::newRow("trailing blank") << "a.mp3 " << false << false << true;
        QTest::newRow("mp3 then more") << "a.mp3.txt" << false << false << false;
        QTest::newRow("three letters only") << "mp3" << false << false << true;
        QTest::newRow("empty") << "" << false << false << false;
    }
    void mp3Rules()
    {
        QFETCH(QString, entry);
        QFETCH(bool, playCommandPosix);
        QFETCH(bool, playCommandWindows);
        QFETCH(bool, player);
        QCOMPARE(hasMp3Extension(entry, PathRules::posix()), playCommandPosix);
        QCOMPARE(hasMp3Extension(entry, PathRules::windows()), playCommandWindows);
        QCOMPARE(endsInMp3(entry), player);
    }

    // What an entry is, told from its text alone.
    void entryKinds_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("kind");   // url, absolute, relative, or "" for none
        QTest::newRow("http") << "http://host/a.mp3" << "url";
        QTest::newRow("scheme with digits and signs") << "svn+ssh2.x://h/a" << "url";
        QTest::newRow("file uri") << "file:///m/a.mp3" << "url";
        QTest::newRow("colon, no slashes") << "mailto:a@b" << "relative";
        QTest::newRow("scheme starts with a digit") << "1http://h" << "relative";
        QTest::newRow("posix") << "/m/a.mp3" << "absolute";
        QTest::newRow("backslash") << "\\m\\a.mp3" << "absolute";
        QTest::newRow("drive") << "C:\\a.mp3" << "absolute";
        QTest::newRow("drive without separator") << "c:a.mp3" << "absolute";
        QTest::newRow("share") << "//srv/share/a.mp3" << "absolute";
        QTest::newRow("relative") << "Music/a.mp3" << "relative";
        QTest::newRow("up") << "../a.mp3" << "relative";
        QTest::newRow("empty") << "" << "";
    }
    void entryKinds()
    {
        QFETCH(QString, entry);
        QFETCH(QString, kind);
        QCOMPARE(isUrlEntry(entry), kind == u"url");
        QCOMPARE(isAbsoluteEntry(entry), kind == u"absolute");
        QCOMPARE(isRelativeEntry(entry), kind == u"relative");
    }
};

QObject *newMediaTypesTest()
{
    return new MediaTypesTest;
}

#include "tst_media_types.moc"
