#include "model/list_order.h"
#include "model/relocation.h"
#include "tests/model/model_test_util.h"

#include <QCollator>
#include <QTest>

namespace {
QStringList split(const QString &s)
{
    return s.isEmpty() ? QStringList() : s.split(QLatin1Char('|'));
}

QStringList ordered(const QStringList &entries, ListOrder order)
{
    QStringList out;
    for (int i : listOrder(entries, order, PathRules::posix()))
        out.append(entries.at(i));
    return out;
}
} // namespace

// Sorting, removing the missing, relocating: what each leaves, and that the
// undo brings back the list and its selection exactly.
class HealTest : public QObject {
    Q_OBJECT
private slots:
    void orders_data()
    {
        QTest::addColumn<ListOrder>("order");
        QTest::addColumn<QString>("entries");
        QTest::addColumn<QString>("expected");
        QTest::newRow("numbers in names count as numbers")
            << ListOrder::ByFileName << "/a/track 10.mp3|/a/track 2.mp3|/a/track 1.mp3"
            << "/a/track 1.mp3|/a/track 2.mp3|/a/track 10.mp3";
        QTest::newRow("letter case ignored, ties keep their order")
            << ListOrder::ByFileName << "/z/b.mp3|/y/B.mp3|/x/A.mp3" << "/x/A.mp3|/z/b.mp3|/y/B.mp3";
        QTest::newRow("by name ignores the folder")
            << ListOrder::ByFileName << "/a/z.mp3|/b/y.mp3" << "/b/y.mp3|/a/z.mp3";
        QTest::newRow("by path: folder numbers natural too")
            << ListOrder::ByPath << "/cd10/a.mp3|/cd9/b.mp3|/CD1/c.mp3" << "/CD1/c.mp3|/cd9/b.mp3|/cd10/a.mp3";
        QTest::newRow("by folder, then name")
            << ListOrder::ByFolderAndFileName << "/b/1.mp3|/a/x 10.mp3|/a/x 9.mp3|/a b/0.mp3"
            << "/a/x 9.mp3|/a/x 10.mp3|/a b/0.mp3|/b/1.mp3";
        QTest::newRow("reversed") << ListOrder::Reversed << "/1|/2|/3" << "/3|/2|/1";
    }
    void orders()
    {
        QFETCH(ListOrder, order);
        QFETCH(QString, entries);
        QFETCH(QString, expected);
        QCOMPARE(ordered(split(entries), order), split(expected));
    }

    // A long list is keyed in two halves, past a shared folder: the result
    // is still in the collator's order throughout.
    void longListInOrder()
    {
        QStringList entries;
        for (int i = 0; i < 30000; ++i)
            entries << QStringLiteral("/m/Artist %1/%2.mp3").arg((i * 7919) % 30000).arg(i % 7);
        const QStringList sorted = ordered(entries, ListOrder::ByPath);
        QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
        collator.setNumericMode(true);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        for (int i = 1; i < sorted.size(); ++i)
            QVERIFY2(collator.compare(sorted[i - 1], sorted[i]) <= 0, qPrintable(sorted[i]));
    }

    void shuffleIsAPermutation()
    {
        QStringList entries;
        for (int i = 0; i < 50; ++i)
            entries << QString::number(i);
        const QStringList a = ordered(entries, ListOrder::Shuffled);
        QStringList sorted = a;
        sorted.sort();
        QStringList expected = entries;
        expected.sort();
        QCOMPARE(sorted, expected);
        QVERIFY(a != entries);
        // Two entries have one other order: every seed gives it.
        for (quint32 seed = 0; seed < 20; ++seed)
            QCOMPARE(listOrder({QStringLiteral("a"), QStringLiteral("b")}, ListOrder::Shuffled, PathRules::posix(), seed),
                     (QList<int>{1, 0}));
    }

