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
    // The help command's warning when the read-me cannot be opened: title
    // "提示", exclamation icon, as the main window's boxes. The notices when null.
    MessageBox *warnings = nullptr;
};

// The read-me the help command opens, for the executable in `programDir`:
// readme.txt beside it (the build), else the installed one in the data folder
// (../share/melvora/readme.txt); beside it when neither exists.
QString readmePath(const QString &programDir);

// The about window frmAbout, the declaration window Form2 and the help
// command. Each window is one instance while it is loaded, created on first
// use, modeless and without an owner; showing a loaded one only brings it to
// the front. Closing a window unloads it.
class AuxWindows : public QObject {
    Q_OBJECT
public:
    explicit AuxWindows(const AuxServices &services, QObject *parent = nullptr);
    ~AuxWindows() override;   // unloads both windows

    void showAbout();         // aboutme: loads and shows frmAbout
    void showDeclaration();   // xuanyan: loads and shows Form2
    // help: readmePath() in the desktop's handler; says so when none could be started.
    void openHelp();
    void closeDeclaration();  // unloads Form2 if it is loaded
    void closeAbout();        // unloads frmAbout if it is loaded

    QWidget *aboutWindow() const;        // the loaded frmAbout, or null
    QWidget *declarationWindow() const;  // the loaded Form2, or null

private:
    AuxServices m_services;
    QPointer<AboutWindow> m_about;
    QPointer<DeclarationWindow> m_declaration;
};
