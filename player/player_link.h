#pragma once

// How the main window reaches the player window. The player window's host
// implements it; tests hand in a fake.
class PlayerLink {
public:
    virtual ~PlayerLink() = default;
    // Unloads the player window if it is loaded (its playback ends with it).
    virtual void closeWindow() = 0;
    // Shows the player window, loading it first if there is none; a newly
    // loaded window takes the list's selected entry and starts it when that is
    // an MP3 entry. A loaded window is only made visible.
    virtual void showWindow() = 0;
    // Hides it, loading it first if there is none; playback goes on.
    virtual void hideWindow() = 0;
    // The main window's writes after every change of the list: the playing
    // track's 1-based position in the list (0 when it is not in the list) and
    // the number of entries.
    virtual void setTrackPosition(int number, int count) = 0;
};
