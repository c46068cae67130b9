#include "main_window/workflow/list_file_workflow.h"
#include "main_window/workflow/save_tags.h"
#include "model/playlist.h"
#include "model/window_state.h"
#include "platform/fakes/fake_file_dialog.h"
#include "platform/fakes/fake_message_box.h"
#include "tests/common/test_files.h"

#include <QDir>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <numeric>

// Lists as other programs write them come back with every line they held:
// unchanged, or with only what an edit touched changed.
class LosslessListsTest : public QObject {
    Q_OBJECT
private slots:
    void editsChangeOnlyWhatTheyEdit_data();
    void editsChangeOnlyWhatTheyEdit();
    void newLinesTakeTheirTags();
};

namespace {

QByteArray lines(std::initializer_list<const char *> parts, const char *end)
{
    QByteArray out;
    for (const char *part : parts)
        out += QByteArray(part) + end;
    return out;
}

const QByteArray vlc = lines({"#EXTM3U", "#EXTINF:215,Artist A - Song A", "#EXTVLCOPT:network-caching=1000", "/m/a.mp3",
                              "#EXTINF:180,Artist B - Song B", "/m/b.mp3", "#EXTINF:-1,Song C", "/m/c.mp3"},
                             "\n");
const QByteArray vlcA = "#EXTINF:215,Artist A - Song A\n#EXTVLCOPT:network-caching=1000\n/m/a.mp3\n";
const QByteArray vlcB = "#EXTINF:180,Artist B - Song B\n/m/b.mp3\n";
const QByteArray vlcC = "#EXTINF:-1,Song C\n/m/c.mp3\n";

const QByteArray iptvHead = "#EXTM3U x-tvg-url=\"http://e/g.xml\"\r\n";
const QByteArray iptvOne = "#EXTINF:-1 tvg-id=\"one\" group-title=\"News, World\",One\r\n#EXTGRP:News\r\nhttp://s/1.m3u8\r\n";
const QByteArray iptvTwo = "#EXTINF:-1 tvg-id=\"two\" group-title=\"Film\",Two\r\nhttp://s/2.m3u8\r\n";
const QByteArray iptvEnd = "# end of list\r\n";

const QByteArray winamp = lines({"[playlist]", "File1=/m/a.mp3", "Title1=Song A", "Length1=215", "File2=/m/b.mp3",
                                 "Title2=Song B", "Length2=180", "NumberOfEntries=2", "Version=2"},
                                "\r\n");

const QByteArray xspfHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                            "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\" xmlns:vlc=\"http://www.videolan.org/vlc/playlist/ns/0/\">\n"
                            "  <title>Mix</title>\n  <trackList>";
const QByteArray xspfA = "\n    <track>\n      <location>file:///m/a.mp3</location>\n      <title>Song A</title>\n"
                         "      <creator>Artist A</creator>\n      <duration>215000</duration>\n"
                         "      <extension application=\"http://www.videolan.org/vlc/playlist/0\"><vlc:id>0</vlc:id></extension>\n"
                         "    </track>";
const QByteArray xspfB = "\n    <track>\n      <location>file:///m/b.mp3</location>\n      <title>Song &amp; B</title>\n    </track>";
const QByteArray xspfTail = "\n  </trackList>\n  <extension application=\"http://www.videolan.org/vlc/playlist/0\">"
                            "<vlc:item tid=\"0\"/></extension>\n</playlist>\n";

const QByteArray program = "#EXTINF:/m/a.mp3\r\n/m/a.mp3\r\n#EXTINF:/m/b.mp3\r\n/m/b.mp3\r\n";

QByteArray gb(const char *text)
{
    return QStringEncoder("GB18030").encode(QString::fromUtf8(text));
}

} // namespace

