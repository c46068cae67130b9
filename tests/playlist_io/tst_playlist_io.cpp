#include "playlist_reader.h"
#include "playlist_writer.h"
#include "test_files.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#endif

Q_DECLARE_METATYPE(PlaylistType)
Q_DECLARE_METATYPE(PlaylistRead::Outcome)

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

const QStringList kExample = {QStringLiteral("C:\\Music\\a.mp3"),
                              QStringLiteral("D:\\Songs\\Best Of.mp3")};

} // namespace

class PlaylistIoTest : public QObject {
    Q_OBJECT
private slots:
    void typeFromName_data();
    void typeFromName();
    void parse_data();
    void parse();
    void readDevice();
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
    void fullDisk();
    void fileSizeLimit();

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
    QTest::newRow("m3u8") << "list.m3u8" << PlaylistType::Other;
    QTest::newRow("short") << "ls" << PlaylistType::Other;
    QTest::newRow("empty") << "" << PlaylistType::Other;
}

void PlaylistIoTest::typeFromName()
{
    QFETCH(QString, name);
    QFETCH(PlaylistType, type);
    QCOMPARE(playlistTypeOf(name), type);
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
    QTest::newRow("comments and blanks kept inside")
        << QByteArray("# comment\r\n #not a comment\r\n  /m/x y.mp3  \r\n")
        << PlaylistType::M3u << QStringList{" #not a comment", "  /m/x y.mp3  "};
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
    QTest::newRow("a directory") << "dir.m3u" << PlaylistRead::Unreadable;
    QTest::newRow("empty name") << "" << PlaylistRead::Missing;
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

    const QStringList posix{"/m/a.mp3", "/m/A.mp3", "/音乐/歌 1.mp3", " /lead", "/x=y.mp3",
                            "#not a comment"};
    QTest::newRow("m3u posix") << "list.m3u" << Qt::CaseSensitive << posix
                               << posix.mid(0, 5);  // "#" lines are comments in M3U
    QTest::newRow("pls posix") << "list.PLS" << Qt::CaseSensitive << posix << posix;
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

// A disk that fills up during the save keeps the old list whole.
void PlaylistIoTest::fullDisk()
{
#ifdef Q_OS_LINUX
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=256k") != 0)
        QSKIP("cannot mount a small tmpfs here (needs root)");
    struct Unmount {
        QByteArray path;
        ~Unmount() { ::umount(path.constData()); }
    } unmount{mountPoint};

    const QString old = dir.filePath("old.m3u");
    QVERIFY(putBytes(old, "/m/old.mp3\r\n"));
    QFile filler(dir.filePath("filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    filler.close();

    QStringList many;
    for (int i = 0; i < 2000; ++i)
        many << QStringLiteral("/music/album/track number %1.mp3").arg(i);
    const PlaylistWrite write = writePlaylistFile(old, many, Qt::CaseSensitive);
    QCOMPARE(write.outcome, PlaylistWrite::Failed);
    QCOMPARE(fileBytes(old), QByteArray("/m/old.mp3\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"filler", "old.m3u"}));

    QVERIFY(QFile::remove(dir.filePath("filler")));
    QCOMPARE(writePlaylistFile(old, many, Qt::CaseSensitive).outcome, PlaylistWrite::Written);
    QCOMPARE(readPlaylistFile(old).entries, many);
#else
    QSKIP("needs a Linux tmpfs");
#endif
}

// A write that stops half-way (file size limit) keeps the old list whole too.
void PlaylistIoTest::fileSizeLimit()
{
#ifdef Q_OS_LINUX
    QTemporaryDir dir;
    const QString old = dir.filePath("old.pls");
    QVERIFY(putBytes(old, "[Playlist]\r\nNumberOfEntries=1\r\nFile1=/m/old.mp3\r\n"));
    QStringList many;
    for (int i = 0; i < 2000; ++i)
        many << QStringLiteral("/music/album/track number %1.mp3").arg(i);

    rlimit saved{};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 8192;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    const PlaylistWrite write = writePlaylistFile(old, many, Qt::CaseSensitive);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(write.outcome, PlaylistWrite::Failed);
    QCOMPARE(readPlaylistFile(old).entries, QStringList{"/m/old.mp3"});
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.pls"});
    QCOMPARE(writePlaylistFile(old, many, Qt::CaseSensitive).outcome, PlaylistWrite::Written);
    QCOMPARE(readPlaylistFile(old).entries, many);
#else
    QSKIP("needs POSIX resource limits");
#endif
}

QTEST_GUILESS_MAIN(PlaylistIoTest)
#include "tst_playlist_io.moc"
