#pragma once
#include <QString>

// How the main window reaches the player window. The player window implements
// it; until one is attached the main window plays nothing and the menu pair
// stays as the load left it.
class PlayerLink {
public:
    virtual ~PlayerLink() = default;
    // Unloads the player window if it is loaded (its playback ends with it).
    virtual void closeWindow() = 0;
    // Shows the player window, creating it if needed; a new window starts with
    // the list's selected entry. An existing one is only made visible.
    virtual void showWindow() = 0;
    // Hides it; playback goes on.
    virtual void hideWindow() = 0;
    // The texts the main window writes into the player: track number and "/ n".
    virtual void setTrackLabels(const QString &label4, const QString &label6) = 0;
};
