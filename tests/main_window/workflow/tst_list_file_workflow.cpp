#include "platform/fakes/fake_file_dialog.h"
#include "platform/fakes/fake_message_box.h"
#include "main_window/workflow/list_file_workflow.h"
#include "model/playlist.h"
#include "model/window_state.h"
#include "playlist_io/playlist_reader.h"
#include "playlist_io/playlist_writer.h"
#include "tests/common/small_disk.h"
#include "tests/common/test_files.h"
#include "tests/common/workflow_rig.h"
#ifdef Q_OS_UNIX
#include "tests/platform/child_process.h"
#endif

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const QString kAsk = QStringLiteral("列表内容已改变!是否保存？");
const QString kMissing = QStringLiteral("文件不存在！");
const QString kFailed = QStringLiteral("未知错误!");
const QString kEmpty = QStringLiteral("列表不能为空!");
const QString kUnreadable = QStringLiteral("该文件无法读取！");
const QString kOnlyPlaylists = QStringLiteral("只能打开M3U或PLS播放列表文件！");
const QString kNamed = QStringLiteral("当前列表名:");
const QString kUnnamed = QStringLiteral("当前列表未命名");
const QString kUnnamedTitle = QStringLiteral("Melvora—— 未命名");

// A failure's message: the program's line, then the file ("%1") and why.
QString failedBecause(const char *reason)
{
    return kFailed + QStringLiteral("\n无法写入“%1”：") + QString::fromUtf8(reason);
}
QString unreadableBecause(const char *reason)
{
    return kUnreadable + QStringLiteral("\n无法读取“%1”：") + QString::fromUtf8(reason);
}

} // namespace

// One main window's worth of state, answered through the fakes, in a scratch folder.
struct Rig : WorkflowRig {
    explicit Rig(PathRules rules = PathRules::posix()) : WorkflowRig(rules)
    {
        box.answers.clear();
    }
    QString label(Label which) const { return state.label(which); }
    // A list as if the user had added the entries (changed, nothing selected).
    void fill(const QStringList &entries)
    {
        state.insertEntries(entries);
        list.selectNone();
    }
    // A list read from and named after `name` (a file of one full path,
    // "/old"), unchanged since: opened through the workflow, its entries then
    // as the rules spell them.
    void named(const QString &name, const QStringList &entries)
    {
        QVERIFY(putBytes(path(name), "/old\r\n"));
        flow.openlist(path(name));
        state.replaceWith(entries, path(name));
    }
    // The list as it is, marked as changed by an edit.
    void markChanged() { state.insertEntries({}); }

};

class ListFileWorkflowTest : public QObject {
    Q_OBJECT
private slots:
    void newlist_data();
    void newlist();
    void openlist();
    void openlistFailures_data();
    void openlistFailures();
    void openKeepsChangeFlag();
    void openFindsPlayingTrack();
    void insertlistfile_data();
    void insertlistfile();
    void insertRefused_data();
    void insertRefused();
    void save_data();
    void save();
    void savesWorkedExamples_data();
    void savesWorkedExamples();
    void saveThenOpenRoundTrip();
    void saveKeepsTrailingBlank();
    void saveAsTakesChosenFilter_data();
    void saveAsTakesChosenFilter();
    void m3u8OpensAndSaves();
    void savesInTheListsForm_data();
    void savesInTheListsForm();
    void formFollowsTheList_data();
    void formFollowsTheList();
    void entryTheEncodingCannotHold_data();
    void entryTheEncodingCannotHold();
    void reopenInAnotherEncoding_data();
    void reopenInAnotherEncoding();
    void quitprogram_data();
    void quitprogram();
    void quitWithoutHooks();
    void emptiedListPromptGoesOn_data();
    void emptiedListPromptGoesOn();
};

// New offers to save a changed list, then leaves an empty, unnamed, unchanged
// list; escaping from the question, or a save that did not happen, keeps the list.
void ListFileWorkflowTest::newlist_data()
{
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("namedList");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("dialogNames");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QByteArray>("fileAfter");   // "dir": the list's file is a folder
    QTest::addColumn<bool>("kept");

    const int yes = int(MessageBox::Answer::Yes), no = int(MessageBox::Answer::No);
    const int escape = int(MessageBox::Answer::Cancel);
    const QByteArray saved("#EXTINF:/m/a.mp3\r\n/m/a.mp3\r\n");
    QTest::newRow("unchanged: no prompt") << false << true << no << QStringList{}
                                          << QStringList{} << QByteArray("/old\r\n") << false;
    QTest::newRow("changed, No") << true << true << no << QStringList{}
                                 << QStringList{kAsk} << QByteArray("/old\r\n") << false;
    QTest::newRow("changed, Yes, named: saved in place")
        << true << true << yes << QStringList{} << QStringList{kAsk, "列表已经保存为%1!"} << saved << false;
    QTest::newRow("changed, Yes, unnamed, saved through the dialog")
        << true << false << yes << QStringList{"list.m3u"} << QStringList{kAsk} << saved << false;
    QTest::newRow("changed, Yes, unnamed, dialog cancelled")
        << true << false << yes << QStringList{} << QStringList{kAsk} << QByteArray() << true;
    QTest::newRow("changed, Yes, named, the write fails")
        << true << true << yes << QStringList{} << QStringList{kAsk, failedBecause("这是一个文件夹")}
        << QByteArray("dir") << true;
    QTest::newRow("changed, escaped") << true << true << escape << QStringList{}
                                      << QStringList{kAsk} << QByteArray("/old\r\n") << true;
}

