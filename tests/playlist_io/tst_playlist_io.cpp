#include "tests/platform/child_process.h"
#include "playlist_io/playlist_reader.h"
#include "playlist_io/playlist_writer.h"
#include "tests/common/small_disk.h"
#include "tests/common/test_files.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/sysmacros.h>  // makedev
#endif

Q_DECLARE_METATYPE(PlaylistType)
Q_DECLARE_METATYPE(PlaylistRead::Outcome)
Q_DECLARE_METATYPE(PlaylistWrite::Outcome)

namespace {

QByteArray gb18030(const QString &text)
{
    QStringEncoder enc("GB18030");
    return enc.encode(text);
}

// A device that opens but fails on the first read, as a file on a failing disk.
class BrokenDevice : public QIODevice {
protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64) override { return -1; }
};

// Endless text, as a device file would give.
class EndlessDevice : public QIODevice {
public:
    bool isSequential() const override { return true; }
protected:
    qint64 readData(char *data, qint64 max) override
    {
        static const char line[] = "/m/a.mp3\n";
        for (qint64 i = 0; i < max; ++i)
            data[i] = line[(m_pos + i) % (sizeof line - 1)];
        m_pos += max;
        return max;
    }
    qint64 writeData(const char *, qint64) override { return -1; }
public:
    qint64 produced() const { return m_pos; }
private:
    qint64 m_pos = 0;
};

const QStringList kExample = {QStringLiteral("C:\\Music\\a.mp3"),
                              QStringLiteral("D:\\Songs\\Best Of.mp3")};

const QByteArray kOldList("/m/old.mp3\r\n");

// Entries whose M3U or PLS file is at least `bytes` long, by less than one entry more.
QStringList entriesOfSize(qsizetype bytes, PlaylistType type)
{
    QStringList entries;
    for (qsizetype size = 0; size < bytes;
         size = formatPlaylist(entries, type, Qt::CaseSensitive).size()) {
        const qsizetype more = (bytes - size) / 100 + 1;  // each entry takes under 100 bytes
        for (qsizetype i = 0; i < more; ++i)
            entries << QStringLiteral("/music/album/track number %1.mp3")
                           .arg(entries.size(), 6, 10, QLatin1Char('0'));
    }
    return entries;
}

// Names and kinds of everything in a folder, hidden files included: a
// leftover temporary file or a replaced special file shows here.
QStringList folderListing(const QString &path)
{
    QStringList out;
    const QFileInfoList infos = QDir(path).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &info : infos) {
        const char *kind = info.isSymLink() ? "link" : info.isDir() ? "dir" : info.isFile() ? "file"
                                                                                         : "special";
        out << info.fileName() + u':' + QLatin1String(kind);
    }
    return out;
}

} // namespace

class PlaylistIoTest : public QObject {
    Q_OBJECT
private slots:
    void typeFromName_data();
    void typeFromName();
    void dialogFilter();
    void parse_data();
    void parse();
    void readDevice();
    void textOrNot_data();
    void textOrNot();
    void readFailures_data();
    void readFailures();
    void format_data();
    void format();
    void plsNumbering();
    void roundTrip_data();
    void roundTrip();
    void replacesExistingFile();
    void writeFailures_data();
    void writeFailures();
    void decodeRoundTrip_data();
    void decodeRoundTrip();
    void readSpecial_data();
    void readSpecial();
    void readLimit_data();
    void readLimit();
    void saveSizeLimit_data();
    void saveSizeLimit();
    void saveFullDisk_data();
    void saveFullDisk();
    void saveTargets_data();
    void saveTargets();
    void canHold_data();
    void canHold();
    void lineBreaks_data();
    void lineBreaks();

private:
    void checkRecovers(const QString &dir);
};

// The type follows the last three letters of the name, trailing blanks ignored.
void PlaylistIoTest::typeFromName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<PlaylistType>("type");
    QTest::newRow("lower m3u") << "/a/list.m3u" << PlaylistType::M3u;
    QTest::newRow("upper with blanks") << "LIST.M3U   " << PlaylistType::M3u;
    QTest::newRow("mixed pls") << "x.PlS" << PlaylistType::Pls;
    QTest::newRow("pls trailing blanks") << "x.PLS  " << PlaylistType::Pls;
    QTest::newRow("no dot needed") << "mylistpls" << PlaylistType::Pls;
    QTest::newRow("txt") << "list.txt" << PlaylistType::Other;
    QTest::newRow("m3u8") << "list.m3u8" << PlaylistType::M3u;
    QTest::newRow("M3U8 with blanks") << "LIST.M3U8 " << PlaylistType::M3u;
    QTest::newRow("m3u8 inside the name") << "list.m3u8.bak" << PlaylistType::Other;
    QTest::newRow("short") << "ls" << PlaylistType::Other;
    QTest::newRow("empty") << "" << PlaylistType::Other;
}

void PlaylistIoTest::typeFromName()
{
    QFETCH(QString, name);
    QFETCH(PlaylistType, type);
    QCOMPARE(playlistTypeOf(name), type);
}

// The list dialogs offer M3U and PLS first, in that order, as the program always
// has, then the types it added.
void PlaylistIoTest::dialogFilter()
{
    QCOMPARE(playlistDialogFilter(), QStringLiteral("play list file(*.m3u);;play list file(*.pls);;"
                                                    "play list file(*.m3u8);;play list file(*.xspf)"));
}

