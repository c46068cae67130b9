#include "tests/platform/child_process.h"
#include "platform/files/file_errors.h"
#include "platform/files/regular_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#endif

Q_DECLARE_METATYPE(RegularFileOpen)

namespace {

// Opens the file and checks that `file` is open exactly when it says so and
// then reads the whole content, and that the reason it gives is told as
// `reason` (none when opened); the outcome as a number, or 100 on a mismatch.
int openAndCheck(const QString &path, const QByteArray &content, const QString &reason)
{
    QFile file;
    int error = -100;
    const RegularFileOpen result = openRegularFile(file, path, &error);
    const bool opened = result == RegularFileOpen::Opened;
    if (file.isOpen() != opened || (opened && file.readAll() != content))
        return 100;
    if (opened ? error != 0 : fileErrorText(error, FileUse::Read) != reason)
        return 100;
    return int(result);
}

} // namespace

class RegularFileTest : public QObject {
    Q_OBJECT
private slots:
    void open_data();
    void open();
    void readingAndWritingWords_data();
    void readingAndWritingWords();
};

void RegularFileTest::open_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("unprivileged");
    QTest::addColumn<RegularFileOpen>("result");
    QTest::addColumn<QString>("reason");   // how the error it gives is told when reading

    const QString none, missing("文件不存在"), special("不是普通文件（管道、套接字或设备）");
    QTest::newRow("regular") << "list.m3u" << false << RegularFileOpen::Opened << none;
    QTest::newRow("empty regular") << "empty.m3u" << false << RegularFileOpen::Opened << none;
    QTest::newRow("link to regular") << "link.m3u" << false << RegularFileOpen::Opened << none;
    QTest::newRow("missing") << "none.m3u" << false << RegularFileOpen::Missing << missing;
    QTest::newRow("missing folder") << "nodir/list.m3u" << false << RegularFileOpen::Missing << missing;
    QTest::newRow("under a regular file")
        << "list.m3u/x.m3u" << false << RegularFileOpen::Missing << QString("路径中有一项不是文件夹");
    QTest::newRow("dangling link") << "dangling.m3u" << false << RegularFileOpen::Missing << missing;
    QTest::newRow("empty name") << "" << false << RegularFileOpen::Missing << missing;
    QTest::newRow("directory") << "dir.m3u" << false << RegularFileOpen::NotRegular << QString("这是一个文件夹");
#ifdef Q_OS_UNIX
    QTest::newRow("fifo") << "fifo.m3u" << false << RegularFileOpen::NotRegular << special;
    QTest::newRow("link to fifo") << "fifolink.m3u" << false << RegularFileOpen::NotRegular << special;
    QTest::newRow("character device") << "null.m3u" << false << RegularFileOpen::NotRegular << special;
    QTest::newRow("socket") << "socket.m3u" << false << RegularFileOpen::NotRegular << special;
    QTest::newRow("no read permission")
        << "secret.m3u" << true << RegularFileOpen::Unreadable << QString("没有读取的权限");
    QTest::newRow("readable to all, as nobody") << "list.m3u" << true << RegularFileOpen::Opened << none;
#endif
}

// Only regular files open; nothing else blocks or is read, whoever runs it.
void RegularFileTest::open()
{
    QFETCH(QString, relative);
    QFETCH(bool, unprivileged);
    QFETCH(RegularFileOpen, result);
    QFETCH(QString, reason);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QDir dir(tmp.path());
    const QByteArray content("/m/a.mp3\r\n");
    QFile list(dir.filePath("list.m3u"));
    QVERIFY(list.open(QIODevice::WriteOnly) && list.write(content) == content.size());
    list.close();
    QFile empty(dir.filePath("empty.m3u"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    QVERIFY(dir.mkdir("dir.m3u"));
    QVERIFY(QFile::link(dir.filePath("list.m3u"), dir.filePath("link.m3u")));
    QVERIFY(QFile::link(dir.filePath("gone.m3u"), dir.filePath("dangling.m3u")));
    const QString path = relative.isEmpty() ? QString() : dir.filePath(relative);
    // What a plain read gives, for the files that should open.
    QByteArray expected;
    if (result == RegularFileOpen::Opened) {
        QFile plain(path);
        QVERIFY(plain.open(QIODevice::ReadOnly));
        expected = plain.readAll();
    }

#ifdef Q_OS_UNIX
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("fifo.m3u")).constData(), 0644) == 0);
    QVERIFY(QFile::link(dir.filePath("fifo.m3u"), dir.filePath("fifolink.m3u")));
    QVERIFY(QFile::link("/dev/null", dir.filePath("null.m3u")));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(sock >= 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray sockPath = QFile::encodeName(dir.filePath("socket.m3u"));
    QVERIFY(size_t(sockPath.size()) < sizeof addr.sun_path);
    qstrcpy(addr.sun_path, sockPath.constData());
    QVERIFY(::bind(sock, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0);
    QVERIFY(::listen(sock, 1) == 0);
    struct CloseSocket {
        int fd;
        ~CloseSocket() { ::close(fd); }
    } closeSocket{sock};

    QFile secret(dir.filePath("secret.m3u"));
    QVERIFY(secret.open(QIODevice::WriteOnly) && secret.write(content) == content.size());
    secret.close();
    QVERIFY(::chmod(QFile::encodeName(secret.fileName()).constData(), 0) == 0);
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);

    const Watchdog watchdog(10);
    const int got = unprivileged ? runInChild({true, -1}, [&] { return openAndCheck(path, expected, reason); })
                                 : openAndCheck(path, expected, reason);
    QCOMPARE(got, int(result));
#else
    Q_UNUSED(unprivileged);
    QCOMPARE(openAndCheck(path, expected, reason), int(result));
#endif
}

// A refusal is told as what was being done; what no errno says has words too.
void RegularFileTest::readingAndWritingWords_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QString>("written");
    QTest::newRow("no permission") << int(EACCES) << "没有读取的权限" << "没有写入的权限";
    QTest::newRow("not permitted") << int(EPERM) << "没有读取的权限" << "没有写入的权限";
    QTest::newRow("gone") << int(ENOENT) << "文件不存在" << "文件夹不存在";
    QTest::newRow("read-only disk") << int(EROFS) << "磁盘是只读的" << "磁盘是只读的";
    QTest::newRow("no reason told") << 0 << "读写出错" << "读写出错";
}

void RegularFileTest::readingAndWritingWords()
{
    QFETCH(int, error);
    QFETCH(QString, read);
    QFETCH(QString, written);
    QCOMPARE(fileErrorText(error, FileUse::Read), read);
    QCOMPARE(fileErrorText(error, FileUse::Write), written);
    QCOMPARE(fileFailureLine(QStringLiteral("/a/l.m3u"), error, FileUse::Write),
             QStringLiteral("无法写入“/a/l.m3u”：") + written);
}

QTEST_GUILESS_MAIN(RegularFileTest)
#include "tst_regular_file.moc"