void ListFileWorkflowTest::newlist()
{
    QFETCH(bool, changed);
    QFETCH(bool, namedList);
    QFETCH(int, answer);
    QFETCH(QStringList, dialogNames);
    QFETCH(QStringList, messages);
    QFETCH(QByteArray, fileAfter);
    QFETCH(bool, kept);

    Rig rig;
    if (namedList)
        rig.named("list.m3u", {"/m/a.mp3"});
    else
        rig.list.replaceEntries({"/m/a.mp3"});
    if (changed)
        rig.markChanged();
    if (fileAfter == "dir") {
        QVERIFY(QFile::remove(rig.path("list.m3u")));
        QVERIFY(QDir(rig.dir.path()).mkdir("list.m3u"));
    }
    rig.box.answers = {MessageBox::Answer(answer)};
    for (const QString &n : dialogNames)
        rig.dialog.names << rig.path(n);
    const QString caption = rig.label(Label::ListNameCaption);
    const QString title = rig.state.title();

    rig.flow.newlist();

    QCOMPARE(rig.box.texts(), messages.replaceInStrings("%1", rig.path("list.m3u")));
    for (const auto &shown : rig.box.shown)
        QCOMPARE(shown.title, QStringLiteral("提示"));
    if (!messages.isEmpty())
        QCOMPARE(rig.box.shown.first().kind, FakeMessageBox::Shown::YesNo);
    if (fileAfter.isEmpty())
        QVERIFY(!QFile::exists(rig.path("list.m3u")));
    else if (fileAfter == "dir")
        QVERIFY(QFileInfo(rig.path("list.m3u")).isDir());
    else
        QCOMPARE(fileBytes(rig.path("list.m3u")), fileAfter);
    if (kept) {
        QCOMPARE(rig.list.entries(), QStringList{"/m/a.mp3"});
        QVERIFY(rig.state.listChanged());
        QCOMPARE(rig.label(Label::ListNameCaption), caption);
        QCOMPARE(rig.state.title(), title);
        return;
    }
    QCOMPARE(rig.list.count(), 0);
    QVERIFY(!rig.state.listChanged());
    QCOMPARE(rig.label(Label::ListNameCaption), kUnnamed);
    QCOMPARE(rig.label(Label::ListPath), QString());
    QCOMPARE(rig.state.title(), kUnnamedTitle);
    QCOMPARE(rig.label(Label::Count), QString());
    QVERIFY(!rig.state.isEnabled(Command::SaveList));
    QVERIFY(!rig.state.isEnabled(Command::Undo));
}

// Opening replaces the list, selects its last entry and names the list after the file.
void ListFileWorkflowTest::openlist()
{
    Rig rig(PathRules::windows());
    rig.list.replaceEntries({"x:\\old.mp3"});
    const QString file = rig.path("list.m3u");
    QVERIFY(putBytes(file, "#EXTINF:C:\\A.MP3\r\nC:\\A.MP3\r\n\r\nc:\\a.mp3\r\nD:\\B.MP3\r\n"));
    rig.dialog.names << file;

    rig.flow.openlist();

    QCOMPARE(rig.dialog.openCount, 1);
    QVERIFY(rig.box.shown.isEmpty());
    QCOMPARE(rig.list.entries(), (QStringList{"C:\\A.MP3", "D:\\B.MP3"}));
    QCOMPARE(rig.list.selection(), 1);
    QCOMPARE(rig.label(Label::ListNameCaption), kNamed);
    QCOMPARE(rig.label(Label::ListPath), QStringLiteral("    ") + file);
    QCOMPARE(rig.label(Label::Count), QStringLiteral("2"));
    QCOMPARE(rig.label(Label::Position), QStringLiteral("2"));
    QVERIFY(rig.state.isEnabled(Command::SaveList));
    QVERIFY(rig.state.isEnabled(Command::MoveUp));
    QVERIFY(!rig.state.isEnabled(Command::MoveDown));
    QVERIFY(!rig.state.isEnabled(Command::Undo));
    QVERIFY(!rig.state.listChanged());
}

// A file that cannot be read leaves list, name and caption alone; only a missing one says so.
void ListFileWorkflowTest::openlistFailures_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QStringList>("messages");   // %1: the chosen file
    QTest::newRow("cancelled") << QString() << QStringList{};
    QTest::newRow("missing file") << "none.m3u" << QStringList{kMissing};
    QTest::newRow("missing folder") << "nodir/x.pls" << QStringList{kMissing};
    QTest::newRow("a directory") << "dir.m3u" << QStringList{unreadableBecause("这是一个文件夹")};
    QTest::newRow("not a playlist's name") << "notes.txt" << QStringList{kOnlyPlaylists};
    QTest::newRow("no extension") << "first" << QStringList{kOnlyPlaylists};
    QTest::newRow("a FIFO") << "fifo.m3u" << QStringList{unreadableBecause("不是普通文件（管道、套接字或设备）")};
    QTest::newRow("a picture renamed") << "picture.m3u" << QStringList{unreadableBecause("不是播放列表文件")};
    QTest::newRow("over 256 MB") << "huge.m3u" << QStringList{unreadableBecause("文件太大（超过 256 MB）")};
#ifdef Q_OS_UNIX
    // Run as another user than root, who may read anything.
    QTest::newRow("no permission to read") << "secret.m3u" << QStringList{unreadableBecause("没有读取的权限")};
#endif
}

void ListFileWorkflowTest::openlistFailures()
{
    QFETCH(QString, chosen);
    QFETCH(QStringList, messages);

    Rig rig;
    QVERIFY(QDir(rig.dir.path()).mkdir("dir.m3u"));
    QVERIFY(putBytes(rig.path("notes.txt"), "/m/x.mp3\r\n"));
    QVERIFY(putBytes(rig.path("picture.m3u"), QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)));
#ifdef Q_OS_UNIX
    QCOMPARE(::mkfifo(QFile::encodeName(rig.path("fifo.m3u")).constData(), 0600), 0);
#endif
    QVERIFY(putBytes(rig.path("first.m3u"), "/m/a.mp3\r\n/m/b.mp3\r\n"));
    {
        QFile huge(rig.path("huge.m3u"));   // sparse: no room taken
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(kPlaylistMaxBytes + 1));
    }
    rig.dialog.names << rig.path("first.m3u");
    rig.flow.openlist();
    rig.list.selectByUser(0);
    const QString title = rig.state.title();

    if (!chosen.isEmpty())
        rig.dialog.names << rig.path(chosen);
    messages.replaceInStrings("%1", rig.path(chosen));
#ifdef Q_OS_UNIX
    if (chosen == "secret.m3u") {
        QVERIFY(putBytes(rig.path(chosen), "/m/x.mp3\r\n"));
        QCOMPARE(::chmod(QFile::encodeName(rig.path(chosen)).constData(), 0), 0);
        QCOMPARE(::chmod(QFile::encodeName(rig.dir.path()).constData(), 0755), 0);
        QCOMPARE(runInChild({true, -1}, [&] {
                     rig.flow.openlist();
                     return rig.box.texts() == messages ? 0 : 1;
                 }),
                 0);
        return;
    }
