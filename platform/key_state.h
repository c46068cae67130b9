#pragma once

// Lock-key states for the status bar's indicator panels. The windowing system
// is asked where it tells them (X11, Windows); elsewhere, and under the
// offscreen platform, every state is Unknown and the panels draw dimmed.
class KeyState {
public:
    enum Key { CapsLock, NumLock, ScrollLock };
    enum class State { Off, On, Unknown };

    virtual ~KeyState() = default;
    virtual State state(Key key) const = 0;
};

class SystemKeyState : public KeyState {
public:
    State state(Key key) const override;
};
