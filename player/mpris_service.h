#pragma once
#include "player/player_types.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <functional>

class PlayerHost;
class PlayerState;

// The preview player as an MPRIS 2.2 player on the session bus: the
// desktop's media keys, its sound menu and playerctl drive the player window
// through the routines its own buttons run, under the same enabling. A
// command whose control is disabled at the time is refused (a D-Bus error)
// and changes nothing. Follows the host's window through every reload.
class MprisService : public QObject {
    Q_OBJECT
public:
    // What the desktop is told of a track besides its path (empty: unknown).
    struct TrackText {
        QString title, artist, album;
    };
    // The main window's side: its play command on the selected entry, run only
    // when that is an MP3 entry (false: nothing ran, no message shown); its
    // show-player command; what the list and the tags say of a path.
    struct MainCommands {
        std::function<bool()> playSelectedMp3;
        std::function<void()> showPlayer;
        std::function<TrackText(const QString &path)> describe;
    };
    static inline const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
    static inline const QString kRefused = QStringLiteral("org.mpris.MediaPlayer2.melvora.Refused");

    MprisService(PlayerHost &host, MainCommands commands, QObject *parent = nullptr);

    // Takes the name org.mpris.MediaPlayer2.melvora.instance<pid> on
    // `connection`; false, quietly, when there is no bus or the name is taken.
    bool publish(QDBusConnection connection);
    static QString busName();
    QDBusConnection bus() const { return m_bus; }

    // ---- the interfaces' members (the adaptors forward here) ---------------------
    enum class Method { Play, Pause, PlayPause, Stop, Next, Previous };
    // False: refused, nothing changed.
    bool run(Method method);
    bool isAllowed(Method method) const;
    // Seek by an offset, or go to a position of the track `trackId`; both in
    // microseconds. False: refused. A stale track id is ignored (true).
    bool seek(qint64 offsetUs);
    bool setPosition(const QDBusObjectPath &trackId, qint64 positionUs);
    void raise();

    QString playbackStatus() const;
    QString loopStatus() const;
    void setLoopStatus(const QString &status);
    QVariantMap metadata() const;
    double volume() const;
    void setVolume(double volume);
    qint64 position() const;
    bool canPlay() const;
    bool canPause() const;
    bool canSeek() const;

    // The announced properties of the player interface, by name.
    QVariantMap announcedProperties() const;

public slots:
    // Something the metadata is made of may have changed (tags read).
    void refresh();

signals:
    // Microseconds; emitted after every seek, never for normal progress.
    void Seeked(qint64 position);

private:
    struct Step {
        enum Kind { Refused, PlaySelected, Click } kind = Refused;
        Player::Control control = Player::Control::bofang;
    };
    Step stepFor(Method method) const;
    PlayerState *state() const;
    qint64 toUs(qint64 frame) const;
    void follow(PlayerState *state);
    void announce();

    PlayerHost &m_host;
    MainCommands m_commands;
    QDBusConnection m_bus{QString()};
    bool m_published = false;
    QPointer<PlayerState> m_followed;
    quint64 m_tracks = 0;             // tracks started, for fresh track ids
    QDBusObjectPath m_trackId;        // the current track's, NoTrack when none
    QVariantMap m_announced;          // as last told
    QTimer m_refresh;
};