// Files as this program and other players write them; duplicates are the list's business.
void PlaylistIoTest::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PlaylistType>("type");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("m3u as written here")
        << QByteArray("#EXTINF:C:\\A.MP3\r\nC:\\A.MP3\r\n\r\nc:\\a.mp3\r\nD:\\B.MP3\r\n")
        << PlaylistType::M3u << QStringList{"C:\\A.MP3", "c:\\a.mp3", "D:\\B.MP3"};
    QTest::newRow("extended m3u, LF only")
        << QByteArray("#EXTM3U\n#EXTINF:123,Artist - Title\n/m/a.mp3\n#EXTINF:-1,B\n/m/b.mp3\n")
        << PlaylistType::M3u << QStringList{"/m/a.mp3", "/m/b.mp3"};
    QTest::newRow("lone CR")
        << QByteArray("/m/a.mp3\r/m/b.mp3\r") << PlaylistType::M3u
        << QStringList{"/m/a.mp3", "/m/b.mp3"};
    QTest::newRow("mixed ends, last line open")
        << QByteArray("a\r\nb\nc\rd") << PlaylistType::M3u << QStringList{"a", "b", "c", "d"};
    QTest::newRow("CR CR LF is an empty line between")
        << QByteArray("a\r\r\nb") << PlaylistType::M3u << QStringList{"a", "b"};
    QTest::newRow("comments after blanks and tabs, blanks inside paths kept")
        << QByteArray("# comment\r\n #a comment\r\n\t\t#EXTINF:1,x\r\n \t \r\n  /m/x y.mp3  \r\n")
        << PlaylistType::M3u << QStringList{"  /m/x y.mp3  "};
    QTest::newRow("bom dropped")
        << QByteArray("\xEF\xBB\xBF/m/a.mp3\r\n") << PlaylistType::M3u
        << QStringList{"/m/a.mp3"};
    QTest::newRow("utf-8 kept")
        << QString("/音乐/歌.mp3\r\n").toUtf8() << PlaylistType::M3u
        << QStringList{"/音乐/歌.mp3"};
    QTest::newRow("gb18030 m3u")
        << gb18030("D:\\音乐\\老歌.mp3\r\nD:\\音乐\\新歌.mp3\r\n") << PlaylistType::M3u
        << QStringList{"D:\\音乐\\老歌.mp3", "D:\\音乐\\新歌.mp3"};
    QTest::newRow("gb18030 pls")
        << gb18030("[Playlist]\r\nNumberOfEntries=1\r\nFile1=D:\\歌曲\\一.mp3\r\n")
        << PlaylistType::Pls << QStringList{"D:\\歌曲\\一.mp3"};
    QTest::newRow("empty file") << QByteArray() << PlaylistType::M3u << QStringList{};
    QTest::newRow("two boms at a line start")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF/m/a.mp3\r\n") << PlaylistType::M3u
        << QStringList{"/m/a.mp3"};
    QTest::newRow("bom mid-file before #EXTINF")
        << QByteArray("/m/a.mp3\r\n\xEF\xBB\xBF#EXTINF:/m/x.mp3\r\n/m/b.mp3\r\n")
        << PlaylistType::M3u << QStringList{"/m/a.mp3", "/m/b.mp3"};
    QTest::newRow("bom mid-file before a path (files joined)")
        << QByteArray("\xEF\xBB\xBF/m/a.mp3\n\xEF\xBB\xBF/m/b.mp3\n") << PlaylistType::M3u
        << QStringList{"/m/a.mp3", "/m/b.mp3"};
    QTest::newRow("line of boms only")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF\r\n/m/a.mp3") << PlaylistType::M3u
        << QStringList{"/m/a.mp3"};
    QTest::newRow("bom inside a name stays")
        << QByteArray("/m/\xEF\xBB\xBF.mp3\r\n") << PlaylistType::M3u
        << QStringList{QStringLiteral("/m/\uFEFF.mp3")};
    QTest::newRow("gb18030 bom")
        << QByteArray("\x84\x31\x95\x33") + gb18030("D:\\歌.mp3\r\n")
        << PlaylistType::M3u << QStringList{"D:\\歌.mp3"};
    QTest::newRow("boms before a pls key")
        << QByteArray("\xEF\xBB\xBF[playlist]\n\xEF\xBB\xBF\xEF\xBB\xBF" "File1=/m/a.mp3\n")
        << PlaylistType::Pls << QStringList{"/m/a.mp3"};
    QTest::newRow("utf-8 and gb18030 lines mixed, m3u")
        << QString("/音乐/一.mp3\r\n").toUtf8() + gb18030("D:\\音乐\\二.mp3\r\n")
               + QString("/音乐/三.mp3\n").toUtf8() + gb18030("D:\\歌\\四.mp3")
        << PlaylistType::M3u
        << QStringList{"/音乐/一.mp3", "D:\\音乐\\二.mp3", "/音乐/三.mp3", "D:\\歌\\四.mp3"};
    QTest::newRow("utf-8 and gb18030 lines mixed, pls")
        << QByteArray("[playlist]\r\n") + gb18030("File1=D:\\老歌.mp3\r\n")
               + QString("File2=/新歌.mp3\r\n").toUtf8()
        << PlaylistType::Pls << QStringList{"D:\\老歌.mp3", "/新歌.mp3"};

    QTest::newRow("pls as written here")
        << QByteArray("[Playlist]\r\nNumberOfEntries=2\r\nFile1=C:\\A.MP3\r\nFile2=C:\\B.MP3\r\n")
        << PlaylistType::Pls << QStringList{"C:\\A.MP3", "C:\\B.MP3"};
    QTest::newRow("pls from another player")
        << QByteArray("[playlist]\nFile1=/m/a.mp3\nTitle1=Song A\nLength1=215\n"
                      "File2=http://radio/x\nTitle2=Radio\nLength2=-1\n"
                      "NumberOfEntries=2\nVersion=2\n")
        << PlaylistType::Pls << QStringList{"/m/a.mp3", "http://radio/x"};
    QTest::newRow("pls keys in any case, file order")
        << QByteArray("FILE2=b\r\nfile10=c\r\nFiLe1=a\r\n") << PlaylistType::Pls
        << QStringList{"b", "c", "a"};
    QTest::newRow("pls value after first =")
        << QByteArray("File1=C:\\A=B.MP3\r\nFile2=\r\n") << PlaylistType::Pls
        << QStringList{"C:\\A=B.MP3", ""};
    QTest::newRow("pls non-entries")
        << QByteArray("[other]\r\nFile=x\r\nFilename1=y\r\nFile1x=z\r\nFile1\r\n=w\r\n")
        << PlaylistType::Pls << QStringList{};
    // Each xml:base is resolved against the one around it.
    QTest::newRow("xspf, a relative xml:base inside another")
        << QByteArray("<playlist xmlns=\"http://xspf.org/ns/0/\" xml:base=\"file:///m/\"><trackList xml:base=\"sub/\">"
                      "<track><location>a.mp3</location></track>"
                      "<track xml:base=\"../other/\"><location>b%20c.mp3</location></track>"
                      "</trackList></playlist>")
        << PlaylistType::Xspf << QStringList{"/m/sub/a.mp3", "/m/other/b c.mp3"};
    QTest::newRow("other type reads nothing")
        << QByteArray("/m/a.mp3\r\n") << PlaylistType::Other << QStringList{};
}

