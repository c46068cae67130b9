#include "main_window/main_window.h"
#include "main_window/workflow/recovery_recorder.h"
#include "main_window/status_bar.h"
#include "platform/recovery/record_container.h"
#include "platform/recovery/recovery_store.h"
#include "playlist_io/recovery_record.h"
#include "tests/common/desktop_fakes.h"
#include "tests/common/test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QByteArray kList = "#EXTM3U\r\n/m/1.mp3\r\n/m/2.mp3\r\n";
const QString kAsk = QStringLiteral("列表内容已改变!是否保存？");

struct Started {
    DesktopFakes desktop;
    AuxWindows aux{desktop.services()};
    MainWindow window{desktop.messages, desktop.dialog, desktop.drives, desktop.keys, aux, desktop.disk, desktop.repairs};
};
} // namespace

// The window's start with the records of a program that died: the list given
// back first, then the command line's files.
class RecoveryStartTest : public QObject {
    Q_OBJECT
private slots:
    void commandLineAfterRestore_data();
    void commandLineAfterRestore();
    void unwritableRecordsSaySoOnce();
};

void RecoveryStartTest::commandLineAfterRestore_data()
{
    QTest::addColumn<QString>("named");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("asked");
    // The restored list's own file is not read again over its edits.
    QTest::newRow("the restored list") << QStringLiteral("list.m3u") << QStringList{"/m/2.mp3"} << QStringList{};
    // Another list is opened as Open opens it: after the save prompt (answered No).
    QTest::newRow("another list") << QStringLiteral("other.m3u") << QStringList{"/m/1.mp3", "/m/2.mp3"}
                                  << QStringList{kAsk};
}

void RecoveryStartTest::commandLineAfterRestore()
{
    QFETCH(QString, named);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, asked);
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("list.m3u"));
    QVERIFY(putBytes(list, kList));
    QVERIFY(putBytes(dir.filePath(QStringLiteral("other.m3u")), kList));
    const QString folder = dir.filePath(QStringLiteral("recovery"));
    {
        Started dead;
        dead.window.workflow().openlist(list);
        dead.window.playlist().selectByUser(0);
        dead.window.playlist().deleteentry();
        QDir().mkpath(folder);
        QVERIFY(putBytes(folder + QStringLiteral("/1-1.melvora-recovery"),
                         sealRecord(writeDocumentRecord(dead.window.workflow().documentRecord()))));
    }
    Started next;
    RecoveryStore store(folder);
    next.desktop.messages.answers = {true, false};   // restore; then do not save
    next.window.startWithRecords(store, {dir.filePath(named)});
    QTRY_VERIFY(!next.window.isBusy());
    QCOMPARE(next.window.playlist().entries(), entries);
    QStringList shown = next.desktop.messages.texts();
    QVERIFY(shown.size() >= 1);
    QVERIFY(shown.takeFirst().startsWith(QStringLiteral("上次没有保存的列表“list.m3u”（1 项，")));
    QCOMPARE(shown, asked);
    QVERIFY(next.window.state().listChanged() || named != QStringLiteral("list.m3u"));
}

void RecoveryStartTest::unwritableRecordsSaySoOnce()
{
    QTemporaryDir dir;
    QVERIFY(putBytes(dir.filePath(QStringLiteral("state")), "a file"));
    RecoveryStore store(dir.filePath(QStringLiteral("state/recovery")));
    Started started;
    started.window.startWithRecords(store, {});
    for (int i = 0; i < 3; ++i)
        started.window.playlist().addFiles({QStringLiteral("/m/%1.mp3").arg(i)});
    // Beside the note of the missing files.
    QTRY_VERIFY(started.window.statusBar1()->note().contains(QStringLiteral(" · 无法保存恢复信息：")));
    started.window.playlist().addFiles({QStringLiteral("/m/more.mp3")});
    QTest::qWait(RecoveryRecorder::kDelayMs + 300);
    QVERIFY(started.desktop.messages.shown.isEmpty());   // never a box
    QCOMPARE(started.window.playlist().count(), 4);
}

QTEST_MAIN(RecoveryStartTest)
#include "tst_recovery_start.moc"