    // Each whole-list edit, from "ABCDE" with a selection: the list and the
    // selection it leaves, then undo gives back both.
    void wholeListEdits_data()
    {
        QTest::addColumn<int>("sel");
        QTest::addColumn<QString>("edit");   // reverse | remove:LETTERS | paths:POS=X,...
        QTest::addColumn<QString>("expList");
        QTest::addColumn<int>("expSel");
        QTest::addColumn<int>("result");
        QTest::newRow("reverse keeps the selected entry") << 1 << "reverse" << "EDCBA" << 3 << 0;
        QTest::newRow("reverse, nothing selected") << -1 << "reverse" << "EDCBA" << -1 << 0;
        QTest::newRow("remove keeps a kept selection") << 3 << "remove:AC" << "BDE" << 1 << 2;
        QTest::newRow("removed selection goes to the next kept") << 1 << "remove:BC" << "ADE" << 1 << 2;
        QTest::newRow("removed selection at the end goes to the last") << 4 << "remove:DE" << "ABC" << 2 << 2;
        QTest::newRow("remove everything") << 0 << "remove:ABCDE" << "" << -1 << 5;
        QTest::newRow("new path") << 2 << "paths:2=X" << "ABXDE" << 2 << 0;
        QTest::newRow("a later duplicate is dropped") << 4 << "paths:4=B" << "ABCD" << 1 << 1;
        QTest::newRow("an earlier one keeps its place") << 0 << "paths:0=D" << "DBCE" << 0 << 1;
        QTest::newRow("two become one new path") << 3 << "paths:1=X,3=X" << "AXCE" << 1 << 1;
    }
    void wholeListEdits()
    {
        QFETCH(int, sel);
        QFETCH(QString, edit);
        QFETCH(QString, expList);
        QFETCH(int, expSel);
        QFETCH(int, result);
        auto m = makeModel(QStringLiteral("ABCDE"), sel);
        int got = 0;
        if (edit == QLatin1String("reverse")) {
            m->list.reorder(listOrder(m->list.entries(), ListOrder::Reversed, m->list.rules()));
        } else if (edit.startsWith(QLatin1String("remove:"))) {
            const QString gone = edit.mid(7);
            got = m->list.removeWhere([&gone](const QString &e) { return gone.contains(e); });
        } else {
            QHash<int, QString> paths;
            for (const QString &p : edit.mid(6).split(QLatin1Char(',')))
                paths.insert(p.section(QLatin1Char('='), 0, 0).toInt(), p.section(QLatin1Char('='), 1));
            got = m->list.changePaths(paths);
        }
        QCOMPARE(joined(m->list), expList);
        QCOMPARE(m->list.selection(), expSel);
        QCOMPARE(got, result);
        QVERIFY(m->state.isEnabled(Command::Undo));
        QVERIFY(m->state.listChanged() || expList.isEmpty());
        m->list.undo();
        QCOMPARE(joined(m->list), QStringLiteral("ABCDE"));
        QCOMPARE(m->list.selection(), sel);
        QVERIFY(!m->state.isEnabled(Command::Undo));
        // The same-entry keys came back with the entries.
        QVERIFY(m->list.contains(QStringLiteral("E")));
        QCOMPARE(m->list.addFiles({QStringLiteral("E")}).duplicates, 1);
    }

    void nothingToChangeIsNoEdit()
    {
        auto m = makeModel(QStringLiteral("ABC"), 1);
        QCOMPARE(m->list.removeWhere([](const QString &) { return false; }), 0);
        m->list.changePaths({{0, QStringLiteral("A")}});
        m->list.reorder({0, 1, 2});
        m->list.reorder({0, 0, 1});   // not a permutation
        QVERIFY(!m->state.listChanged());
        QVERIFY(!m->state.isEnabled(Command::Undo));
    }

