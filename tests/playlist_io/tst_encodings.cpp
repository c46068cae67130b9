// Lists written on Windows in every region the program reads: each opens in
// its own code page with every entry found, and goes back in it.
#include "playlist_io/playlist_reader.h"
#include "playlist_io/playlist_writer.h"
#include "tests/common/test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TextEncoding)
Q_DECLARE_METATYPE(PlaylistRead::Outcome)

namespace {

// Names in each region's script; the fourth is added, the fifth the code page cannot hold.
struct Script {
    TextEncoding encoding;
    QStringList names;
};
const QList<Script> &scripts()
{
    static const QList<Script> all = {
        {TextEncoding::Gb18030, {u"周杰伦 - 晴天"_qs, u"王菲 - 红豆"_qs, u"邓丽君 - 月亮代表我的心"_qs, u"许巍 - 蓝莲花"_qs, QString()}},   // it holds every character
        {TextEncoding::Big5, {u"周杰倫 - 晴天"_qs, u"張學友 - 吻別"_qs, u"鄧麗君 - 月亮代表我的心"_qs, u"許茹芸 - 如果雲知道"_qs, u"한국"_qs}},
        {TextEncoding::ShiftJis, {u"宇多田ヒカル - 花束を君に"_qs, u"米津玄師 - 表"_qs, u"いきものがかり - ありがとう"_qs, u"松任谷由実 - 春よ、来い"_qs, u"한국"_qs}},
        {TextEncoding::EucKr, {u"아이유 - 좋은 날"_qs, u"빅뱅 - 거짓말"_qs, u"소녀시대 - 소원을 말해봐"_qs, u"이문세 - 옛사랑"_qs, u"ภาษา"_qs}},
        {TextEncoding::Windows1252, {u"Björk - Jóga"_qs, u"Sigur Rós - Hoppípolla"_qs, u"Françoise Hardy - Café"_qs, u"Mötley Crüe - Señor"_qs, u"周杰伦"_qs}},
        {TextEncoding::Windows1251, {u"Кино - Группа крови"_qs, u"Алла Пугачёва - Миллион роз"_qs, u"ДДТ - Осень"_qs, u"Земфира - Хочешь"_qs, u"周杰伦"_qs}},
    };
    return all;
}

QString nameFor(const Script &script, int i, int count)
{
    const QString name = script.names.at(i % 3) + QStringLiteral(".mp3");
    return count <= 3 ? name : QStringLiteral("%1 ").arg(i, 3, 10, QLatin1Char('0')) + name;
}

// An extended M3U in the code page, relative entries, its files made in music/.
QString makeList(const QTemporaryDir &dir, const Script &script, int count, QStringList *full)
{
    QDir(dir.path()).mkpath(QStringLiteral("music"));
    QString text = QStringLiteral("#EXTM3U\r\n");
    for (int i = 0; i < count; ++i) {
        const QString name = nameFor(script, i, count);
        putBytes(dir.filePath(QStringLiteral("music/") + name), "ID3");
        text += QStringLiteral("#EXTINF:200,%1\r\nmusic\\%2\r\n").arg(script.names.at(i % 3), name);
        full->append(dir.filePath(QStringLiteral("music/") + name));
    }
    const QString list = dir.filePath(QStringLiteral("list.m3u"));
    putBytes(list, encodeText(text, script.encoding));
    return list;
}

ListToWrite toWrite(const PlaylistRead &read)
{
    ListToWrite list{ListDocument{}, read.entries, read.lines, {}};
    list.document.form = documentForm(read.form, read.file ? read.file->lineEnd : QByteArray());
    list.document.files.append(read.file);
    list.document.listFile = 0;
    list.document.listFileEntries = int(read.entries.size());
    return list;
}

} // namespace

class EncodingsTest : public QObject {
    Q_OBJECT
private slots:
    void regions_data();
    void regions();
    void decidedBy_data();
    void decidedBy();
    void insertAcross();
};

void EncodingsTest::regions_data()
{
    QTest::addColumn<int>("script");
    QTest::addColumn<int>("count");
    for (int s = 0; s < scripts().size(); ++s) {
        for (int count : {3, 300})
            QTest::addRow("%s, %d", encodingEntry(scripts().at(s).encoding).name, count) << s << count;
    }
}