// Steps: "same" (saved as read), "move" (the second entry up), "delete" (the
// second), "undo" (a delete undone), "reverse", "relocate" (the first to
// /n/), "add" (/m/new.mp3 at the end), "insert" (ins.* of the same type),
// "add after the second" (/m/new.mp3 there), "as X" (saved as the other
// name X, whose folder is made first).
void LosslessListsTest::editsChangeOnlyWhatTheyEdit_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray vlcNew = "#EXTINF:-1,new\n/m/new.mp3\n";
    QTest::newRow("vlc same") << "l.m3u" << vlc << "same" << vlc;
    QTest::newRow("vlc move") << "l.m3u" << vlc << "move" << "#EXTM3U\n" + vlcB + vlcA + vlcC;
    QTest::newRow("vlc delete") << "l.m3u" << vlc << "delete" << "#EXTM3U\n" + vlcA + vlcC;
    QTest::newRow("vlc undo") << "l.m3u" << vlc << "undo" << vlc;
    QTest::newRow("vlc reverse") << "l.m3u" << vlc << "reverse" << "#EXTM3U\n" + vlcC + vlcB + vlcA;
    QTest::newRow("vlc relocate") << "l.m3u" << vlc << "relocate"
                                  << "#EXTM3U\n" + QByteArray(vlcA).replace("/m/a", "/n/a") + vlcB + vlcC;
    QTest::newRow("vlc add") << "l.m3u" << vlc << "add" << vlc + vlcNew;
    QTest::newRow("vlc insert") << "l.m3u" << vlc << "insert" << vlc + "#EXTINF:100,I\n/m/i.mp3\n";
    QTest::newRow("vlc as pls") << "l.m3u" << vlc << "as l.pls"
                                << lines({"[playlist]", "File1=/m/a.mp3", "Title1=Artist A - Song A", "Length1=215",
                                          "File2=/m/b.mp3", "Title2=Artist B - Song B", "Length2=180", "File3=/m/c.mp3",
                                          "Title3=Song C", "Length3=-1", "NumberOfEntries=3", "Version=2"},
                                         "\n");
    QTest::newRow("vlc as xspf") << "l.m3u" << vlc << "as l.xspf"
                                 << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" "
                                    "xmlns=\"http://xspf.org/ns/0/\">\n  <trackList>\n    <track>\n      "
                                    "<location>file:///m/a.mp3</location>\n      <title>Artist A - Song A</title>\n"
                                    "      <duration>215000</duration>\n    </track>\n    <track>\n      "
                                    "<location>file:///m/b.mp3</location>\n      <title>Artist B - Song B</title>\n"
                                    "      <duration>180000</duration>\n    </track>\n    <track>\n      "
                                    "<location>file:///m/c.mp3</location>\n      <title>Song C</title>\n    </track>\n"
                                    "  </trackList>\n</playlist>\n");

    const QByteArray iptv = iptvHead + iptvOne + iptvTwo + iptvEnd;
    QTest::newRow("iptv same") << "tv.m3u" << iptv << "same" << iptv;
    QTest::newRow("iptv move") << "tv.m3u" << iptv << "move" << iptvHead + iptvTwo + iptvOne + iptvEnd;
    QTest::newRow("iptv add before the trailing lines")
        << "tv.m3u" << iptv << "add" << iptvHead + iptvOne + iptvTwo + "#EXTINF:-1,new\r\n/m/new.mp3\r\n" + iptvEnd;
    QTest::newRow("iptv as pls keeps the names")
        << "tv.m3u" << iptv << "as tv.pls"
        << lines({"[playlist]", "File1=http://s/1.m3u8", "Title1=One", "Length1=-1", "File2=http://s/2.m3u8",
                  "Title2=Two", "Length2=-1", "NumberOfEntries=2", "Version=2"},
                 "\r\n");

    QTest::newRow("winamp same") << "w.pls" << winamp << "same" << winamp;
    QTest::newRow("winamp move") << "w.pls" << winamp << "move"
                                 << lines({"[playlist]", "File1=/m/b.mp3", "Title1=Song B", "Length1=180",
                                           "File2=/m/a.mp3", "Title2=Song A", "Length2=215", "NumberOfEntries=2",
                                           "Version=2"},
                                          "\r\n");
    QTest::newRow("winamp delete") << "w.pls" << winamp << "delete"
                                   << lines({"[playlist]", "File1=/m/a.mp3", "Title1=Song A", "Length1=215",
                                             "NumberOfEntries=1", "Version=2"},
                                            "\r\n");
    QTest::newRow("winamp add") << "w.pls" << winamp << "add"
                                << lines({"[playlist]", "File1=/m/a.mp3", "Title1=Song A", "Length1=215",
                                          "File2=/m/b.mp3", "Title2=Song B", "Length2=180", "File3=/m/new.mp3",
                                          "Title3=new", "Length3=-1", "NumberOfEntries=3", "Version=2"},
                                         "\r\n");
    QTest::newRow("winamp relocate") << "w.pls" << winamp << "relocate" << QByteArray(winamp).replace("/m/a", "/n/a");
    QTest::newRow("winamp undo") << "w.pls" << winamp << "undo" << winamp;
    QTest::newRow("winamp as m3u") << "w.pls" << winamp << "as w.m3u"
                                   << lines({"#EXTM3U", "#EXTINF:215,Song A", "/m/a.mp3", "#EXTINF:180,Song B", "/m/b.mp3"},
                                            "\r\n");
    const QByteArray grouped = lines({"[playlist]", "NumberOfEntries=2", "File1=/m/a.mp3", "File3=/m/c.mp3",
                                      "Title1=A", "Title3=C", "Title7=stray"},
                                     "\n");
    QTest::newRow("grouped with holes, same") << "g.pls" << grouped << "same" << grouped;
    QTest::newRow("grouped with holes, move")
        << "g.pls" << grouped << "move"
        << lines({"[playlist]", "NumberOfEntries=2", "File1=/m/c.mp3", "File2=/m/a.mp3", "Title1=C", "Title2=A",
                  "Title7=stray"},
                 "\n");

    const QByteArray xspf = xspfHead + xspfA + xspfB + xspfTail;
    QTest::newRow("xspf same") << "x.xspf" << xspf << "same" << xspf;
    QTest::newRow("xspf move") << "x.xspf" << xspf << "move" << xspfHead + xspfB + xspfA + xspfTail;
    QTest::newRow("xspf delete") << "x.xspf" << xspf << "delete" << xspfHead + xspfA + xspfTail;
    QTest::newRow("xspf relocate") << "x.xspf" << xspf << "relocate"
                                   << xspfHead + QByteArray(xspfA).replace("/m/a", "/n/a") + xspfB + xspfTail;
    QTest::newRow("xspf add") << "x.xspf" << xspf << "add"
                              << xspfHead + xspfA + xspfB
                                     + "\n    <track>\n      <location>file:///m/new.mp3</location>\n    </track>"
                                     + xspfTail;
    // A made track takes its neighbour's blanks: none in a list written on one line.
    const QByteArray oneLine = "<?xml version=\"1.0\"?><playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><trackList>"
                               "<track><location>file:///m/a.mp3</location></track>"
                               "<track><location>file:///m/b.mp3</location></track></trackList></playlist>";
    QTest::newRow("one-line xspf add")
        << "o.xspf" << oneLine << "add"
        << QByteArray(oneLine).replace("</trackList>", "<track><location>file:///m/new.mp3</location></track></trackList>");
    const QByteArray tabbed = "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\r\n<trackList>\r\n"
                              "\t<track>\r\n\t\t<location>file:///m/a.mp3</location>\r\n\t</track>\r\n</trackList>\r\n</playlist>\r\n";
    QTest::newRow("tab-indented xspf add")
        << "t.xspf" << tabbed << "add"
        << QByteArray(tabbed).replace("\t</track>", "\t</track>\r\n\t<track>\r\n\t\t<location>file:///m/new.mp3</location>\r\n\t</track>");
    QTest::newRow("xspf as m3u") << "x.xspf" << xspf << "as x.m3u"
                                 << lines({"#EXTM3U", "#EXTINF:215,Artist A - Song A", "/m/a.mp3", "#EXTINF:-1,Song & B",
                                           "/m/b.mp3"},
                                          "\n");

    const QByteArray bare = "/m/a.mp3\n/m/b.mp3\n/m/c.mp3";
    QTest::newRow("bare same, no last line end") << "b.m3u" << bare << "same" << bare;
    QTest::newRow("bare reverse") << "b.m3u" << bare << "reverse" << QByteArray("/m/c.mp3\n/m/b.mp3\n/m/a.mp3\n");
    QTest::newRow("bare add") << "b.m3u" << bare << "add" << bare + "\n/m/new.mp3\n";
    QTest::newRow("bare insert of another program's lines") << "b.m3u" << bare << "insert"
                                                             << bare + "\n#EXTINF:100,I\n/m/i.mp3\n";

    // A new entry looks like the kept one before it, whatever the others look like.
    const QByteArray extendedBare = "#EXTM3U\n#EXTINF:215,A\n/m/a.mp3\n/m/b.mp3\n#EXTINF:1,C\n/m/c.mp3\n";
    QTest::newRow("added after a bare entry, between extended ones")
        << "eb.m3u" << extendedBare << "add after the second"
        << QByteArray("#EXTM3U\n#EXTINF:215,A\n/m/a.mp3\n/m/b.mp3\n/m/new.mp3\n#EXTINF:1,C\n/m/c.mp3\n");
    const QByteArray bareExtended = "/m/a.mp3\n#EXTINF:180,B\n/m/b.mp3\n/m/c.mp3\n";
    QTest::newRow("added after an extended entry, between bare ones")
        << "be.m3u" << bareExtended << "add after the second"
        << QByteArray("/m/a.mp3\n#EXTINF:180,B\n/m/b.mp3\n#EXTINF:-1,new\n/m/new.mp3\n/m/c.mp3\n");

    // Relative paths are relative to the file's own folder, wherever it goes.
    const QByteArray relativePls = lines({"[playlist]", "File1=a.mp3", "Title1=A", "File2=sub/b.mp3", "File3=/m/c.mp3",
                                          "NumberOfEntries=3", "Version=2"},
                                         "\r\n");
    QTest::newRow("relative pls as read, saved into another folder")
        << "r.pls" << relativePls << "as lists/r.pls"
        << lines({"[playlist]", "File1=../a.mp3", "Title1=A", "File2=../sub/b.mp3", "File3=/m/c.mp3",
                  "NumberOfEntries=3", "Version=2"},
                 "\r\n");
    QTest::newRow("relative pls as read, saved beside itself") << "r.pls" << relativePls << "as s.pls" << relativePls;

    const QByteArray cr = "#EXTM3U\r#EXTINF:215,A - B\r/m/a.mp3\r#EXTINF:1,C\r/m/b.mp3\r";
    QTest::newRow("cr line ends, add") << "cr.m3u" << cr << "add" << cr + "#EXTINF:-1,new\r/m/new.mp3\r";

    QTest::newRow("program's own same") << "p.m3u" << program << "same" << program;
    QTest::newRow("program's own add") << "p.m3u" << program << "add"
                                       << program + "#EXTINF:/m/new.mp3\r\n/m/new.mp3\r\n";
    QTest::newRow("program's own relocate")
        << "p.m3u" << program << "relocate" << QByteArray(program).replace("/m/a", "/n/a");
    QTest::newRow("program's own as pls") << "p.m3u" << program << "as p.pls"
                                          << QByteArray("[Playlist]\r\nNumberOfEntries=2\r\nFile1=/m/a.mp3\r\nFile2=/m/b.mp3\r\n");

    const QByteArray bom = "\xEF\xBB\xBF" "#EXTM3U\r\n#EXTINF:1,甲\r\n/m/甲.mp3\r\n/m/b.mp3\r\n";
    QTest::newRow("bom same") << "u.m3u" << bom << "same" << bom;
    QTest::newRow("bom move") << "u.m3u" << bom << "move"
                              << QByteArray("\xEF\xBB\xBF" "#EXTM3U\r\n/m/b.mp3\r\n#EXTINF:1,甲\r\n/m/甲.mp3\r\n");
    const QByteArray chinese = gb("#EXTINF:1,月亮\r\n/音乐/月亮.mp3\r\n/音乐/甜.mp3\r\n");
    QTest::newRow("gb18030 same") << "c.m3u" << chinese << "same" << chinese;
    QTest::newRow("gb18030 move") << "c.m3u" << chinese << "move" << gb("/音乐/甜.mp3\r\n#EXTINF:1,月亮\r\n/音乐/月亮.mp3\r\n");
    QTest::newRow("gb18030 as m3u8") << "c.m3u" << chinese << "as c.m3u8"
                                     << QString("#EXTINF:1,月亮\r\n/音乐/月亮.mp3\r\n/音乐/甜.mp3\r\n").toUtf8();
}

