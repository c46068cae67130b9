// Saves pictures of the real main window with a list loaded, for people to look
// at: run under a display (tools/screenshot.sh starts one). Not a test.
#include "tests/common/screenshots.h"
#include "platform/fakes/fake_file_dialog.h"
#include "aux_windows/aux_windows.h"
#include "platform/process_starter.h"
#include "platform/registry.h"
#include "platform/url_opener.h"
#include "platform/files/volumes.h"
#include "platform/files/entry_check.h"
#include "main_window/repair_dialogs.h"
#include "platform/fonts.h"
#include "platform/key_state.h"
#include "main_window/main_window.h"
#include "main_window/browser/media_browser.h"
#include "platform/message_box.h"
#include "main_window/art/pictures.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QCursor>
#include <QFileInfo>
#include "main_window/playlist_view.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setFont(Fonts::interfaceFont());
    QApplication::setWindowIcon(applicationIcon());
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(out);

    // A small music folder and a playlist of 40 entries, some with Chinese names.
    QTemporaryDir tmp;
    QDir music(tmp.path());
    music.mkpath(QStringLiteral("音乐/专辑"));
    music.cd(QStringLiteral("音乐"));
    QStringList names = {QStringLiteral("月亮代表我的心.mp3"), QStringLiteral("甜蜜蜜.mp3"),
                         QStringLiteral("我的未来不是梦.mp3"), QStringLiteral("夜来香.MP3"),
                         QStringLiteral("Blue Moon.mp3"), QStringLiteral("小城故事.mp3")};
    // Written as another player writes it: titles and lengths, one entry
    // twice, one whose file is gone.
    QByteArray list = "#EXTM3U\r\n";
    for (int i = 0; i < 40; ++i) {
        const QString name = i < names.size() ? names.at(i) : QStringLiteral("曲目 %1.mp3").arg(i + 1, 2, 10, QLatin1Char('0'));
        if (i != 7)
            QFile(music.filePath(name)).open(QIODevice::WriteOnly);
        list += QStringLiteral("#EXTINF:%1,歌手 - %2\r\n").arg(180 + i).arg(QFileInfo(name).completeBaseName()).toUtf8()
                + music.filePath(name).toUtf8() + "\r\n";
    }
    list += music.filePath(names.at(1)).toUtf8() + "\r\n";
    const QString listPath = tmp.filePath(QStringLiteral("我的列表.m3u"));
    QFile listFile(listPath);
    if (!listFile.open(QIODevice::WriteOnly) || listFile.write(list) != list.size())
        return 1;
    listFile.close();

    QtMessageBox messages;
    FakeFileDialog dialog;
    QtDrives drives;
    SystemKeyState keys;
    SystemRegistry registry;
    QtProcessStarter processes;
    DesktopUrlOpener urls;
    AuxWindows aux(AuxServices{registry, processes, urls, messages});
    DiskProbe disk;
    QtRepairDialogs repairs;
    MainWindow window(messages, dialog, drives, keys, aux, disk, repairs);
    window.browser()->openFolder(music.path());
    while (window.browser()->isReading())   // the folder is read off the UI thread
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    window.show();
    dialog.names << listPath;
    window.action(QStringLiteral("MENUOPEN"))->trigger();
    window.playlist().selectByUser(2);
    settle();

    bool ok = save(window.grab(), out + QStringLiteral("/melvora-main.png"));

    // The edit menu open, taken from the screen so the pop-up shows.
    QMenu *edit = window.findChild<QMenu *>(QStringLiteral("menuedit"));
    window.menuBar()->setActiveAction(edit->menuAction());
    settle();
    ok = save(window.screen()->grabWindow(0), out + QStringLiteral("/melvora-menu.png")) && ok;
    edit->hide();
    window.menuBar()->setActiveAction(nullptr);

    // The list's pop-up menu at the selected entry.
    QMenu *popup = window.popupMenu();
    popup->popup(window.mapToGlobal(QPoint(260, 120)));
    settle();
    ok = save(window.screen()->grabWindow(0), out + QStringLiteral("/melvora-popup.png")) && ok;
    popup->hide();

    // An entry's tip, and the status bar telling what is missing and what was left out.
    const QModelIndex third = window.list1()->model()->index(2, 0);
    const QRect row = window.list1()->visualRect(third);
    const QPoint at = window.list1()->viewport()->mapToGlobal(row.center());
    QCursor::setPos(at);
    settle();
    QToolTip::showText(at, third.data(Qt::ToolTipRole).toString(), window.list1()->viewport(), QRect(), 60000);
    settle(800);
    ok = save(window.screen()->grabWindow(0), out + QStringLiteral("/melvora-tip.png")) && ok;
    QToolTip::hideText();

    // A larger window: the list takes most of the extra room.
    window.resize(900, 600);
    settle();
    ok = save(window.grab(), out + QStringLiteral("/melvora-large.png")) && ok;

    // The export dialog, made from the table of its options.
    window.action(QStringLiteral("menuexport"))->trigger();
    settle();
    if (auto *exporting = window.findChild<QDialog *>(QStringLiteral("exportdialog"))) {
        ok = save(exporting->grab(), out + QStringLiteral("/melvora-export.png")) && ok;
        exporting->reject();
    }

    // The question of the search for moved files, taken from inside its own loop.
    QTimer::singleShot(500, [&] {
        if (QWidget *question = QApplication::activeModalWidget()) {
            ok = save(question->grab(), out + QStringLiteral("/melvora-choosefile.png")) && ok;
            question->close();
        }
    });
    repairs.setParent(&window);
    repairs.chooseFile(music.filePath(QStringLiteral("甜蜜蜜.mp3")),
                       {QStringLiteral("/media/新/音乐/甜蜜蜜.mp3"), QStringLiteral("/media/旧/备份/甜蜜蜜.mp3")}, 1, 3);
    return ok ? 0 : 1;
}