// Every entry is found; an unchanged save gives the same bytes; an added
// entry is written in the list's code page; one it cannot hold writes nothing.
void EncodingsTest::regions()
{
    QFETCH(int, script);
    QFETCH(int, count);
    const Script &s = scripts().at(script);
    QTemporaryDir dir;
    QStringList full;
    const QString list = makeList(dir, s, count, &full);
    const QByteArray before = fileBytes(list);

    const PlaylistRead read = readPlaylistFile(list);
    QCOMPARE(read.outcome, PlaylistRead::ReadOk);
    QCOMPARE(read.form.encoding, s.encoding);
    QCOMPARE(read.entries, full);

    QCOMPARE(writeListFile(list, toWrite(read), Qt::CaseSensitive).outcome, PlaylistWrite::Written);
    QCOMPARE(fileBytes(list), before);

    ListToWrite added = toWrite(read);
    added.entries.append(dir.filePath(QStringLiteral("music/") + s.names.at(3) + QStringLiteral(".mp3")));
    QCOMPARE(writeListFile(list, added, Qt::CaseSensitive).outcome, PlaylistWrite::Written);
    QVERIFY(fileBytes(list).startsWith(before));
    QVERIFY(fileBytes(list).contains(encodeText(s.names.at(3), s.encoding)));
    QCOMPARE(readPlaylistFile(list).entries, added.entries);

    if (s.names.at(4).isEmpty())
        return;
    ListToWrite unheld = toWrite(read);
    unheld.entries.append(dir.filePath(s.names.at(4)));
    const QByteArray written = fileBytes(list);
    const PlaylistWrite refused = writeListFile(list, unheld, Qt::CaseSensitive);
    QCOMPARE(refused.outcome, PlaylistWrite::NotHeld);
    QCOMPARE(refused.badEntry, qsizetype(count));
    QCOMPARE(fileBytes(list), written);
}

void EncodingsTest::decidedBy_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("files");   // made under the list's folder
    QTest::addColumn<PlaylistRead::Outcome>("outcome");
    QTest::addColumn<TextEncoding>("encoding");
    const auto in = [](const QString &text, TextEncoding e) { return encodeText(text, e); };
    const QString windows = u"D:\\音樂\\周杰倫 - 晴天.mp3\r\nD:\\音樂\\張學友 - 吻別.mp3\r\n"_qs;
    QTest::newRow("another machine's paths, names nearby")
        << in(windows, TextEncoding::Big5) << QStringList{u"a/b/周杰倫 - 晴天.mp3"_qs} << PlaylistRead::ReadOk
        << TextEncoding::Big5;
    const QString latin = u"D:\\Musik\\Bj\u00F6rk.mp3\r\n"_qs;   // too short for the detector
    QTest::newRow("Latin names nearby") << in(latin, TextEncoding::Windows1252)
                                        << QStringList{u"a/b/Bj\u00F6rk.mp3"_qs} << PlaylistRead::ReadOk
                                        << TextEncoding::Windows1252;
    QTest::newRow("Latin names deeper than two levels") << in(latin, TextEncoding::Windows1252)
                                                        << QStringList{u"a/b/c/Bj\u00F6rk.mp3"_qs}
                                                        << PlaylistRead::ReadOk << TextEncoding::Gb18030;
    const QString japanese = u"#EXTM3U\r\n#EXTINF:200,宇多田ヒカル - 花束を君に\r\nhttp://radio.jp/宇多田ヒカル/花束を君に.mp3\r\n"
                             u"#EXTINF:180,いきものがかり - ありがとう\r\nhttp://radio.jp/いきものがかり/ありがとう.mp3\r\n"_qs;
    QTest::newRow("no local entry: the detector")
        << in(japanese, TextEncoding::ShiftJis) << QStringList() << PlaylistRead::ReadOk << TextEncoding::ShiftJis;
    QString chinese;
    for (int i = 0; i < 300; ++i)
        chinese += u"D:\\音乐\\歌手 %1\\专辑 %2\\%3 - 歌曲名称.mp3\r\n"_qs.arg(i % 97).arg(i % 31).arg(i);
    QTest::newRow("Chinese the detector ranks a little higher as Korean")
        << in(chinese, TextEncoding::Gb18030) << QStringList() << PlaylistRead::ReadOk << TextEncoding::Gb18030;
    QTest::newRow("ASCII paths, titles in GB18030")
        << in(u"#EXTM3U\r\n#EXTINF:1,周杰伦 - 晴天\r\n/m/a.mp3\r\n"_qs, TextEncoding::Gb18030) << QStringList()
        << PlaylistRead::ReadOk << TextEncoding::Gb18030;
    QTest::newRow("Latin without evidence: GB18030")
        << in(u"/m/Bj\u00F6rk.mp3\r\n"_qs, TextEncoding::Windows1252) << QStringList() << PlaylistRead::ReadOk
        << TextEncoding::Gb18030;
    QTest::newRow("an image renamed") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << QStringList()
                                      << PlaylistRead::NotText << TextEncoding::Utf8;
    QTest::newRow("high bytes, no control bytes, no evidence")
        << QByteArray("\xFF\xFF\xFF\xFF\n\xFF\x80\xFF\n") << QStringList() << PlaylistRead::NotText << TextEncoding::Utf8;
    QTest::newRow("UTF-8 and GB18030 lines") << QByteArray("/m/\xE6\x9C\x88.mp3\n/m/\xD4\xC2.mp3\n") << QStringList()
                                             << PlaylistRead::ReadOk << TextEncoding::Gb18030;
}