#endif
    rig.flow.openlist();

    QCOMPARE(rig.box.texts(), messages);
    QCOMPARE(rig.list.entries(), (QStringList{"/m/a.mp3", "/m/b.mp3"}));
    QCOMPARE(rig.list.selection(), 0);
    QCOMPARE(rig.label(Label::ListPath), QStringLiteral("    ") + rig.path("first.m3u"));
    QCOMPARE(rig.state.title(), title);
    QCOMPARE(fileBytes(rig.path("first.m3u")), QByteArray("/m/a.mp3\r\n/m/b.mp3\r\n"));
}

// Open after answering No keeps the list marked as changed, so quitting asks again.
void ListFileWorkflowTest::openKeepsChangeFlag()
{
    Rig rig;
    rig.fill({"/m/a.mp3"});
    QVERIFY(putBytes(rig.path("l.pls"), "[playlist]\nFile1=/m/b.mp3\nTitle1=B\nLength1=3\n"
                                        "NumberOfEntries=1\nVersion=2\n"));
    rig.dialog.names << rig.path("l.pls");
    rig.box.answers = {false, false};
    rig.flow.openlist();
    QCOMPARE(rig.list.entries(), QStringList{"/m/b.mp3"});
    QVERIFY(rig.state.listChanged());
    QCOMPARE(rig.state.title(), QStringLiteral("Melvora——L.PLS"));

    rig.flow.quitprogram();
    QCOMPARE(rig.box.texts(), (QStringList{kAsk, kAsk}));
}

// The player's track number follows the playing file into the new list.
void ListFileWorkflowTest::openFindsPlayingTrack()
{
    Rig rig(PathRules::windows());
    rig.state.setPlayingPath("c:\\music\\b.mp3");
    QSignalSpy sent(&rig.state, &WindowState::playerTrackChanged);
    QVERIFY(putBytes(rig.path("l.m3u"), "C:\\MUSIC\\A.MP3\r\nC:\\MUSIC\\B.MP3\r\n"));
    rig.dialog.names << rig.path("l.m3u");
    rig.flow.openlist();
    QCOMPARE(rig.state.playerTrack(), 2);
    QCOMPARE(sent.last(), (QList<QVariant>{2, 2}));
}

// Inserting appends what is new, marks the list changed whatever happens, keeps its name.
void ListFileWorkflowTest::insertlistfile_data()
{
    QTest::addColumn<bool>("windowsRules");
    QTest::addColumn<QByteArray>("content");  // empty: the file does not exist
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("selection");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("posix: case makes a new file")
        << false << QByteArray("/m/A.mp3\n/m/c.mp3\n/m/c.mp3\n")
        << QStringList{"/m/a.mp3", "/m/b.mp3", "/m/A.mp3", "/m/c.mp3"} << 3 << QStringList{};
    QTest::newRow("windows: case does not")
        << true << QByteArray("C:\\M\\A.MP3\r\nc:\\m\\c.mp3\r\nC:\\M\\C.MP3\r\n")
        << QStringList{"c:\\m\\a.mp3", "c:\\m\\b.mp3", "c:\\m\\c.mp3"} << 2 << QStringList{};
    QTest::newRow("nothing new: last entry selected")
        << false << QByteArray("#EXTM3U\r\n/m/b.mp3\r\n")
        << QStringList{"/m/a.mp3", "/m/b.mp3"} << 1 << QStringList{};
    QTest::newRow("missing file")
        << false << QByteArray() << QStringList{"/m/a.mp3", "/m/b.mp3"} << 0
        << QStringList{kMissing};
}

// An insert of a file that is not a playlist, or cannot be read, says so and
// changes nothing, not even the change flag.
void ListFileWorkflowTest::insertRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("text file") << "notes.txt" << kOnlyPlaylists;
    QTest::newRow("directory") << "dir.pls" << unreadableBecause("这是一个文件夹");
}

void ListFileWorkflowTest::insertRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    Rig rig;
    rig.named("mine.m3u", {"/m/a.mp3"});
    QVERIFY(putBytes(rig.path("notes.txt"), "/m/x.mp3\r\n"));
    QVERIFY(QDir(rig.dir.path()).mkdir("dir.pls"));
    rig.flow.insertlistfile(rig.path(name));
    QCOMPARE(rig.box.texts(), QStringList{message.arg(rig.path(name))});
    QCOMPARE(rig.list.entries(), QStringList{"/m/a.mp3"});
    QVERIFY(!rig.state.listChanged());
}

void ListFileWorkflowTest::insertlistfile()
{
    QFETCH(bool, windowsRules);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, entries);
    QFETCH(int, selection);
    QFETCH(QStringList, messages);

    Rig rig(windowsRules ? PathRules::windows() : PathRules::posix());
    const QStringList start = windowsRules ? QStringList{"c:\\m\\a.mp3", "c:\\m\\b.mp3"}
                                           : QStringList{"/m/a.mp3", "/m/b.mp3"};
    rig.named("mine.m3u", start);
    rig.list.selectByUser(0);
    if (!content.isEmpty())
        QVERIFY(putBytes(rig.path("other.m3u"), content));
    rig.dialog.names << rig.path("other.m3u");

    rig.flow.insertlistfile();

    QCOMPARE(rig.box.texts(), messages);
    QCOMPARE(rig.list.entries(), entries);
    QCOMPARE(rig.list.selection(), selection);
    QVERIFY(rig.state.listChanged());
    QCOMPARE(rig.label(Label::ListPath), QStringLiteral("    ") + rig.path("mine.m3u"));
    QCOMPARE(rig.label(Label::Count), QString::number(entries.size()));
}

