#pragma once
#include <QObject>

// Names shared by the player window's logic and its view. The view maps each
// control to its objectName in one table (form3_controls.cpp); the logic never
// sees a widget or an objectName.
namespace Player {
Q_NAMESPACE

// Every control of Form3 whose enabled or visible state the logic decides.
enum class Control {
    Label2, Label4, Label5, Label6,   // status word, track number, "首歌曲", "/" and count
    Check1, Label3,                   // loop this track; the track's full path (hidden)
    bofang, zanting, tingzhi,         // play, pause/continue, stop
    kuaijin, kuaitui, Sliguocheng,    // fast forward, rewind, position slider
    Text1, Text3, Text4,              // played time, frames played, total frames
    Text5, Text6, Text2,              // sample rate, bit rate, total time
    Command3, Command1, Command2, Command4,   // first, previous, next, last track
    Sliyin, Slishengdaoo, Label1, Label7,     // volume, balance, its "L" and "R"
};
Q_ENUM_NS(Control)
inline constexpr int ControlCount = int(Control::Label7) + 1;

// Texts that change at run time. Caption is the window title; ZantingCaption
// and ZantingToolTip are the pause button's ">|" / ">" and "暂停" / "继续".
enum class Text {
    Label2, Label3, Label4, Label6,
    Text1, Text2, Text3, Text4, Text5, Text6,
    ZantingCaption, ZantingToolTip, Caption,
};
Q_ENUM_NS(Text)
inline constexpr int TextCount = int(Text::Caption) + 1;

enum class Slider { Sliguocheng, Sliyin, Slishengdaoo };
Q_ENUM_NS(Slider)

enum class PlaybackState { Idle, Playing, Paused, Stopped };
Q_ENUM_NS(PlaybackState)

// How a track number was written into Label4: by the player itself ("3") or
// by the main window after a list change (" 3", a blank in the sign's place;
// "0" when the track is not in the list).
enum class NumberForm { Plain, SignBlank };
Q_ENUM_NS(NumberForm)
} // namespace Player
