#include "tests/model/model_test_util.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// The drag move written out entry by entry, as the list box version did it.
// The selection starts on the drop target, where the pointer left it.
std::pair<QStringList, int> loopDrag(QStringList e, int o, int t, bool after)
{
    const int n = int(e.size());
    const int d = o - t;
    int s = t;
    const QString moved = e[o];
    if (after) {
        if (d != 0 && d != 1) {
            if (o < t) {
                for (int i = o; i <= t - 1; ++i) e[i] = e[i + 1];
                e[t] = moved;
            } else {
                for (int i = o; i >= t + 2; --i) e[i] = e[i - 1];
                e[t + 1] = moved;
                if (s < n - 1) ++s;
            }
        } else if (d == 1) {
            ++s;
        }
    } else {
        if (d != 0 && d != -1) {
            if (o < t) {
                for (int i = o; i <= t - 2; ++i) e[i] = e[i + 1];
                e[t - 1] = moved;
                --s;
            } else {
                for (int i = o; i >= t + 1; --i) e[i] = e[i - 1];
                e[t] = moved;
            }
        } else if (d == -1) {
            --s;
        }
    }
    return {e, s};
}

const char *const kAllLetters = "ABCDEFG";

} // namespace

class EditingTest : public QObject {
    Q_OBJECT
private slots:
    // Each step sequence from a given list, selection and insert mode.
    void operations_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("sel");
        QTest::addColumn<bool>("after");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expList");
        QTest::addColumn<int>("expSel");
        QTest::addColumn<QString>("expUndoop");
        QTest::addColumn<bool>("expUndoOn");
        QTest::addColumn<bool>("expChanged");
        auto row = [](const char *name, const char *list, int sel, bool after, const char *steps,
                      const char *expList, int expSel, const char *undoop, bool on, bool changed) {
            QTest::newRow(name) << list << sel << after << steps << expList << expSel << undoop << on << changed;
        };
        // deleting and clearing
        row("del middle", "ABC", 1, true, "del", "AC", 1, "del", true, true);
        row("del last", "ABC", 2, true, "del", "AB", 1, "delbottom", true, true);
        row("del only, unnamed", "A", 0, true, "del", "", -1, "delbottom", true, false);
        row("del only, named", "A", 0, true, "save;del", "", -1, "delbottom", true, true);
        row("del none selected", "ABC", -1, true, "del", "ABC", -1, "", false, false);
        row("del empty list", "", -1, true, "del;clear", "", -1, "", false, false);
        row("clear unnamed", "ABC", 1, true, "clear", "", -1, "", false, false);
        row("clear named", "ABC", 1, true, "save;clear", "", -1, "", false, true);
        row("clear blocks undo", "ABC", 1, true, "del;clear;undo", "", -1, "del", false, false);
        // moving
        row("up", "ABC", 2, true, "up", "ACB", 1, "up", true, true);
        row("down at last", "ABC", 2, true, "down", "ABC", 2, "", false, false);
        row("down", "ABC", 0, true, "down", "BAC", 1, "down", true, true);
        row("up at first", "ABC", 0, true, "up", "ABC", 0, "", false, false);
        row("top", "ABCD", 2, true, "top", "CABD", 0, "MOVEFIRST", true, false);
        row("bottom", "ABCD", 1, true, "bottom", "ACDB", 3, "MOVELAST", true, false);
        row("bottom of two", "AB", 0, true, "bottom", "BA", 1, "MOVELAST", true, false);
        row("failed moves keep undo", "A", 0, true, "del;up;down;top;bottom;del;clear", "", -1, "delbottom", true, false);
        // dragging, insert after
        row("after: A onto C", "ABCD", 0, true, "drag:0:2", "BCAD", 2, "moveback", true, false);
        row("after: D onto A", "ABCD", 3, true, "drag:3:0", "ADBC", 1, "moveback", true, false);
        row("after: C onto B", "ABCD", 2, true, "drag:2:1", "ABCD", 2, "", false, false);
        row("after: A onto D", "ABCD", 0, true, "drag:0:3", "BCDA", 3, "moveback", true, false);
        // dragging, insert before
        row("before: A onto C", "ABCD", 0, false, "drag:0:2", "BACD", 1, "movefront", true, false);
        row("before: D onto A", "ABCD", 3, false, "drag:3:0", "DABC", 0, "movefront", true, false);
        row("before: B onto C", "ABCD", 1, false, "drag:1:2", "ABCD", 1, "", false, false);
        row("before: A onto D", "ABCD", 0, false, "drag:0:3", "BCAD", 2, "movefront", true, false);
        row("click is no drag", "ABCD", 1, true, "drag:1:1", "ABCD", 1, "", false, false);
        row("mode switch ends undo", "ABCD", 0, true, "drag:0:2;before", "BCAD", 2, "moveback", false, false);
        row("same mode ends undo", "ABCD", 0, true, "drag:0:2;after", "BCAD", 2, "moveback", false, false);
        row("release without press", "ABCD", 2, true, "release", "ABCD", 2, "", false, false);
        // adding
        row("add after", "ABC", 1, true, "add:X;add:Y", "ABXYC", 3, "", false, true);
        row("add before", "ABC", 1, false, "add:X;add:Y", "AXYBC", 3, "", false, true);
        row("add, none selected", "ABC", -1, false, "add:X", "ABCX", 3, "", false, true);
        row("add to empty", "", -1, true, "add:X", "X", 0, "", false, true);
        row("add duplicate", "ABC", 1, true, "add:b", "ABC", 1, "", false, false);
        row("add ends undo", "ABCD", 1, true, "del;add:X", "ACXD", 2, "del", false, true);
        row("all after", "XY", 0, true, "all:a,b", "XabY", 3, "", false, true);
        row("all before", "XY", 0, false, "all:a,b", "abXY", 3, "", false, true);
        row("all, none selected", "XY", -1, false, "all:a,b", "XYab", 3, "", false, true);
        row("all duplicates", "ABC", 0, true, "all:a,C", "ABC", 2, "", false, false);
        row("all duplicate inside", "AB", 0, true, "all:x,X,c", "AxcB", 3, "", false, true);
        row("all of nothing", "ABC", 0, true, "up;all:", "ABC", 0, "", false, false);
        // undo
        row("undo del after", "ABCD", 1, true, "del;undo", "ABCD", 1, "del", false, true);
        row("undo del before", "ABCD", 1, false, "del;undo", "ABCD", 1, "del", false, true);
        row("undo del first after", "ABC", 0, true, "del;undo", "ABC", 0, "del", false, true);
        row("undo del first before", "ABC", 0, false, "del;undo", "ABC", 0, "del", false, true);
        row("undo delbottom", "ABC", 2, true, "del;undo", "ABC", 2, "delbottom", false, true);
        row("undo del only", "A", 0, true, "del;undo", "A", 0, "delbottom", false, false);
        row("undo up", "ABC", 2, true, "up;undo", "ABC", 2, "down", false, true);
        row("undo top", "ABCD", 3, true, "top;undo", "ABCD", 3, "MOVEFIRST", false, false);
        row("undo bottom", "ABCD", 0, true, "bottom;undo", "ABCD", 0, "MOVELAST", false, false);
        row("undo drag after", "ABCD", 0, true, "drag:0:2;undo", "ABCD", 0, "moveback", false, false);
        row("undo drag before", "ABCD", 0, false, "drag:0:2;undo", "ABCD", 0, "movefront", false, false);
        row("undo drag after a click on it, after", "ABCD", 3, true, "drag:3:1;drag:2:2;undo", "ABCD", 3, "moveback", false, false);
        row("undo drag after a click on it, before", "ABCD", 0, false, "drag:0:3;drag:2:2;undo", "ABCD", 0, "movefront", false, false);
        row("undo twice", "ABCD", 1, true, "del;undo;undo", "ABCD", 1, "del", false, true);
        row("undo after click", "ABCD", 1, true, "del;sel:0;undo", "ACD", 0, "del", false, true);
        row("undo after label9", "ABCD", 1, true, "del;label9;undo", "ACD", -1, "del", false, true);
        // Saving keeps the record: the list then differs from the file while it reads as unchanged.
        row("undo survives a save", "ABCD", 1, true, "del;save;undo", "ABCD", 1, "del", false, false);
    }
    void operations()
    {
        QFETCH(QString, list);
        QFETCH(int, sel);
        QFETCH(bool, after);
        QFETCH(QString, steps);
        QFETCH(QString, expUndoop);
        auto m = makeModel(list, sel, after);
        ShadowList view(m->list);
        run(*m, steps);
        QTEST(joined(m->list), "expList");
        QTEST(m->list.selection(), "expSel");
        QCOMPARE(m->list.undoop(), undoOpOf(expUndoop));
        QTEST(m->state.isEnabled(Command::Undo), "expUndoOn");
        QTEST(m->state.isEnabled(Command::PopupUndo), "expUndoOn");
        QTEST(m->state.listChanged(), "expChanged");
        QCOMPARE(view.rows, m->list.entries());
        QVERIFY(view.resets == 0 || steps.contains("clear"));
    }

    // Every recorded edit on lists of 1..6 entries, both modes: the change
    // notifications describe it, and undo restores list and selection.
    void everyEditUndoes_data()
    {
        QTest::addColumn<bool>("after");
        QTest::addColumn<int>("n");
        for (int n = 1; n <= 6; ++n) {
            QTest::addRow("after %d", n) << true << n;
            QTest::addRow("before %d", n) << false << n;
        }
    }
    void everyEditUndoes()
    {
        QFETCH(bool, after);
        QFETCH(int, n);
        const QString list = QString::fromLatin1(kAllLetters).left(n);
        QStringList steps;
        for (int s = -1; s < n; ++s)
            for (const char *op : {"del", "up", "down", "top", "bottom"})
                steps << QStringLiteral("%1|%2").arg(s).arg(QLatin1String(op));
        for (int o = 0; o < n; ++o)
            for (int t = 0; t < n; ++t)
                steps << QStringLiteral("%1|drag:%1:%2").arg(o).arg(t);

        for (const QString &c : steps) {
            const int s = c.section('|', 0, 0).toInt();
            const QString step = c.section('|', 1);
            auto m = makeModel(list, s, after);
            ShadowList view(m->list);
            run(*m, step);
            QVERIFY2(view.signals_ <= 1, qPrintable(c));
            QCOMPARE(view.rows, m->list.entries());
            QCOMPARE(view.resets, 0);
            if (step.startsWith("drag")) {
                const auto [e, sel] = loopDrag(letters(list), s, step.section(':', 2).toInt(), after);
                QCOMPARE(m->list.entries(), e);
                QCOMPARE(m->list.selection(), sel);
            }
            const bool edited = joined(m->list) != list;
            QCOMPARE(m->state.isEnabled(Command::Undo), edited);
            if (!edited)
                continue;
            view.signals_ = 0;
            m->list.undo();
            QVERIFY2(view.signals_ == 1, qPrintable(c));
            QCOMPARE(view.rows, m->list.entries());
            QCOMPARE(view.resets, 0);
            QCOMPARE(joined(m->list), list);
            QCOMPARE(m->list.selection(), s);
            QVERIFY(!m->state.isEnabled(Command::Undo));
        }
    }

    // What a list file said of each entry goes where the entry goes, through
    // every edit and its undo, and through many of them (the store of lines
    // is gathered again as it grows).
    void linesTravelWithEntries()
    {
        const QStringList list = letters(QStringLiteral("ABCDEF"));
        QList<KeptLines> lines;
        for (int i = 0; i < list.size(); ++i)
            lines.append(KeptLines{0, quint32(10 * i), quint32(10 * i + 5)});
        const auto linesMatch = [&](const Playlist &p) {
            for (int i = 0; i < p.count(); ++i) {
                const int was = int(list.indexOf(p.entry(i)));
                if (!(p.lines(i) == lines.at(was)))
                    return false;
            }
            return p.allLines().size() == p.count();
        };
        for (const char *step : {"del", "up", "down", "top", "bottom", "drag:1:4", "drag:4:0"}) {
            for (int s = 0; s < list.size(); ++s) {
                Model m;
                m.list.replaceEntries(list, lines);
                m.list.selectByUser(s);
                run(m, QLatin1String(step));
                QVERIFY2(linesMatch(m.list), step);
                m.list.undo();
                QCOMPARE(m.list.entries(), list);
                QVERIFY2(linesMatch(m.list), step);
            }
        }
        Model m;
        m.list.replaceEntries(list, lines);
        for (int i = 0; i < 3000; ++i) {
            m.list.selectByUser(i % 5);
            run(m, i % 2 ? QStringLiteral("del;undo") : QStringLiteral("top;undo;down"));
        }
        QVERIFY(linesMatch(m.list));
    }

    // Add-all places the new files as adding them one by one beside the
    // selection would, then selects the last entry.
    void addAllMatchesOneByOne_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("sel");
        QTest::addColumn<bool>("after");
        QTest::addColumn<QString>("names");
        QTest::newRow("middle after") << "ABCDE" << 2 << true << "x,y,z";
        QTest::newRow("middle before") << "ABCDE" << 2 << false << "x,y,z";
        QTest::newRow("first before") << "ABCDE" << 0 << false << "x,b,y";
        QTest::newRow("last after") << "ABCDE" << 4 << true << "x,y,e,z";
        QTest::newRow("last before") << "ABCDE" << 4 << false << "x,y,x";
    }
    void addAllMatchesOneByOne()
    {
        QFETCH(QString, list);
        QFETCH(int, sel);
        QFETCH(bool, after);
        QFETCH(QString, names);
        auto block = makeModel(list, sel, after);
        auto single = makeModel(list, sel, after);
        QSignalSpy spy(&block->list, &Playlist::entriesChanged);
        block->list.addallfiles(QString(), names.split(','));
        for (const QString &name : names.split(','))
            single->list.addClickedFile(QString(), name);
        single->list.selectByUser(single->list.count() - 1);
        QCOMPARE(block->list.entries(), single->list.entries());
        QCOMPARE(block->list.selection(), single->list.selection());
        QCOMPARE(spy.count(), 1);
    }

    // Files from outside the browser land where clicking them one by one
    // would put them, as one change of the entries and one edit. With nothing
    // selected they keep their order at the end, in either mode.
    void addFilesMatchesClicks_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("sel");
        QTest::addColumn<bool>("after");
        QTest::addColumn<QString>("names");
        QTest::addColumn<int>("duplicates");
        QTest::addColumn<int>("lineBreaks");
        QTest::newRow("middle after") << "ABCDE" << 2 << true << "x,y,z" << 0 << 0;
        QTest::newRow("middle before") << "ABCDE" << 2 << false << "x,y,z" << 0 << 0;
        QTest::newRow("nothing selected, after") << "ABC" << -1 << true << "x,y" << 0 << 0;
        QTest::newRow("nothing selected, before") << "ABC" << -1 << false << "x,y" << 0 << 0;
        QTest::newRow("empty list") << "" << -1 << true << "x,y,z" << 0 << 0;
        QTest::newRow("first before") << "ABCDE" << 0 << false << "x,b,y" << 1 << 0;
        QTest::newRow("last after, repeats") << "ABCDE" << 4 << true << "x,y,x,e,z" << 2 << 0;
        QTest::newRow("line breaks") << "AB" << 0 << true << "x,y\nz,w\rv,u" << 0 << 2;
        QTest::newRow("nothing new") << "ABC" << 1 << true << "a,c" << 2 << 0;
    }
    void addFilesMatchesClicks()
    {
        QFETCH(QString, list);
        QFETCH(int, sel);
        QFETCH(bool, after);
        QFETCH(QString, names);
        QFETCH(int, duplicates);
        QFETCH(int, lineBreaks);
        auto block = makeModel(list, sel, after);
        auto single = makeModel(list, sel, after);
        QStringList paths;
        if (sel < 0)
            single->list.setInsertAfterMode();
        for (const QString &name : names.split(',')) {
            paths << block->list.rules().join(QString(), name);
            single->list.addClickedFile(QString(), name);
        }
        const QStringList before = block->list.entries();
        QSignalSpy changes(&block->list, &Playlist::entriesChanged);
        QSignalSpy edits(&block->list, &Playlist::edited);
        const Playlist::AddedFiles result = block->list.addFiles(paths);
        QCOMPARE(block->list.entries(), single->list.entries());
        QCOMPARE(block->list.selection(), single->list.selection());
        QCOMPARE(result.added, int(block->list.count() - before.size()));
        QCOMPARE(result.duplicates, duplicates);
        QCOMPARE(result.lineBreaks, lineBreaks);
        QCOMPARE(changes.count(), result.added > 0 ? 1 : 0);
        QCOMPARE(edits.count(), result.added > 0 ? 1 : 0);
        QCOMPARE(block->state.listChanged(), result.added > 0);
        QVERIFY(!block->state.isEnabled(Command::Undo));
    }

    // Operations that leave an undo record move the selection first and
    // enable undo last; the selection-changed reaction in between disables it.
    void undoEnabledLast_data()
    {
        QTest::addColumn<QString>("step");
        QTest::newRow("delete") << "del";
        QTest::newRow("up") << "up";
        QTest::newRow("down") << "down";
        QTest::newRow("top") << "top";
        QTest::newRow("bottom") << "bottom";
        QTest::newRow("drag") << "drag:1:3";
    }
    void undoEnabledLast()
    {
        QFETCH(QString, step);
        auto m = makeModel("ABCD", 2, true);
        run(*m, "up;sel:2");  // a record is enabled, then the click ends it
        QVERIFY(!m->state.isEnabled(Command::Undo));
        run(*m, "up");        // undo enabled going in, entry 1 selected
        QVERIFY(m->state.isEnabled(Command::Undo));
        QStringList log;
        // The window state reacts to a selection change before this test does.
        connect(&m->list, &Playlist::selectionChanged, this, [&](int) {
            log << (m->state.isEnabled(Command::Undo) ? "sel, undo on" : "sel, undo off");
        });
        connect(&m->state, &WindowState::commandEnabledChanged, this, [&](Command c, bool on) {
            if (c == Command::Undo)
                log << (on ? "undo on" : "undo off");
        });
        run(*m, step);
        QVERIFY2(log.size() >= 3, qPrintable(log.join(", ")));
        QCOMPARE(log.mid(log.size() - 3), QStringList({"undo off", "sel, undo off", "undo on"}));
    }
};

QObject *newEditingTest() { return new EditingTest; }

#include "tst_editing.moc"