// Save and save as: what is asked, shown, written and named, including failed writes.
void ListFileWorkflowTest::save_data()
{
    QTest::addColumn<bool>("saveAs");
    QTest::addColumn<QString>("named");        // the list's own file, or empty
    QTest::addColumn<QString>("chosen");       // answer of the save dialog, or empty
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<QStringList>("messages");  // %1: the target path; %2: the file written
    QTest::addColumn<QString>("target");       // file expected to hold the list
    QTest::addColumn<bool>("changedAfter");
    QTest::addColumn<QString>("label8After");   // relative path, or "-" for "as before"

    // savelist
    QTest::newRow("save named: in place, confirmed")
        << false << "mine.m3u" << "" << 0 << QStringList{"列表已经保存为%1!"} << "mine.m3u"
        << false << "mine.m3u";
    QTest::newRow("save unnamed: dialog, no message")
        << false << "" << "new.pls" << 1 << QStringList{} << "new.pls" << false << "new.pls";
    QTest::newRow("save unnamed, cancelled")
        << false << "" << "" << 1 << QStringList{} << "" << true << "-";
    QTest::newRow("save named, file became a directory")
        << false << "mine.m3u" << "" << 0 << QStringList{failedBecause("这是一个文件夹").arg("%2")} << "" << true << "-";
    QTest::newRow("save unnamed into a missing folder")
        << false << "" << "nodir/new.m3u" << 1 << QStringList{failedBecause("文件夹不存在").arg("%2")} << ""
        << true << "-";
    QTest::newRow("save unnamed under a regular file")
        << false << "" << "plain/new.m3u" << 1 << QStringList{failedBecause("路径中有一项不是文件夹").arg("%2")}
        << "" << true << "-";
#ifdef Q_OS_LINUX
    // A disk of the test's own (tmpfs, needs root), full or read-only.
    QTest::newRow("save unnamed onto a full disk")
        << false << "" << "full/new.m3u" << 1 << QStringList{failedBecause("磁盘空间不足").arg("%2")} << ""
        << true << "-";
    QTest::newRow("save unnamed onto a read-only disk")
        << false << "" << "readonly/new.m3u" << 1 << QStringList{failedBecause("磁盘是只读的").arg("%2")} << ""
        << true << "-";
#endif
    // saveaslist
    QTest::newRow("save as: dialog even when named, no message")
        << true << "mine.m3u" << "copy.m3u" << 1 << QStringList{} << "copy.m3u" << false
        << "copy.m3u";
    QTest::newRow("save as, no extension: the filter's added")
        << true << "" << "noext" << 1 << QStringList{} << "noext.m3u" << false << "noext.m3u";
    QTest::newRow("save as a text file's name: the filter's added")
        << true << "" << "notes.txt" << 1 << QStringList{} << "notes.txt.m3u" << false << "notes.txt.m3u";
    QTest::newRow("save as, cancelled")
        << true << "mine.m3u" << "" << 1 << QStringList{} << "" << true << "-";
    QTest::newRow("save as a directory")
        << true << "" << "dir.pls" << 1 << QStringList{failedBecause("这是一个文件夹").arg("%2")} << "" << true << "-";
}

void ListFileWorkflowTest::save()
{
    QFETCH(bool, saveAs);
    QFETCH(QString, named);
    QFETCH(QString, chosen);
    QFETCH(int, dialogs);
    QFETCH(QStringList, messages);
    QFETCH(QString, target);
    QFETCH(bool, changedAfter);
    QFETCH(QString, label8After);

    Rig rig;
    const QStringList entries{"/m/Song.mp3", "/m/歌.mp3"};
    if (named.isEmpty())
        rig.list.replaceEntries(entries);
    else
        rig.named(named, entries);
    rig.markChanged();
    QVERIFY(QDir(rig.dir.path()).mkdir("dir.pls"));
    QVERIFY(putBytes(rig.path("plain"), "plain"));
    const bool fails = messages.size() == 1 && messages.constFirst().startsWith(kFailed);
    if (named == "mine.m3u" && fails) {
        QVERIFY(QFile::remove(rig.path(named)));
        QVERIFY(QDir(rig.dir.path()).mkdir(named));
    }
    const QString disk = chosen.section(u'/', 0, 0);
    std::unique_ptr<SmallDisk> small;
    if (disk == "full" || disk == "readonly") {
        QVERIFY(QDir(rig.dir.path()).mkdir(disk));
        small = std::make_unique<SmallDisk>(rig.path(disk), 64 * 1024);
        if (!small->mounted())
            QSKIP(SmallDisk::kCannot);
        QVERIFY(disk == "full" ? small->fill() : small->makeReadOnly());
    }
    if (!chosen.isEmpty())
        rig.dialog.names << rig.path(chosen);
    const QString label7 = rig.label(Label::ListNameCaption);
    const QString label8 = rig.label(Label::ListPath);
    const QString title = rig.state.title();

    saveAs ? rig.flow.saveaslist() : rig.flow.savelist();

    QCOMPARE(rig.dialog.saveCount, dialogs);
    messages.replaceInStrings("%1", rig.path(target));
    QCOMPARE(rig.box.texts(), messages.replaceInStrings("%2", rig.path(chosen.isEmpty() ? named : chosen)));
    for (const auto &shown : rig.box.shown) {
        QCOMPARE(shown.kind, FakeMessageBox::Shown::Exclamation);
        QCOMPARE(shown.title, QStringLiteral("提示"));
    }
    QCOMPARE(rig.state.listChanged(), changedAfter);
    if (label8After == "-") {
        QCOMPARE(rig.label(Label::ListNameCaption), label7);
        QCOMPARE(rig.label(Label::ListPath), label8);
        QCOMPARE(rig.state.title(), title);
    } else {
        QCOMPARE(rig.label(Label::ListNameCaption), kNamed);
        QCOMPARE(rig.label(Label::ListPath), QStringLiteral("    ") + rig.path(label8After));
    }
    if (!target.isEmpty()) {
        const QByteArray written = fileBytes(rig.path(target));
        if (target.endsWith("m3u"))
            QCOMPARE(written, QString("#EXTINF:/m/Song.mp3\r\n/m/Song.mp3\r\n"
                                      "#EXTINF:/m/歌.mp3\r\n/m/歌.mp3\r\n").toUtf8());
        else if (target.endsWith("pls"))
            QCOMPARE(written, QString("[Playlist]\r\nNumberOfEntries=2\r\n"
                                      "File1=/m/Song.mp3\r\nFile2=/m/歌.mp3\r\n").toUtf8());
        else
            QCOMPARE(written, QByteArray());
    }
    if (named == "mine.m3u" && target != named && QFileInfo(rig.path(named)).isFile())
        QCOMPARE(fileBytes(rig.path(named)), QByteArray("/old\r\n"));
    QCOMPARE(fileBytes(rig.path("plain")), QByteArray("plain"));
}

