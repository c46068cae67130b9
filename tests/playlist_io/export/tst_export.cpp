// Exports: each format's bytes from tagged MP3s, the options, tags read and
// kept, and the start of a file for the preview.
#include "platform/tags/track_tags.h"
#include "playlist_io/export/export_options.h"
#include <QMetaType>
Q_DECLARE_METATYPE(TrackTags)
Q_DECLARE_METATYPE(ExportOptions)
Q_DECLARE_METATYPE(ExportFormat)
#include "platform/tags/tag_cache.h"
#include "platform/work/long_work.h"
#include "playlist_io/export/export_format.h"
#include "playlist_io/export/export_run.h"
#include "playlist_io/playlist_reader.h"
#include "platform/files/file_copy.h"
#include "tests/common/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
const QString kData = QStringLiteral(MELVORA_TEST_DATA "/export");
// The three files of every list here: artist and title, a title only, no tag.
const QStringList kFiles = {QStringLiteral("music/both.mp3"), QStringLiteral("music/title_only.mp3"),
                            QStringLiteral("music/sub/un tagged.mp3")};
} // namespace

class ExportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void formats_data();
    void formats();
    void folderTarget();
    void outsideGbk();
    void preview_data();
    void preview();
    void tags_data();
    void tags();
    void cacheReadsOnce();
    void relativePaths_data();
    void relativePaths();
    void copyNames_data();
    void copyNames();
    void copiesWithStreams();
    void xspfNamesReadBack();

private:
    QStringList entries() const;
    QTemporaryDir m_dir;
};

void ExportTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QDir root(m_dir.path());
    QVERIFY(root.mkpath(QStringLiteral("music/sub")) && root.mkpath(QStringLiteral("out")));
    QVERIFY(QFile::copy(kData + QStringLiteral("/both.mp3"), root.filePath(kFiles[0])));
    QVERIFY(QFile::copy(kData + QStringLiteral("/title_only.mp3"), root.filePath(kFiles[1])));
    QVERIFY(QFile::copy(kData + QStringLiteral("/untagged.mp3"), root.filePath(kFiles[2])));
}

QStringList ExportTest::entries() const
{
    QStringList out;
    for (const QString &f : kFiles)
        out << QDir::toNativeSeparators(QDir(m_dir.path()).filePath(f));
    return out;
}

void ExportTest::formats_data()
{
    QTest::addColumn<QString>("target");   // in out/
    QTest::addColumn<ExportOptions>("options");
    QTest::addColumn<QByteArray>("expected");   // "<dir>": the fixture's folder

    const auto opts = [](ExportFormat f, ExportPaths p = ExportPaths::Absolute,
                         PathSeparator s = PathSeparator::Slash, TextEncoding e = TextEncoding::Utf8,
                         std::optional<LineEnds> l = std::nullopt) {
        ExportOptions o;
        o.format = f;
        o.paths = p;
        o.separator = s;
        o.encoding = e;
        o.lineEnds = l;
        return o;
    };
    const QByteArray extended = "#EXTM3U\r\n"
                                "#EXTINF:2,\xe6\xad\x8c\xe6\x89\x8b - \xe7\xac\xac\xe4\xb8\x80\xe9\xa6\x96\r\n"
                                "<dir>/music/both.mp3\r\n"
                                "#EXTINF:1,Only Title\r\n"
                                "<dir>/music/title_only.mp3\r\n"
                                "#EXTINF:1,un tagged\r\n"
                                "<dir>/music/sub/un tagged.mp3\r\n";
    QTest::newRow("m3u, full paths") << "a.m3u" << opts(ExportFormat::M3u) << extended;
    QTest::newRow("m3u8 is UTF-8 whatever is asked")
        << "a.m3u8" << opts(ExportFormat::M3u8, ExportPaths::Absolute, PathSeparator::Slash, TextEncoding::Gb18030)
        << extended;
    QTest::newRow("m3u with a byte-order mark")
        << "a.m3u" << opts(ExportFormat::M3u, ExportPaths::Absolute, PathSeparator::Slash, TextEncoding::Utf8Bom)
        << "\xef\xbb\xbf" + extended;
    QTest::newRow("m3u in GB18030, relative")
        << "a.m3u" << opts(ExportFormat::M3u, ExportPaths::Relative, PathSeparator::Slash, TextEncoding::Gb18030)
        << QByteArray("#EXTM3U\r\n"
                      "#EXTINF:2,\xb8\xe8\xca\xd6 - \xb5\xda\xd2\xbb\xca\xd7\r\n"
                      "../music/both.mp3\r\n"
                      "#EXTINF:1,Only Title\r\n"
                      "../music/title_only.mp3\r\n"
                      "#EXTINF:1,un tagged\r\n"
                      "../music/sub/un tagged.mp3\r\n");
    QTest::newRow("m3u-plain, relative with backslashes")
        << "a.m3u" << opts(ExportFormat::M3uPlain, ExportPaths::Relative, PathSeparator::Backslash)
        << QByteArray("..\\music\\both.mp3\r\n..\\music\\title_only.mp3\r\n..\\music\\sub\\un tagged.mp3\r\n");
    QTest::newRow("pls, names only, LF")
        << "a.pls" << opts(ExportFormat::Pls, ExportPaths::Name, PathSeparator::Backslash, TextEncoding::Utf8, LineEnds::Lf)
        << QByteArray("[playlist]\n"
                      "File1=both.mp3\n"
                      "Title1=\xe6\xad\x8c\xe6\x89\x8b - \xe7\xac\xac\xe4\xb8\x80\xe9\xa6\x96\n"
                      "Length1=2\n"
                      "File2=title_only.mp3\n"
                      "Title2=Only Title\n"
                      "Length2=1\n"
                      "File3=un tagged.mp3\n"
                      "Title3=un tagged\n"
                      "Length3=1\n"
                      "NumberOfEntries=3\n"
                      "Version=2\n");
    QTest::newRow("xspf, relative")
        << "a.xspf" << opts(ExportFormat::Xspf, ExportPaths::Relative)
        << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n"
                      "  <trackList>\n"
                      "    <track>\n"
                      "      <location>../music/both.mp3</location>\n"
                      "      <title>\xe7\xac\xac\xe4\xb8\x80\xe9\xa6\x96</title>\n"
                      "      <creator>\xe6\xad\x8c\xe6\x89\x8b</creator>\n"
                      "      <duration>2560</duration>\n"
                      "    </track>\n"
                      "    <track>\n"
                      "      <location>../music/title_only.mp3</location>\n"
                      "      <title>Only Title</title>\n"
                      "      <duration>1254</duration>\n"
                      "    </track>\n"
                      "    <track>\n"
                      "      <location>../music/sub/un%20tagged.mp3</location>\n"
                      "      <duration>1254</duration>\n"
                      "    </track>\n"
                      "  </trackList>\n"
                      "</playlist>\n");
}

