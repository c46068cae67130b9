#include "main_window/workflow/list_file_workflow.h"
#include "main_window/workflow/recovery_offer.h"
#include "main_window/workflow/recovery_recorder.h"
#include "model/playlist.h"
#include "model/window_state.h"
#include "platform/fakes/fake_file_dialog.h"
#include "platform/fakes/fake_message_box.h"
#include "platform/recovery/record_container.h"
#include "platform/recovery/recovery_store.h"
#include "playlist_io/playlist_reader.h"
#include "playlist_io/playlist_writer.h"
#include "tests/common/test_files.h"
#include "tests/common/workflow_rig.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
using Answer = MessageBox::Answer;
const QByteArray kList = "#EXTM3U\r\n#EXTINF:61,One\r\n/m/1.mp3\r\n#EXTINF:62,Two\r\n/m/2.mp3\r\n"
                         "#EXTINF:63,Three\r\n/m/3.mp3\r\n# the end\r\n";
const QByteArray kTheirs = "#EXTM3U\r\n/m/theirs.mp3\r\n";

QString overwriteQuestion(const QString &name)
{
    return QStringLiteral("“%1”已被其他程序修改。是否用本列表覆盖它？").arg(name);
}

// One main window's list, file commands and boxes, in a scratch folder.
struct Rig : WorkflowRig {
    // The list as read from `name`, which holds kList.
    void open(const QString &name = QStringLiteral("list.m3u"))
    {
        QVERIFY(putBytes(path(name), kList));
        flow.openlist(path(name));
        QCOMPARE(list.count(), 3);
    }
    QStringList questions() const
    {
        QStringList out;
        for (const FakeMessageBox::Shown &s : box.shown) {
            if (s.kind == FakeMessageBox::Shown::YesNo)
                out.append(s.text);
        }
        return out;
    }

};

QByteArray payloadHash(const QByteArray &sealed)
{
    return QCryptographicHash::hash(openRecord(sealed).payload.value_or(QByteArray()), QCryptographicHash::Sha1)
        .toHex();
}

// The record as a program that died left it in `folder`.
QString leaveRecord(const QString &folder, const DocumentRecord &record, const QString &name)
{
    QDir().mkpath(folder);
    const QString path = folder + u'/' + name;
    putBytes(path, sealRecord(writeDocumentRecord(record)));
    return path;
}
} // namespace

class RecoveryTest : public QObject {
    Q_OBJECT
private slots:
    void changedOnDisk_data();
    void changedOnDisk();
    void ownWritesAreNoChange_data();
    void ownWritesAreNoChange();
    void reloadQuestion_data();
    void reloadQuestion();
    void reloadKeepsChosenEncoding();
    void restoredExactly_data();
    void restoredExactly();
    void offered_data();
    void offered();
    void recorder_data();
    void recorder();
    void killedAnyMoment();
};

void RecoveryTest::changedOnDisk_data()
{
    QTest::addColumn<int>("command");   // 0 save, 1 quit's save prompt, 2 New's save prompt
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("written");
    for (int command : {0, 1, 2}) {
        const char *name[] = {"save", "quit", "new"};
        QTest::addRow("%s, yes", name[command]) << command << Answer::Yes << true;
        QTest::addRow("%s, no", name[command]) << command << Answer::No << false;
        QTest::addRow("%s, escape", name[command]) << command << Answer::Cancel << false;
    }
}

