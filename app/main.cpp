#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "aux_windows.h"
#include "drives.h"
#include "file_dialog.h"
#include "fonts.h"
#include "key_state.h"
#include "list_file_workflow.h"
#include "message_box.h"
#include "melvora_version.h"
#include "pictures.h"
#include "program_windows.h"
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

    // Chinese throughout, Qt's own dialogs and buttons included.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    QApplication::setFont(Fonts::interfaceFont());
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

    ProgramWindows windows(messages, dialog, drives, keys, auxWindows);
    MainWindow &window = windows.mainWindow();
    messages.setParent(&window);
    dialog.setParent(&window);
    window.show();
    return app.exec();
}