// Where the entries name no file as written, the disk still tells by their
// names nearby; where it cannot, the detector or GB18030; a binary file is no list.
void EncodingsTest::decidedBy()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, files);
    QFETCH(PlaylistRead::Outcome, outcome);
    QFETCH(TextEncoding, encoding);
    QTemporaryDir dir;
    for (const QString &file : files) {
        QVERIFY(QDir(dir.path()).mkpath(QFileInfo(dir.filePath(file)).path()));
        QVERIFY(putBytes(dir.filePath(file), "ID3"));
    }
    const QString list = dir.filePath(QStringLiteral("list.m3u"));
    QVERIFY(putBytes(list, bytes));
    const PlaylistRead read = readPlaylistFile(list);
    QCOMPARE(read.outcome, outcome);
    if (outcome == PlaylistRead::ReadOk)
        QCOMPARE(read.form.encoding, encoding);
}

// A Big5 list inserted into a UTF-8 one: its kept lines go out in UTF-8.
void EncodingsTest::insertAcross()
{
    QTemporaryDir dir;
    const QString utf8 = dir.filePath(QStringLiteral("a.m3u")), big5 = dir.filePath(QStringLiteral("b.m3u"));
    putBytes(utf8, u"#EXTM3U\r\n#EXTINF:1,月亮\r\n/m/月亮.mp3\r\n"_qs.toUtf8());
    putBytes(big5, encodeText(u"#EXTM3U\r\n#EXTINF:2,周杰倫 - 晴天\r\n晴天.mp3\r\n"_qs, TextEncoding::Big5));
    putBytes(dir.filePath(u"晴天.mp3"_qs), "ID3");
    const PlaylistRead a = readPlaylistFile(utf8);
    const PlaylistRead b = readPlaylistFile(big5);
    QCOMPARE(b.form.encoding, TextEncoding::Big5);
    ListToWrite list = toWrite(a);
    list.entries += b.entries;
    list.document.files.append(b.file);
    for (KeptLines k : b.lines) {
        if (!k.isEmpty())
            k.file = 1;
        list.lines.append(k);
    }
    QCOMPARE(writeListFile(utf8, list, Qt::CaseSensitive).outcome, PlaylistWrite::Written);
    QCOMPARE(fileBytes(utf8), u"#EXTM3U\r\n#EXTINF:1,月亮\r\n/m/月亮.mp3\r\n#EXTINF:2,周杰倫 - 晴天\r\n晴天.mp3\r\n"_qs.toUtf8());
}

QTEST_GUILESS_MAIN(EncodingsTest)
#include "tst_encodings.moc"