void PlaylistIoTest::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(PlaylistType, type);
    QFETCH(QStringList, entries);
    QCOMPARE(parsePlaylistBytes(bytes, type), entries);
}

// A device is read to its end from where it stands; a failing read gives no entries.
void PlaylistIoTest::readDevice()
{
    QByteArray big;
    for (int i = 0; i < 20000; ++i)
        big += "/music/track" + QByteArray::number(i) + ".mp3\r\n";
    QBuffer buffer(&big);
    const PlaylistRead read = readPlaylist(buffer, PlaylistType::M3u);
    QCOMPARE(read.outcome, PlaylistRead::ReadOk);
    QCOMPARE(read.entries.size(), 20000);
    QCOMPARE(read.entries.last(), QStringLiteral("/music/track19999.mp3"));

    BrokenDevice broken;
    QVERIFY(broken.open(QIODevice::ReadOnly));
    const PlaylistRead failed = readPlaylist(broken, PlaylistType::M3u);
    QCOMPARE(failed.outcome, PlaylistRead::Unreadable);
    QVERIFY(failed.entries.isEmpty());
}

void PlaylistIoTest::readFailures_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<PlaylistRead::Outcome>("outcome");
    QTest::newRow("missing file") << "none.m3u" << PlaylistRead::Missing;
    QTest::newRow("missing folder") << "nodir/list.m3u" << PlaylistRead::Missing;
    QTest::newRow("under a regular file") << "old.m3u/list.m3u" << PlaylistRead::Missing;
    QTest::newRow("a directory") << "dir.m3u" << PlaylistRead::NotRegular;
    QTest::newRow("empty name") << "" << PlaylistRead::Missing;
}

// A file that is no list (a picture or a program renamed) reads as nothing;
// UTF-16 and UTF-32 after a mark read as text.
void PlaylistIoTest::textOrNot_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PlaylistRead::Outcome>("outcome");
    QTest::addColumn<QStringList>("entries");
    const auto utf16 = [](const QString &text, QStringConverter::Encoding e) -> QByteArray {
        QStringEncoder encoder(e);
        return encoder.encode(text);
    };
    const QString list = QStringLiteral("#EXTINF:1,甲\r\n/m/甲.mp3\r\n");
    QByteArray garbled;
    for (int i = 0; i < 4; ++i)
        garbled += "/m/\xFF\x80\xC1.mp3\n";
    QTest::newRow("png") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x10", 20) << PlaylistRead::NotText
                         << QStringList{};
    QTest::newRow("nul late in a large file") << '/' + QByteArray(70000, 'a') + '\0' + "\n/m/b.mp3\n" << PlaylistRead::ReadOk
                                              << QStringList{u'/' + QString(70000, u'a') + QChar(0), "/m/b.mp3"};
    QTest::newRow("most lines garbled") << garbled + "/m/a.mp3\n" << PlaylistRead::NotText << QStringList{};
    QTest::newRow("a quarter garbled") << QByteArray("/m/\xFF.mp3\n/m/a.mp3\n/m/b.mp3\n/m/c.mp3\n") << PlaylistRead::ReadOk
                                       << QStringList{QString("/m/\uFFFD.mp3"), "/m/a.mp3", "/m/b.mp3", "/m/c.mp3"};
    QStringEncoder gb("GB18030");
    QTest::newRow("gb18030") << QByteArray(gb.encode(list)) << PlaylistRead::ReadOk << QStringList{"/m/甲.mp3"};
    QTest::newRow("utf-16 le") << "\xFF\xFE" + utf16(list, QStringConverter::Utf16LE) << PlaylistRead::ReadOk
                               << QStringList{"/m/甲.mp3"};
    QTest::newRow("utf-16 be") << "\xFE\xFF" + utf16(list, QStringConverter::Utf16BE) << PlaylistRead::ReadOk
                               << QStringList{"/m/甲.mp3"};
    QTest::newRow("utf-32 le") << QByteArray("\xFF\xFE\0\0", 4) + utf16(list, QStringConverter::Utf32LE)
                               << PlaylistRead::ReadOk << QStringList{"/m/甲.mp3"};
    QTest::newRow("utf-16 cut in a character") << QByteArray("\xFF\xFE/\0m\0/", 7) << PlaylistRead::NotText
                                               << QStringList{};
}