// The two worked examples under the case-insensitive rules; POSIX keeps the case.
void ListFileWorkflowTest::savesWorkedExamples_data()
{
    QTest::addColumn<bool>("windowsRules");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("LIST.M3U") << true << "LIST.M3U"
        << QByteArray("#EXTINF:C:\\MUSIC\\A.MP3\r\nC:\\MUSIC\\A.MP3\r\n"
                      "#EXTINF:D:\\SONGS\\BEST OF.MP3\r\nD:\\SONGS\\BEST OF.MP3\r\n");
    QTest::newRow("LIST.PLS") << true << "LIST.PLS"
        << QByteArray("[Playlist]\r\nNumberOfEntries=2\r\n"
                      "File1=C:\\MUSIC\\A.MP3\r\nFile2=D:\\SONGS\\BEST OF.MP3\r\n");
    QTest::newRow("posix list.m3u") << false << "list.m3u"
        << QByteArray("#EXTINF:C:\\Music\\a.mp3\r\nC:\\Music\\a.mp3\r\n"
                      "#EXTINF:D:\\Songs\\Best Of.mp3\r\nD:\\Songs\\Best Of.mp3\r\n");
}

void ListFileWorkflowTest::savesWorkedExamples()
{
    QFETCH(bool, windowsRules);
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    Rig rig(windowsRules ? PathRules::windows() : PathRules::posix());
    rig.fill({"C:\\Music\\a.mp3", "D:\\Songs\\Best Of.mp3"});
    rig.dialog.names << rig.path(name);
    rig.flow.saveaslist();
    QCOMPARE(fileBytes(rig.path(name)), bytes);
    QCOMPARE(rig.label(Label::ListPath), QStringLiteral("    ") + rig.path(name));
}

// A saved list opens again as the same list, under its name, unchanged.
void ListFileWorkflowTest::saveThenOpenRoundTrip()
{
    Rig rig;
    QStringList entries;
    for (int i = 0; i < 300; ++i)
        entries << QStringLiteral("/音乐/Album %1/Track %2.mp3").arg(i % 7).arg(i);
    rig.fill(entries);
    rig.dialog.names << rig.path("l.pls") << rig.path("l.pls");
    rig.flow.savelist();
    rig.flow.newlist();
    QCOMPARE(rig.list.count(), 0);
    rig.flow.openlist();
    QVERIFY(rig.box.shown.isEmpty());
    QCOMPARE(rig.list.entries(), entries);
    QVERIFY(!rig.state.listChanged());
    QCOMPARE(rig.label(Label::ListPath), QStringLiteral("    ") + rig.path("l.pls"));
}

// A list file whose name ends in a blank is saved back to that same file.
void ListFileWorkflowTest::saveKeepsTrailingBlank()
{
    Rig rig;
    rig.named("list.m3u ", {"/m/a.mp3"});
    rig.markChanged();
    rig.flow.savelist();
    QCOMPARE(rig.dialog.saveCount, 0);
    QCOMPARE(fileBytes(rig.path("list.m3u ")), QByteArray("#EXTINF:/m/a.mp3\r\n/m/a.mp3\r\n"));
    QVERIFY(!QFile::exists(rig.path("list.m3u")));
    QCOMPARE(rig.box.texts(), QStringList{"列表已经保存为" + rig.path("list.m3u ") + "!"});
    QVERIFY(!rig.state.listChanged());
}

// A name typed without an extension is saved with the one of the filter chosen.
void ListFileWorkflowTest::saveAsTakesChosenFilter_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray m3u("#EXTINF:/m/a.mp3\r\n/m/a.mp3\r\n");
    QTest::newRow("m3u") << 0 << "mine.m3u" << m3u;
    QTest::newRow("pls") << 1 << "mine.pls" << QByteArray("[Playlist]\r\nNumberOfEntries=1\r\nFile1=/m/a.mp3\r\n");
    QTest::newRow("m3u8") << 2 << "mine.m3u8" << m3u;
    QTest::newRow("xspf") << 3 << "mine.xspf"
                          << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n"
                                        "  <trackList>\n    <track>\n      <location>file:///m/a.mp3</location>\n    </track>\n"
                                        "  </trackList>\n</playlist>\n");
}

void ListFileWorkflowTest::saveAsTakesChosenFilter()
{
    QFETCH(int, filter);
    QFETCH(QString, written);
    QFETCH(QByteArray, bytes);
    Rig rig;
    rig.fill({"/m/a.mp3"});
    rig.dialog.saveFilter = filter;
    rig.dialog.names << rig.path("mine");
    rig.flow.saveaslist();
    QCOMPARE(fileBytes(rig.path(written)), bytes);
    QVERIFY(!QFile::exists(rig.path("mine")));
    QCOMPARE(rig.state.listPath(), rig.path(written));
    // The next Save As shows the filter of the list's type first.
    rig.flow.saveaslist();
    QCOMPARE(rig.dialog.saveFilterShown, filter);
}

// An M3U8 list opens, inserts and saves in place like an M3U one.
void ListFileWorkflowTest::m3u8OpensAndSaves()
{
    Rig rig;
    QVERIFY(putBytes(rig.path("a.M3U8"), "#EXTM3U\n#EXTINF:1,月亮\n/音乐/月亮.mp3\n"));
    QVERIFY(putBytes(rig.path("b.m3u8"), "/音乐/甜蜜蜜.mp3\n"));
    rig.dialog.names << rig.path("a.M3U8") << rig.path("b.m3u8");
    rig.flow.openlist();
    rig.flow.insertlistfile();
    QVERIFY(rig.box.shown.isEmpty());
    QCOMPARE(rig.list.entries(), (QStringList{"/音乐/月亮.mp3", "/音乐/甜蜜蜜.mp3"}));
    QCOMPARE(rig.state.title(), QStringLiteral("Melvora——A.M3U8"));
    rig.flow.savelist();
    QCOMPARE(fileBytes(rig.path("a.M3U8")), QString("#EXTM3U\n#EXTINF:1,月亮\n/音乐/月亮.mp3\n/音乐/甜蜜蜜.mp3\n").toUtf8());
}

