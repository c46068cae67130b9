// melvora --export, the real program: its exit status for a good export, a
// failed one and a bad command line, and a stick that fills mid-way.
#include "app/export_command.h"
#include "tests/common/small_disk.h"
#include "tests/common/test_files.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Run {
    int status = -1;
    QString err;
};

Run melvora(const QStringList &arguments, const QString &folder)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(MELVORA_EXECUTABLE), arguments);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAllStandardError())};
}
} // namespace

class ExportCommandTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void status_data();
    void status();
    void stickFillsMidway();

private:
    QTemporaryDir m_dir;
};

void ExportCommandTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QDir dir(m_dir.path());
    QVERIFY(dir.mkpath(QStringLiteral("music")) && dir.mkpath(QStringLiteral("out")));
    QVERIFY(QFile::copy(QStringLiteral(MELVORA_TEST_DATA "/export/both.mp3"), dir.filePath("music/a.mp3")));
    QVERIFY(QFile::copy(QStringLiteral(MELVORA_TEST_DATA "/export/title_only.mp3"), dir.filePath("music/b.mp3")));
    QVERIFY(putBytes(dir.filePath("good.m3u"), "music/a.mp3\r\nmusic/b.mp3\r\n"));
    QVERIFY(putBytes(dir.filePath("gone.m3u"), "music/a.mp3\r\nmusic/gone.mp3\r\n"));
    QVERIFY(QFile::copy(QStringLiteral(MELVORA_TEST_DATA "/export/both.mp3"), dir.filePath(u"music/周杰倫.mp3"_qs)));
    QVERIFY(putBytes(dir.filePath("chinese.m3u"), u"music/a.mp3\r\nmusic/周杰倫.mp3\r\n"_qs.toUtf8()));
    QVERIFY(putBytes(dir.filePath("binary.m3u"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x02\0", 20)));
}

void ExportCommandTest::status_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("written");   // what must exist after; empty: out/ stays empty
    QTest::addColumn<QString>("said");      // in standard error

    QTest::newRow("export") << QStringList{"--export", "good.m3u", "--to", "out/a.pls"} << 0 << "out/a.pls"
                            << "已导出 2 项";
    QTest::newRow("copies, numbered")
        << QStringList{"--export", "good.m3u", "--to", "out/a.m3u", "--copy-files", "--numbered"} << 0
        << "out/002 - Only Title.mp3" << "复制 2 个文件";
    QTest::newRow("joined values") << QStringList{"--export=good.m3u", "--to=out/a", "--format=m3u-plain"} << 0
                                   << "out/a" << "已导出";
    QTest::newRow("a missing file is not copied")
        << QStringList{"--export", "gone.m3u", "--to", "out/a.m3u", "--copy-files"} << 1 << "out/a.m3u" << "gone.mp3";
    QTest::newRow("no such list") << QStringList{"--export", "none.m3u", "--to", "out/a.m3u"} << 1 << ""
                                  << "无法读取列表";
    QTest::newRow("not a list") << QStringList{"--export", "music/a.mp3", "--to", "out/a.m3u"} << 2 << ""
                                << "不是播放列表";
    QTest::newRow("a target without an extension") << QStringList{"--export", "good.m3u", "--to", "music"} << 2
                                                  << "" << "扩展名";
    QTest::newRow("target not writable") << QStringList{"--export", "good.m3u", "--to", "music/a.mp3/x.m3u"} << 1
                                         << "" << "a.mp3”不是文件夹";
    QTest::newRow("a missing folder is made") << QStringList{"--export", "good.m3u", "--to", "out/new/deeper/a.m3u"}
                                              << 0 << "out/new/deeper/a.m3u" << "已导出 2 项";
    QTest::newRow("a binary file is no list") << QStringList{"--export", "binary.m3u", "--to", "out/a.m3u"} << 1 << ""
                                              << "binary.m3u”：不是播放列表文件";
    QTest::newRow("m3u8 is never GB18030")
        << QStringList{"--export", "good.m3u", "--to", "out/a.m3u8", "--encoding", "gb18030"} << 2 << ""
        << "M3U8 格式总是 UTF-8";
    QTest::newRow("xspf is never GB18030")
        << QStringList{"--export", "good.m3u", "--to", "out/a.xspf", "--encoding", "gb18030"} << 2 << ""
        << "XSPF 格式总是 UTF-8";
    QTest::newRow("big5 holds it")
        << QStringList{"--export", "chinese.m3u", "--to", "out/a.m3u", "--encoding", "big5"} << 0 << "out/a.m3u"
        << "已导出 2 项";
    QTest::newRow("windows-1252 cannot hold it")
        << QStringList{"--export", "chinese.m3u", "--to", "out/a.m3u", "--encoding", "windows-1252"} << 1 << ""
        << "等 2 项不能用windows-1252写出";   // a.mp3 by its Chinese title
    QTest::newRow("m3u8 is never Shift_JIS")
        << QStringList{"--export", "good.m3u", "--to", "out/a.m3u8", "--encoding", "shift_jis"} << 2 << ""
        << "不能使用“--encoding shift_jis”";
    QTest::newRow("bad format") << QStringList{"--export", "good.m3u", "--to", "out/a.m3u", "--format", "wpl"} << 2
                                << "" << "“--format”的值“wpl”无效";
    QTest::newRow("no target") << QStringList{"--export", "good.m3u"} << 2 << "" << "--to";
    QTest::newRow("no value") << QStringList{"--export", "good.m3u", "--to", "out/a.m3u", "--paths"} << 2 << ""
                              << "需要一个值";
    QTest::newRow("unknown option") << QStringList{"--export", "good.m3u", "--to", "out/a.m3u", "--fast"} << 2
                                    << "" << "未知选项“--fast”";
    QTest::newRow("numbered without copies")
        << QStringList{"--export", "good.m3u", "--to", "out/a.m3u", "--numbered"} << 2 << "" << "--copy-files";
    QTest::newRow("help wins") << QStringList{"--export", "good.m3u", "--help"} << 0 << "" << "";
}

void ExportCommandTest::status()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, written);
    QFETCH(QString, said);
    QDir out(QDir(m_dir.path()).filePath(QStringLiteral("out")));
    out.removeRecursively();
    QVERIFY(out.mkpath(QStringLiteral(".")));

    const Run run = melvora(arguments, m_dir.path());
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.contains(said), qPrintable(run.err));
    // Only the program's own words: nothing Qt says reaches the terminal.
    QVERIFY2(!run.err.contains(QLatin1String("Broken filename")) && !run.err.contains(QLatin1String("QFile")),
             qPrintable(run.err));
    if (written.isEmpty())
        QCOMPARE(out.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    else
        QVERIFY(QFileInfo(QDir(m_dir.path()).filePath(written)).isFile());
}

