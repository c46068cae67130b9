#include "aux_windows.h"

#include "about_window.h"
#include "declaration_window.h"
#include "message_box.h"
#include "process_starter.h"
#include "registry.h"
#include "url_opener.h"

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QUrl>

namespace {
// The about window's notice carries an OK button and no icon.
class NoticeBox : public QtMessageBox {
public:
    void exclamation(const QString &text, const QString &title) override
    {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok,
                        AuxWindows::aboutWindow());
        box.exec();
    }
};

AuxWindows::Services g_injected;
AboutWindow *g_about = nullptr;
DeclarationWindow *g_declaration = nullptr;

AuxWindows::Services services()
{
    static SystemRegistry registry;
    static QtProcessStarter processes;
    static DesktopUrlOpener urls;
    static NoticeBox messages;
    AuxWindows::Services s = g_injected;
    if (!s.registry)
        s.registry = &registry;
    if (!s.processes)
        s.processes = &processes;
    if (!s.urls)
        s.urls = &urls;
    if (!s.messages)
        s.messages = &messages;
    return s;
}

void bringToFront(QWidget *window)
{
    if (window->isVisible())
        window->raise();
    else
        window->show();
    window->activateWindow();
}
} // namespace

void AuxWindows::setServices(const Services &injected)
{
    g_injected = injected;
}

QWidget *AuxWindows::aboutWindow()
{
    return g_about;
}

QWidget *AuxWindows::declarationWindow()
{
    return g_declaration;
}

void AuxWindows::showAbout()
{
    if (!g_about) {
        auto *window = new AboutWindow(services());
        const auto forget = [window] {
            if (g_about == window)
                g_about = nullptr;
        };
        QObject::connect(window, &AboutWindow::unloaded, forget);
        QObject::connect(window, &QObject::destroyed, forget);
        g_about = window;
    }
    bringToFront(g_about);
}

void AuxWindows::showDeclaration()
{
    if (!g_declaration) {
        auto *window = new DeclarationWindow;
        const auto forget = [window] {
            if (g_declaration == window)
                g_declaration = nullptr;
        };
        QObject::connect(window, &DeclarationWindow::unloaded, forget);
        QObject::connect(window, &QObject::destroyed, forget);
        g_declaration = window;
    }
    bringToFront(g_declaration);
}

void AuxWindows::closeAbout()
{
    if (g_about)
        g_about->close();
}

void AuxWindows::closeDeclaration()
{
    if (g_declaration)
        g_declaration->close();
}

void AuxWindows::openHelp()
{
    // No existence test: a missing file is the handler's to report.
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("readme.txt"));
    services().urls->open(QUrl::fromLocalFile(path));
}