// A list is saved in the form of the file it came from, with the lines it
// held: relative entries stay relative to wherever the list is saved (those
// added too), in their separator and encoding; .m3u8 is UTF-8 whatever the form.
void ListFileWorkflowTest::savesInTheListsForm_data()
{
    QTest::addColumn<QString>("name");         // opened, under the scratch folder
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("edit");         // "top": the last entry to the top; else a path added
    QTest::addColumn<QString>("saveAs");       // empty: saved in place
    QTest::addColumn<QByteArray>("expected");
    const auto gb = [](const char *text) -> QByteArray { return QStringEncoder("GB18030").encode(QString::fromUtf8(text)); };
    QTest::newRow("stick list, last entry moved to the top") << "lists/a.m3u" << QByteArray("Music/a.mp3\r\n../other/b.mp3\r\n")
                                         << "top" << "" << QByteArray("../other/b.mp3\r\nMusic/a.mp3\r\n");
    QTest::newRow("lf, header, comments") << "lists/a.m3u" << QByteArray("#EXTM3U\n#EXTINF:1,a\nMusic/a.mp3\n../other/b.mp3\n")
                                          << "top" << "" << QByteArray("#EXTM3U\n../other/b.mp3\n#EXTINF:1,a\nMusic/a.mp3\n");
    QTest::newRow("added entries too") << "lists/a.m3u" << QByteArray("Music/a.mp3\r\n")
                                       << "other/c.mp3" << "" << QByteArray("Music/a.mp3\r\n../other/c.mp3\r\n");
    QTest::newRow("program's layout, added") << "lists/a.m3u" << QByteArray("#EXTINF:Music/a.mp3\r\nMusic/a.mp3\r\n")
                                             << "other/c.mp3" << ""
                                             << QByteArray("#EXTINF:Music/a.mp3\r\nMusic/a.mp3\r\n#EXTINF:../other/c.mp3\r\n../other/c.mp3\r\n");
    QTest::newRow("backslashes") << "lists/a.m3u" << QByteArray("Music\\a.mp3\r\n")
                                 << "other/c.mp3" << "" << QByteArray("Music\\a.mp3\r\n..\\other\\c.mp3\r\n");
    QTest::newRow("saved as elsewhere") << "lists/a.m3u" << QByteArray("#EXTINF:1,a\r\nMusic/a.mp3\r\n")
                                        << "top" << "other/deep/x.m3u"
                                        << QByteArray("#EXTINF:1,a\r\n../../lists/Music/a.mp3\r\n");
    QTest::newRow("pls") << "lists/a.pls" << QByteArray("[playlist]\nFile1=Music/a.mp3\nFile2=../other/b.mp3\nNumberOfEntries=2\n")
                         << "top" << ""
                         << QByteArray("[playlist]\nFile1=../other/b.mp3\nFile2=Music/a.mp3\nNumberOfEntries=2\n");
    QTest::newRow("gb18030") << "lists/a.m3u" << gb("音乐/月亮.mp3\r\n") << "other/c.mp3" << ""
                             << gb("音乐/月亮.mp3\r\n../other/c.mp3\r\n");
    QTest::newRow("gb18030, one line is enough") << "lists/a.m3u" << QByteArray("音乐/甜.mp3\r\n") + gb("音乐/月亮.mp3\r\n")
                                                 << "top" << "" << gb("音乐/月亮.mp3\r\n") + QByteArray("音乐/甜.mp3\r\n");
    QTest::newRow("gb18030 saved as m3u8") << "lists/a.m3u" << gb("#EXTINF:1,月亮\r\n音乐/月亮.mp3\r\n") << "top" << "lists/b.m3u8"
                                           << QByteArray("#EXTINF:1,月亮\r\n音乐/月亮.mp3\r\n");
    QTest::newRow("bom") << "lists/a.m3u" << QByteArray("\xEF\xBB\xBF#EXTM3U\r\nMusic/a.mp3\r\n") << "other/c.mp3" << ""
                         << QByteArray("\xEF\xBB\xBF#EXTM3U\r\nMusic/a.mp3\r\n../other/c.mp3\r\n");
    QTest::newRow("bom before an entry stays first") << "lists/a.m3u" << QByteArray("\xEF\xBB\xBF/m/a.mp3\r\n/m/b.mp3") << "top" << ""
                                                     << QByteArray("\xEF\xBB\xBF/m/b.mp3\r\n/m/a.mp3\r\n");
    QTest::newRow("file uris kept as written") << "lists/a.m3u" << QByteArray("file:///m/a%20b.mp3\r\n/m/c.mp3\r\n") << "top" << ""
                                               << QByteArray("/m/c.mp3\r\nfile:///m/a%20b.mp3\r\n");
    QTest::newRow("xspf relative") << "lists/a.xspf"
                                   << QByteArray("<playlist><trackList><track><location>Music/a%20b.mp3</location></track>"
                                                 "<track><location>http://h/s.mp3</location></track></trackList></playlist>")
                                   << "top" << ""
                                   << QByteArray("<playlist><trackList><track><location>http://h/s.mp3</location></track>"
                                                 "<track><location>Music/a%20b.mp3</location></track></trackList></playlist>");
}

void ListFileWorkflowTest::savesInTheListsForm()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, edit);
    QFETCH(QString, saveAs);
    QFETCH(QByteArray, expected);
    Rig rig;
    for (const char *folder : {"lists/Music", "other/deep"})
        QVERIFY(QDir(rig.dir.path()).mkpath(folder));
    QVERIFY(putBytes(rig.path(name), content));
    rig.flow.openlist(rig.path(name));
    QVERIFY(rig.box.shown.isEmpty());
    if (edit == u"top") {
        rig.list.selectByUser(rig.list.count() - 1);
        rig.list.movetotop();
    } else {
        rig.list.selectNone();
        rig.state.insertEntries({QDir::toNativeSeparators(rig.path(edit))});
    }
    if (saveAs.isEmpty()) {
        rig.flow.savelist();
    } else {
        rig.dialog.names << rig.path(saveAs);
        rig.flow.saveaslist();
    }
    QCOMPARE(fileBytes(rig.path(saveAs.isEmpty() ? name : saveAs)), expected);
}

