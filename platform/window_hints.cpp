#include "platform/window_hints.h"

#include <QGuiApplication>
#include <QWidget>

#if !defined(Q_OS_WIN) && defined(MELVORA_HAVE_XCB) && QT_CONFIG(xcb)
#  define MELVORA_X11_HINTS
#  include <xcb/xcb.h>
#  include <cstdlib>
#  include <cstring>
#endif

#ifdef MELVORA_X11_HINTS

namespace {
// _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
constexpr uint32_t kMwmFunctionsGiven = 1, kMwmDecorationsGiven = 2;
constexpr uint32_t kMwmFuncMove = 4, kMwmFuncClose = 32;

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return found;
}
} // namespace

void WindowHints::applyOwnFrame(QWidget *window, const OwnFrameHints &hints)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // The offscreen platform answers as X11 without a connection.
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection || !window->isWindow())
        return;
    const auto id = xcb_window_t(window->winId());

    // No frame from the window manager; the window may be moved, and closed
    // only when it has a close box.
    const uint32_t mwm[5] = {kMwmFunctionsGiven | kMwmDecorationsGiven,
                             kMwmFuncMove | (hints.closable ? kMwmFuncClose : 0), 0, 0, 0};
    const xcb_atom_t mwmAtom = atom(connection, "_MOTIF_WM_HINTS");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, mwmAtom, mwmAtom, 32, 5, mwm);

    // Qt adds its own states to these when it shows the window.
    if (!hints.taskbarButton) {
        const xcb_atom_t states[2] = {atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                      atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
        xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, atom(connection, "_NET_WM_STATE"),
                            XCB_ATOM_ATOM, 32, 2, states);
    }
    xcb_flush(connection);
}

#else

void WindowHints::applyOwnFrame(QWidget *, const OwnFrameHints &)
{
}

#endif
