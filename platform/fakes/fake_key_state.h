#pragma once
#include "platform/key_state.h"

// Lock-key states set by the test; Unknown until set.
class FakeKeyState : public KeyState {
public:
    State state(Key key) const override { return states[key]; }
    State states[3] = {State::Unknown, State::Unknown, State::Unknown};
};