// The form is the list's: taken from the file opened, or inserted into an
// empty list; a list of full paths in UTF-8, and New, bring back the program's own.
void ListFileWorkflowTest::formFollowsTheList_data()
{
    QTest::addColumn<QStringList>("steps");   // "open X", "insert X", "new"
    QTest::addColumn<bool>("relative");
    QTest::addColumn<bool>("gb18030");
    QTest::newRow("open relative") << QStringList{"open rel.m3u"} << true << false;
    QTest::newRow("then open full paths") << QStringList{"open rel.m3u", "open full.m3u"} << false << false;
    QTest::newRow("then new") << QStringList{"open gb.m3u", "new"} << false << false;
    QTest::newRow("insert into empty") << QStringList{"insert gb.m3u"} << true << true;
    QTest::newRow("insert into a list") << QStringList{"open full.m3u", "insert gb.m3u"} << false << false;
    QTest::newRow("insert keeps the form") << QStringList{"open gb.m3u", "insert full.m3u"} << true << true;
    QTest::newRow("missing keeps the form") << QStringList{"open rel.m3u", "open none.m3u"} << true << false;
}

void ListFileWorkflowTest::formFollowsTheList()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, relative);
    QFETCH(bool, gb18030);
    Rig rig;
    QVERIFY(putBytes(rig.path("rel.m3u"), "a.mp3\r\n"));
    QVERIFY(putBytes(rig.path("full.m3u"), "/m/b.mp3\r\n"));
    QVERIFY(putBytes(rig.path("gb.m3u"), QStringEncoder("GB18030").encode(u"音乐\\月.mp3\r\n"_qs)));
    for (const QString &step : steps) {
        const QString file = rig.path(step.section(u' ', 1));
        if (step.startsWith(u"open"))
            rig.flow.openlist(file);
        else if (step.startsWith(u"insert"))
            rig.flow.insertlistfile(file);
        else
            rig.flow.newlist();
    }
    QCOMPARE(rig.flow.form().relative, relative);
    QCOMPARE(rig.flow.form().encoding == TextEncoding::Gb18030, gb18030);
    QCOMPARE(rig.flow.form().separator, QChar(gb18030 ? u'\\' : u'/'));
}

// An entry the list's code page cannot hold is never written as "?": the save
// asks; Yes writes the whole list as UTF-8 with a mark, No (or Escape) writes
// nothing and stops the command, as a failed save does.
void ListFileWorkflowTest::entryTheEncodingCannotHold_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("quits");
    QTest::newRow("yes") << int(MessageBox::Answer::Yes) << true;
    QTest::newRow("no") << int(MessageBox::Answer::No) << false;
    QTest::newRow("escape") << int(MessageBox::Answer::Cancel) << false;
}

void ListFileWorkflowTest::entryTheEncodingCannotHold()
{
    QFETCH(int, answer);
    QFETCH(bool, quits);
    Rig rig;
    const QString list = rig.path("w.m3u");
    QVERIFY(putBytes(rig.path(u"Bj\u00F6rk.mp3"_qs), "ID3"));
    const QString bjork = rig.path(u"Bj\u00F6rk.mp3"_qs);
    const QByteArray before = encodeText(bjork + u"\r\n"_qs, TextEncoding::Windows1252);
    QVERIFY(putBytes(list, before));
    rig.flow.openlist(list);
    QCOMPARE(rig.flow.form().encoding, TextEncoding::Windows1252);
    rig.fill({u"/m/周杰伦.mp3"_qs, u"/m/王菲.mp3"_qs});
    rig.box.answers = {MessageBox::Answer::Yes, MessageBox::Answer(answer)};   // the save prompt, then the question
    QCOMPARE(rig.flow.quitprogram(), quits);
    QCOMPARE(rig.box.texts().value(1),
             u"列表的编码（西欧 windows-1252）不能写出“/m/周杰伦.mp3”等 2 项。是否改用 UTF-8 保存整个列表？"_qs);
    QCOMPARE(rig.box.texts().mid(2), quits ? QStringList{u"列表已经保存为"_qs + list + u'!'} : QStringList());
    QCOMPARE(rig.state.listChanged(), !quits);
    QCOMPARE(fileBytes(list), quits ? (u"\uFEFF"_qs + bjork + u"\r\n/m/周杰伦.mp3\r\n/m/王菲.mp3\r\n"_qs).toUtf8() : before);
    QCOMPARE(rig.flow.form().encoding, quits ? TextEncoding::Utf8Bom : TextEncoding::Windows1252);
}

// Reopening reads the list's file again in the encoding chosen, after the
// save prompt; escaping from it keeps the list as it is.
void ListFileWorkflowTest::reopenInAnotherEncoding_data()
{
    QTest::addColumn<bool>("changed");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("reopened");
    QTest::newRow("unchanged") << false << int(MessageBox::Answer::No) << true;
    QTest::newRow("changed, No") << true << int(MessageBox::Answer::No) << true;
    QTest::newRow("changed, Escape") << true << int(MessageBox::Answer::Cancel) << false;
}

void ListFileWorkflowTest::reopenInAnotherEncoding()
{
    QFETCH(bool, changed);
    QFETCH(int, answer);
    QFETCH(bool, reopened);
    Rig rig;
    const QString list = rig.path("l.m3u");
    QVERIFY(putBytes(list, encodeText(u"/m/Bj\u00F6rk.mp3\r\n"_qs, TextEncoding::Windows1252)));
    rig.flow.openlist(list);
    QCOMPARE(rig.flow.form().encoding, TextEncoding::Gb18030);   // no file tells: the default
    if (changed)
        rig.fill({u"/m/b.mp3"_qs});
    rig.box.answers = {MessageBox::Answer(answer)};
    rig.flow.reopenIn(TextEncoding::Windows1252);
    QCOMPARE(rig.box.texts(), changed ? QStringList{kAsk} : QStringList());
    QCOMPARE(rig.list.entries().value(0) == u"/m/Bj\u00F6rk.mp3"_qs, reopened);
    QCOMPARE(rig.flow.form().encoding, reopened ? TextEncoding::Windows1252 : TextEncoding::Gb18030);
    QCOMPARE(rig.list.count(), reopened ? 1 : 2);
}

