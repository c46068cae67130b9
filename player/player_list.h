#pragma once
#include <QString>

// The main window's playlist as the player window sees it: read only. The
// player never changes the list or its selection.
class PlayerList {
public:
    virtual ~PlayerList() = default;
    virtual int count() const = 0;
    // The entry at a 0-based index; "" for any index outside the list (-1 too).
    virtual QString entry(int index) const = 0;
    // The selected 0-based index, -1 when nothing is selected.
    virtual int selection() const = 0;
};
