#include "tests/model/model_test_util.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(Command)

class StateTest : public QObject {
    Q_OBJECT
private slots:
    // A loaded window: empty labels, unnamed title, everything list-bound off.
    void loadState()
    {
        Playlist list(PathRules::windows());
        WindowState m(list);
        QSignalSpy titles(&m, &WindowState::titleChanged);
        QSignalSpy enabled(&m, &WindowState::commandEnabledChanged);
        QSignalSpy labels(&m, &WindowState::labelChanged);
        m.load();
        for (Label l : {Label::CountPrefix, Label::Count, Label::CountSuffix, Label::ListPath,
                        Label::PositionCaption, Label::Position})
            QCOMPARE(m.label(l), QString());
        QCOMPARE(m.label(Label::ListNameCaption), QStringLiteral("当前列表名："));
        QCOMPARE(labels.count(), int(kLabelCount));
        QCOMPARE(m.title(), QStringLiteral("Melvora—— 未命名"));
        QCOMPARE(titles.count(), 1);
        QVERIFY(!m.listChanged());
        QVERIFY(list.insertAfter());
        QCOMPARE(list.selection(), -1);
        // comenabled's sixteen, the undo pair, the player pair and reopening, each once.
        QCOMPARE(enabled.count(), 21);
        for (Command c : {Command::SaveList, Command::SaveListAs, Command::Clear, Command::Delete,
                          Command::PlaySelected, Command::PopupDelete, Command::PopupPlay, Command::MoveUp,
                          Command::PopupMoveUp, Command::MoveToTop, Command::PopupMoveToTop, Command::MoveDown,
                          Command::PopupMoveDown, Command::MoveToBottom, Command::PopupMoveToBottom,
                          Command::AddAll, Command::Undo, Command::PopupUndo, Command::HidePlayer,
                          Command::ReopenInEncoding})
            QVERIFY2(!m.isEnabled(c), qPrintable(QString::number(int(c))));
        for (Command c : {Command::NewList, Command::OpenList, Command::InsertListFile, Command::Quit,
                          Command::ShowPlayer, Command::InsertAfter, Command::Help})
            QVERIFY(m.isEnabled(c));
        QCOMPARE(m.playerTrack(), 0);
        // Reopening in another encoding needs the list's file.
        m.markSaved(QStringLiteral("/l/a.m3u"));
        QVERIFY(m.isEnabled(Command::ReopenInEncoding));
        m.startNewList();
        QVERIFY(!m.isEnabled(Command::ReopenInEncoding));
    }