void RecoveryTest::changedOnDisk()
{
    QFETCH(int, command);
    QFETCH(Answer, answer);
    QFETCH(bool, written);
    Rig rig;
    rig.open();
    rig.list.addFiles({QStringLiteral("/m/4.mp3")});
    QVERIFY(putBytes(rig.path(QStringLiteral("list.m3u")), kTheirs));
    QSignalSpy ended(&rig.flow, &ListFileWorkflow::endProgram);
    rig.box.answers.clear();
    if (command != 0)
        rig.box.answers << true;   // the save prompt
    rig.box.answers.append(answer);
    switch (command) {
    case 0: rig.flow.savelist(); break;
    case 1: rig.flow.quitprogram(); break;
    default: rig.flow.newlist(); break;
    }
    QVERIFY(!rig.questions().isEmpty());
    QCOMPARE(rig.questions().last(), overwriteQuestion(QStringLiteral("list.m3u")));
    const auto asked = std::find_if(rig.box.shown.crbegin(), rig.box.shown.crend(),
                                    [](const FakeMessageBox::Shown &s) { return s.kind == FakeMessageBox::Shown::YesNo; });
    QCOMPARE(asked->preferred, Answer::No);
    const QByteArray bytes = fileBytes(rig.path(QStringLiteral("list.m3u")));
    QCOMPARE(bytes.contains("/m/4.mp3"), written);
    if (!written)
        QCOMPARE(bytes, kTheirs);
    QCOMPARE(rig.flow.unsaved(), !written);
    // A refusal stops the command that asked, as a failed save does.
    QCOMPARE(rig.list.count(), command == 2 && written ? 0 : 4);
    QCOMPARE(ended.size(), command == 1 && written ? 1 : 0);
}

void RecoveryTest::ownWritesAreNoChange_data()
{
    QTest::addColumn<int>("meanwhile");   // 0 nothing, 1 deleted, 2 renamed away
    QTest::newRow("saved again") << 0;
    QTest::newRow("deleted meanwhile") << 1;
    QTest::newRow("renamed away meanwhile") << 2;
}

void RecoveryTest::ownWritesAreNoChange()
{
    QFETCH(int, meanwhile);
    Rig rig;
    rig.open();
    const QString file = rig.path(QStringLiteral("list.m3u"));
    rig.list.addFiles({QStringLiteral("/m/4.mp3")});
    rig.flow.savelist();
    rig.list.addFiles({QStringLiteral("/m/5.mp3")});
    if (meanwhile == 1)
        QVERIFY(QFile::remove(file));
    if (meanwhile == 2)
        QVERIFY(QFile::rename(file, rig.path(QStringLiteral("elsewhere.m3u"))));
    rig.flow.savelist();
    QVERIFY(rig.questions().isEmpty());
    QVERIFY(fileBytes(file).contains("/m/5.mp3"));
    QVERIFY(!rig.flow.unsaved());
}

void RecoveryTest::reloadQuestion_data()
{
    QTest::addColumn<bool>("renamedOver");
    QTest::addColumn<bool>("editedFirst");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("changedBack");
    QTest::newRow("rewritten, yes") << false << false << Answer::Yes << false;
    QTest::newRow("rewritten, no") << false << false << Answer::No << false;
    QTest::newRow("renamed over, yes") << true << false << Answer::Yes << false;
    QTest::newRow("renamed over, escape") << true << false << Answer::Cancel << false;
    QTest::newRow("edited first") << false << true << Answer::Yes << false;
    QTest::newRow("changed back before asked") << false << false << Answer::Yes << true;
}