void PlaylistIoTest::textOrNot()
{
    QFETCH(QByteArray, bytes);
    QFETCH(PlaylistRead::Outcome, outcome);
    QFETCH(QStringList, entries);
    QTemporaryDir dir;
    QVERIFY(putBytes(dir.filePath("l.m3u"), bytes));
    const PlaylistRead read = readPlaylistFile(dir.filePath("l.m3u"));
    QCOMPARE(read.outcome, outcome);
    QCOMPARE(read.entries, entries);
    if (outcome == PlaylistRead::ReadOk && (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")))
        QCOMPARE(read.form.encoding, TextEncoding::Utf8Bom);   // saved as UTF-8, marked
}

// Failed reads say why, hold nothing open, and the files read fine afterwards.
void PlaylistIoTest::readFailures()
{
    QFETCH(QString, relative);
    QFETCH(PlaylistRead::Outcome, outcome);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("dir.m3u"));
    QVERIFY(putBytes(dir.filePath("old.m3u"), "/m/old.mp3\r\n"));

    const PlaylistRead read = readPlaylistFile(relative.isEmpty() ? QString() : dir.filePath(relative));
    QCOMPARE(read.outcome, outcome);
    QVERIFY(read.entries.isEmpty());
    checkRecovers(dir.path());
}

void PlaylistIoTest::checkRecovers(const QString &dir)
{
    const QString old = QDir(dir).filePath("old.m3u");
    QCOMPARE(fileBytes(old), QByteArray("/m/old.mp3\r\n"));
    const QStringList next{"/m/next.mp3"};
    QCOMPARE(writePlaylistFile(old, next, Qt::CaseSensitive).outcome, PlaylistWrite::Written);
    const PlaylistRead read = readPlaylistFile(old);
    QCOMPARE(read.outcome, PlaylistRead::ReadOk);
    QCOMPARE(read.entries, next);
}

// Byte-exact output: CR LF after every line, no BOM, upper case only where case is ignored.
void PlaylistIoTest::format_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<PlaylistType>("type");
    QTest::addColumn<Qt::CaseSensitivity>("fileSystem");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("m3u example, windows")
        << kExample << PlaylistType::M3u << Qt::CaseInsensitive
        << QByteArray("#EXTINF:C:\\MUSIC\\A.MP3\r\nC:\\MUSIC\\A.MP3\r\n"
                      "#EXTINF:D:\\SONGS\\BEST OF.MP3\r\nD:\\SONGS\\BEST OF.MP3\r\n");
    QTest::newRow("pls example, windows")
        << kExample << PlaylistType::Pls << Qt::CaseInsensitive
        << QByteArray("[Playlist]\r\nNumberOfEntries=2\r\n"
                      "File1=C:\\MUSIC\\A.MP3\r\nFile2=D:\\SONGS\\BEST OF.MP3\r\n");
    QTest::newRow("m3u posix keeps case")
        << QStringList{"/home/u/Music/a.mp3"} << PlaylistType::M3u << Qt::CaseSensitive
        << QByteArray("#EXTINF:/home/u/Music/a.mp3\r\n/home/u/Music/a.mp3\r\n");
    QTest::newRow("pls posix keeps case, utf-8")
        << QStringList{"/m/Ärger ünd 歌.mp3"} << PlaylistType::Pls << Qt::CaseSensitive
        << QByteArray("[Playlist]\r\nNumberOfEntries=1\r\nFile1=")
               + QString("/m/Ärger ünd 歌.mp3").toUtf8() + "\r\n";
    QTest::newRow("windows upper-cases every script")
        << QStringList{"c:\\ärger\\αβ 歌.mp3"} << PlaylistType::M3u << Qt::CaseInsensitive
        << QString("#EXTINF:C:\\ÄRGER\\ΑΒ 歌.MP3\r\nC:\\ÄRGER\\ΑΒ 歌.MP3\r\n").toUtf8();
    QTest::newRow("empty m3u") << QStringList{} << PlaylistType::M3u << Qt::CaseSensitive
                               << QByteArray();
    QTest::newRow("empty pls") << QStringList{} << PlaylistType::Pls << Qt::CaseSensitive
                               << QByteArray("[Playlist]\r\nNumberOfEntries=0\r\n");
    QTest::newRow("other type") << kExample << PlaylistType::Other << Qt::CaseInsensitive
                                << QByteArray();
}

void PlaylistIoTest::format()
{
    QFETCH(QStringList, entries);
    QFETCH(PlaylistType, type);
    QFETCH(Qt::CaseSensitivity, fileSystem);
    QFETCH(QByteArray, bytes);
    QCOMPARE(formatPlaylist(entries, type, fileSystem), bytes);

    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    QVERIFY(writePlaylist(buffer, entries, type, fileSystem));
    QCOMPARE(buffer.data(), bytes);
}

// Keys count from 1 and run on past single digits.
void PlaylistIoTest::plsNumbering()
{
    QStringList entries;
    for (int i = 0; i < 12; ++i)
        entries << QStringLiteral("/m/%1.mp3").arg(i);
    const QList<QByteArray> lines = formatPlaylist(entries, PlaylistType::Pls, Qt::CaseSensitive)
                                        .split('\n');
    QCOMPARE(lines.size(), 12 + 2 + 1);
    QCOMPARE(lines.at(1), QByteArray("NumberOfEntries=12\r"));
    QCOMPARE(lines.at(2), QByteArray("File1=/m/0.mp3\r"));
    QCOMPARE(lines.at(11), QByteArray("File10=/m/9.mp3\r"));
    QCOMPARE(lines.at(13), QByteArray("File12=/m/11.mp3\r"));
    QCOMPARE(lines.at(14), QByteArray());
}

