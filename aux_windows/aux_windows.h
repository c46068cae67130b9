#pragma once

class MessageBox;
class ProcessStarter;
class QWidget;
class Registry;
class UrlOpener;

// Entry points of the about, help and declaration windows for the main window.
// Each window is one program-wide instance, created on first use, modeless and
// without an owner.
namespace AuxWindows {
void showAbout();         // frmAbout
void showDeclaration();   // Form2
void openHelp();          // readme.txt beside the executable, in the desktop's handler
void closeDeclaration();  // unloads Form2 if it is loaded
void closeAbout();        // unloads frmAbout if it is loaded

// The desktop services the windows talk to. A null member means the real one.
// Tests hand in fakes before opening a window; a loaded window keeps the ones
// it was created with.
struct Services {
    Registry *registry = nullptr;
    ProcessStarter *processes = nullptr;
    UrlOpener *urls = nullptr;
    MessageBox *messages = nullptr;
};
void setServices(const Services &services);

QWidget *aboutWindow();        // the loaded frmAbout, or null
QWidget *declarationWindow();  // the loaded Form2, or null
} // namespace AuxWindows
