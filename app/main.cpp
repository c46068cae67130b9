#include <QApplication>

#include "aux_windows.h"
#include "chinese_interface.h"
#include "drives.h"
#include "file_dialog.h"
#include "key_state.h"
#include "list_file_workflow.h"
#include "main_window.h"
#include "message_box.h"
#include "melvora_version.h"
#include "pictures.h"
#include "process_starter.h"
#include "quiet_audio_logs.h"
#include "registry.h"
#include "url_opener.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Melvora"));
    QApplication::setApplicationVersion(QStringLiteral(MELVORA_VERSION));
    quietAudioBackendLogs();

    useChineseInterface(app);
    QApplication::setWindowIcon(applicationIcon());

    // The desktop services the windows talk to.
    QtMessageBox messages;
    QtFileDialog dialog;
    dialog.setFilter(ListFileWorkflow::kDialogFilter);
    QtDrives drives;
    SystemKeyState keys;
    SystemRegistry registry;
    QtProcessStarter processes;
    DesktopUrlOpener urls;
    QtMessageBox notices(nullptr, QtMessageBox::NoticeIcon::None);
    AuxWindows auxWindows(AuxServices{registry, processes, urls, notices});

    MainWindow window(messages, dialog, drives, keys, auxWindows);
    messages.setParent(&window);
    dialog.setParent(&window);
    window.show();
    return app.exec();
}
