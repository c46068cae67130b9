#include "app/check_command.h"
#include "platform/fakes/fake_file_probe.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// melvora --check: what it prints and the status it ends with. Lists are real
// files; the entries are asked of a fake file system.
class CheckCommandTest : public QObject {
    Q_OBJECT
private slots:
    void check_data()
    {
        QTest::addColumn<QStringList>("lists");   // "name:line|line", or a name not written
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::newRow("none missing") << QStringList{"a.m3u:/m/a.mp3|http://x/s.mp3"} << 0
                                      << "检查了 1 个文件，缺失 0 个。\n";
        QTest::newRow("missing, printed as written")
            << QStringList{"a.m3u:#EXTM3U|/m/a.mp3|sub/gone.mp3|/m/b.mp3"} << 1
            << "sub/gone.mp3\n/m/b.mp3\n检查了 3 个文件，缺失 2 个。\n";
        QTest::newRow("file URIs checked as the paths they name")
            << QStringList{"a.m3u:file:///m/a.mp3|file:///m/gone.mp3"} << 1
            << "file:///m/gone.mp3\n检查了 2 个文件，缺失 1 个。\n";
        QTest::newRow("unmounted is not missing") << QStringList{"a.m3u:/media/u/STICK/a.mp3"} << 0
                                                  << "检查了 1 个文件，缺失 0 个，1 个所在的卷未挂载。\n";
        QTest::newRow("pls, several lists") << QStringList{"a.pls:[playlist]|File1=/m/x.mp3", "b.m3u:/m/a.mp3"}
                                            << 1 << "/m/x.mp3\n检查了 2 个文件，缺失 1 个。\n";
        QTest::newRow("unreadable list wins") << QStringList{"gone.m3u", "b.m3u:/m/b.mp3"} << 2
                                              << "/m/b.mp3\n检查了 1 个文件，缺失 1 个。\n";
        QTest::newRow("no list") << QStringList{} << 2 << "";
    }
    void check()
    {
        QFETCH(QStringList, lists);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QTemporaryDir dir;
        QStringList paths;
        for (const QString &list : lists) {
            const QString path = dir.filePath(list.section(QLatin1Char(':'), 0, 0));
            paths << path;
            if (!list.contains(QLatin1Char(':')))
                continue;
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(list.section(QLatin1Char(':'), 1).replace(QLatin1Char('|'), QLatin1Char('\n')).toUtf8());
        }
        FakeFileProbe probe;
        probe.files = {QStringLiteral("/m/a.mp3")};
        const CheckAnswer answer = checkLists(paths, probe);
        QCOMPARE(answer.exitCode, exitCode);
        QCOMPARE(answer.out, out);
        QCOMPARE(answer.err.isEmpty(), exitCode != 2);
    }

    // A program or a picture named as a list is said to be none; nothing of it is printed.
    void binaryFileIsNoList()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.m3u"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\x7F" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0/lib64/ld-linux.so\n", 34));
        file.close();
        const CheckAnswer answer = checkLists({path}, FakeFileProbe());
        QCOMPARE(answer.exitCode, 2);
        QCOMPARE(answer.out, QString());
        QCOMPARE(answer.err, QStringLiteral("melvora：无法读取列表“%1”：不是播放列表文件\n").arg(path));
    }
};

QTEST_GUILESS_MAIN(CheckCommandTest)
#include "tst_check_command.moc"
