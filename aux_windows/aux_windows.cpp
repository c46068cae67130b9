#include "aux_windows/aux_windows.h"

#include "aux_windows/about_window.h"
#include "aux_windows/declaration_window.h"
#include "platform/message_box.h"
#include "platform/url_opener.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {
void bringToFront(QWidget *window)
{
    if (window->isVisible())
        window->raise();
    else
        window->show();
    window->activateWindow();
}
} // namespace

AuxWindows::AuxWindows(const AuxServices &services, QObject *parent) : QObject(parent), m_services(services)
{
}

AuxWindows::~AuxWindows()
{
    delete m_about.data();
    delete m_declaration.data();
}

QWidget *AuxWindows::aboutWindow() const
{
    return m_about;
}

QWidget *AuxWindows::declarationWindow() const
{
    return m_declaration;
}

void AuxWindows::showAbout()
{
    if (!m_about) {
        m_about = new AboutWindow(m_services);
        // Unloaded when closed, though Qt deletes it only later.
        connect(m_about, &AboutWindow::unloaded, this, [this, window = m_about.data()] {
            if (m_about == window)
                m_about = nullptr;
        });
    }
    bringToFront(m_about);
}

void AuxWindows::showDeclaration()
{
    if (!m_declaration) {
        m_declaration = new DeclarationWindow;
        connect(m_declaration, &DeclarationWindow::unloaded, this, [this, window = m_declaration.data()] {
            if (m_declaration == window)
                m_declaration = nullptr;
        });
    }
    bringToFront(m_declaration);
}

void AuxWindows::closeAbout()
{
    if (m_about)
        m_about->close();
}

void AuxWindows::closeDeclaration()
{
    if (m_declaration)
        m_declaration->close();
}

QString readmePath(const QString &programDir)
{
    const QDir dir(programDir);
    const QString beside = dir.filePath(QStringLiteral("readme.txt"));
    const QString installed =
        QDir::cleanPath(dir.filePath(QStringLiteral(MELVORA_GUIDE_FROM_BINDIR "/readme.txt")));
    return !QFileInfo::exists(beside) && QFileInfo::exists(installed) ? installed : beside;
}

void AuxWindows::openHelp()
{
    // A missing file is the handler's to report; only a handler that could
    // not be started is reported here.
    const QString path = readmePath(QCoreApplication::applicationDirPath());
    if (m_services.urls.open(QUrl::fromLocalFile(path)))
        return;
    MessageBox &box = m_services.warnings ? *m_services.warnings : m_services.notices;
    box.exclamation(QStringLiteral("无法打开帮助文件") + QDir::toNativeSeparators(path) + QStringLiteral("！"),
                    QStringLiteral("提示"));
}