    // comenabled's table: which commands each list shape disables.
    void enabling_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("sel");
        QTest::addColumn<int>("files");
        QTest::addColumn<QList<Command>>("disabled");
        const QList<Command> del = {Command::Delete, Command::PlaySelected, Command::PopupDelete, Command::PopupPlay};
        const QList<Command> up = {Command::MoveUp, Command::PopupMoveUp, Command::MoveToTop, Command::PopupMoveToTop};
        const QList<Command> down = {Command::MoveDown, Command::PopupMoveDown, Command::MoveToBottom,
                                     Command::PopupMoveToBottom};
        const QList<Command> file = {Command::SaveList, Command::SaveListAs, Command::Clear};
        QTest::newRow("empty") << 0 << -1 << 3 << file + del + up + down;
        QTest::newRow("none selected") << 3 << -1 << 3 << del + up + down;
        QTest::newRow("middle") << 3 << 1 << 3 << QList<Command>();
        QTest::newRow("first") << 3 << 0 << 3 << up;
        QTest::newRow("last") << 3 << 2 << 3 << down;
        QTest::newRow("only") << 1 << 0 << 3 << up + down;
        QTest::newRow("no files") << 3 << 1 << 0 << QList<Command>{Command::AddAll};
    }
    void enabling()
    {
        QFETCH(int, n);
        QFETCH(int, sel);
        QFETCH(int, files);
        QFETCH(QList<Command>, disabled);
        auto m = makeModel(QString("ABCDEF").left(n), sel);
        m->state.setBrowserFileCount(files);
        for (std::size_t i = 0; i < kCommandCount; ++i) {
            const Command c = Command(i);
            if (c == Command::Undo || c == Command::PopupUndo || c == Command::HidePlayer
                || c == Command::ReopenInEncoding)
                continue;
            QVERIFY2(m->state.isEnabled(c) == !disabled.contains(c), qPrintable(QString::number(i)));
        }
    }

    // A selection change recomputes the commands but keeps undo off; only an
    // edit that writes a record turns it on.
    void comenabledLeavesUndoAlone()
    {
        auto m = makeModel("ABC", 1);
        m->list.deleteentry();
        m->state.setBrowserFileCount(5);
        QVERIFY(m->state.isEnabled(Command::Undo));
        QVERIFY(m->state.isEnabled(Command::PopupUndo));
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
        Model m;
        run(m, steps);
        const WindowState &s = m.state;
        QTEST(QStringList({s.label(Label::CountPrefix), s.label(Label::Count), s.label(Label::CountSuffix)}).join(' '),
              "count");
        QTEST(s.label(Label::PositionCaption) + ' ' + s.label(Label::Position), "position");
    }

    // The position labels follow the pointer only while something is selected.
    void pointerMoved()
    {
        auto m = makeModel("ABC", 1);
        m->list.selectNone();
        QVERIFY(!m->state.isEnabled(Command::Delete));
        m->state.pointerMoved();
        QCOMPARE(m->state.label(Label::PositionCaption), QString());
        m->list.selectByUser(2);
        m->state.pointerMoved();
        QCOMPARE(m->state.label(Label::Position), QStringLiteral("3"));
    }

    // The player's track number is the first same entry, sent after every
    // reordering and count change, with the count.
    void playerTrackNumber_data()
    {
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("playing");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("track");
        const QStringList win = {"C:\\x.mp3", "C:\\y.mp3", "C:\\z.mp3", "C:\\MUSIC\\A.MP3"};
        const QStringList posix = {"/m/A.mp3", "/m/b.mp3", "/m/c.mp3"};
        QTest::newRow("win any case") << true << win << "c:\\music\\a.mp3" << "sel:0;down" << 4;
        QTest::newRow("win absent") << true << win << "c:\\music\\b.mp3" << "sel:0;down" << 0;
        QTest::newRow("win empty path") << true << win << "" << "sel:0;down" << 0;
        QTest::newRow("win moved down") << true << win << "C:\\X.MP3" << "sel:0;down" << 2;
        QTest::newRow("win dragged") << true << win << "C:\\x.mp3" << "drag:0:2" << 3;
        QTest::newRow("win dragged nowhere") << true << win << "C:\\y.mp3" << "drag:2:1" << 2;
        QTest::newRow("win to top") << true << win << "C:\\z.mp3" << "sel:3;top" << 4;
        QTest::newRow("win to bottom") << true << win << "C:\\x.mp3" << "sel:0;bottom" << 4;
        QTest::newRow("win deleted before") << true << win << "C:\\z.mp3" << "sel:0;del" << 2;
        QTest::newRow("win deleted itself") << true << win << "C:\\z.mp3" << "sel:2;del" << 0;
        QTest::newRow("win cleared") << true << win << "C:\\z.mp3" << "sel:2;clear" << 0;
        QTest::newRow("win undo") << true << win << "C:\\z.mp3" << "sel:2;del;undo" << 3;
        QTest::newRow("win added") << true << win << "C:\\z.mp3" << "sel:0;add:w" << 4;
        QTest::newRow("posix case differs") << false << posix << "/m/a.mp3" << "sel:2;up" << 0;
        QTest::newRow("posix exact") << false << posix << "/m/A.mp3" << "sel:2;up" << 1;
    }
    void playerTrackNumber()
    {
        QFETCH(bool, windows);
        QFETCH(QStringList, list);
        QFETCH(QString, playing);
        QFETCH(QString, steps);
        Model m(windows ? PathRules::windows() : PathRules::posix());
        m.list.replaceEntries(list);
        m.state.setPlayingPath(playing);
        QSignalSpy sent(&m.state, &WindowState::playerTrackChanged);
        run(m, steps);
        QVERIFY(!sent.isEmpty());
        QTEST(sent.last().at(0).toInt(), "track");
        QTEST(m.state.playerTrack(), "track");
        QCOMPARE(sent.last().at(1).toInt(), m.list.count());
    }

    // The player numbers the tracks it starts itself: a new playing path, or a
    // change of the selection, sends nothing until the list changes.
    void playerTrackOnlyAfterListChanges()
    {
        auto m = makeModel("ABC", 0);
        QSignalSpy sent(&m->state, &WindowState::playerTrackChanged);
        m->state.setPlayingPath("B");
        run(*m, "sel:2;label9;sel:1;after");
        QCOMPARE(sent.count(), 0);
        run(*m, "down");
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.last().at(0).toInt(), 3);
    }

    // The title shows the list file's name, upper-cased.
    void title_data()
    {
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("win pls") << true << "D:\\l\\x.pls" << "Melvora——X.PLS";
        QTest::newRow("win spaces in name") << true << "D:\\music\\My list.m3u" << "Melvora——MY LIST.M3U";
        QTest::newRow("posix") << false << "/home/u/My list.m3u" << "Melvora——MY LIST.M3U";
        QTest::newRow("posix backslashes") << false << "D:\\l\\x.pls" << "Melvora——D:\\L\\X.PLS";
        QTest::newRow("posix blank at the end") << false << "/home/u/list.m3u " << "Melvora——LIST.M3U ";
    }
    void title()
    {
        QFETCH(bool, windows);
        QFETCH(QString, path);
        Model m(windows ? PathRules::windows() : PathRules::posix());
        m.list.replaceEntries({"a"});
        m.state.markSaved("C:\\other.m3u");
        QSignalSpy spy(&m.state, &WindowState::titleChanged);
        m.state.markSaved(path);
        QTEST(m.state.title(), "title");
        QCOMPARE(spy.count(), 1);
        QTEST(spy.at(0).at(0).toString(), "title");
        // The list's path is kept exactly, blanks and all; Label8 shows it after four blanks.
        QCOMPARE(m.state.listPath(), path);
        QCOMPARE(m.state.label(Label::ListPath), "    " + path);
        QCOMPARE(m.state.label(Label::ListNameCaption), QStringLiteral("当前列表名:"));
        m.state.startNewList();
        QCOMPARE(m.state.title(), QStringLiteral("Melvora—— 未命名"));
        QCOMPARE(m.state.label(Label::ListPath), QString());
        QCOMPARE(m.state.label(Label::ListNameCaption), QStringLiteral("当前列表未命名"));
    }

    // Clicking a file: duplicates by the rules' same-entry test, nothing for no name.
    void addClicked_data()
    {
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("last");
        using R = Playlist::AddResult;
        QTest::newRow("win duplicate") << true << "C:\\MUSIC" << "a.MP3" << int(R::Duplicate) << "c:\\music\\A.mp3";
        QTest::newRow("win root") << true << "C:\\" << "b.mp3" << int(R::Added) << "C:\\b.mp3";
        QTest::newRow("posix other case") << false << "/music" << "A.mp3" << int(R::Added) << "/music/A.mp3";
        QTest::newRow("posix duplicate") << false << "/music" << "a.mp3" << int(R::Duplicate) << "/music/a.mp3";
        QTest::newRow("no file") << true << "C:\\" << "" << int(R::NoFile) << "c:\\music\\A.mp3";
        QTest::newRow("line feed in the name") << false << "/music" << "a\nb.mp3" << int(R::LineBreak) << "/music/a.mp3";
        QTest::newRow("carriage return in the folder") << false << "/mu\rsic" << "b.mp3" << int(R::LineBreak) << "/music/a.mp3";
    }
    void addClicked()
    {
        QFETCH(bool, windows);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        Model m(windows ? PathRules::windows() : PathRules::posix());
        m.list.addClickedFile(windows ? "c:\\music" : "/music", windows ? "A.mp3" : "a.mp3");
        m.state.markSaved(windows ? "c:\\l.m3u" : "/l.m3u");
        QSignalSpy spy(&m.list, &Playlist::entriesChanged);
        QSignalSpy labels(&m.state, &WindowState::labelChanged);
        const auto result = m.list.addClickedFile(folder, name);
        QTEST(int(result), "result");
        QTEST(m.list.entries().last(), "last");
        const bool added = result == Playlist::AddResult::Added;
        QCOMPARE(spy.count(), added ? 1 : 0);
        QCOMPARE(m.state.listChanged(), added);
        QCOMPARE(m.list.selection(), m.list.count() - 1);
        if (!added)
            QCOMPARE(labels.count(), 0);
    }

    // Deleting an entry, then adding the same file again: it is added, not
    // refused as a duplicate; the same after delete, undo, delete.
    void deletedEntryCanComeBack_data()
    {
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("steps");
        QTest::newRow("win delete") << true << "sel:1;del";
        QTest::newRow("win delete, undo, delete") << true << "sel:1;del;undo;del";
        QTest::newRow("posix delete") << false << "sel:1;del";
        QTest::newRow("posix delete, undo, delete") << false << "sel:1;del;undo;del";
        QTest::newRow("clear") << true << "clear";
    }
    void deletedEntryCanComeBack()
    {
        QFETCH(bool, windows);
        QFETCH(QString, steps);
        Model m(windows ? PathRules::windows() : PathRules::posix());
        m.list.replaceEntries({"A", "B", "C"});
        run(m, steps);
        QVERIFY(!m.list.contains("B"));
        QCOMPARE(m.list.addClickedFile(QString(), "B"), Playlist::AddResult::Added);
        QCOMPARE(m.list.entries().count("B"), 1);
        QCOMPARE(m.list.addClickedFile(QString(), "B"), Playlist::AddResult::Duplicate);
    }

    // The list file intents: the labels, title, flag and enabling they leave.
    void listFileIntents_data()
    {
        QTest::addColumn<QString>("intent");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<int>("selection");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("canSave");
        QTest::addColumn<int>("repeats");   // left out of what was read
        QTest::newRow("new") << "new" << QStringList() << -1 << false << "当前列表未命名" << "Melvora—— 未命名" << false << 0;
        QTest::newRow("open") << "open" << QStringList{"a", "B", "c"} << 2 << true << "当前列表名:" << "Melvora——NEW.M3U" << true << 1;
        QTest::newRow("insert") << "insert" << QStringList{"X", "a", "c"} << 2 << true << "当前列表名:" << "Melvora——OLD.PLS" << true << 1;
        QTest::newRow("insert nothing new") << "insert same" << QStringList{"X", "a"} << 1 << true << "当前列表名:" << "Melvora——OLD.PLS" << true << 1;
        QTest::newRow("insert of a missing file") << "insert missing" << QStringList{"X", "a"} << 0 << true << "当前列表名:" << "Melvora——OLD.PLS" << true << 0;
        QTest::newRow("saved") << "save" << QStringList{"X", "a"} << 0 << false << "当前列表名:" << "Melvora——NEW.M3U" << true << 0;
    }
    void listFileIntents()
    {
        QFETCH(QString, intent);
        Model m(PathRules::windows());
        m.state.load();
        m.state.markSaved("C:\\old.pls");
        m.list.replaceEntries({"X", "a"});
        m.list.selectByUser(0);
        m.list.moveup();   // nothing: the first entry
        m.list.movedown();  // leaves an undo record and marks the list changed
        m.list.moveup();
        QVERIFY(m.state.isEnabled(Command::Undo));
        QVERIFY(m.state.listChanged());
        m.state.setPlayingPath("C");
        QSignalSpy sent(&m.state, &WindowState::playerTrackChanged);

        if (intent == "new")
            m.state.startNewList();
        else if (intent == "open")
            m.state.replaceWith({"a", "B", "A", "c"}, "C:\\new.m3u");
        else if (intent == "insert")
            m.state.insertEntries({"A", "c"});
        else if (intent == "insert same")
            m.state.insertEntries({"x"});
        else if (intent == "insert missing")
            m.state.insertFailed();
        else
            m.state.markSaved("C:\\new.m3u");

        QTEST(m.list.entries(), "list");
        QTEST(m.list.selection(), "selection");
        QTEST(m.state.listChanged(), "changed");
        QTEST(m.state.label(Label::ListNameCaption), "caption");
        QTEST(m.state.title(), "title");
        QTEST(m.state.isEnabled(Command::SaveList), "canSave");
        QTEST(m.state.isEnabled(Command::Clear), "canSave");
        QTEST(m.state.skippedRepeats(), "repeats");
        const int n = int(m.list.count());
        QCOMPARE(m.state.label(Label::Count), n ? QString::number(n) : QString());
        const int s = m.list.selection();
        QCOMPARE(m.state.label(Label::Position), s >= 0 ? QString::number(s + 1) : QString());
        // Only a save keeps the undo record.
        QCOMPARE(m.state.isEnabled(Command::Undo), intent == "save");
        if (intent == "open") {
            QVERIFY(!sent.isEmpty());
            QCOMPARE(sent.last().at(0).toInt(), 3);   // "c", once the repeated "A" is dropped
        }
    }

    // Add-all leaves out the names a playlist file could not hold and says how many.
    void addAllLeavesOutLineBreaks()
    {
        Model m(PathRules::posix());
        QCOMPARE(m.list.addallfiles("/m", {"a.mp3", "b\n.mp3", "c\r.mp3", "d.mp3"}), 2);
        QCOMPARE(m.list.entries(), (QStringList{"/m/a.mp3", "/m/d.mp3"}));
        QCOMPARE(m.list.addallfiles("/m", {"e\n.mp3"}), 1);
        QCOMPARE(m.list.count(), 2);
    }

    // Positions are plain ints: lists beyond 32,767 entries work throughout.
    void beyondSixteenBits()
    {
        Model m(PathRules::posix());
        QStringList names;
        for (int i = 0; i < 40000; ++i)
            names << QString::number(i);
        m.list.addallfiles("/m", names);
        QCOMPARE(m.state.label(Label::Count), QStringLiteral("40000"));
        QCOMPARE(m.state.label(Label::Position), QStringLiteral("40000"));
        m.list.selectByUser(35000);
        m.list.movetotop();
        m.list.undo();
        QCOMPARE(m.list.entry(35000), QStringLiteral("/m/35000"));
        m.state.setPlayingPath("/m/39999");
        m.list.movedown();
        QCOMPARE(m.state.playerTrack(), 40000);
    }
};

QObject *newStateTest() { return new StateTest; }

#include "tst_state.moc"
