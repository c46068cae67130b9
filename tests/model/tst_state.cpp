#include "model_test_util.h"

#include <QSignalSpy>
#include <QTest>

class StateTest : public QObject {
    Q_OBJECT
private slots:
    // A loaded window: empty labels, unnamed title, everything list-bound off.
    void loadState()
    {
        ListState m(PathRules::windows());
        QSignalSpy titles(&m, &ListState::titleChanged);
        QSignalSpy enabled(&m, &ListState::enabledChanged);
        m.load();
        for (const char *label : {"Label4", "Label5", "Label6", "Label8", "Label9", "Label10"})
            QCOMPARE(m.labelText(label), QString());
        QCOMPARE(m.labelText("Label7"), QStringLiteral("当前列表名："));
        QCOMPARE(m.title(), QStringLiteral("Melvora—— 未命名"));
        QCOMPARE(titles.count(), 1);
        QCOMPARE(enabled.count(), ListState::commandNames().size());
        QCOMPARE(m.listchanged(), QStringLiteral("false"));
        QVERIFY(m.insertAfter());
        QCOMPARE(m.selection(), -1);
        for (const QString &name : ListState::commandNames())
            QVERIFY2(!m.isEnabled(name), qPrintable(name));
        QVERIFY(m.isEnabled("menunew"));
        QCOMPARE(m.form3Label4(), QStringLiteral("0"));
        QCOMPARE(m.form3Label6(), QStringLiteral("/ 0"));
    }

