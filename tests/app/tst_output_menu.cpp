// The preview's output in the tools menu: the outputs offered as the submenu
// opens, the one in use checked, the choice remembered by name in the
// program's settings file across starts, a note while it cannot be reached.
#include "tests/common/desktop_fakes.h"
#include "player/fakes/fake_mp3_control.h"
#include "main_window/status_bar.h"
#include "app/program_windows.h"

#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class OutputMenuTest : public QObject {
    Q_OBJECT
private slots:
    void choice_data();
    void choice();
};

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
        ProgramWindows windows(desktop.messages, desktop.dialog, desktop.drives, desktop.keys, aux, desktop.disk,
                               desktop.repairs, [] { return new FakeMp3Control; }, &settings, [] {
                                   return QList<OutputDevice>{{QStringLiteral("hp"), QStringLiteral("耳机")},
                                                              {QStringLiteral("spk"), QStringLiteral("扬声器")}};
                               });
        MainWindow &main = windows.mainWindow();
        auto *menu = main.findChild<QMenu *>(QStringLiteral("menuoutputdevice"));
        QVERIFY(menu);
        const QList<QAction *> tools = main.toolsMenu()->actions();
        QCOMPARE(tools.value(tools.indexOf(menu->menuAction()) - 1)->objectName(), QStringLiteral("menureopenencoding"));
        emit menu->aboutToShow();
        QStringList captions, ticked;
        for (QAction *item : menu->actions()) {
            captions << item->text();
            if (item->isChecked())
                ticked << item->text();
        }
        QCOMPARE(captions, (QStringList{QStringLiteral("系统默认"), QStringLiteral("耳机"), QStringLiteral("扬声器")}));
        QCOMPARE(ticked, QStringList{checked});
        if (!trigger.isEmpty())
            menu->actions().at(captions.indexOf(trigger))->trigger();
        QCOMPARE(windows.outputChoice().target()->wanted(), nextStart);
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