// What is written reads back as the same entries (upper case where case is ignored).
void PlaylistIoTest::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Qt::CaseSensitivity>("fileSystem");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("readBack");

    // " /lead" does not start at a root: a name relative to the list's folder (%dir%).
    const QStringList posix{"/m/a.mp3", "/m/A.mp3", "/音乐/歌 1.mp3", " /lead", "/x=y.mp3",
                            "#not a comment"};
    QStringList posixBack = posix;
    posixBack[3] = "%dir%/ /lead";
    QTest::newRow("m3u posix") << "list.m3u" << Qt::CaseSensitive << posix
                               << posixBack.mid(0, 5);  // "#" lines are comments in M3U
    posixBack[5] = "%dir%/#not a comment";
    QTest::newRow("pls posix") << "list.PLS" << Qt::CaseSensitive << posix << posixBack;
    QTest::newRow("m3u windows") << "LIST.M3U" << Qt::CaseInsensitive << kExample
                                 << QStringList{"C:\\MUSIC\\A.MP3", "D:\\SONGS\\BEST OF.MP3"};
    QTest::newRow("pls windows") << "list.pls" << Qt::CaseInsensitive << kExample
                                 << QStringList{"C:\\MUSIC\\A.MP3", "D:\\SONGS\\BEST OF.MP3"};
    QTest::newRow("other type") << "list" << Qt::CaseSensitive << posix << QStringList{};
}

void PlaylistIoTest::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(Qt::CaseSensitivity, fileSystem);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, readBack);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QCOMPARE(writePlaylistFile(path, entries, fileSystem).outcome, PlaylistWrite::Written);
    const PlaylistRead read = readPlaylistFile(path);
    QCOMPARE(read.outcome, PlaylistRead::ReadOk);
    readBack.replaceInStrings(QStringLiteral("%dir%/"), QDir::toNativeSeparators(dir.path() + QLatin1Char('/')));
    QCOMPARE(read.entries, readBack);
}

void PlaylistIoTest::replacesExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("list.m3u");
    QVERIFY(putBytes(path, QByteArray(10000, 'x')));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QCOMPARE(writePlaylistFile(path, {"/a"}, Qt::CaseSensitive).outcome, PlaylistWrite::Written);
    QCOMPARE(fileBytes(path), QByteArray("#EXTINF:/a\r\n/a\r\n"));
    QCOMPARE(QFile::permissions(path) & 0x7077,  // owner, group, other bits
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"list.m3u"});

    // A name of no known type empties the file.
    const QString other = dir.filePath("list");
    QVERIFY(putBytes(other, "old"));
    QCOMPARE(writePlaylistFile(other, {"/a"}, Qt::CaseSensitive).outcome, PlaylistWrite::Written);
    QCOMPARE(QFileInfo(other).size(), 0);
}

void PlaylistIoTest::writeFailures_data()
{
    QTest::addColumn<QString>("relative");
    QTest::newRow("a directory") << "dir.m3u";
    QTest::newRow("missing folder") << "nodir/list.m3u";
    QTest::newRow("under a regular file") << "old.m3u/list.m3u";
    QTest::newRow("empty name") << "";
}

// A failed save reports it and leaves everything as it was.
void PlaylistIoTest::writeFailures()
{
    QFETCH(QString, relative);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("dir.m3u"));
    QVERIFY(putBytes(dir.filePath("dir.m3u/inside"), "keep"));
    QVERIFY(putBytes(dir.filePath("old.m3u"), "/m/old.mp3\r\n"));

    const PlaylistWrite write = writePlaylistFile(relative.isEmpty() ? QString() : dir.filePath(relative),
                                                  {"/m/new.mp3"}, Qt::CaseSensitive);
    QCOMPARE(write.outcome, PlaylistWrite::Failed);
    QVERIFY(!write.errorString.isEmpty());
    QVERIFY(QFileInfo(dir.filePath("dir.m3u")).isDir());
    QCOMPARE(fileBytes(dir.filePath("dir.m3u/inside")), QByteArray("keep"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{"dir.m3u", "old.m3u"}));
    checkRecovers(dir.path());
}

// Opening and saving again changes nothing: no name loses a mark or its
// characters with each cycle, whatever mix of encodings the file had.
void PlaylistIoTest::decodeRoundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("mixed m3u")
        << "mixed.m3u"
        << QString("/音乐/一.mp3\r\n").toUtf8() + gb18030("D:\\音乐\\二.mp3\r\n")
        << QStringList{"/音乐/一.mp3", "D:\\音乐\\二.mp3"};
    QTest::newRow("mixed pls")
        << "mixed.pls"
        << gb18030("File1=D:\\二.mp3\r\n") + QString("File2=/一.mp3\r\n").toUtf8()
        << QStringList{"D:\\二.mp3", "/一.mp3"};
    QTest::newRow("two boms")
        << "boms.m3u" << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF/m/a.mp3\r\n\xEF\xBB\xBF/m/b.mp3")
        << QStringList{"/m/a.mp3", "/m/b.mp3"};
    QTest::newRow("gb18030 bom")
        << "gbbom.m3u" << QByteArray("\x84\x31\x95\x33") + gb18030("/歌.mp3")
        << QStringList{"/歌.mp3"};
    // Not at a line's start the mark is a character of the value, which then
    // is a name relative to the list's folder (%dir%).
    QTest::newRow("bom as a pls value")
        << "value.pls" << QByteArray("File1=\xEF\xBB\xBF/m/a.mp3\r\nFile2=\x84\x31\x95\x33")
        << QStringList{QStringLiteral("%dir%/\uFEFF/m/a.mp3"), QStringLiteral("%dir%/\uFEFF")};
}

