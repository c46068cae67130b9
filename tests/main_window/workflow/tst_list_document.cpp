// The open list's record: what it holds after opens and inserts, and when it
// differs from its file.
#include "platform/fakes/fake_file_dialog.h"
#include "platform/fakes/fake_message_box.h"
#include "main_window/workflow/list_file_workflow.h"
#include "model/playlist.h"
#include "model/window_state.h"
#include "tests/common/test_files.h"
#include "tests/common/workflow_rig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kList = "#EXTM3U\n#EXTINF:10,A\n/m/a.mp3\n#EXTINF:20,B\n/m/b.mp3\n#EXTINF:30,C\n/m/c.mp3\n";
const QByteArray kOther = "[playlist]\nFile1=/m/x.mp3\nTitle1=X\nLength1=40\nNumberOfEntries=1\n";

struct Rig : WorkflowRig {
    Rig()
    {
        putBytes(path("a.m3u"), kList);
        putBytes(path("b.pls"), kOther);
    }

    // One step of a user's session, as the table spells it.
    void run(const QString &step)
    {
        const QStringList part = step.split(u':');
        const QString &what = part.at(0);
        if (what == "open")
            flow.openlist(path("a.m3u"));
        else if (what == "insert")
            flow.insertlistfile(path(part.value(1, "b.pls")));
        else if (what == "select")
            list.selectByUser(part.at(1).toInt());
        else if (what == "del")
            list.deleteentry();
        else if (what == "up")
            list.moveup();
        else if (what == "down")
            list.movedown();
        else if (what == "top")
            list.movetotop();
        else if (what == "bottom")
            list.movetobottom();
        else if (what == "drag") {
            list.selectByUser(part.at(1).toInt());
            list.leftButtonPressed();
            list.selectByUser(part.at(2).toInt());
            list.leftButtonReleased();
        } else if (what == "undo")
            list.undo();
        else if (what == "add")
            list.addFiles({"/m/new.mp3"});
        else if (what == "before")
            list.setInsertBeforeMode();
        else if (what == "save")
            flow.savelist();
        else if (what == "blocked") {   // the list's file becomes a folder: saves fail
            QFile::remove(path("a.m3u"));
            QDir(dir.path()).mkdir("a.m3u");
        } else if (what == "new")
            flow.newlist();
        else
            QFAIL(qPrintable("no such step: " + step));
    }

};

} // namespace

class ListDocumentTest : public QObject {
    Q_OBJECT
private slots:
    void unsaved_data();
    void unsaved();
    void formOfTheFile_data();
    void formOfTheFile();
    void filesAndTheirPlaces();
};

// Every change of the entries and every insert make the document differ from
// its file, those the change flag passes over too; open, New and a save that
// wrote it make it match again.
void ListDocumentTest::unsaved_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("unsaved");
    QTest::newRow("opened") << QStringList{"open"} << false;
    QTest::newRow("selection alone") << QStringList{"open", "select:1"} << false;
    QTest::newRow("insert mode") << QStringList{"open", "before"} << false;
    QTest::newRow("delete") << QStringList{"open", "select:1", "del"} << true;
    QTest::newRow("move up") << QStringList{"open", "select:1", "up"} << true;
    QTest::newRow("move down") << QStringList{"open", "select:1", "down"} << true;
    QTest::newRow("to the top") << QStringList{"open", "top"} << true;
    QTest::newRow("to the bottom") << QStringList{"open", "select:0", "bottom"} << true;
    QTest::newRow("drag") << QStringList{"open", "drag:0:2"} << true;
    QTest::newRow("file added") << QStringList{"open", "add"} << true;
    QTest::newRow("insert") << QStringList{"open", "insert"} << true;
    QTest::newRow("insert of nothing new") << QStringList{"open", "insert", "save", "insert"} << true;
    QTest::newRow("insert of a missing file") << QStringList{"open", "insert:gone.m3u"} << false;
    QTest::newRow("saved") << QStringList{"open", "del", "save"} << false;
    QTest::newRow("undo after a save") << QStringList{"open", "select:1", "del", "save", "undo"} << true;
    QTest::newRow("save that failed") << QStringList{"open", "del", "blocked", "save"} << true;
    QTest::newRow("new") << QStringList{"open", "del", "new"} << false;
    QTest::newRow("opened again") << QStringList{"open", "del", "open"} << false;
}

void ListDocumentTest::unsaved()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, unsaved);
    Rig rig;
    for (const QString &step : steps)
        rig.run(step);
    QCOMPARE(rig.flow.document().unsaved, unsaved);
}

// The record holds the form of the file opened, its encoding by name.
void ListDocumentTest::formOfTheFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<bool>("mark");
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::newRow("UTF-8, LF") << QByteArray("/m/a.mp3\n") << "UTF-8" << false << QByteArray("\n");
    QTest::newRow("UTF-8 marked, CR LF") << QByteArray("\xEF\xBB\xBF/m/a.mp3\r\n") << "UTF-8" << true
                                         << QByteArray("\r\n");
    QTest::newRow("GB18030") << QByteArray("/m/\xB8\xE8.mp3\r\n") << "GB18030" << false << QByteArray("\r\n");
}

void ListDocumentTest::formOfTheFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, encoding);
    QFETCH(bool, mark);
    QFETCH(QByteArray, lineEnd);
    Rig rig;
    QVERIFY(putBytes(rig.path("l.m3u"), bytes));
    rig.flow.openlist(rig.path("l.m3u"));
    const ListDocument &doc = rig.flow.document();
    QCOMPARE(doc.path, rig.path("l.m3u"));
    QCOMPARE(doc.type, PlaylistType::M3u);
    QCOMPARE(doc.form.encoding, encoding);
    QCOMPARE(doc.form.byteOrderMark, mark);
    QCOMPARE(doc.form.lineEnd, lineEnd);
    QCOMPARE(rig.flow.form().encoding, textEncodingNamed(encoding, mark).value());
}

// Entries name their file by its place among the document's files, through
// an insert, a delete and its undo; a save writes each from its own file.
void ListDocumentTest::filesAndTheirPlaces()
{
    Rig rig;
    rig.run("open");
    rig.run("insert");
    const ListDocument &doc = rig.flow.document();
    QCOMPARE(doc.files.size(), 2);
    QCOMPARE(doc.listFile, 0);
    QCOMPARE(doc.listFileEntries, 3);
    const QList<int> places{0, 0, 0, 1};
    const auto placesNow = [&] {
        QList<int> now;
        for (int i = 0; i < rig.list.count(); ++i)
            now.append(rig.list.lines(i).file);
        return now;
    };
    QCOMPARE(placesNow(), places);
    QCOMPARE(doc.fileOf(rig.list.lines(3))->type, PlaylistType::Pls);
    rig.run("select:3");
    rig.run("del");
    rig.run("undo");
    QCOMPARE(rig.list.entries().last(), QStringLiteral("/m/x.mp3"));
    QCOMPARE(placesNow(), places);
    rig.run("save");
    QCOMPARE(fileBytes(rig.path("a.m3u")), kList + "#EXTINF:40,X\n/m/x.mp3\n");
    rig.run("new");
    QVERIFY(doc.files.isEmpty());
    QCOMPARE(doc.listFile, -1);
    QVERIFY(doc.path.isEmpty());
}

QTEST_GUILESS_MAIN(ListDocumentTest)
#include "tst_list_document.moc"