    // Which file each missing entry gets: `answers` one per question asked
    // (an index, "skip" or "all"); `asked` each question as
    // "entry:candidates best first (number/count)".
    void relocation_data()
    {
        QTest::addColumn<QString>("entries");   // all are missing but "+…", which the list holds
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("paths");    // position=path,...
        QTest::addColumn<QString>("counts");   // found, chosen, still missing
        QTest::newRow("the file sharing most folders, taken")
            << "/Music/House/Artist 1/T.mp3" << "/L/Disco/Artist 1/T.mp3|/L/House/Artist 1/T.mp3|/L/House/Artist 2/T.mp3"
            << "" << "" << "0=/L/House/Artist 1/T.mp3" << "1,0,0";
        QTest::newRow("folders compared case ignored")
            << "/m/house/a/T.mp3" << "/L/x/A/T.mp3|/L/House/A/T.mp3" << "" << "" << "0=/L/House/A/T.mp3" << "1,0,0";
        QTest::newRow("a tie is asked, in name order")
            << "/M/A/T.mp3" << "/L/2/A/T.mp3|/L/3/B/T.mp3|/L/1/A/T.mp3" << "1"
            << "/M/A/T.mp3:/L/1/A/T.mp3;/L/2/A/T.mp3;/L/3/B/T.mp3 (1/1)" << "0=/L/2/A/T.mp3" << "0,1,0";
        QTest::newRow("no folder shared is asked")
            << "/old/T.mp3" << "/n/1/T.mp3|/n/2/T.mp3" << "skip" << "/old/T.mp3:/n/1/T.mp3;/n/2/T.mp3 (1/1)" << ""
            << "0,0,1";
        QTest::newRow("the one file of a name") << "/old/a.mp3|/old/b.mp3" << "/new/x/a.mp3" << "" << ""
                                                << "0=/new/x/a.mp3" << "1,0,1";
        QTest::newRow("a case-only rename") << "/m/Unique Song.mp3" << "/m/unique song.mp3" << "" << ""
                                            << "0=/m/unique song.mp3" << "1,0,0";
        QTest::newRow("the exact case ranks first")
            << "/m/x/Song.mp3" << "/n/x/song.mp3|/n/x/Song.mp3" << "0" << "/m/x/Song.mp3:/n/x/Song.mp3;/n/x/song.mp3 (1/1)"
            << "0=/n/x/Song.mp3" << "0,1,0";
        QTest::newRow("a file the list holds is not offered, nor guessed")
            << "/o/A/T.mp3|+/n/A/T.mp3" << "/n/A/T.mp3|/n/B/T.mp3" << "skip" << "/o/A/T.mp3:/n/B/T.mp3 (1/1)" << ""
            << "0,0,1";
        QTest::newRow("an answer's file is not offered again")
            << "/o/T.mp3|/p/T.mp3" << "/n/1/T.mp3|/n/2/T.mp3|/n/3/T.mp3" << "0,1"
            << "/o/T.mp3:/n/1/T.mp3;/n/2/T.mp3;/n/3/T.mp3 (1/2)|/p/T.mp3:/n/2/T.mp3;/n/3/T.mp3 (2/2)"
            << "0=/n/1/T.mp3,1=/n/3/T.mp3" << "0,2,0";
        QTest::newRow("a sure file is not offered to another entry")
            << "/o/Z/T.mp3|/o/A/T.mp3" << "/n/A/T.mp3|/n/B/T.mp3|/n/C/T.mp3" << "0"
            << "/o/Z/T.mp3:/n/B/T.mp3;/n/C/T.mp3 (1/1)" << "0=/n/B/T.mp3,1=/n/A/T.mp3" << "1,1,0";
        QTest::newRow("skip all") << "/o/T.mp3|/p/T.mp3|/q/x.mp3" << "/n/1/T.mp3|/n/2/T.mp3" << "all"
                                  << "/o/T.mp3:/n/1/T.mp3;/n/2/T.mp3 (1/2)" << "" << "0,0,3";
    }
    void relocation()
    {
        QFETCH(QString, entries);
        QFETCH(QString, files);
        QFETCH(QString, answers);
        QFETCH(QString, asked);
        QFETCH(QString, paths);
        QFETCH(QString, counts);
        QStringList list = split(entries);
        QList<int> missing;
        for (int i = 0; i < list.size(); ++i) {
            if (list[i].startsWith(QLatin1Char('+')))
                list[i].remove(0, 1);
            else
                missing << i;
        }
        Relocation r(list, missing, split(files), PathRules::posix());
        QStringList gotAsked, gotPaths;
        QStringList toGive = answers.isEmpty() ? QStringList() : answers.split(QLatin1Char(','));
        while (const auto q = r.next()) {
            gotAsked << QStringLiteral("%1:%2 (%3/%4)").arg(list.at(q->position), q->candidates.join(QLatin1Char(';')))
                            .arg(q->number).arg(q->count);
            QVERIFY2(!toGive.isEmpty(), qPrintable(gotAsked.last()));
            const QString a = toGive.takeFirst();
            if (a == QLatin1String("skip"))
                r.skip();
            else if (a == QLatin1String("all"))
                r.skipAll();
            else
                r.answer(q->candidates.at(a.toInt()));
        }
        for (auto it = r.paths().cbegin(); it != r.paths().cend(); ++it)
            gotPaths << QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
        gotPaths.sort();
        QCOMPARE(gotAsked.join(QLatin1Char('|')), asked);
        QCOMPARE(gotPaths.join(QLatin1Char(',')), paths);
        QCOMPARE(QStringLiteral("%1,%2,%3").arg(r.found()).arg(r.chosen()).arg(r.stillMissing()), counts);
    }