void PlaylistIoTest::decodeRoundTrip()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(putBytes(path, bytes));
    entries.replaceInStrings(QStringLiteral("%dir%/"), QDir::toNativeSeparators(dir.path() + QLatin1Char('/')));
    for (int cycle = 0; cycle < 3; ++cycle) {
        const PlaylistRead read = readPlaylistFile(path);
        QCOMPARE(read.outcome, PlaylistRead::ReadOk);
        QCOMPARE(read.entries, entries);
        QCOMPARE(writePlaylistFile(path, read.entries, Qt::CaseSensitive).outcome,
                 PlaylistWrite::Written);
    }
}

void PlaylistIoTest::readSpecial_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("unprivileged");
    QTest::addColumn<PlaylistRead::Outcome>("outcome");
    QTest::newRow("missing") << "none.m3u" << false << PlaylistRead::Missing;
    QTest::newRow("directory") << "dir.m3u" << false << PlaylistRead::NotRegular;
    QTest::newRow("over the size limit") << "huge.m3u" << false << PlaylistRead::TooLarge;
#ifdef Q_OS_UNIX
    QTest::newRow("fifo") << "fifo.m3u" << false << PlaylistRead::NotRegular;
    QTest::newRow("endless device") << "zero.m3u" << false << PlaylistRead::NotRegular;
    QTest::newRow("no read permission") << "secret.pls" << true << PlaylistRead::Unreadable;
    QTest::newRow("readable, as nobody") << "old.m3u" << true << PlaylistRead::ReadOk;
#endif
}

// Only regular files of a sane size are read; anything else returns at once
// with its own outcome and no entries.
void PlaylistIoTest::readSpecial()
{
    QFETCH(QString, relative);
    QFETCH(bool, unprivileged);
    QFETCH(PlaylistRead::Outcome, outcome);
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    QVERIFY(putBytes(dir.filePath("old.m3u"), kOldList));
    QVERIFY(dir.mkdir("dir.m3u"));
    QFile huge(dir.filePath("huge.m3u"));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(kPlaylistMaxBytes + 1));  // sparse
    huge.close();
    const QString path = dir.filePath(relative);
#ifdef Q_OS_UNIX
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("fifo.m3u")).constData(), 0644) == 0);
    QVERIFY(QFile::link("/dev/zero", dir.filePath("zero.m3u")));
    QVERIFY(putBytes(dir.filePath("secret.pls"), "File1=/m/a.mp3\r\n"));
    QVERIFY(::chmod(QFile::encodeName(dir.filePath("secret.pls")).constData(), 0) == 0);
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);

    const Watchdog watchdog(20);
    const auto read = [&] {
        const PlaylistRead r = readPlaylistFile(path);
        const bool entriesRight = r.outcome == PlaylistRead::ReadOk
            ? r.entries == QStringList{"/m/old.mp3"} : r.entries.isEmpty();
        return entriesRight ? int(r.outcome) : 100;
    };
    QCOMPARE(unprivileged ? runInChild({true, -1}, read) : read(), int(outcome));
#else
    Q_UNUSED(unprivileged);
    const PlaylistRead r = readPlaylistFile(path);
    QCOMPARE(r.outcome, outcome);
#endif
}

void PlaylistIoTest::readLimit_data()
{
    QTest::addColumn<int>("size");  // -1: endless
    QTest::addColumn<int>("limit");
    QTest::addColumn<PlaylistRead::Outcome>("outcome");
    QTest::newRow("at the limit") << 90 << 90 << PlaylistRead::ReadOk;
    QTest::newRow("one byte over") << 91 << 90 << PlaylistRead::TooLarge;
    QTest::newRow("empty, no room") << 0 << 0 << PlaylistRead::ReadOk;
    QTest::newRow("over a large limit") << 200000 << 199999 << PlaylistRead::TooLarge;
    QTest::newRow("endless source") << -1 << 1000000 << PlaylistRead::TooLarge;
}

// A device is read only up to the limit, so an endless one ends too.
void PlaylistIoTest::readLimit()
{
    QFETCH(int, size);
    QFETCH(int, limit);
    QFETCH(PlaylistRead::Outcome, outcome);
    EndlessDevice endless;
    QByteArray bytes;
    for (qsizetype i = 0; i < size; i += 9)
        bytes += "/m/a.mp3\n";
    bytes.truncate(qMax(size, 0));
    QBuffer buffer(&bytes);
    QIODevice &device = size < 0 ? static_cast<QIODevice &>(endless) : buffer;
    QVERIFY(device.open(QIODevice::ReadOnly));
    const PlaylistRead read = readPlaylist(device, PlaylistType::M3u, limit);
    QCOMPARE(read.outcome, outcome);
    QCOMPARE(read.entries.size(), outcome == PlaylistRead::ReadOk ? (size + 8) / 9 : 0);
    if (size < 0)
        QCOMPARE(endless.produced(), qint64(limit) + 1);
}