// The whole run, tags read from the files, the file written through the durable save.
void ExportTest::formats()
{
    QFETCH(QString, target);
    QFETCH(ExportOptions, options);
    QFETCH(QByteArray, expected);
    const QString path = QDir(m_dir.path()).filePath(QStringLiteral("out/") + target);
    QVERIFY(putBytes(path, "old list"));
    TagCache cache;
    WorkProgress progress;
    const ExportReport report = runExport({entries(), path, options}, cache, progress);
    QVERIFY2(report.complete(), qPrintable(report.errorString));
    QCOMPARE(report.exported, entries().size());
    QCOMPARE(fileBytes(path), expected.replace("<dir>", QFile::encodeName(m_dir.path())));
    QCOMPARE(report.outsideGbk, QStringList());
}

// A folder as the target stops the run before anything is copied or written,
// whoever runs it (the window asks exportTargetProblem first as well).
void ExportTest::folderTarget()
{
    const QString folder = QDir(m_dir.path()).filePath(QStringLiteral("out/a folder.m3u"));
    QVERIFY(QDir().mkpath(folder));
    const QDir out(QDir(m_dir.path()).filePath(QStringLiteral("out")));
    const QStringList before = out.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    ExportOptions options;
    options.copyFiles = true;
    TagCache cache;
    WorkProgress progress;
    const ExportReport report = runExport({entries(), folder, options}, cache, progress);
    QCOMPARE(report.outcome, ExportReport::Failed);
    QCOMPARE(report.errorString, exportTargetProblem(folder));
    QVERIFY(report.errorString.contains(QStringLiteral("不是文件")));
    QCOMPARE(out.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);   // no copies beside it
    QVERIFY(QDir(folder).removeRecursively());
}

// GB18030 holds every name; one GBK cannot hold is told, the file still written.
void ExportTest::outsideGbk()
{
    ExportOptions options;
    options.encoding = TextEncoding::Gb18030;
    const QStringList list = {QStringLiteral("/m/歌.mp3"), QStringLiteral("/m/노래.mp3"), QStringLiteral("/m/a.mp3")};
    const QList<TrackTags> tags = {{}, {}, {QStringLiteral("Artist"), QStringLiteral("Song 🎵"), 3, 3000, {}}};
    const ExportText text = formatExport(list, tags, options, QStringLiteral("/m"));
    QCOMPARE(text.outsideGbk, (QStringList{list[1], list[2]}));
    QVERIFY(text.bytes.contains("/m/\xb8\xe8.mp3"));
    options.encoding = TextEncoding::Utf8;
    QCOMPARE(formatExport(list, tags, options, QStringLiteral("/m")).outsideGbk, QStringList());
}

