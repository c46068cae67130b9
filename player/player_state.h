#pragma once
#include "model/path_rules.h"
#include "player/player_types.h"

#include <QObject>
#include <QString>

#include <array>

class Mp3Control;
class PlayerList;

// The player window without a screen: playback state, the current track, the
// flags of the transport, the enabled and visible state of every control and
// every text the window shows, all derived from typed state. The window Form3
// is a view that forwards user events here and applies the signals.
//
// The current track is identified by its number (1-based position in the
// list, 0 for none) and its full path. The main window keeps the number in
// step with the list through setTrackPosition(); the player writes it itself
// when it moves to another entry.
//
// Frame numbers, positions and their arithmetic are 32-bit or wider, so
// tracks of any length play, seek and display correctly.
//
// Re-entrancy: PlayEnded may arrive inside StopPlay/EndPlayback or queued
// after it; the flags it reads are set before those calls, so both orders end
// the same way. After failed() the object does nothing more: every entry
// point returns at once, so a host may destroy it later (deleteLater) from
// inside any handler.
class PlayerState : public QObject {
    Q_OBJECT
public:
    // Neither list nor mp is owned; both must outlive this object. The
    // component's two signals are connected here.
    PlayerState(const PlayerList &list, Mp3Control &mp, PathRules rules = PathRules::native(),
                QObject *parent = nullptr);

    // ---- read access -------------------------------------------------------
    Player::PlaybackState playbackState() const { return m_state; }
    int trackNumber() const { return m_trackNumber; }         // Label4 as a number
    Player::NumberForm trackNumberForm() const { return m_trackForm; }
    QString playingPath() const { return m_path; }             // Label3
    bool userstopped() const { return m_userstopped; }   // the user pressed stop; no track since
    bool jumppending() const { return m_jumppending; }   // a navigation button waits for PlayEnded
    bool loop() const { return m_loop; }                       // Check1 checked
    qint32 curframe() const { return m_curframe; }       // the frame FramePlayed reported last
    int volume() const { return m_volume; }                    // 0..100, from Sliyin
    int sliderValue(Player::Slider slider) const;
    int positionMinimum() const { return m_positionMin; }
    int positionMaximum() const { return m_positionMax; }
    bool isEnabled(Player::Control control) const { return m_enabled[size_t(control)]; }
    bool isVisible(Player::Control control) const { return m_visible[size_t(control)]; }
    QString text(Player::Text text) const;
    // True once the error path ran: the window is to be unloaded.
    bool isFinished() const { return m_finished; }

    // ---- window load ---------------------------------------------------------
    // The load sequence: initial box texts, volume -35 and balance 0 applied,
    // transport disabled, the track number from the list's selection; then
    // the selected entry plays when it is an MP3 entry, otherwise the idle
    // look (status labels and loop box hidden for good, track number "0").
    void load();

    // ---- user events -----------------------------------------------------------
    // A click on a button; clicks on disabled controls and on controls that
    // are no buttons are ignored.
    void click(Player::Control control);
    void bofang();     // play: restarts the current track from its beginning
    void zanting();    // pause, or continue when paused
    void tingzhi();    // stop
    void kuaijin();    // fast forward 355 frames unless that passes the end
    void kuaitui();    // rewind 355 frames unless that passes the start
    void Command1();   // previous entry
    void Command2();   // next entry
    void Command3();   // first entry
    void Command4();   // last entry
    // A finished change of a slider by the user (released thumb, click on the
    // track, key, wheel); also a plain click on the volume or balance slider.
    void userMovedSlider(Player::Slider slider, int value);
    void Sliguocheng_Change(int value);   // seeks when moved by more than 355 frames
    void Sliyin_Change(int value);        // volume, then applyvolume
    void Slishengdaoo_Change(int value);  // balance, then applyvolume
    // Check1 toggled: loop mode. A change is announced (loopChanged), so a
    // change made from elsewhere ticks the box too.
    void setLoop(bool checked);

    // ---- desktop controls (the same routines, without the slider's rule) -----------
    // Goes to `frame` directly, even a few frames away (the position slider
    // ignores moves of 355 frames or less): clamped at 0; at or past the
    // track's end, runs Command2. Ignored while the position slider is disabled.
    void seekTo(qint64 frame);
    // The volume slider moved to `volume` (0..100) by the program; ignored
    // while the slider is disabled.
    void setVolume(int volume);