    // A library moved whole, with the same track names in every artist's
    // folder and the same artist names under every genre: each entry gets
    // its own file back, and nothing is asked.
    void movedLibraryNeedsNoAnswer()
    {
        QStringList entries, files;
        for (int genre = 0; genre < 10; ++genre)
            for (int artist = 1; artist <= 3; ++artist)
                for (int track = 1; track <= 10; ++track) {
                    const QString rest = QStringLiteral("/Genre %1/Artist %2/Track %3 Mix.mp3").arg(genre).arg(artist).arg(track);
                    entries << QStringLiteral("/home/dj/Music") + rest;
                    files.prepend(QStringLiteral("/new/Library") + rest);
                }
        QList<int> missing;
        for (int i = 0; i < entries.size(); ++i)
            missing << i;
        Relocation r(entries, missing, files, PathRules::posix());
        QVERIFY(!r.next());
        QCOMPARE(r.found(), 300);
        for (int i = 0; i < entries.size(); ++i)
            QCOMPARE(r.paths().value(i), QString(entries[i]).replace(QStringLiteral("/home/dj/Music"), QStringLiteral("/new/Library")));
    }

    void suggestedStart_data()
    {
        QTest::addColumn<QString>("paths");
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("expected");
        QTest::newRow("the folder they share") << "/mnt/old/a/x.mp3|/mnt/old/b/y.mp3|/mnt/old/c.mp3" << false << "/mnt/old";
        QTest::newRow("whole names only") << "/mnt/old1/x.mp3|/mnt/old2/y.mp3" << false << "/mnt";
        QTest::newRow("only the root: the first one's folder") << "/a/b/x.mp3|/c/y.mp3" << false << "/a/b";
        QTest::newRow("one entry") << "/a/b/x.mp3" << false << "/a/b";
        QTest::newRow("Windows, folders") << "C:\\a\\b\\x.mp3|C:\\a\\c\\y.mp3" << true << "C:\\a";
        QTest::newRow("Windows, slashes, no folder shared") << "C:/a/b/x.mp3|D:/c/y.mp3" << true << "C:/a/b";
    }
    void suggestedStart()
    {
        QFETCH(QString, paths);
        QFETCH(bool, windows);
        QFETCH(QString, expected);
        QCOMPARE(sharedFolderStart(split(paths), windows ? PathRules::windows() : PathRules::posix()), expected);
    }

    void prefix_data()
    {
        QTest::addColumn<QString>("entries");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("expected");   // the list after, unchanged ones included
        QTest::newRow("at a folder boundary only")
            << "/mnt/old/a.mp3|/mnt/older/b.mp3|/mnt/old" << "/mnt/old" << "/media/new"
            << "/media/new/a.mp3|/mnt/older/b.mp3|/media/new";
        QTest::newRow("prefix ending in a separator") << "/mnt/old/a.mp3" << "/mnt/" << "/x/" << "/x/old/a.mp3";
        QTest::newRow("empty prefix changes nothing") << "/a.mp3" << "" << "/x" << "/a.mp3";
    }
    void prefix()
    {
        QFETCH(QString, entries);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, expected);
        QStringList list = split(entries);
        const QHash<int, QString> changed = replacePrefix(list, from, to, PathRules::posix());
        for (auto it = changed.cbegin(); it != changed.cend(); ++it)
            list[it.key()] = it.value();
        QCOMPARE(list, split(expected));
    }
};

QObject *newHealTest()
{
    return new HealTest;
}

#include "tst_heal.moc"