void ExportTest::preview_data()
{
    QTest::addColumn<ExportFormat>("format");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("pls: no count yet") << ExportFormat::Pls
                                       << QByteArray("[playlist]\r\nFile1=/m/a.mp3\r\nTitle1=T\r\nLength1=-1\r\n");
    QTest::newRow("m3u") << ExportFormat::M3u << QByteArray("#EXTM3U\r\n#EXTINF:-1,T\r\n/m/a.mp3\r\n");
    QTest::newRow("xspf: no closing lines")
        << ExportFormat::Xspf
        << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n"
                      "  <trackList>\n"
                      "    <track>\n"
                      "      <location>file:///m/a.mp3</location>\n"
                      "      <title>T</title>\n"
                      "    </track>\n");
}

// The start of a longer list: the first entries, nothing of what ends the file.
void ExportTest::preview()
{
    QFETCH(ExportFormat, format);
    QFETCH(QByteArray, expected);
    ExportOptions options;
    options.format = format;
    const QStringList list = {QStringLiteral("/m/a.mp3"), QStringLiteral("/m/b.mp3")};
    const TrackTags t{QString(), QStringLiteral("T\n"), -1, -1, {}};
    QCOMPARE(formatExport(list, {t, t}, options, QStringLiteral("/m"), 1).bytes, expected);
}

void ExportTest::tags_data()
{
    QTest::addColumn<QString>("file");   // in the fixture's folder
    QTest::addColumn<TrackTags>("tags");
    QTest::newRow("artist and title (UTF-16 tag)") << kFiles[0] << TrackTags{"歌手", "第一首", 2, 2560, {}};
    QTest::newRow("title only") << kFiles[1] << TrackTags{"", "Only Title", 1, 1254, {}};
    QTest::newRow("no tag") << kFiles[2] << TrackTags{"", "", 1, 1254, {}};
    QTest::newRow("missing") << "music/none.mp3" << TrackTags{};
    QTest::newRow("a folder") << "music" << TrackTags{};
#ifdef Q_OS_UNIX
    QTest::newRow("a FIFO does not block") << "fifo.mp3" << TrackTags{};
#endif
}

void ExportTest::tags()
{
    QFETCH(QString, file);
    QFETCH(TrackTags, tags);
    const QString path = QDir(m_dir.path()).filePath(file);
#ifdef Q_OS_UNIX
    if (file == QLatin1String("fifo.mp3") && !QFileInfo::exists(path))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
    QCOMPARE(readTrackTags(path), tags);
}

// A file is read once for the run, and again once it has changed.
void ExportTest::cacheReadsOnce()
{
    const QString path = QDir(m_dir.path()).filePath(QStringLiteral("out/again.mp3"));
    QVERIFY(QFile::copy(kData + QStringLiteral("/title_only.mp3"), path));
    TagCache cache;
    QCOMPARE(cache.tagsFor(QStringList{path, path}).at(1).title, QStringLiteral("Only Title"));
    QCOMPARE(cache.reads(), 1);
    QFile::remove(path);
    QVERIFY(QFile::copy(kData + QStringLiteral("/both.mp3"), path));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    f.close();
    QCOMPARE(cache.tagsFor(path).title, QStringLiteral("第一首"));
    QCOMPARE(cache.reads(), 2);
}

void ExportTest::relativePaths_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("expected");
    QTest::newRow("on the card") << "/media/PHONE/Music" << "/media/PHONE/Other/a.mp3" << "../Other/a.mp3";
    QTest::newRow("another volume, in full") << "/media/PHONE/Music" << "/home/u/AC:DC/a.mp3" << "/home/u/AC:DC/a.mp3";
    QTest::newRow("from the card to the disk, in full") << "/home/u" << "/media/PHONE/a.mp3" << "/media/PHONE/a.mp3";
    QTest::newRow("folders whose names share a start") << "/m/pop" << "/m/pop2/a.mp3" << "../pop2/a.mp3";
    // The drive letter decides, in either case and with either separator.
    QTest::newRow("the same drive, spelt otherwise") << "C:/Music" << "c:\\Other\\a.mp3" << "../Other/a.mp3";
}

