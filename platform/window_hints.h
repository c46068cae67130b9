#pragma once

class QWidget;

// What a top-level window tells the window manager beyond Qt's window flags,
// for a window that draws its own frame (OwnFrame): that the manager draws no
// frame of its own, which of the user's actions it may offer (moving always,
// closing where the window has a close box), and whether the window has a
// task-bar button. Must run after the native window exists and before it is
// first shown, as the window manager reads these when it takes the window on.
// Does nothing where the windowing system is not X11.
namespace WindowHints {

struct OwnFrameHints {
    bool closable = false;
    bool taskbarButton = false;
};

void applyOwnFrame(QWidget *window, const OwnFrameHints &hints);

} // namespace WindowHints
