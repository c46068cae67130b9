#include "platform/recovery/record_container.h"
#include "platform/recovery/recovery_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return bytes;
}
void age(const QString &path, const QDateTime &time)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
}
} // namespace

class RecoveryStoreTest : public QObject {
    Q_OBJECT
private slots:
    void sealedRecordOpens();
    void everyCutIsRefused();
    void damageIsRefused_data();
    void damageIsRefused();
    void liveRecordsAreNotOffered();
    void movedAsideWithCopy();
    void oldDiscardsAreRemoved();
    void unwritableFolderSaysWhy();
};

void RecoveryStoreTest::sealedRecordOpens()
{
    const QByteArray payload("entries\0and bytes", 17);
    QCOMPARE(openRecord(sealRecord(payload)).payload.value_or("none"), payload);
    QCOMPARE(openRecord(sealRecord({})).payload.value_or("none"), QByteArray());
}

void RecoveryStoreTest::everyCutIsRefused()
{
    const QByteArray sealed = sealRecord(QByteArray(300, 'x'));
    for (qsizetype cut = 0; cut < sealed.size(); ++cut) {
        if (openRecord(sealed.first(cut)).payload)
            QFAIL(qPrintable(QStringLiteral("a record cut at byte %1 was read").arg(cut)));
    }
}

void RecoveryStoreTest::damageIsRefused_data()
{
    QTest::addColumn<qsizetype>("at");
    QTest::addColumn<char>("flip");
    QTest::addColumn<QByteArray>("appended");
    QTest::newRow("magic") << qsizetype(0) << char(1) << QByteArray();
    QTest::newRow("version") << qsizetype(8) << char(1) << QByteArray();
    QTest::newRow("length") << qsizetype(12) << char(1) << QByteArray();
    QTest::newRow("payload") << qsizetype(40) << char(0x20) << QByteArray();
    QTest::newRow("checksum") << qsizetype(-1) << char(1) << QByteArray();
    QTest::newRow("grown") << qsizetype(-1) << char(0) << QByteArray("x");
}

void RecoveryStoreTest::damageIsRefused()
{
    QFETCH(qsizetype, at);
    QFETCH(char, flip);
    QFETCH(QByteArray, appended);
    QByteArray sealed = sealRecord(QByteArray(100, 'p'));
    sealed[at < 0 ? sealed.size() - 1 : at] = char(sealed[at < 0 ? sealed.size() - 1 : at] ^ flip);
    sealed += appended;
    QVERIFY(!openRecord(sealed).payload);
}

void RecoveryStoreTest::liveRecordsAreNotOffered()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("state/recovery"));
    RecoveryStore live(folder);
    QVERIFY(live.write("live").ok);
    QCOMPARE(QFile(live.ownPath()).size(), 4);
    // Two records of programs that died, the older first.
    const QString older = folder + QStringLiteral("/1-1.melvora-recovery");
    const QString newer = folder + QStringLiteral("/1-2.melvora-recovery");
    put(older, "older");
    put(newer, "newer");
    age(older, QDateTime::currentDateTime().addSecs(-60));
    RecoveryStore next(folder);
    const QList<RecoveryStore::Dead> dead = next.deadRecords();
    QCOMPARE(dead.size(), 2);
    QCOMPARE(dead.at(0).path, newer);
    QCOMPARE(dead.at(1).path, older);
    // Taken by one program, it is no other's.
    std::unique_ptr<QLockFile> taken = next.take(newer);
    QVERIFY(taken);
    QVERIFY(!RecoveryStore(folder).take(newer));
    QCOMPARE(RecoveryStore(folder).deadRecords().size(), 1);   // nor the live one
    QVERIFY(next.adopt(newer, std::move(taken)).ok);
    QVERIFY(!QFile::exists(newer));
    QCOMPARE(QFile(next.ownPath()).size(), 5);
    QVERIFY(live.removeOwn().ok);
    QVERIFY(!QFile::exists(live.ownPath()));
}

void RecoveryStoreTest::movedAsideWithCopy()
{
    QTemporaryDir dir;
    RecoveryStore store(dir.path());
    const QString record = dir.filePath(QStringLiteral("7-7.melvora-recovery"));
    put(record, "record");
    const QString to = store.moveAside(record, QStringLiteral("discarded"), "#EXTM3U\n", QStringLiteral(".m3u8"));
    QCOMPARE(to, dir.filePath(QStringLiteral("discarded")));
    QVERIFY(!QFile::exists(record));
    QFile copy(to + QStringLiteral("/7-7.melvora-recovery.m3u8"));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), QByteArray("#EXTM3U\n"));
    QVERIFY(store.deadRecords().isEmpty());
}

void RecoveryStoreTest::oldDiscardsAreRemoved()
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("discarded")));
    const QString old = dir.filePath(QStringLiteral("discarded/old"));
    const QString recent = dir.filePath(QStringLiteral("discarded/recent"));
    const QString torn = dir.filePath(QStringLiteral(".melvora-recovery-0123456789abcdef.tmp"));
    const QString writing = dir.filePath(QStringLiteral(".melvora-recovery-fedcba9876543210.tmp"));
    for (const QString &file : {old, recent, torn, writing})
        put(file, "x");
    const QDateTime now = QDateTime::currentDateTime();
    age(old, now.addDays(-7).addSecs(-60));
    age(recent, now.addDays(-7).addSecs(60));
    age(torn, now.addDays(-1).addSecs(-60));
    RecoveryStore(dir.path()).removeOld(now);
    QVERIFY(!QFile::exists(old));
    QVERIFY(QFile::exists(recent));
    QVERIFY(!QFile::exists(torn));
    QVERIFY(QFile::exists(writing));
}

void RecoveryStoreTest::unwritableFolderSaysWhy()
{
    // A file where the state folder should be: no folder can be made, even by root.
    QTemporaryDir dir;
    put(dir.filePath(QStringLiteral("state")), "a file");
    RecoveryStore store(dir.filePath(QStringLiteral("state/melvora/recovery")));
    const RecoveryStore::Outcome outcome = store.write("record");
    QVERIFY(!outcome.ok);
    QVERIFY(!outcome.reason.isEmpty());
}

QTEST_GUILESS_MAIN(RecoveryStoreTest)
#include "tst_recovery_store.moc"