void RecoveryTest::reloadQuestion()
{
    QFETCH(bool, renamedOver);
    QFETCH(bool, editedFirst);
    QFETCH(Answer, answer);
    QFETCH(bool, changedBack);
    Rig rig;
    rig.open();
    QFile original(rig.path(QStringLiteral("list.m3u")));
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray ours = original.readAll();
    original.close();
    if (editedFirst)
        rig.list.movetotop();
    QSignalSpy wanted(&rig.flow, &ListFileWorkflow::reloadWanted);
    const QString file = rig.path(QStringLiteral("list.m3u"));
    if (renamedOver) {
        QVERIFY(putBytes(rig.path(QStringLiteral("new.tmp")), kTheirs));
        QVERIFY(QFile::remove(file));
        QVERIFY(QFile::rename(rig.path(QStringLiteral("new.tmp")), file));
    } else {
        QVERIFY(putBytes(file, kTheirs));
    }
    if (editedFirst)
        QTest::qWait(300);
    else
        QTRY_VERIFY(!wanted.isEmpty());
    if (changedBack) {
        QVERIFY(putBytes(file, ours));
        QTest::qWait(300);
    }
    rig.box.answers.append(answer);
    rig.flow.askReload();
    rig.flow.askReload();   // asked once
    if (editedFirst || changedBack) {
        QVERIFY(rig.questions().isEmpty());
        return;
    }
    QCOMPARE(rig.questions(), QStringList{QStringLiteral("“list.m3u”已被其他程序修改。是否重新打开？")});
    QCOMPARE(rig.box.shown.last().preferred, Answer::Yes);
    QCOMPARE(rig.list.entries(), answer == Answer::Yes ? QStringList{QStringLiteral("/m/theirs.mp3")}
                                                       : QStringList({"/m/1.mp3", "/m/2.mp3", "/m/3.mp3"}));
    // The same change is not asked about again; the watch goes on after a rename.
    if (answer != Answer::Yes) {
        QVERIFY(putBytes(file, kTheirs + "/m/more.mp3\r\n"));
        QTRY_VERIFY(wanted.size() >= 2);
    }
}

// A list read in a code page the user chose is read in it again.
void RecoveryTest::reloadKeepsChosenEncoding()
{
    Rig rig;
    rig.open();
    rig.flow.reopenIn(TextEncoding::Windows1251);
    QSignalSpy wanted(&rig.flow, &ListFileWorkflow::reloadWanted);
    QVERIFY(putBytes(rig.path(QStringLiteral("list.m3u")), "/m/\xcf\xf0\xe8\xe2\xe5\xf2.mp3\r\n"));
    QTRY_VERIFY(!wanted.isEmpty());
    rig.box.answers.append(Answer::Yes);
    rig.flow.askReload();
    QCOMPARE(rig.list.entries(), QStringList{QStringLiteral("/m/Привет.mp3")});
    QCOMPARE(rig.flow.form().encoding, TextEncoding::Windows1251);
}

void RecoveryTest::restoredExactly_data()
{
    QTest::addColumn<int>("lastEdit");
    QTest::newRow("moved to top") << 0;
    QTest::newRow("deleted") << 1;
    QTest::newRow("reversed") << 2;
    QTest::newRow("dragged before") << 3;
    QTest::newRow("added, undo off") << 4;
}

void RecoveryTest::restoredExactly()
{
    QFETCH(int, lastEdit);
    Rig before;
    before.open();
    before.list.addFiles({QStringLiteral("/m/new.mp3")});
    before.list.selectByUser(2);
    switch (lastEdit) {
    case 0: before.list.movetotop(); break;
    case 1: before.list.deleteentry(); break;
    case 2: before.list.reorder({3, 2, 1, 0}); break;
    case 3:
        before.list.setInsertBeforeMode();
        before.list.leftButtonPressed();
        before.list.selectByUser(0);
        before.list.leftButtonReleased();
        break;
    default: before.list.addFiles({QStringLiteral("/m/later.mp3")}); before.list.selectByUser(1); break;
    }
    const OpenedRecord opened = openRecord(sealRecord(writeDocumentRecord(before.flow.documentRecord())));
    const DocumentRecordRead read = readDocumentRecord(opened.payload.value());
    QVERIFY2(read.record, qPrintable(read.why));

    Rig after;
    after.flow.restore(*read.record);
    QCOMPARE(after.list.entries(), before.list.entries());
    QCOMPARE(after.list.selection(), before.list.selection());
    QCOMPARE(after.list.insertAfter(), before.list.insertAfter());
    QCOMPARE(after.list.canUndo(), before.list.canUndo());
    QCOMPARE(after.state.isEnabled(Command::Undo), before.state.isEnabled(Command::Undo));
    QCOMPARE(after.state.title(), before.state.title());
    QCOMPARE(after.state.label(Label::Position), before.state.label(Label::Position));
    QVERIFY(after.state.listChanged());
    QVERIFY(after.flow.unsaved());
    // Saved, both write the same bytes: every kept line came back.
    const QString a = before.path(QStringLiteral("a.m3u")), b = before.path(QStringLiteral("b.m3u"));
    QVERIFY(writeListFile(a, ListToWrite{before.flow.document(), before.list.entries(), before.list.allLines(), {}},
                          Qt::CaseSensitive).outcome == PlaylistWrite::Written);
    QVERIFY(writeListFile(b, ListToWrite{after.flow.document(), after.list.entries(), after.list.allLines(), {}},
                          Qt::CaseSensitive).outcome == PlaylistWrite::Written);
    QCOMPARE(fileBytes(b), fileBytes(a));
    before.list.undo();
    after.list.undo();
    QCOMPARE(after.list.entries(), before.list.entries());
    QCOMPARE(after.list.selection(), before.list.selection());
    // Ctrl+S goes to the list's own file, through the check of what it last saw.
    QVERIFY(!after.flow.fingerprint().isNull());
    QVERIFY(putBytes(before.path(QStringLiteral("list.m3u")), kTheirs));
    after.flow.savelist();
    QCOMPARE(after.questions(), QStringList{overwriteQuestion(QStringLiteral("list.m3u"))});
}

