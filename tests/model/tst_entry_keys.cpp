#include "model/entry_keys.h"

#include <QRandomGenerator>
#include <QTest>

#include <map>

namespace {
// Paths alike as a music folder's are: long shared prefixes, equal lengths.
QString path(int i)
{
    return QStringLiteral("/home/user/Music/Artist %1/Album %2/%3 - Track.mp3")
        .arg(i % 97, 2, 10, QLatin1Char('0')).arg(i % 7).arg(i, 6, 10, QLatin1Char('0'));
}
} // namespace

class EntryKeysTest : public QObject {
    Q_OBJECT
private slots:
    // Counting a whole list marks the first of each key, whatever the order.
    void assignMarksFirsts_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("firsts");
        QTest::newRow("empty") << QStringList() << "";
        QTest::newRow("no repeats") << QStringList{"a", "b", "c"} << "111";
        QTest::newRow("repeats") << QStringList{"a", "b", "a", "c", "b", "a"} << "110100";
        QTest::newRow("empty keys") << QStringList{"", "x", ""} << "110";
        QTest::newRow("case differs") << QStringList{"A", "a"} << "11";
    }
    void assignMarksFirsts()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, firsts);
        EntryKeys k;
        k.claim("stale");
        const std::vector<bool> first = k.assign(keys);
        QString got;
        for (bool f : first)
            got += f ? '1' : '0';
        QCOMPARE(got, firsts);
        QVERIFY(!k.contains("stale"));
        for (const QString &key : keys)
            QVERIFY(k.contains(key));
    }

    // A large list with every other path repeated: the firsts are exactly the
    // first occurrences, and lookups afterwards find every key.
    void assignLargeList()
    {
        QStringList keys;
        for (int i = 0; i < 20000; ++i)
            keys << path(i);
        for (int i = 0; i < 20000; ++i)
            keys << path((i * 7919) % 20000);
        const std::vector<bool> first = EntryKeys().assign(keys);
        EntryKeys k;
        k.assign(keys);
        for (int i = 0; i < keys.size(); ++i) {
            QCOMPARE(first[size_t(i)], i < 20000);
            QVERIFY(k.contains(keys.at(i)));
        }
        QVERIFY(!k.contains(path(20000)));
    }

    // Random claims, adds and removes against a plain map, through growth and
    // many removed keys.
    void matchesCountingMap_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("distinct");
        QTest::newRow("few keys") << 1u << 10;
        QTest::newRow("many keys") << 2u << 3000;
        QTest::newRow("after assign") << 3u << 500;
    }
    void matchesCountingMap()
    {
        QFETCH(quint32, seed);
        QFETCH(int, distinct);
        QRandomGenerator random(seed);
        EntryKeys k;
        std::map<QString, int> counts;
        if (QByteArray(QTest::currentDataTag()) == "after assign") {
            QStringList start;
            for (int i = 0; i < distinct; i += 2)
                start << path(i);
            k.assign(start);
            for (const QString &p : start)
                counts[p] = 1;
        }
        for (int step = 0; step < 40000; ++step) {
            const QString key = path(int(random.bounded(distinct)));
            int &n = counts[key];
            switch (random.bounded(3)) {
            case 0:
                QCOMPARE(k.claim(key), n == 0);
                if (n == 0)
                    n = 1;
                break;
            case 1:
                k.add(key);
                ++n;
                break;
            default:
                k.remove(key);
                if (n > 0)
                    --n;
                break;
            }
            QCOMPARE(k.contains(key), n > 0);
        }
        for (const auto &[key, n] : counts)
            QCOMPARE(k.contains(key), n > 0);
    }

    // Taking a key out and putting it back, as delete and undo do, over and
    // over: the table keeps working and does not grow without end.
    void removeAndAddAgain()
    {
        EntryKeys k;
        k.assign({path(1), path(2), path(3)});
        for (int i = 0; i < 100000; ++i) {
            k.remove(path(2));
            QVERIFY(!k.contains(path(2)));
            k.add(path(2));
        }
        QVERIFY(k.contains(path(1)) && k.contains(path(2)) && k.contains(path(3)));
        QVERIFY(!k.claim(path(3)));
    }
};

QObject *newEntryKeysTest() { return new EntryKeysTest; }

#include "tst_entry_keys.moc"