// Quit: the save prompt, then the other windows, then the end; escaping from
// the prompt, or a save that did not happen, keeps the program and the list.
void ListFileWorkflowTest::quitprogram_data()
{
    QTest::addColumn<bool>("changed");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("quits");
    const int yes = int(MessageBox::Answer::Yes), no = int(MessageBox::Answer::No);
    const int escape = int(MessageBox::Answer::Cancel);
    QTest::newRow("unchanged") << false << no << "" << QStringList{} << false << true;
    QTest::newRow("changed, No") << true << no << "" << QStringList{kAsk} << false << true;
    QTest::newRow("changed, Yes, saved") << true << yes << "q.m3u" << QStringList{kAsk} << true << true;
    QTest::newRow("changed, Yes, dialog cancelled") << true << yes << "" << QStringList{kAsk} << false << false;
    QTest::newRow("changed, Yes, write fails")
        << true << yes << "nodir/q.m3u" << QStringList{kAsk, failedBecause("文件夹不存在")} << false << false;
    QTest::newRow("changed, escaped") << true << escape << "" << QStringList{kAsk} << false << false;
}

void ListFileWorkflowTest::quitprogram()
{
    QFETCH(bool, changed);
    QFETCH(int, answer);
    QFETCH(QString, chosen);
    QFETCH(QStringList, messages);
    QFETCH(bool, written);
    QFETCH(bool, quits);

    Rig rig;
    rig.list.replaceEntries({"/m/a.mp3"});
    if (changed)
        rig.markChanged();
    rig.box.answers = {MessageBox::Answer(answer)};
    if (!chosen.isEmpty())
        rig.dialog.names << rig.path(chosen);
    QStringList calls;
    QObject::connect(&rig.flow, &ListFileWorkflow::closeOtherWindows,
                     [&] { calls << "close:" + QString::number(rig.box.shown.size()); });
    QObject::connect(&rig.flow, &ListFileWorkflow::endProgram, [&] { calls << "end"; });

    QCOMPARE(rig.flow.quitprogram(), quits);

    QCOMPARE(rig.box.texts(), messages.replaceInStrings("%1", rig.path(chosen)));
    const QStringList expected = quits ? QStringList{"close:" + QString::number(messages.size()), "end"}
                                       : QStringList();
    QCOMPARE(calls, expected);
    QCOMPARE(QFile::exists(rig.path("q.m3u")), written);
    QCOMPARE(rig.list.entries(), QStringList{"/m/a.mp3"});
    if (!quits)
        QVERIFY(rig.state.listChanged());
}

void ListFileWorkflowTest::quitWithoutHooks()
{
    Rig rig;
    rig.flow.quitprogram();
    QVERIFY(rig.box.shown.isEmpty());
}

// A named list that was emptied counts as changed and asks; Yes finds nothing
// to save ("列表不能为空!", no dialog, the old file untouched) and the command
// goes on. An unnamed list emptied is unchanged again: no question at all.
void ListFileWorkflowTest::emptiedListPromptGoesOn_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("namedList");
    QTest::addColumn<bool>("byDelete");   // the last entry deleted, else the list cleared
    QTest::newRow("new, named, cleared") << "new" << true << false;
    QTest::newRow("new, named, last entry deleted") << "new" << true << true;
    QTest::newRow("open, named, cleared") << "open" << true << false;
    QTest::newRow("quit, named, cleared") << "quit" << true << false;
    QTest::newRow("quit, named, last entry deleted") << "quit" << true << true;
    QTest::newRow("new, unnamed, cleared: no question") << "new" << false << false;
    QTest::newRow("open, unnamed, last entry deleted: no question") << "open" << false << true;
}

void ListFileWorkflowTest::emptiedListPromptGoesOn()
{
    QFETCH(QString, command);
    QFETCH(bool, namedList);
    QFETCH(bool, byDelete);

    Rig rig;
    if (namedList)
        rig.named("list.m3u", {"/m/a.mp3"});
    else
        rig.fill({"/m/a.mp3"});
    QVERIFY(rig.state.listChanged() != namedList);
    if (byDelete) {
        rig.list.selectByUser(0);
        rig.list.deleteentry();
    } else {
        rig.list.clearlist();
    }
    QCOMPARE(rig.list.count(), 0);
    QCOMPARE(rig.state.listChanged(), namedList);
    rig.box.answers = {MessageBox::Answer::Yes};
    const QString other = rig.path("other.m3u");
    QVERIFY(putBytes(other, "/m/b.mp3\r\n"));
    rig.dialog.names << other;   // only an open dialog may take it
    bool ended = false;
    QObject::connect(&rig.flow, &ListFileWorkflow::endProgram, [&] { ended = true; });

    if (command == "new")
        rig.flow.newlist();
    else if (command == "open")
        rig.flow.openlist();
    else
        QVERIFY(rig.flow.quitprogram());

    const QStringList messages = namedList ? QStringList{kAsk, kEmpty} : QStringList{};
    QCOMPARE(rig.box.texts(), messages);
    if (namedList)
        QCOMPARE(rig.box.shown.at(1).kind, FakeMessageBox::Shown::Exclamation);
    QCOMPARE(rig.dialog.saveCount, 0);
    QCOMPARE(rig.dialog.openCount, command == "open" ? 1 : 0);
    if (namedList)
        QCOMPARE(fileBytes(rig.path("list.m3u")), QByteArray("/old\r\n"));
    const QStringList files = namedList ? QStringList{"list.m3u", "other.m3u"} : QStringList{"other.m3u"};
    QCOMPARE(QDir(rig.dir.path()).entryList(QDir::Files), files);
    if (command == "new") {
        QCOMPARE(rig.label(Label::ListNameCaption), kUnnamed);
        QCOMPARE(rig.label(Label::ListPath), QString());
        QVERIFY(!rig.state.listChanged());
    } else if (command == "open") {
        QCOMPARE(rig.list.entries(), QStringList{"/m/b.mp3"});
        QCOMPARE(rig.label(Label::ListPath), QStringLiteral("    ") + other);
    } else {
        QVERIFY(ended);
    }
}

QTEST_GUILESS_MAIN(ListFileWorkflowTest)
#include "tst_list_file_workflow.moc"