void RecoveryTest::offered_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<bool>("another");
    QTest::newRow("yes") << Answer::Yes << false << false;
    QTest::newRow("no") << Answer::No << false << false;
    QTest::newRow("escape") << Answer::Cancel << false << false;
    QTest::newRow("another older") << Answer::Yes << false << true;
    QTest::newRow("damaged") << Answer::Yes << true << false;
}

void RecoveryTest::offered()
{
    QFETCH(Answer, answer);
    QFETCH(bool, damaged);
    QFETCH(bool, another);
    Rig dead;
    dead.open();
    dead.list.deleteentry();
    const QString folder = dead.path(QStringLiteral("state/recovery"));
    const QString name = QStringLiteral("99-1.melvora-recovery");
    if (another) {
        QFile older(leaveRecord(folder, dead.flow.documentRecord(), QStringLiteral("98-1.melvora-recovery")));
        QVERIFY(older.open(QIODevice::ReadWrite));
        QVERIFY(older.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    }
    const QString record = leaveRecord(folder, dead.flow.documentRecord(), name);
    if (damaged)
        QVERIFY(putBytes(record, fileBytes(record).chopped(1)));
    const QDateTime written = QFileInfo(record).lastModified();

    Rig next;
    RecoveryStore store(folder);
    next.box.answers.append(answer);
    const RecoveryOffered offered = offerRecovery(store, next.flow, next.box);
    if (damaged) {
        QCOMPARE(next.box.texts(), QStringList{QStringLiteral("恢复信息“%1”已损坏，已移到“%2”。")
                                                    .arg(name, QDir::toNativeSeparators(folder + "/damaged"))});
        QVERIFY(QFile::exists(folder + "/damaged/" + name));
        QVERIFY(!offered.restored);
        return;
    }
    QString question = QStringLiteral("上次没有保存的列表“list.m3u”（2 项，%1）可以恢复。是否恢复？")
                           .arg(written.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    if (another)
        question += QStringLiteral("另有 1 个未恢复的列表。");
    QCOMPARE(next.questions(), QStringList{question});
    QCOMPARE(next.box.shown.last().preferred, Answer::Yes);
    QCOMPARE(offered.restored, answer == Answer::Yes);
    QCOMPARE(next.list.entries(), answer == Answer::Yes ? dead.list.entries() : QStringList());
    QCOMPARE(QFile::exists(record), answer == Answer::Cancel);
    QCOMPARE(QFile::exists(store.ownPath()), answer == Answer::Yes);
    if (answer == Answer::No)
        QCOMPARE(readPlaylistFile(folder + "/discarded/" + name + ".m3u8").entries, dead.list.entries());
    QCOMPARE(RecoveryStore(folder).deadRecords().size(), int(another) + int(answer == Answer::Cancel));
}

void RecoveryTest::recorder_data()
{
    QTest::addColumn<bool>("writable");
    QTest::newRow("writable") << true;
    QTest::newRow("a file where the folder should be") << false;
}

void RecoveryTest::recorder()
{
    QFETCH(bool, writable);
    Rig rig;
    rig.open();
    if (!writable)
        QVERIFY(putBytes(rig.path(QStringLiteral("state")), "a file"));
    RecoveryStore store(rig.path(QStringLiteral("state/recovery")));
    RecoveryRecorder recorder(rig.flow, rig.list, store);
    QSignalSpy problem(&recorder, &RecoveryRecorder::problemChanged);
    QTest::qWait(RecoveryRecorder::kDelayMs + 200);
    QVERIFY(!QFile::exists(store.ownPath()));   // nothing unsaved: nothing written
    QElapsedTimer since;
    since.start();
    for (int i = 0; i < 30; ++i) {   // a burst longer than the delay is recorded within it
        rig.list.selectByUser(0);
        rig.list.movetobottom();
        QTest::qWait(50);
        if (writable && QFile::exists(store.ownPath()))
            break;
    }
    if (!writable) {
        QTRY_COMPARE(problem.size(), 1);
        QVERIFY(recorder.problem().startsWith(QStringLiteral("无法保存恢复信息：")));
        QVERIFY(recorder.problem().size() > 9);
        return;
    }
    QVERIFY(QFile::exists(store.ownPath()));
    QVERIFY(since.elapsed() < RecoveryRecorder::kDelayMs + 300);
    QVERIFY(problem.isEmpty());
    rig.flow.savelist();
    QTRY_VERIFY(!QFile::exists(store.ownPath()));
}

// A program editing without pause, killed at moments drawn from a logged seed,
// some while a record waits for its rename: the record found afterwards is
// the last complete one (or the one renamed in the instant before the kill),
// whole, never a mix, and never one when none was complete.
void RecoveryTest::killedAnyMoment()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("seed %u", seed);
    QRandomGenerator random(seed);
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("list.m3u"));
    QVERIFY(putBytes(list, kList));
    int inGap = 0;
    for (int kill = 0; kill < 100; ++kill) {
        const QString state = dir.filePath(QStringLiteral("state%1").arg(kill));
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_STATE_HOME"), state);
        child.setProcessEnvironment(env);
        child.start(QStringLiteral(MELVORA_RECOVERY_CHILD), {list, QString::number(random.generate())});
        QVERIFY(child.waitForStarted());
        QTest::qWait(int(random.bounded(10, 400)));
        child.kill();   // SIGKILL
        QVERIFY(child.waitForFinished());
        const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
        QByteArray recorded, renaming;
        for (const QByteArray &line : lines) {
            if (line.startsWith("recorded "))
                recorded = line.mid(9), renaming.clear();
            else if (line.startsWith("renaming "))
                renaming = line.mid(9);
        }
        inGap += !renaming.isEmpty();
        const QList<RecoveryStore::Dead> dead = RecoveryStore(state + "/melvora/recovery").deadRecords();
        // Killed before the first rename: nothing to give back.
        if (recorded.isEmpty() && dead.isEmpty())
            continue;
        QCOMPARE(dead.size(), 1);
        const QByteArray sealed = fileBytes(dead.at(0).path);
        QVERIFY(openRecord(sealed).payload);
        const QByteArray found = payloadHash(sealed);
        if (found != recorded && found != renaming)
            QFAIL(qPrintable(QStringLiteral("kill %1 (seed %2): a record neither complete nor last").arg(kill).arg(seed)));
        QVERIFY(readDocumentRecord(*openRecord(sealed).payload).record);
    }
    QVERIFY2(inGap >= 5, qPrintable(QStringLiteral("only %1 kills between a write and its rename").arg(inGap)));
}

QTEST_GUILESS_MAIN(RecoveryTest)
#include "tst_recovery.moc"
