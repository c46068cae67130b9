#pragma once
#include "player/player_types.h"

#include <array>

// The controls of the player window Form3: objectName, kind, design geometry
// in twips (relative to the client area), tab position, design caption and
// tool tip. One row per Player::Control, in the enum's order (checked at
// compile time). The component "mp" is no widget and has no row.
namespace Form3Controls {

enum class Kind { Label, CheckBox, Button, Slider, TextBox };

struct Definition {
    Player::Control id;
    const char *name;
    Kind kind;
    int left, top, width, height;   // twips
    int tab;                        // position in the tab order, 0 first
    const char *text;               // design caption or text (UTF-8)
    const char *toolTip;            // "" for none
};

const std::array<Definition, Player::ControlCount> &table();
const Definition &definition(Player::Control control);

// Client area of the window, twips; the window is not resizable.
inline constexpr int ClientWidth = 7320;
inline constexpr int ClientHeight = 1755;

} // namespace Form3Controls