void LosslessListsTest::editsChangeOnlyWhatTheyEdit()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, step);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    Playlist list(PathRules::posix());
    WindowState state(list);
    FakeMessageBox box;
    FakeFileDialog dialog;
    ListFileWorkflow flow(state, list, box, dialog);
    const QString file = dir.filePath(name);
    QVERIFY(putBytes(file, content));
    const QString suffix = name.section(u'.', -1);
    const QByteArray inserted = suffix == u"pls" ? QByteArray("[playlist]\nFile1=/m/i.mp3\nTitle1=I\n")
                                : suffix == u"xspf"
                                    ? QByteArray("<playlist><trackList><track><location>/m/i.mp3</location></track></trackList></playlist>")
                                    : QByteArray("#EXTM3U\n#EXTINF:100,I\n/m/i.mp3\n");
    QVERIFY(putBytes(dir.filePath("ins." + suffix), inserted));

    flow.openlist(file);
    QVERIFY(box.shown.isEmpty());
    if (step == u"move") {
        list.selectByUser(1);
        list.moveup();
    } else if (step == u"delete") {
        list.selectByUser(1);
        list.deleteentry();
    } else if (step == u"undo") {
        list.selectByUser(1);
        list.deleteentry();
        list.undo();
    } else if (step == u"reverse") {
        QList<int> order(list.count());
        std::iota(order.rbegin(), order.rend(), 0);
        list.reorder(order);
    } else if (step == u"relocate") {
        list.changePaths({{0, QString(list.entry(0)).replace(QStringLiteral("/m/"), QStringLiteral("/n/"))}});
    } else if (step == u"add") {
        list.selectNone();
        list.addFiles({QStringLiteral("/m/new.mp3")});
    } else if (step == u"add after the second") {
        list.selectByUser(1);
        list.addFiles({QStringLiteral("/m/new.mp3")});
    } else if (step == u"insert") {
        flow.insertlistfile(dir.filePath("ins." + suffix));
    }
    if (step.startsWith(u"as ")) {
        dialog.names << dir.filePath(step.mid(3));
        QVERIFY(QDir().mkpath(QFileInfo(dialog.names.last()).path()));
        flow.saveaslist();
    } else {
        flow.savelist();
    }
    QCOMPARE(box.shown.size(), step.startsWith(u"as ") ? 0 : 1);   // "列表已经保存为…!" after a save in place
    QCOMPARE(fileBytes(step.startsWith(u"as ") ? dir.filePath(step.mid(3)) : file), expected);
}