// Sizes around the 16 KB a buffered file writes at once: a fault in the
// last flush is the one that went unnoticed.
static void addSaveSizes(bool limits)
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("limit");  // file size limit; -1: none (the disk is full)
    QTest::addColumn<PlaylistWrite::Outcome>("outcome");
    const int sizes[] = {40, 4000, 16000, 16500, 65536, 1 << 20};
    for (int size : sizes) {
        for (const char *name : {"list.m3u", "list.pls"}) {
            const QByteArray row = QByteArray(name) + " " + QByteArray::number(size);
            if (!limits) {
                QTest::newRow(row.constData()) << name << size << -1 << PlaylistWrite::Failed;
                continue;
            }
            const qsizetype real = formatPlaylist(entriesOfSize(size, playlistTypeOf(name)),
                                                  playlistTypeOf(name), Qt::CaseSensitive).size();
            QTest::newRow(row + ", nothing fits") << name << size << 0 << PlaylistWrite::Failed;
            QTest::newRow(row + ", cut in the middle") << name << size << int(real / 2)
                                                       << PlaylistWrite::Failed;
            QTest::newRow(row + ", last byte missing") << name << size << int(real - 1)
                                                       << PlaylistWrite::Failed;
            QTest::newRow(row + ", fits exactly") << name << size << int(real)
                                                  << PlaylistWrite::Written;
        }
    }
}

void PlaylistIoTest::saveSizeLimit_data()
{
    addSaveSizes(true);
}

// A write the kernel refuses part-way (here a file size limit in a child
// process) fails the save at every size, and the old list stays whole.
void PlaylistIoTest::saveSizeLimit()
{
#ifdef Q_OS_UNIX
    QFETCH(QString, name);
    QFETCH(int, bytes);
    QFETCH(int, limit);
    QFETCH(PlaylistWrite::Outcome, outcome);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(putBytes(path, kOldList));
    const QStringList entries = entriesOfSize(bytes, playlistTypeOf(name));

    const int got = runInChild({false, limit}, [&] {
        return int(writePlaylistFile(path, entries, Qt::CaseSensitive).outcome);
    });
    QCOMPARE(got, int(outcome));
    const QByteArray written = formatPlaylist(entries, playlistTypeOf(name), Qt::CaseSensitive);
    QCOMPARE(fileBytes(path), outcome == PlaylistWrite::Written ? written : kOldList);
    QCOMPARE(folderListing(dir.path()), QStringList{name + ":file"});
    // Without the limit the same save is made: a failed one leaves nothing in its way.
    QCOMPARE(writePlaylistFile(path, entries, Qt::CaseSensitive).outcome, PlaylistWrite::Written);
    QCOMPARE(fileBytes(path), written);
#else
    QSKIP("needs POSIX resource limits");
#endif
}

void PlaylistIoTest::saveFullDisk_data()
{
    addSaveSizes(false);
}

// A full file system fails the save at every size, the old list untouched;
// with room again, the same save is made.
void PlaylistIoTest::saveFullDisk()
{
    QFETCH(QString, name);
    QFETCH(int, bytes);
    QTemporaryDir dir;
    const SmallDisk disk(dir.path(), 128 * 1024);
    if (!disk.mounted())
        QSKIP(SmallDisk::kCannot);
    const QString path = dir.filePath(name);
    QVERIFY(putBytes(path, kOldList));
    QVERIFY(disk.fill());
    const QStringList before = folderListing(dir.path());
    const QStringList entries = entriesOfSize(bytes, playlistTypeOf(name));

    const PlaylistWrite write = writePlaylistFile(path, entries, Qt::CaseSensitive);
    QCOMPARE(write.outcome, PlaylistWrite::Failed);
    QVERIFY(!write.errorString.isEmpty());
    QCOMPARE(fileBytes(path), kOldList);
    QCOMPARE(folderListing(dir.path()), before);

    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("filler"))));
    if (bytes < 100 * 1024) {
        QCOMPARE(writePlaylistFile(path, entries, Qt::CaseSensitive).outcome, PlaylistWrite::Written);
        QCOMPARE(readPlaylistFile(path).entries, entries);
    }
}

void PlaylistIoTest::saveTargets_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("unprivileged");
    QTest::addColumn<PlaylistWrite::Outcome>("outcome");
    QTest::newRow("a directory") << "dir.m3u" << false << PlaylistWrite::Failed;
    QTest::newRow("link to a directory") << "dirlink.m3u" << false << PlaylistWrite::Failed;
    QTest::newRow("folder removed") << "gone/list.m3u" << false << PlaylistWrite::Failed;
    QTest::newRow("under a regular file") << "old.m3u/list.m3u" << false << PlaylistWrite::Failed;
#ifdef Q_OS_UNIX
    QTest::newRow("a fifo") << "fifo.m3u" << false << PlaylistWrite::Failed;
    QTest::newRow("a device") << "null.pls" << false << PlaylistWrite::Failed;
    QTest::newRow("link to a device") << "nulllink.pls" << false << PlaylistWrite::Failed;
    QTest::newRow("not ours to write, in a folder we may") << "old.m3u" << true
                                                            << PlaylistWrite::Failed;
    QTest::newRow("ours to write, as nobody") << "shared.m3u" << true << PlaylistWrite::Written;
#endif
    QTest::newRow("link to a regular file") << "link.m3u" << false << PlaylistWrite::Written;
}