    // comenabled's table: which commands each list shape disables.
    void enabling_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("sel");
        QTest::addColumn<int>("files");
        QTest::addColumn<QString>("disabled");
        const QString del = "menudell menuplay poplist1del poplist1play";
        const QString up = "menuup poplist1up MENUFIRST POPLIST1FIRST";
        const QString down = "menudown poplist1down MENULAST POPLIST1LAST";
        QTest::newRow("empty") << 0 << -1 << 3 << "menusave menusaveas menuclear " + del + " " + up + " " + down;
        QTest::newRow("none selected") << 3 << -1 << 3 << del + " " + up + " " + down;
        QTest::newRow("middle") << 3 << 1 << 3 << "";
        QTest::newRow("first") << 3 << 0 << 3 << up;
        QTest::newRow("last") << 3 << 2 << 3 << down;
        QTest::newRow("only") << 1 << 0 << 3 << up + " " + down;
        QTest::newRow("no files") << 3 << 1 << 0 << "menuselec";
    }
    void enabling()
    {
        QFETCH(int, n);
        QFETCH(int, sel);
        QFETCH(int, files);
        QFETCH(QString, disabled);
        auto m = makeState(QString("ABCDEF").left(n), sel);
        m->setBrowserFileCount(files);
        const QStringList off = disabled.split(' ', Qt::SkipEmptyParts);
        for (const QString &name : ListState::commandNames().mid(0, 16))
            QVERIFY2(m->isEnabled(name) == !off.contains(name), qPrintable(name));
    }

    void comenabledLeavesUndoAlone()
    {
        auto m = makeState("ABC", 1);
        m->deleteentry();
        m->comenabled();
        QVERIFY(m->isEnabled("menuundo"));
        QVERIFY(m->isEnabled("poplist1undo"));
    }

    // Count and position labels as the list and selection change.
    void countAndPosition_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("position");
        QTest::newRow("one, none selected") << "add:A;label9" << "现在一共 1 首歌曲" << " ";
        QTest::newRow("first selected") << "add:A;add:B;sel:0" << "现在一共 2 首歌曲" << "当前位置 1";
        QTest::newRow("twelve, third") << "all:a,b,c,d,e,f,g,h,i,j,k,l;sel:2" << "现在一共 12 首歌曲" << "当前位置 3";
        QTest::newRow("emptied") << "add:A;del" << "  " << " ";
        QTest::newRow("after undo") << "add:A;add:B;del;undo" << "现在一共 2 首歌曲" << "当前位置 2";
    }
    void countAndPosition()
    {
        QFETCH(QString, steps);
        ListState m(PathRules::windows());
        run(m, steps);
        QTEST(QStringList({m.labelText("Label4"), m.labelText("Label5"), m.labelText("Label6")}).join(' '), "count");
        QTEST(m.labelText("Label9") + ' ' + m.labelText("Label10"), "position");
    }

    // The position labels follow the pointer only while something is selected.
    void pointerMoved()
    {
        auto m = makeState("ABC", 1);
        m->label910();
        m->clickLabel9();
        QVERIFY(!m->isEnabled("menudell"));
        m->pointerMoved();
        QCOMPARE(m->labelText("Label9"), QString());
        m->selectByUser(2);
        m->pointerMoved();
        QCOMPARE(m->labelText("Label10"), QStringLiteral("3"));
    }

    // The player's track number is the first same entry, in sign-blank form.
    void playerTrackNumber_data()
    {
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("playing");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("label4");
        const QStringList win = {"C:\\x.mp3", "C:\\y.mp3", "C:\\z.mp3", "C:\\MUSIC\\A.MP3"};
        const QStringList posix = {"/m/A.mp3", "/m/b.mp3", "/m/c.mp3"};
        QTest::newRow("win any case") << true << win << "c:\\music\\a.mp3" << "" << " 4";
        QTest::newRow("win absent") << true << win << "c:\\music\\b.mp3" << "" << "0";
        QTest::newRow("win empty path") << true << win << "" << "" << "0";
        QTest::newRow("win moved down") << true << win << "C:\\X.MP3" << "sel:0;down" << " 2";
        QTest::newRow("win dragged") << true << win << "C:\\x.mp3" << "drag:0:2" << " 3";
        QTest::newRow("win to top") << true << win << "C:\\z.mp3" << "sel:3;top" << " 4";
        QTest::newRow("win deleted before") << true << win << "C:\\z.mp3" << "sel:0;del" << " 2";
        QTest::newRow("win deleted itself") << true << win << "C:\\z.mp3" << "sel:2;del" << "0";
        QTest::newRow("win cleared") << true << win << "C:\\z.mp3" << "sel:2;clear" << "0";
        QTest::newRow("win undo") << true << win << "C:\\z.mp3" << "sel:2;del;undo" << " 3";
        QTest::newRow("posix case differs") << false << posix << "/m/a.mp3" << "" << "0";
        QTest::newRow("posix exact") << false << posix << "/m/A.mp3" << "" << " 1";
    }
    void playerTrackNumber()
    {
        QFETCH(bool, windows);
        QFETCH(QStringList, list);
        QFETCH(QString, playing);
        QFETCH(QString, steps);
        ListState m(windows ? PathRules::windows() : PathRules::posix());
        m.appendUnique(list);
        m.label456();
        m.setPlayingPath(playing);
        run(m, steps);
        QTEST(m.form3Label4(), "label4");
        QCOMPARE(m.form3Label6(), "/ " + QString::number(m.count()));
    }

    // The title shows the list file's name, upper-cased, after leading blanks go.
    void title_data()
    {
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("label8");
        QTest::addColumn<QString>("title");
        QTest::newRow("win pls") << true << "    D:\\l\\x.pls" << "Melvora——X.PLS";
        QTest::newRow("win spaces in name") << true << "    D:\\music\\My list.m3u" << "Melvora——MY LIST.M3U";
        QTest::newRow("posix") << false << "    /home/u/My list.m3u" << "Melvora——MY LIST.M3U";
        QTest::newRow("posix backslashes") << false << "    D:\\l\\x.pls" << "Melvora——D:\\L\\X.PLS";
        QTest::newRow("unnamed") << true << "" << "Melvora—— 未命名";
    }
    void title()
    {
        QFETCH(bool, windows);
        QFETCH(QString, label8);
        ListState m(windows ? PathRules::windows() : PathRules::posix());
        m.setLabel8("    C:\\other.m3u");
        QSignalSpy spy(&m, &ListState::titleChanged);
        m.setLabel8(label8);
        QTEST(m.title(), "title");
        QCOMPARE(spy.count(), 1);
        QTEST(spy.at(0).at(0).toString(), "title");
    }

    // Clicking a file: duplicates by the rules' same-entry test, nothing for no name.
    void addClicked_data()
    {
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("last");
        QTest::newRow("win duplicate") << true << "C:\\MUSIC" << "a.MP3" << int(ListState::AddResult::Duplicate) << "c:\\music\\A.mp3";
        QTest::newRow("win root") << true << "C:\\" << "b.mp3" << int(ListState::AddResult::Added) << "C:\\b.mp3";
        QTest::newRow("posix other case") << false << "/music" << "A.mp3" << int(ListState::AddResult::Added) << "/music/A.mp3";
        QTest::newRow("posix duplicate") << false << "/music" << "a.mp3" << int(ListState::AddResult::Duplicate) << "/music/a.mp3";
        QTest::newRow("no file") << true << "C:\\" << "" << int(ListState::AddResult::NoFile) << "c:\\music\\A.mp3";
    }
    void addClicked()
    {
        QFETCH(bool, windows);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        ListState m(windows ? PathRules::windows() : PathRules::posix());
        m.addClickedFile(windows ? "c:\\music" : "/music", windows ? "A.mp3" : "a.mp3");
        m.setListchanged(false);
        QSignalSpy spy(&m, &ListState::entriesChanged);
        QSignalSpy labels(&m, &ListState::labelChanged);
        const auto result = m.addClickedFile(folder, name);
        QTEST(int(result), "result");
        QTEST(m.entries().last(), "last");
        const bool added = result == ListState::AddResult::Added;
        QCOMPARE(spy.count(), added ? 1 : 0);
        QCOMPARE(m.listchanged(), added ? "true" : "false");
        QCOMPARE(m.selection(), m.count() - 1);
        if (!added)
            QCOMPARE(labels.count(), 0);
    }

    // The list file reader's building blocks: no flags, no refresh.
    void appendUnique_data()
    {
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("win") << true << QStringList{"c:\\a", "C:\\B", "c:\\b", "C:\\c"}
                             << QStringList{"C:\\A", "C:\\B", "C:\\c"};
        QTest::newRow("posix") << false << QStringList{"/a", "/A", "/B", "/b", "/A"}
                               << QStringList{"/A", "/a", "/B", "/b"};
    }
    void appendUnique()
    {
        QFETCH(bool, windows);
        QFETCH(QStringList, paths);
        QFETCH(QStringList, expected);
        ListState m(windows ? PathRules::windows() : PathRules::posix());
        m.appendUnique({windows ? "C:\\A" : "/A"});
        m.label456();
        QSignalSpy spy(&m, &ListState::entriesChanged);
        QCOMPARE(m.appendUnique(paths), int(expected.size()) - 1);
        QCOMPARE(m.entries(), expected);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(m.labelText("Label5"), QStringLiteral("1"));
        QCOMPARE(m.listchanged(), QStringLiteral("false"));
        QCOMPARE(m.selection(), -1);
        m.setSelection(1);
        m.clearEntries();
        QCOMPARE(m.count(), 0);
        QCOMPARE(m.selection(), -1);
        QVERIFY(!m.contains(expected.at(0)));
        QCOMPARE(m.labelText("Label10"), QStringLiteral("2"));
    }

    // Positions are plain ints: lists beyond 32,767 entries work throughout.
    void beyondSixteenBits()
    {
        ListState m(PathRules::posix());
        QStringList names;
        for (int i = 0; i < 40000; ++i)
            names << QString::number(i);
        m.addallfiles("/m", names);
        QCOMPARE(m.labelText("Label5"), QStringLiteral("40000"));
        QCOMPARE(m.labelText("Label10"), QStringLiteral("40000"));
        m.setSelection(35000);
        m.movetotop();
        m.undo();
        QCOMPARE(m.entry(35000), QStringLiteral("/m/35000"));
        m.setPlayingPath("/m/39999");
        QCOMPARE(m.form3Label4(), QStringLiteral(" 40000"));
    }
};

QObject *newStateTest() { return new StateTest; }

#include "tst_state.moc"
