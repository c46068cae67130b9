#pragma once
#include <QObject>
#include <QPointer>

class AboutWindow;
class DeclarationWindow;
class MessageBox;
class ProcessStarter;
class QWidget;
class Registry;
class UrlOpener;

// The desktop services the about window and the help command talk to.
struct AuxServices {
    Registry &registry;
    ProcessStarter &processes;
    UrlOpener &urls;
    MessageBox &notices;   // the about window's notices: OK button, no icon
};

// The about window frmAbout, the declaration window Form2 and the help
// command. Each window is one instance while it is loaded, created on first
// use, modeless and without an owner; showing a loaded one only brings it to
// the front. Closing a window unloads it.
class AuxWindows : public QObject {
    Q_OBJECT
public:
    explicit AuxWindows(const AuxServices &services, QObject *parent = nullptr);
    ~AuxWindows() override;   // unloads both windows

    void showAbout();
    void showDeclaration();
    void openHelp();          // readme.txt beside the executable, in the desktop's handler
    void closeDeclaration();  // unloads Form2 if it is loaded
    void closeAbout();        // unloads frmAbout if it is loaded

    QWidget *aboutWindow() const;        // the loaded frmAbout, or null
    QWidget *declarationWindow() const;  // the loaded Form2, or null

private:
    AuxServices m_services;
    QPointer<AboutWindow> m_about;
    QPointer<DeclarationWindow> m_declaration;
};
