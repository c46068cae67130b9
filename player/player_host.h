#pragma once
#include "model/path_rules.h"
#include "player/player_link.h"

#include <QObject>
#include <QPointer>

#include <functional>

class Form3;
class Mp3Control;
class PlayerList;
class PlayerState;

// The one player window of the program, created on first use: a Form3 with
// its PlayerState and its MP3 component. Loading creates the three and runs
// the load sequence (which may start the selected entry); unloading destroys
// them, and the audio ends with the component. Showing or hiding loads first
// when there is no window.
//
// Unloading is safe from inside any handler of the window or the component:
// the objects are cut off at once and deleted from the event loop.
class PlayerHost : public QObject, public PlayerLink {
    Q_OBJECT
public:
    // Makes the component of a new window; the host takes ownership.
    using ComponentFactory = std::function<Mp3Control *()>;

    // The list must outlive the host. Without a factory the real component
    // (Mp3Player on the default audio device) is used.
    explicit PlayerHost(const PlayerList &list, ComponentFactory factory = {},
                        PathRules rules = PathRules::native(), QObject *parent = nullptr);
    ~PlayerHost() override;

    // ---- PlayerLink ------------------------------------------------------------
    void closeWindow() override;
    void showWindow() override;
    void hideWindow() override;
    // Ignored while no window is loaded: a fresh window takes its number from
    // the list's selection, and a list change must not start playback unseen.
    void setTrackPosition(int number, int count) override;

    // ---- for the main window and tests -------------------------------------------
    bool isLoaded() const;
    Form3 *window() const;
    PlayerState *state() const { return m_state; }
    Mp3Control *component() const { return m_component; }

signals:
    // The playing track's path changed (the window's Label3).
    void playingPathChanged(const QString &path);
    // The user hid the window (double-click on its background).
    void hiddenByUser();
    // A track could not be started: the window was unloaded; show the main window.
    void showMainWindowRequested();
    // A window was loaded (before its load sequence runs) or unloaded: state()
    // and component() are the new ones, or null.
    void windowChanged();

private:
    void load();
    void unload();
    void connectView();
    void syncView();

    const PlayerList &m_list;
    ComponentFactory m_factory;
    PathRules m_rules;
    QPointer<Form3> m_window;
    PlayerState *m_state = nullptr;      // child of m_window
    Mp3Control *m_component = nullptr;   // child of m_window
};