// Relative paths never climb out of the target's volume, in M3U and in XSPF.
void ExportTest::relativePaths()
{
    QFETCH(QString, folder);
    QFETCH(QString, entry);
    QFETCH(QString, expected);
    ExportOptions options;
    options.format = ExportFormat::M3uPlain;
    options.paths = ExportPaths::Relative;
    const QStringList volumes = {QStringLiteral("/media/PHONE")};
    QCOMPARE(formatExport({entry}, {}, options, folder, -1, {}, volumes).bytes, expected.toUtf8() + "\r\n");
    options.format = ExportFormat::Xspf;
    const QByteArray xspf = formatExport({entry}, {}, options, folder, -1, {}, volumes).bytes;
    const QByteArray location = expected.startsWith(QLatin1Char('/')) ? "file://" + QUrl::toPercentEncoding(expected, "/:")
                                                                      : expected.toUtf8();
    QVERIFY2(xspf.contains("<location>" + location + "</location>"), xspf.constData());
}

void ExportTest::copyNames_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<int>("units");   // what the name comes to, in UTF-16 units
    QTest::newRow("a short name stays") << "Song" << true << 14;
    QTest::newRow("ASCII, cut to 255") << QString(300, QLatin1Char('a')) << true << 255;
    QTest::newRow("Chinese, cut to 255 bytes") << QString(200, QChar(0x6b4c)) << true << 6 + 81 + 4;
    QTest::newRow("beyond the BMP, never split") << QStringLiteral("🎵").repeated(100) << false << 62 * 2 + 4;
    QTest::newRow("half a pair at the end of a title goes") << QStringLiteral("Song") + QChar(0xD83C) << true << 14;
}

// A copy's name fits every file system: at most 255 bytes and 255 UTF-16
// units, whole characters, its number and extension kept; " (2)" fits too.
void ExportTest::copyNames()
{
    QFETCH(QString, title);
    QFETCH(bool, numbered);
    QFETCH(int, units);
    const QString entry = QStringLiteral("/m/") + (numbered ? QStringLiteral("x") : title) + QStringLiteral(".mp3");
    const QString name = exportCopyName(entry, 0, 10, TrackTags{QString(), title, -1, -1, {}}, numbered);
    QCOMPARE(name.size(), units);
    QVERIFY(name.endsWith(QLatin1String(".mp3")));
    QVERIFY(!numbered || name.startsWith(QLatin1String("001 - ")));
    QVERIFY(QString::fromUtf8(name.toUtf8()) == name);   // no half character
    const QString second = numberedCopyName(name, 2);
    QVERIFY2(second.toUtf8().size() <= 255 && second.size() <= 255, qPrintable(second));
    QVERIFY(QString::fromUtf8(second.toUtf8()) == second);
    QVERIFY(second.endsWith(QLatin1String(" (2).mp3")));
}

// Copies made, the streams stay in the list as written; a file without tags
// or length is named after itself in #EXTINF, not after its numbered copy.
void ExportTest::copiesWithStreams()
{
    const QString raw = QDir(m_dir.path()).filePath(QStringLiteral("out/raw.mp3"));
    QVERIFY(putBytes(raw, "no audio"));
    const QString target = QDir(m_dir.path()).filePath(QStringLiteral("out/copies/list.m3u"));
    ExportOptions options;
    options.copyFiles = true;
    options.numbered = true;
    TagCache cache;
    WorkProgress progress;
    const ExportReport report = runExport({{raw, QStringLiteral("http://radio.example/live?x=1")}, target, options}, cache, progress);
    QVERIFY2(report.complete(), qPrintable(exportReportText(report)));
    QCOMPARE(report.copied, 1);
    QCOMPARE(fileBytes(target), QByteArray("#EXTM3U\r\n#EXTINF:-1,raw\r\n001 - raw.mp3\r\n"
                                           "#EXTINF:-1,live?x=1\r\nhttp://radio.example/live?x=1\r\n"));
}

// "?" and "#" in a name are no query or fragment of the location: the list
// read back names the same files, full or relative.
void ExportTest::xspfNamesReadBack()
{
    const QString target = QDir(m_dir.path()).filePath(QStringLiteral("out/marks.xspf"));
    const QStringList entries = {QDir(m_dir.path()).filePath(QStringLiteral("out/a?b#c.mp3")),
                                 QStringLiteral("/elsewhere/歌 #1?.mp3")};
    for (const ExportPaths paths : {ExportPaths::Absolute, ExportPaths::Relative}) {
        ExportOptions options;
        options.format = ExportFormat::Xspf;
        options.paths = paths;
        TagCache cache;
        WorkProgress progress;
        QCOMPARE(runExport({entries, target, options}, cache, progress).outcome, ExportReport::Written);
        const PlaylistRead read = readPlaylistFile(target);
        QCOMPARE(read.entries, entries);
    }
}

QTEST_GUILESS_MAIN(ExportTest)
#include "tst_export.moc"