namespace {
struct FakeSaveTags : SaveTags {
    std::optional<QList<TrackTags>> tagsFor(const QStringList &paths) override
    {
        asked << paths;
        if (cancel)
            return std::nullopt;
        return QList<TrackTags>(paths.size(), TrackTags{"Singer", "Song", 200, 200000, {}});
    }
    QStringList asked;
    bool cancel = false;
};
} // namespace

// A save asks the tags of the entries whose lines it makes, those only; when
// the user cancels the reading, nothing is written and the list stays changed.
void LosslessListsTest::newLinesTakeTheirTags()
{
    for (const bool cancel : {false, true}) {
        QTemporaryDir dir;
        Playlist list(PathRules::posix());
        WindowState state(list);
        FakeMessageBox box;
        FakeFileDialog dialog;
        FakeSaveTags tags;
        tags.cancel = cancel;
        ListFileWorkflow flow(state, list, box, dialog, &tags);
        QVERIFY(putBytes(dir.filePath("l.m3u"), vlc));
        flow.openlist(dir.filePath("l.m3u"));
        list.selectByUser(0);
        list.addFiles({QStringLiteral("/m/new.mp3")});
        QCOMPARE(flow.pathsWantingTags(), QStringList{"/m/new.mp3"});
        flow.savelist();
        QCOMPARE(tags.asked, QStringList{"/m/new.mp3"});
        QCOMPARE(fileBytes(dir.filePath("l.m3u")),
                 cancel ? vlc : "#EXTM3U\n" + vlcA + "#EXTINF:200,Singer - Song\n/m/new.mp3\n" + vlcB + vlcC);
        QCOMPARE(box.shown.size(), cancel ? 0 : 1);
        QCOMPARE(state.listChanged(), cancel);
    }
}

QTEST_GUILESS_MAIN(LosslessListsTest)
#include "tst_lossless_lists.moc"