    // ---- main window -----------------------------------------------------------
    // After a list change: the playing track's 1-based position (0 when not in
    // the list) and the entry count. Changed texts re-run commenable.
    void setTrackPosition(int number, int count);

    // ---- component events (connected by the constructor) -------------------------
    void mp_FramePlayed(qint32 frame);   // elapsed time, frame count, position slider
    void mp_PlayEnded();                 // stop confirmed, jump, loop or next entry
    void mp_FiguresChanged();            // total time, stream boxes, total frames and slider range
    void mp_OpenFailed();                // the error path, once the file proved unplayable

signals:
    void textChanged(Player::Text text, const QString &value);
    void enabledChanged(Player::Control control, bool enabled);
    void visibleChanged(Player::Control control, bool visible);
    void sliderValueChanged(Player::Slider slider, int value);
    void positionRangeChanged(int minimum, int maximum);
    void loopChanged(bool checked);
    void playbackStateChanged(Player::PlaybackState state);
    // A track started (or restarted) from its beginning.
    void trackStarted();
    // The component was told to continue at `frame` (the slider, >>, <<, seekTo).
    void seeked(qint32 frame);
    // Label3 took a new path: the main window looks it up in its list and
    // answers through setTrackPosition (possibly before this returns).
    void playingPathChanged(const QString &path);
    // A track could not be opened or played: unload the window and show the
    // main window, without a message. Emitted once; nothing runs afterwards.
    void failed();

private:
    // What a display box holds: its design text, "0", or a value in its format.
    struct Display {
        enum Kind { Design, Zero, Value } kind = Design;
        qint64 value = 0;
    };

    void play();             // starts the entry whose number is the track number
    void tongyishou();       // starts the track whose path is held, from its beginning
    void commenable();       // enables the four navigation buttons for position and count
    void xiayishou();        // the next MP3 entry, wrapping; stops after a pass without one
    void applyvolume();      // channel volumes from volume and balance
    void showtotaltime();    // total time box
    void showstreaminfo();   // sampling rate and bit rate boxes
    void showframecount();   // total frames box, which sets the position slider's range
    bool figuresKnown() const;
    void startChosenEntry(); // the entry a navigation button chose, or the next MP3 one
    void navigate(int number);
    void showStoppedWithoutTrack();
    void positionChanged();  // the position slider's change reaction
    void seek(qint32 frame);
    bool errorPending() const;

    QString entryText(int number) const;   // entry with a 1-based number, "" outside
    void setState(Player::PlaybackState state);
    void setTrack(int number, Player::NumberForm form);
    void setCountShown(int count);
    void setPath(const QString &path);
    void setDisplay(Player::Text box, Display display);
    void setEnabled(Player::Control control, bool enabled);
    void setVisible(Player::Control control, bool visible);
    void setPositionValue(int value);
    void setPositionRange(int minimum, int maximum);
    void setSlider(Player::Slider slider, int value);
    int takeUserValue(Player::Slider slider, int value, int minimum, int maximum, int &slot);
    Display &display(Player::Text box);
    const Display &display(Player::Text box) const;
    qint64 framesShown() const;   // Text3 as a number

    const PlayerList &m_list;
    Mp3Control &m_mp;
    PathRules m_rules;

    Player::PlaybackState m_state = Player::PlaybackState::Idle;
    int m_trackNumber = 0;
    Player::NumberForm m_trackForm = Player::NumberForm::Plain;
    bool m_trackShown = false;        // Label4 written at all (design: empty)
    int m_countShown = -1;            // Label6's count, -1 while empty
    QString m_path;
    bool m_userstopped = false;
    bool m_jumppending = false;
    bool m_loop = false;
    qint32 m_curframe = 0;
    int m_volume = 0;
    int m_sliyin = 0;
    int m_balance = 0;
    int m_position = 0;
    int m_positionMin = 0;
    int m_positionMax = 10;
    std::array<Display, 6> m_boxes{};  // Text1..Text6
    std::array<bool, Player::ControlCount> m_enabled{};
    std::array<bool, Player::ControlCount> m_visible{};
    bool m_finished = false;
};
