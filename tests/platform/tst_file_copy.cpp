// Copies into a folder (exports to a stick): FAT-safe and numbered names,
// what is there already, Cancel, and a disk that fills mid-way.
#include "platform/files/file_copy.h"
#include "platform/files/safe_names.h"
#include "tests/common/small_disk.h"
#include "tests/common/test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(FileCopy)

namespace {
// Files whose names mark a copy in progress: none may be left behind.
QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".melvora-copy-*")}, QDir::Files | QDir::Hidden);
}
} // namespace

class FileCopyTest : public QObject {
    Q_OBJECT
private slots:
    void names_data();
    void names();
    void numbering_data();
    void numbering();
    void copy_data();
    void copy();
    void fullDisk();
};

void FileCopyTest::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("safe");
    QTest::newRow("plain") << "01 Song.mp3" << "01 Song.mp3";
    QTest::newRow("every reserved character") << "a\\b/c:d*e?f\"g<h>i|j.mp3" << "a_b_c_d_e_f_g_h_i_j.mp3";
    QTest::newRow("control characters") << QString("a\tb\x01" "c.mp3") << "a_b_c.mp3";
    QTest::newRow("trailing dots and blanks") << "AC/DC - Live. . " << "AC_DC - Live";
    QTest::newRow("Chinese stays") << "歌手 - 第一首.mp3" << "歌手 - 第一首.mp3";
    QTest::newRow("nothing left") << " . ." << "_";
}

void FileCopyTest::names()
{
    QFETCH(QString, name);
    QFETCH(QString, safe);
    QCOMPARE(fatSafeName(name), safe);
}

void FileCopyTest::numbering_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("numbered");
    QTest::newRow("first of few: three digits") << 0 << 5 << "001 - a";
    QTest::newRow("last of 999") << 998 << 999 << "999 - a";
    QTest::newRow("count of four digits") << 41 << 1000 << "0042 - a";
    QTest::newRow("count of five digits") << 9 << 12345 << "00010 - a";
    QTest::newRow("copy names") << 1 << 2 << "002 - a";
}

void FileCopyTest::numbering()
{
    QFETCH(int, index);
    QFETCH(int, count);
    QFETCH(QString, numbered);
    QCOMPARE(numberedName(index, count, QStringLiteral("a")), numbered);
}

void FileCopyTest::copy_data()
{
    QTest::addColumn<QByteArray>("there");      // a.mp3 in the folder before; "-" for none
    QTest::addColumn<QByteArray>("there2");     // "a (2).mp3" before; "-" for none
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<FileCopy>("outcome");
    QTest::addColumn<QString>("target");        // the copy's name; empty for none

    QTest::newRow("new") << QByteArray("-") << QByteArray("-") << false << FileCopy::Copied << "a.mp3";
    QTest::newRow("identical kept") << QByteArray("song") << QByteArray("-") << false << FileCopy::Kept << "a.mp3";
    QTest::newRow("different is never overwritten")
        << QByteArray("other") << QByteArray("-") << false << FileCopy::Copied << "a (2).mp3";
    QTest::newRow("same size, other bytes") << QByteArray("sonG") << QByteArray("-") << false << FileCopy::Copied
                                            << "a (2).mp3";
    QTest::newRow("the numbered one identical")
        << QByteArray("other") << QByteArray("song") << false << FileCopy::Kept << "a (2).mp3";
    QTest::newRow("both taken") << QByteArray("other") << QByteArray("x") << false << FileCopy::Copied
                                << "a (3).mp3";
    QTest::newRow("cancelled leaves nothing") << QByteArray("-") << QByteArray("-") << true << FileCopy::Cancelled
                                              << "";
}

void FileCopyTest::copy()
{
    QFETCH(QByteArray, there);
    QFETCH(QByteArray, there2);
    QFETCH(bool, cancel);
    QFETCH(FileCopy, outcome);
    QFETCH(QString, target);
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("song.mp3"));
    const QString folder = dir.filePath(QStringLiteral("stick"));
    QVERIFY(putBytes(source, "song") && QDir().mkpath(folder));
    const QDir stick(folder);
    if (there != "-")
        QVERIFY(putBytes(stick.filePath(QStringLiteral("a.mp3")), there));
    if (there2 != "-")
        QVERIFY(putBytes(stick.filePath(QStringLiteral("a (2).mp3")), there2));
    const QStringList before = stick.entryList(QDir::Files);

    WorkProgress progress;
    if (cancel)
        progress.cancel();
    const FileCopyResult result = copyIntoFolder(source, folder, QStringLiteral("a.mp3"), progress);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.target, target.isEmpty() ? QString() : stick.filePath(target));
    if (!target.isEmpty())
        QCOMPARE(fileBytes(result.target), QByteArray("song"));
    // What was there is as it was.
    if (there != "-")
        QCOMPARE(fileBytes(stick.filePath(QStringLiteral("a.mp3"))), there);
    if (there2 != "-")
        QCOMPARE(fileBytes(stick.filePath(QStringLiteral("a (2).mp3"))), there2);
    QStringList after = stick.entryList(QDir::Files);
    if (outcome == FileCopy::Copied)
        after.removeOne(target);
    QCOMPARE(after, before);
    QCOMPARE(leftovers(folder), QStringList());

    QCOMPARE(copyIntoFolder(dir.filePath(QStringLiteral("none.mp3")), folder, QStringLiteral("b.mp3"), progress).outcome,
             FileCopy::Missing);
}

// A disk that fills during a copy: reported, and no part of the file stays.
void FileCopyTest::fullDisk()
{
    QTemporaryDir dir;
    const QString stick = dir.filePath(QStringLiteral("stick"));
    QVERIFY(QDir().mkpath(stick));
    const SmallDisk disk(stick, 256 * 1024);
    if (!disk.mounted())
        QSKIP(SmallDisk::kCannot);
    const QString small = dir.filePath(QStringLiteral("small.mp3"));
    const QString big = dir.filePath(QStringLiteral("big.mp3"));
    QVERIFY(putBytes(small, QByteArray(100 * 1024, 's')) && putBytes(big, QByteArray(3 << 20, 'b')));

    WorkProgress progress;
    QCOMPARE(copyIntoFolder(small, stick, QStringLiteral("1.mp3"), progress).outcome, FileCopy::Copied);
    const FileCopyResult full = copyIntoFolder(big, stick, QStringLiteral("2.mp3"), progress);
    QCOMPARE(full.outcome, FileCopy::Failed);
    QVERIFY2(full.errorString.contains(QStringLiteral("space"), Qt::CaseInsensitive), qPrintable(full.errorString));
    QCOMPARE(QDir(stick).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("1.mp3")});
    QCOMPARE(fileBytes(QDir(stick).filePath(QStringLiteral("1.mp3"))).size(), 100 * 1024);
}

QTEST_GUILESS_MAIN(FileCopyTest)
#include "tst_file_copy.moc"
