// The preview's output in the tools menu: the outputs offered as the submenu
// opens, the one in use checked, the choice remembered by name in the
// program's settings file across starts, a note while it cannot be reached.
// The system is asked off the UI thread: the menu opens at once, and is filled
// again when the outputs come back different.
#include "tests/common/desktop_fakes.h"
#include "player/fakes/fake_mp3_control.h"
#include "main_window/status_bar.h"
#include "app/program_windows.h"

#include <QMenu>
#include <QMutex>
#include <QSemaphore>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class OutputMenuTest : public QObject {
    Q_OBJECT
private slots:
    void choice_data();
    void choice();
};

namespace {
// The outputs the system lists; the first asking answers once released.
struct Outputs {
    QMutex mutex;
    QList<OutputDevice> listed{{QStringLiteral("hp"), QStringLiteral("耳机")}, {QStringLiteral("spk"), QStringLiteral("扬声器")}};
    QSemaphore released;
    QList<OutputDevice> list()
    {
        static_cast<void>(released.tryAcquire(1, 2000));
        released.release();
        QMutexLocker lock(&mutex);
        return listed;
    }
};

QStringList captions(const QMenu &menu, bool checkedOnly = false)
{
    QStringList found;
    for (QAction *item : menu.actions())
        if (!checkedOnly || item->isChecked())
            found << item->text();
    return found;
}
} // namespace

void OutputMenuTest::choice_data()
{
    QTest::addColumn<QString>("remembered");   // from the last start; "-": nothing
    QTest::addColumn<QString>("trigger");      // caption chosen; "": none
    QTest::addColumn<QString>("checked");      // before the choice
    QTest::addColumn<QString>("nextStart");    // remembered for the next start
    QTest::newRow("first start: the default") << "-" << "" << "系统默认" << "";
    QTest::newRow("remembered and there") << "spk" << "" << "扬声器" << "spk";
    QTest::newRow("remembered but absent: the default, the choice kept") << "gone" << "" << "系统默认" << "gone";
    QTest::newRow("chosen: remembered by name") << "-" << "耳机" << "系统默认" << "hp";
    QTest::newRow("the default chosen") << "spk" << "系统默认" << "扬声器" << "";
}

void OutputMenuTest::choice()
{
    QFETCH(QString, remembered);
    QFETCH(QString, trigger);
    QFETCH(QString, checked);
    QFETCH(QString, nextStart);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("melvora.conf"));
    const QString key = QStringLiteral("preview/outputDevice");
    if (remembered != QLatin1String("-"))
        QSettings(file, QSettings::IniFormat).setValue(key, remembered);
    {
        QSettings settings(file, QSettings::IniFormat);
        DesktopFakes desktop;
        AuxWindows aux(desktop.services());
        auto outputs = std::make_shared<Outputs>();
        ProgramWindows windows(desktop.messages, desktop.dialog, desktop.drives, desktop.keys, aux, desktop.disk,
                               desktop.repairs, [] { return new FakeMp3Control; }, &settings,
                               [outputs] { return outputs->list(); });
        MainWindow &main = windows.mainWindow();
        auto *menu = main.findChild<QMenu *>(QStringLiteral("menuoutputdevice"));
        QVERIFY(menu);
        const QList<QAction *> tools = main.toolsMenu()->actions();
        QCOMPARE(tools.value(tools.indexOf(menu->menuAction()) - 1)->objectName(), QStringLiteral("menureopenencoding"));
        menu->popup(QPoint());
        QCOMPARE(captions(*menu), QStringList{QStringLiteral("系统默认")});   // not waiting for the system
        outputs->released.release();
        QTRY_COMPARE(captions(*menu), (QStringList{QStringLiteral("系统默认"), QStringLiteral("耳机"), QStringLiteral("扬声器")}));
        QCOMPARE(captions(*menu, true), QStringList{checked});
        if (!trigger.isEmpty())
            menu->actions().at(captions(*menu).indexOf(trigger))->trigger();
        QCOMPARE(windows.outputChoice().target()->wanted(), nextStart);
        // Opened again: asked again.
        menu->hide();
        outputs->mutex.lock();
        outputs->listed.removeFirst();
        outputs->mutex.unlock();
        menu->popup(QPoint());
        QTRY_COMPARE(captions(*menu), (QStringList{QStringLiteral("系统默认"), QStringLiteral("扬声器")}));
        menu->hide();
        // Where the sound cannot reach it, the status area says so; reached, the note goes.
        windows.outputChoice().target()->reportReached(false);
        QTRY_COMPARE(main.statusBar1()->note(), OutputChoice::kUnavailableNote);
        windows.outputChoice().target()->reportReached(true);
        QTRY_COMPARE(main.statusBar1()->note(), QString());
    }
    QCOMPARE(QSettings(file, QSettings::IniFormat).value(key).toString(), nextStart);
}

QTEST_MAIN(OutputMenuTest)
#include "tst_output_menu.moc"
