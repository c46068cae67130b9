#include <QApplication>
#include <QDBusConnection>
#include <QSettings>
#include <QTimer>

#include "aux_windows/aux_windows.h"
#include "platform/chinese_interface.h"
#include "app/check_command.h"
#include "app/command_line.h"
#include "app/export_command.h"
#include "platform/files/volumes.h"
#include "platform/files/entry_check.h"
#include "main_window/repair_dialogs.h"
#include "platform/file_dialog.h"
#include "platform/key_state.h"
#include "playlist_io/playlist_type.h"
#include "platform/message_box.h"
#include "melvora_version.h"
#include "main_window/art/pictures.h"
#include "app/program_windows.h"
#include "platform/process_starter.h"
#include "platform/registry.h"
#include "platform/url_opener.h"

namespace {
QStringList rawArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}
} // namespace

int main(int argc, char *argv[])
{
    // The command line is read first: help, version, mistakes, the check of
    // lists and the export answer without a window system; what Qt takes for
    // itself is left to it.
    const QString version = QStringLiteral(MELVORA_VERSION);
    const CommandLine early = parseCommandLine(withoutQtOptions(rawArguments(argc, argv)));
    switch (early.action) {
    case CommandLine::Action::Help:
    case CommandLine::Action::Version:
    case CommandLine::Action::Error:
        return printCommandLineAnswer(early, version);
    case CommandLine::Action::Check:
        return runCheckCommand(early.files);
    case CommandLine::Action::Export:
        return runExportCommand(early.exportList, early.exportRequest);
    case CommandLine::Action::Run:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Melvora"));
    QApplication::setApplicationVersion(version);
    // Qt has taken its own options out by now; one it did not take after all
    // (-geometry off X11) is unknown here.
    const CommandLine given = parseCommandLine(QCoreApplication::arguments());
    if (given.action == CommandLine::Action::Error)
        return printCommandLineAnswer(given, version);

    useChineseInterface(app);
    QApplication::setWindowIcon(applicationIcon());

    // The desktop services the windows talk to.
    QtMessageBox messages;
    QtFileDialog dialog;
    dialog.setFilter(playlistDialogFilter());
    QtDrives drives;
    SystemKeyState keys;
    SystemRegistry registry;
    QtProcessStarter processes;
    DesktopUrlOpener urls;
    QtMessageBox notices(nullptr, QtMessageBox::NoticeIcon::None);
    AuxWindows auxWindows(AuxServices{registry, processes, urls, notices, &messages});

    DiskProbe disk;
    QtRepairDialogs repairs;

    // The program's settings: ~/.config/melvora/melvora.conf.
    QSettings settings(QStringLiteral("melvora"), QStringLiteral("melvora"));
    ProgramWindows windows(messages, dialog, drives, keys, auxWindows, disk, repairs, {}, &settings);
    MainWindow &window = windows.mainWindow();
    messages.setParent(&window);
    dialog.setParent(&window);
    repairs.setParent(&window);
    window.show();
    // Media keys, the sound menu and playerctl, where a session bus answers.
    windows.mpris().publish(QDBusConnection::sessionBus());
    // The files named on the command line, once the window is up: what they
    // have to say is said over it.
    if (!given.files.isEmpty())
        QTimer::singleShot(0, &window, [&window, files = given.files] { window.openFiles(files); });
    return app.exec();
}
