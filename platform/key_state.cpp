#include "platform/key_state.h"

#include <QGuiApplication>

#if !defined(Q_OS_WIN) && defined(MELVORA_HAVE_X11) && QT_CONFIG(xcb)
#  define MELVORA_READ_X11_LEDS
#endif

#if defined(Q_OS_WIN)
#  include <windows.h>
#elif defined(MELVORA_READ_X11_LEDS)
#  include <X11/XKBlib.h>
#endif

#if defined(Q_OS_WIN)

KeyState::State SystemKeyState::state(Key key) const
{
    const int vk = key == CapsLock ? VK_CAPITAL : key == NumLock ? VK_NUMLOCK : VK_SCROLL;
    return (GetKeyState(vk) & 1) ? State::On : State::Off;
}

#elif defined(MELVORA_READ_X11_LEDS)

namespace {
Display *x11Display()
{
    auto *app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->display() : nullptr;  // null under offscreen and Wayland
}

// Indicator bit of a named LED; servers normally use 0, 1, 2 but need not.
int indicatorIndex(Display *display, const char *name, int fallback)
{
    int index = -1;
    Bool on = False;
    const Atom atom = XInternAtom(display, name, True);
    if (atom != None && XkbGetNamedIndicator(display, atom, &index, &on, nullptr, nullptr) && index >= 0)
        return index;
    return fallback;
}
} // namespace

KeyState::State SystemKeyState::state(Key key) const
{
    Display *display = x11Display();
    if (!display)
        return State::Unknown;
    static Display *cachedFor = nullptr;
    static int bits[3] = {0, 1, 2};
    if (cachedFor != display) {
        bits[CapsLock] = indicatorIndex(display, "Caps Lock", 0);
        bits[NumLock] = indicatorIndex(display, "Num Lock", 1);
        bits[ScrollLock] = indicatorIndex(display, "Scroll Lock", 2);
        cachedFor = display;
    }
    unsigned int leds = 0;
    if (XkbGetIndicatorState(display, XkbUseCoreKbd, &leds) != Success)
        return State::Unknown;
    return (leds >> bits[key]) & 1u ? State::On : State::Off;
}

#else

KeyState::State SystemKeyState::state(Key) const
{
    return State::Unknown;
}

#endif