// A name held by something other than a regular file, or a file we may not
// write, is never replaced or written into; a link to a list is followed and
// stays a link.
void PlaylistIoTest::saveTargets()
{
    QFETCH(QString, relative);
    QFETCH(bool, unprivileged);
    QFETCH(PlaylistWrite::Outcome, outcome);
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    QVERIFY(putBytes(dir.filePath("old.m3u"), kOldList));
    QVERIFY(putBytes(dir.filePath("shared.m3u"), kOldList));
    QVERIFY(dir.mkdir("dir.m3u"));
    QVERIFY(putBytes(dir.filePath("dir.m3u/inside"), "keep"));
    QVERIFY(QFile::link(dir.filePath("dir.m3u"), dir.filePath("dirlink.m3u")));
    QVERIFY(QFile::link(dir.filePath("old.m3u"), dir.filePath("link.m3u")));
    QVERIFY(dir.mkdir("gone"));
    QVERIFY(putBytes(dir.filePath("gone/list.m3u"), kOldList));
    QVERIFY(QDir(dir.filePath("gone")).removeRecursively());
    const QString target = dir.filePath(relative);
    const QStringList entries{"/m/new.mp3"};
    const QByteArray written = formatPlaylist(entries, PlaylistType::M3u, Qt::CaseSensitive);
    const auto save = [&] { return writePlaylistFile(target, entries, Qt::CaseSensitive); };
#ifdef Q_OS_UNIX
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("fifo.m3u")).constData(), 0644) == 0);
    // A null device of our own: a faulty save must never get to replace the system's.
    if (relative.startsWith(u"null")) {
        if (::mknod(QFile::encodeName(dir.filePath("null.pls")).constData(), S_IFCHR | 0666,
                    makedev(1, 3)) != 0)
            QSKIP("cannot make a device node here (needs root)");
        QVERIFY(QFile::link(dir.filePath("null.pls"), dir.filePath("nulllink.pls")));
    }
    // Anyone may write in the folder; only shared.m3u is anyone's to write.
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0777) == 0);
    QVERIFY(::chmod(QFile::encodeName(dir.filePath("old.m3u")).constData(), 0644) == 0);
    QVERIFY(::chmod(QFile::encodeName(dir.filePath("shared.m3u")).constData(), 0666) == 0);
    const QStringList before = folderListing(dir.path());
    const Watchdog watchdog(20);  // opening a FIFO to write waits for a reader
    if (unprivileged) {
        QCOMPARE(runInChild({true, -1}, [&] { return int(save().outcome); }), int(outcome));
    } else {
        const PlaylistWrite write = save();
        QCOMPARE(write.outcome, outcome);
        QCOMPARE(write.errorString.isEmpty(), outcome == PlaylistWrite::Written);
    }
#else
    Q_UNUSED(unprivileged);
    const QStringList before = folderListing(dir.path());
    QCOMPARE(save().outcome, outcome);
#endif
    QCOMPARE(folderListing(dir.path()), before);
    QCOMPARE(fileBytes(dir.filePath("dir.m3u/inside")), QByteArray("keep"));
    if (outcome == PlaylistWrite::Written)
        QCOMPARE(fileBytes(target), written);
    const bool oldReplaced = outcome == PlaylistWrite::Written && relative == u"link.m3u";
    QCOMPARE(fileBytes(dir.filePath("old.m3u")), oldReplaced ? written : kOldList);
}

// Only CR and LF break a line where the reader looks; other separators are text.
void PlaylistIoTest::canHold_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("canHold");
    QTest::newRow("plain") << "/m/a.mp3" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("tab and blanks") << " /m/a\tb.mp3 " << true;
    QTest::newRow("unicode line separator") << QStringLiteral("/m/a\u2028b.mp3") << true;
    QTest::newRow("next line") << QStringLiteral("/m/a\u0085b.mp3") << true;
    QTest::newRow("LF") << "/m/a\nb.mp3" << false;
    QTest::newRow("CR") << "/m/a\rb.mp3" << false;
    QTest::newRow("CR LF at the end") << "/m/a.mp3\r\n" << false;
    QTest::newRow("LF first") << "\n/m/a.mp3" << false;
}

void PlaylistIoTest::canHold()
{
    QFETCH(QString, path);
    QFETCH(bool, canHold);
    QCOMPARE(playlistCanHold(path), canHold);
}

void PlaylistIoTest::lineBreaks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("badEntry");
    QTest::newRow("LF, m3u") << "list.m3u" << QStringList{"/m/a.mp3", "/m/b\nc.mp3"} << 1;
    QTest::newRow("CR, pls") << "list.pls" << QStringList{"/m/a.mp3\r"} << 0;
    QTest::newRow("CR LF in the third") << "list.m3u" << QStringList{"/x", "/y", "/a\r\nb"} << 2;
    QTest::newRow("first of two reported") << "list.pls" << QStringList{"/a", "\n/b", "/c\r"} << 1;
    QTest::newRow("other type") << "list" << QStringList{"/a\nb"} << 0;
}

// A list holding a path with a line break is never written: it would come back
// as two entries. The old file stays.
void PlaylistIoTest::lineBreaks()
{
    QFETCH(QString, name);
    QFETCH(QStringList, entries);
    QFETCH(int, badEntry);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(putBytes(path, kOldList));
    const PlaylistWrite write = writePlaylistFile(path, entries, Qt::CaseSensitive);
    QCOMPARE(write.outcome, PlaylistWrite::LineBreak);
    QCOMPARE(write.badEntry, badEntry);
    QCOMPARE(fileBytes(path), kOldList);
    QCOMPARE(folderListing(dir.path()), QStringList{name + ":file"});

    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    QVERIFY(!writePlaylist(buffer, entries, playlistTypeOf(name), Qt::CaseSensitive));
    QCOMPARE(buffer.size(), 0);
}

QTEST_GUILESS_MAIN(PlaylistIoTest)
#include "tst_playlist_io.moc"
