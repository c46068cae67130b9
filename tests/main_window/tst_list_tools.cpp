// The 工具 menu's list repairs and the find bar in the real window, offscreen:
// what the entry check shows, going to and removing missing entries, finding
// moved files, replacing a path start, and their undo.
#include "tests/common/accessible_names.h"
#include "tests/common/wait_idle.h"
#include "tests/common/desktop_fakes.h"
#include "main_window/find_bar.h"
#include "main_window/main_window.h"
#include "main_window/missing_entries.h"
#include "main_window/playlist_view.h"
#include "main_window/status_bar.h"
#include "platform/fakes/fake_file_probe.h"
#include "main_window/fakes/fake_repair_dialogs.h"
#include "tests/common/when_modal.h"
#include "tests/common/test_files.h"

#include <QAbstractButton>
#include <QFont>
#include <QLabel>
#include <QListWidget>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
QStringList split(const QString &s)
{
    return s.isEmpty() ? QStringList() : s.split(QLatin1Char(','));
}
} // namespace

class ListToolsTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_desktop.messages = FakeMessageBox();
        m_dialogs = FakeRepairDialogs();
        m_probe.files = {QStringLiteral("/m/a"), QStringLiteral("/m/b"), QStringLiteral("/m/c")};
        m_probe.filled = {QStringLiteral("/media/u/IN")};
        m_aux = std::make_unique<AuxWindows>(m_desktop.services());
        m_window = std::make_unique<MainWindow>(m_desktop.messages, m_desktop.dialog, m_desktop.drives,
                                                m_desktop.keys, *m_aux, m_probe, m_dialogs);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup()
    {
        m_window.reset();
        m_aux.reset();
    }

    void checkIsShown()
    {
        open("/m/a,/m/x,/media/u/OUT/y,http://s/z,/media/u/IN/w,/m/b");
        QCOMPARE(m_window->statusBar1()->note(), QStringLiteral("缺失 2 个文件"));
        const QStringList expected = {"", "missing", "unavailable", "", "missing", ""};
        for (int row = 0; row < expected.size(); ++row) {
            const QModelIndex index = m_window->list1()->model()->index(row, 0);
            const QFont font = index.data(Qt::FontRole).value<QFont>();
            const QString got = !index.data(Qt::ForegroundRole).isValid() ? QString()
                                : font.strikeOut()                         ? QStringLiteral("missing")
                                : font.italic()                            ? QStringLiteral("unavailable")
                                                                           : QStringLiteral("?");
            QCOMPARE(got, expected.at(row));
            if (!got.isEmpty())   // marked, in the list's own font
                QCOMPARE(font.family(), m_window->list1()->font().family());
        }
        // Added entries are checked too; the status hides at none.
        m_window->playlist().addFiles({QStringLiteral("/m/gone")});
        QTRY_COMPARE(m_window->statusBar1()->note(), QStringLiteral("缺失 3 个文件"));
        m_window->action(QStringLiteral("menuremovemissing"))->trigger();
        QCOMPARE(m_window->playlist().entries(), split("/m/a,/media/u/OUT/y,http://s/z,/m/b"));
        QCOMPARE(m_desktop.messages.texts().last(), QStringLiteral("已从列表中删除 3 个缺失的条目。"));
        QCOMPARE(m_window->statusBar1()->note(), QString());
        // A change on disk elsewhere (other tests at work) may start another
        // check meanwhile; "none" is said once the window's work is done.
        QVERIFY(waitForIdle(m_window->work()));
        m_window->action(QStringLiteral("menunextmissing"))->trigger();
        QCOMPARE(m_desktop.messages.texts().last(), QStringLiteral("没有缺失的文件。"));
        // Repeats left out of a list read share the panel.
        QTemporaryDir dir;
        QVERIFY(putBytes(dir.filePath("again.m3u"), "/m/a\n/m/gone\n/m/b\n"));
        m_window->workflow().insertlistfile(dir.filePath("again.m3u"));
        QTRY_COMPARE(m_window->statusBar1()->note(), QStringLiteral("缺失 1 个文件 · 略去 2 个重复的项"));
    }

    // An entry's tip tells what its lines say of its track, then its path.
    void tipTellsWhatIsKnown()
    {
        QTemporaryDir dir;
        QVERIFY(putBytes(dir.filePath("t.xspf"),
                         "<playlist><trackList><track><location>file:///m/a.mp3</location><title>Song</title>"
                         "<creator>Singer</creator><duration>3725000</duration></track>"
                         "<track><location>file:///m/b.mp3</location></track></trackList></playlist>"));
        m_window->workflow().openlist(dir.filePath("t.xspf"));
        const QAbstractItemModel *rows = m_window->list1()->model();
        QCOMPARE(rows->index(0, 0).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("标题：Song\n艺术家：Singer\n时长：62:05\n/m/a.mp3"));
        QCOMPARE(rows->index(1, 0).data(Qt::ToolTipRole).toString(), QStringLiteral("/m/b.mp3"));
    }

    // A save in the window reads the tags of the entries whose lines it makes,
    // then writes them beside the lines the list's file held.
    void saveReadsTagsItNeeds()
    {
        QTemporaryDir dir;
        const QString list = dir.filePath("l.m3u"), added = dir.filePath("new.mp3");
        QVERIFY(putBytes(list, "#EXTM3U\n#EXTINF:5,Kept\n/m/a.mp3\n"));
        QVERIFY(putBytes(added, "no audio"));
        m_window->workflow().openlist(list);
        m_window->playlist().addFiles({added});
        m_window->workflow().savelist();
        QCOMPARE(fileBytes(list), "#EXTM3U\n#EXTINF:5,Kept\n/m/a.mp3\n#EXTINF:-1,new\n" + added.toUtf8() + '\n');
        QVERIFY(m_window->listTags().known(added).has_value());
    }

    // A volume that comes is seen by the browser, and the list is checked again.
    void volumeChangeChecksAgain()
    {
        open("/media/u/OUT/y,/m/x");
        QCOMPARE(m_window->statusBar1()->note(), QStringLiteral("缺失 1 个文件"));
        m_probe.filled << QStringLiteral("/media/u/OUT");
        m_desktop.drives.list.append({QStringLiteral("/media/u/OUT [OUT]"), QStringLiteral("/media/u/OUT/")});
        QTRY_COMPARE_WITH_TIMEOUT(m_window->statusBar1()->note(), QStringLiteral("缺失 2 个文件"), 10000);
    }

    void nextMissing_data()
    {
        QTest::addColumn<int>("sel");
        QTest::addColumn<QString>("expected");   // selections after each command
        QTest::newRow("from nothing selected") << -1 << "1,3,1";
        QTest::newRow("from a missing one") << 1 << "3,1";
        QTest::newRow("from the last, wrapping") << 4 << "1,3";
    }
    void nextMissing()
    {
        QFETCH(int, sel);
        QFETCH(QString, expected);
        open("/m/a,/m/x,/m/b,/m/y,/media/u/OUT/z");
        m_window->playlist().selectByUser(sel);
        for (const QString &want : split(expected)) {
            m_window->action(QStringLiteral("menunextmissing"))->trigger();
            QCOMPARE(m_window->playlist().selection(), want.toInt());
            QCOMPARE(m_window->list1()->currentIndex().row(), want.toInt());
        }
    }

    // Each repair or order is undone by the window's undo, list and selection both.
    void undoRestores_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("remove missing") << "menuremovemissing";
        QTest::newRow("sort by name") << "menusortname";
        QTest::newRow("reverse") << "menusortreverse";
        QTest::newRow("shuffle") << "menusortshuffle";
    }
    void undoRestores()
    {
        QFETCH(QString, command);
        open("/m/c,/m/x,/m/a,/m/b");
        m_window->playlist().selectByUser(2);
        const QStringList before = m_window->playlist().entries();
        m_window->action(command)->trigger();
        QVERIFY(m_window->playlist().entries() != before);
        QCOMPARE(m_window->playlist().entry(m_window->playlist().selection()), QStringLiteral("/m/a"));
        QVERIFY(m_window->action(Command::Undo)->isEnabled());
        m_window->action(Command::Undo)->trigger();
        QCOMPARE(m_window->playlist().entries(), before);
        QCOMPARE(m_window->playlist().selection(), 2);
        QCOMPARE(m_window->list1()->currentIndex().row(), 2);
    }

    // Opened over a long list whose selected entry is its last visible row,
    // the bar does not cover that entry.
    void findBarKeepsTheSelectionInView()
    {
        QStringList entries;
        for (int i = 0; i < 300; ++i)
            entries << QStringLiteral("/m/%1.mp3").arg(i);
        open(entries.join(QLatin1Char(',')));
        QAbstractItemView *view = m_window->list1();
        int last = -1;
        for (int y = view->viewport()->height() - 1; y > 0 && last < 0; --y)
            last = view->indexAt(QPoint(4, y)).row();
        QVERIFY(last > 0);
        m_window->playlist().selectByUser(last);
        m_window->action(Command::FindInList)->trigger();
        FindBar *bar = m_window->findBar();
        QVERIFY(bar->isVisible());
        const QRect row = view->visualRect(view->model()->index(last, 0))
                              .translated(view->viewport()->mapTo(bar->parentWidget(), QPoint()));
        QVERIFY2(row.bottom() < bar->y() && row.top() >= 0,
                 qPrintable(QStringLiteral("row %1-%2, bar at %3").arg(row.top()).arg(row.bottom()).arg(bar->y())));
    }

    void findBar_data()
    {
        QTest::addColumn<QString>("keys");       // text typed, or "enter", "back", "esc"
        QTest::addColumn<QString>("expected");   // the selection after each
        QTest::newRow("words in any order, case ignored") << "ROCK 2" << "1";
        QTest::newRow("typing on keeps the match") << "rock, 1/" << "0,2";
        QTest::newRow("enter wraps") << "rock,enter,enter,enter" << "0,1,2,0";
        QTest::newRow("shift+enter goes back") << "rock,back,back" << "0,2,1";
        QTest::newRow("no match keeps the selection") << "jazz" << "-1";
    }
    void findBar()
    {
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        open("/music/Rock/a 1.mp3,/music/rock/b 2.mp3,/music/rock 1/c.mp3,/music/pop/d.mp3");
        m_window->playlist().selectNone();
        QTest::keyClick(m_window.get(), Qt::Key_F, Qt::ControlModifier);
        QLineEdit *text = m_window->findBar()->text();
        QVERIFY(m_window->findBar()->isVisible());
        QCOMPARE(QApplication::focusWidget(), text);
        const QStringList want = split(expected);
        const QStringList steps = split(keys);
        for (int i = 0; i < steps.size(); ++i) {
            if (steps[i] == QLatin1String("enter"))
                QTest::keyClick(text, Qt::Key_Return);
            else if (steps[i] == QLatin1String("back"))
                QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
            else
                QTest::keyClicks(text, steps[i]);
            QCOMPARE(m_window->playlist().selection(), want.at(i).toInt());
        }
        // Its controls, the clear button too, are named for screen readers.
        const QStringList unnamed = AccessibleNames::problems(m_window.get());
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral("; "))));
        QTest::keyClick(text, Qt::Key_Escape);
        QVERIFY(!m_window->findBar()->isVisible());
        QCOMPARE(QApplication::focusWidget(), m_window->list1());
    }

    void relocate()
    {
        QTemporaryDir dir;
        for (const char *name : {"new/a.mp3", "new/1/b.mp3", "new/2/b.mp3", "new/d.mp3"}) {
            QVERIFY(QDir(dir.path()).mkpath(QFileInfo(dir.filePath(QString::fromLatin1(name))).path()));
            QFile f(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const QString n = dir.filePath(QStringLiteral("new"));
        // The moved d.mp3 is in the list already: it is not offered again.
        m_probe.files << n + QStringLiteral("/d.mp3") << n + QStringLiteral("/a.mp3") << n + QStringLiteral("/2/b.mp3");
        open(QStringLiteral("/old/a.mp3,/old/b.mp3,/old/c.mp3,%1/d.mp3,/old/d.mp3").arg(n));
        QCOMPARE(marks(), QStringLiteral("missing,missing,missing,,missing"));
        m_window->playlist().selectByUser(4);
        const QStringList before = m_window->playlist().entries();
        m_dialogs.folders = {n};
        m_dialogs.choices = {1};
        m_window->action(QStringLiteral("menurelocate"))->trigger();
        QVERIFY(waitForIdle(m_window->work()));
        QCOMPARE(m_dialogs.asked.size(), 1);
        QCOMPARE(m_dialogs.asked[0].entry, QStringLiteral("/old/b.mp3"));
        QCOMPARE(m_dialogs.asked[0].number, 1);
        QCOMPARE(m_dialogs.asked[0].count, 1);
        QCOMPARE(m_window->playlist().entries(),
                 split(QStringLiteral("%1/a.mp3,%1/2/b.mp3,/old/c.mp3,%1/d.mp3,/old/d.mp3").arg(n)));
        QCOMPARE(m_window->playlist().selection(), 4);
        QCOMPARE(m_desktop.messages.texts().value(0), QStringLiteral("找到 1 个文件，选择了 1 个，仍缺失 2 个。"));
        // The entries found are no longer marked, nor counted.
        QCOMPARE(m_window->statusBar1()->note(), QStringLiteral("缺失 2 个文件"));
        QCOMPARE(marks(), QStringLiteral(",,missing,,missing"));
        m_window->action(Command::Undo)->trigger();
        QCOMPARE(m_window->playlist().entries(), before);
        QCOMPARE(m_window->playlist().selection(), 4);
        QVERIFY(waitForIdle(m_window->work()));
        QCOMPARE(m_window->statusBar1()->note(), QStringLiteral("缺失 4 个文件"));

        // Cancel at a choice applies nothing.
        m_dialogs.folders = {n};
        m_dialogs.choices = {RepairDialogs::Cancel};
        m_window->action(QStringLiteral("menurelocate"))->trigger();
        QVERIFY(waitForIdle(m_window->work()));
        QCOMPARE(m_window->playlist().entries(), before);
        // An edit while the folder is read: the files found are matched
        // with the list as it is when they land.
        m_desktop.messages = FakeMessageBox();
        m_dialogs.asked.clear();
        m_dialogs.folders = {n};
        m_dialogs.choices = {0};
        m_window->action(QStringLiteral("menurelocate"))->trigger();
        m_window->playlist().selectByUser(0);
        m_window->playlist().deleteentry();   // before the walk has landed
        QVERIFY(waitForIdle(m_window->work()));
        QCOMPARE(m_dialogs.asked.size(), 1);
        QCOMPARE(m_window->playlist().entries(),
                 split(QStringLiteral("%1/1/b.mp3,/old/c.mp3,%1/d.mp3,/old/d.mp3").arg(n)));
        QCOMPARE(m_desktop.messages.texts().value(0), QStringLiteral("找到 0 个文件，选择了 1 个，仍缺失 2 个。"));
    }

    // The choice among files of one name, in the real dialog: the row
    // chosen, a skip, or a cancel (also by Escape, which must not count as
    // a choice); the dialog has the window's title for its questions.
    void repairFileChoice_data()
    {
        QTest::addColumn<QString>("button");   // a button's name, or "escape"
        QTest::addColumn<int>("expected");
        QTest::newRow("choose the second") << "choose" << 1;
        QTest::newRow("skip") << "skip" << RepairDialogs::Skip;
        QTest::newRow("skip all") << "skipall" << RepairDialogs::SkipAll;
        QTest::newRow("cancel") << "cancel" << RepairDialogs::Cancel;
        QTest::newRow("escape") << "escape" << RepairDialogs::Cancel;
    }
    void repairFileChoice()
    {
        QFETCH(QString, button);
        QFETCH(int, expected);
        QString title, caption;
        QStringList problems;
        whenModalShows([button, &title, &caption, &problems](QWidget *modal) {
            title = modal->windowTitle();
            caption = modal->findChild<QLabel *>(QStringLiteral("choosefilecaption"))->text();
            problems = AccessibleNames::problems(modal);
            for (const QAbstractButton *b : modal->findChildren<QAbstractButton *>()) {
                if (!b->text().contains(QLatin1Char('&')))
                    problems << b->text() + QStringLiteral(" has no access key");
            }
            modal->findChild<QListWidget *>(QStringLiteral("candidates"))->setCurrentRow(1);
            if (button == QLatin1String("escape"))
                QTest::keyClick(modal, Qt::Key_Escape);
            else
                modal->findChild<QAbstractButton *>(button)->click();
        });
        QtRepairDialogs dialogs(m_window.get());
        const QStringList candidates = {QStringLiteral("/n/1/a.mp3"), QStringLiteral("/n/2/a.mp3")};
        QCOMPARE(dialogs.chooseFile(QStringLiteral("/old/a.mp3"), candidates, 2, 5), expected);
        QCOMPARE(title, QStringLiteral("提示"));
        QCOMPARE(caption, QStringLiteral("以下哪个文件是“/old/a.mp3”？（第 2 个，共 5 个）"));
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
    }

    // A list changed while the new paths are counted: nothing is asked,
    // nothing replaced, and undo still takes back the change itself.
    void replacePrefixAfterAnEdit()
    {
        open("/old/a,/old/b,/other/c");
        m_dialogs.prefixes = {{QStringLiteral("/old"), QStringLiteral("/m")}};
        m_desktop.messages.answers = {true};
        m_window->action(QStringLiteral("menureplaceprefix"))->trigger();
        m_window->playlist().selectByUser(2);
        m_window->playlist().deleteentry();   // before the count has landed
        QVERIFY(waitForIdle(m_window->work()));
        QCOMPARE(m_desktop.messages.texts(), QStringList());
        QCOMPARE(m_window->playlist().entries(), split("/old/a,/old/b"));
        m_window->action(Command::Undo)->trigger();
        QCOMPARE(m_window->playlist().entries(), split("/old/a,/old/b,/other/c"));
    }

    void replacePrefix_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("replaced") << true << "/m/a,/m/b,/m/x,/other/c";
        QTest::newRow("answered no") << false << "/old/a,/old/b,/old/x,/other/c";
    }
    void replacePrefix()
    {
        QFETCH(bool, yes);
        QFETCH(QString, expected);
        open("/old/a,/old/b,/old/x,/other/c");
        m_dialogs.prefixes = {{QStringLiteral("/old"), QStringLiteral("/m")}};
        m_desktop.messages.answers = {yes};
        m_window->action(QStringLiteral("menureplaceprefix"))->trigger();
        QCOMPARE(m_dialogs.suggestedPrefix.from, QStringLiteral("/old"));
        QVERIFY(waitForIdle(m_window->work()));
        QCOMPARE(m_desktop.messages.texts().value(0),
                 QStringLiteral("将改变 3 个文件的路径，改变后其中 2 个文件存在。\n是否替换？"));
        QCOMPARE(m_window->playlist().entries(), split(expected));
        QCOMPARE(m_window->action(Command::Undo)->isEnabled(), yes);
        // The count and the marks follow the new paths.
        QVERIFY(waitForIdle(m_window->work()));
        QCOMPARE(m_window->statusBar1()->note(), QStringLiteral("缺失 %1 个文件").arg(yes ? 2 : 4));
        QCOMPARE(marks(), yes ? QStringLiteral(",,missing,missing") : QStringLiteral("missing,missing,missing,missing"));
    }

private:
    // Each row's mark: "", "missing" or "unavailable", joined by commas.
    QString marks() const
    {
        QStringList got;
        const QAbstractItemModel *rows = m_window->list1()->model();
        for (int row = 0; row < rows->rowCount(); ++row) {
            const QModelIndex index = rows->index(row, 0);
            const QFont font = index.data(Qt::FontRole).value<QFont>();
            got << (!index.data(Qt::ForegroundRole).isValid() ? QString()
                    : font.strikeOut()                         ? QStringLiteral("missing")
                    : font.italic()                            ? QStringLiteral("unavailable")
                                                               : QStringLiteral("?"));
        }
        return got.join(QLatin1Char(','));
    }

    // Opens a list as the open command would, and waits for its check.
    void open(const QString &entries)
    {
        m_window->playlist().replaceEntries(split(entries));
        QVERIFY(waitForIdle(m_window->work()));
    }

    DesktopFakes m_desktop;
    FakeFileProbe m_probe;
    FakeRepairDialogs m_dialogs;
    std::unique_ptr<AuxWindows> m_aux;
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(ListToolsTest)
#include "tst_list_tools.moc"
