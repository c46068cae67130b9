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

    void relocation_data()
    {
        QTest::addColumn<QString>("entries");
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("found");     // position=path,...
        QTest::addColumn<QString>("choices");   // position:count,...
        QTest::addColumn<int>("notFound");
        QTest::newRow("one match") << "/old/a.mp3|/old/b.mp3" << "/new/x/a.mp3" << "0=/new/x/a.mp3" << "" << 1;
        QTest::newRow("several") << "/old/a.mp3" << "/n/1/a.mp3|/n/2/a.mp3" << "" << "0:2" << 0;
        QTest::newRow("none") << "/old/a.mp3" << "/n/b.mp3" << "" << "" << 1;
        QTest::newRow("case matters on posix") << "/old/A.mp3" << "/n/a.mp3" << "" << "" << 1;
    }
    void relocation()
    {
        QFETCH(QString, entries);
        QFETCH(QString, files);
        QFETCH(QString, found);
        QFETCH(QString, choices);
        QFETCH(int, notFound);
        const QStringList list = split(entries);
        QList<int> missing;
        for (int i = 0; i < list.size(); ++i)
            missing << i;
        const Relocation r = relocateByName(list, missing, split(files), PathRules::posix());
        QStringList gotFound, gotChoices;
        for (auto it = r.found.cbegin(); it != r.found.cend(); ++it)
            gotFound << QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
        for (const Relocation::Choice &c : r.choices)
            gotChoices << QStringLiteral("%1:%2").arg(c.position).arg(c.candidates.size());
        gotFound.sort();
        QCOMPARE(gotFound.join(QLatin1Char(',')), found);
        QCOMPARE(gotChoices.join(QLatin1Char(',')), choices);
        QCOMPARE(r.notFound, notFound);
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
