#pragma once

// Entry points of the about, help and declaration windows for the main window.
// Each window is one program-wide instance, created on first use, modeless and
// without an owner.
namespace AuxWindows {
void showAbout();         // frmAbout
void showDeclaration();   // Form2
void openHelp();          // readme.txt beside the executable, in the desktop's handler
void closeDeclaration();  // unloads Form2 if it is loaded
void closeAbout();        // unloads frmAbout if it is loaded
} // namespace AuxWindows