// The free-space check counts a file of the same name and size on the stick
// as already there; when its bytes differ, the copy beside it fills the disk
// mid-way: reported, exit 1, no half-written copy or playlist.
void ExportCommandTest::stickFillsMidway()
{
    const QDir dir(m_dir.path());
    QVERIFY(dir.mkpath(QStringLiteral("big")));
    QVERIFY(putBytes(dir.filePath("big/1.mp3"), QByteArray(200 * 1024, '1')));
    QVERIFY(putBytes(dir.filePath("big/2.mp3"), QByteArray(200 * 1024, '2')));
    QVERIFY(putBytes(dir.filePath("big.m3u"), "big/1.mp3\r\nbig/2.mp3\r\n"));
    const QString stick = dir.filePath(QStringLiteral("stick"));
    QVERIFY(dir.mkpath(QStringLiteral("stick")));
    const SmallDisk disk(stick, 512 * 1024);
    if (!disk.mounted())
        QSKIP(SmallDisk::kCannot);
    QVERIFY(putBytes(stick + QStringLiteral("/2.mp3"), QByteArray(200 * 1024, 'x')));
    QVERIFY(putBytes(stick + QStringLiteral("/list.m3u"), "old list"));

    const Run run = melvora({"--export", "big.m3u", "--to", "stick/list.m3u", "--copy-files"}, m_dir.path());
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(QStringLiteral("复制失败")), qPrintable(run.err));
    const QDir onStick(stick);
    QCOMPARE(onStick.entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{QStringLiteral("1.mp3"), QStringLiteral("2.mp3"), QStringLiteral("list.m3u")}));
    QCOMPARE(fileBytes(onStick.filePath("1.mp3")), QByteArray(200 * 1024, '1'));
    QCOMPARE(fileBytes(onStick.filePath("2.mp3")), QByteArray(200 * 1024, 'x'));
    // The list of what did arrive, or the old one: never half of either.
    const QByteArray list = fileBytes(onStick.filePath("list.m3u"));
    QVERIFY2(list == "old list" || list == "#EXTM3U\r\n#EXTINF:-1,1\r\n1.mp3\r\n", list.constData());

    // What cannot fit is told before the first copy: nothing is copied.
    QVERIFY(putBytes(dir.filePath("big/3.mp3"), QByteArray(600 * 1024, '3')));
    QVERIFY(putBytes(dir.filePath("bigger.m3u"), "big/3.mp3\r\nbig/1.mp3\r\n"));
    const QStringList before = onStick.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    const Run full = melvora({"--export", "bigger.m3u", "--to", "stick/other.m3u", "--copy-files"}, m_dir.path());
    QCOMPARE(full.status, 1);
    QVERIFY2(full.err.contains(QStringLiteral("空间不足")), qPrintable(full.err));
    QCOMPARE(onStick.entryList(QDir::Files | QDir::Hidden, QDir::Name), before);
}

QTEST_GUILESS_MAIN(ExportCommandTest)
#include "tst_export_command.moc"
