#include "player/mpris_service.h"

#include "player/mp3_control.h"
#include "player/mpris_adaptors.h"
#include "player/player_host.h"
#include "player/player_state.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QUrl>

#include <algorithm>
#include <cmath>

using namespace Player;

namespace {
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
} // namespace

// ---- the adaptors ------------------------------------------------------------------

void MprisRootAdaptor::Quit(const QDBusMessage &message)
{
    message.setDelayedReply(true);
    m_service->bus().send(message.createErrorReply(QDBusError::NotSupported, QStringLiteral("CanQuit is false")));
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService *service) : QDBusAbstractAdaptor(service), m_service(service)
{
    connect(service, &MprisService::Seeked, this, &MprisPlayerAdaptor::Seeked);
}

void MprisPlayerAdaptor::OpenUri(const QString &, const QDBusMessage &message)
{
    message.setDelayedReply(true);
    m_service->bus().send(message.createErrorReply(QDBusError::NotSupported, QStringLiteral("No URI scheme is supported")));
}

void MprisPlayerAdaptor::answer(const QDBusMessage &message, bool done)
{
    if (done)
        return;
    message.setDelayedReply(true);
    m_service->bus().send(message.createErrorReply(MprisService::kRefused,
                                                   QStringLiteral("The player cannot do that now")));
}

// ---- the service -------------------------------------------------------------------

MprisService::MprisService(PlayerHost &host, MainCommands commands, QObject *parent)
    : QObject(parent), m_host(host), m_commands(std::move(commands)), m_trackId(kNoTrack)
{
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(0);
    connect(&m_refresh, &QTimer::timeout, this, &MprisService::announce);
    connect(&m_host, &PlayerHost::windowChanged, this, [this] { follow(m_host.state()); });
    follow(m_host.state());
}

QString MprisService::busName()
{
    return QStringLiteral("org.mpris.MediaPlayer2.melvora.instance%1").arg(QCoreApplication::applicationPid());
}

bool MprisService::publish(QDBusConnection connection)
{
    if (!connection.isConnected())
        return false;
    if (!connection.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors))
        return false;
    if (!connection.registerService(busName())) {
        connection.unregisterObject(kObjectPath);
        return false;
    }
    m_bus = connection;
    m_published = true;
    m_announced = announcedProperties();
    return true;
}

PlayerState *MprisService::state() const
{
    return m_host.state();
}

// Every window the host loads is followed from its first signal on: its
// track start is the first thing announced.
void MprisService::follow(PlayerState *s)
{
    if (m_followed)
        m_followed->disconnect(this);
    m_followed = s;
    m_trackId = QDBusObjectPath(kNoTrack);
    if (s) {
        connect(s, &PlayerState::playbackStateChanged, this, &MprisService::refresh);
        connect(s, &PlayerState::enabledChanged, this, &MprisService::refresh);
        connect(s, &PlayerState::loopChanged, this, &MprisService::refresh);
        connect(s, &PlayerState::sliderValueChanged, this, [this](Slider slider) {
            if (slider == Slider::Sliyin)
                refresh();
        });
        connect(s, &PlayerState::textChanged, this, [this](Text text) {
            if (text == Text::Label3 || text == Text::Text2 || text == Text::Text4)
                refresh();
        });
        connect(s, &PlayerState::trackStarted, this, [this] {
            m_trackId = QDBusObjectPath(QStringLiteral("/org/melvora/Track/%1").arg(++m_tracks));
            refresh();
        });
        connect(s, &PlayerState::seeked, this, [this](qint32 frame) { emit Seeked(toUs(frame)); });
    }
    refresh();
}

// Told once the event loop turns: a reload of the window (unload, then load)
// is one change, and the frames heard cost nothing.
void MprisService::refresh()
{
    if (m_published)
        m_refresh.start();
}

void MprisService::announce()
{
    const QVariantMap now = announcedProperties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (m_announced.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    m_announced = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    m_bus.send(signal);
}

QVariantMap MprisService::announcedProperties() const
{
    return {
        {QStringLiteral("PlaybackStatus"), playbackStatus()},
        {QStringLiteral("LoopStatus"), loopStatus()},
        {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("Volume"), volume()},
        {QStringLiteral("CanGoNext"), isAllowed(Method::Next)},
        {QStringLiteral("CanGoPrevious"), isAllowed(Method::Previous)},
        {QStringLiteral("CanPlay"), canPlay()},
        {QStringLiteral("CanPause"), canPause()},
        {QStringLiteral("CanSeek"), canSeek()},
    };
}

// ---- commands ------------------------------------------------------------------------

// Which of the window's routines a method runs in the current state. Before
// any track (or without a window) the play methods are the main window's
// play command.
MprisService::Step MprisService::stepFor(Method method) const
{
    const PlayerState *s = state();
    const PlaybackState now = s ? s->playbackState() : PlaybackState::Idle;
    const auto click = [s](Control c) { return s->isEnabled(c) ? Step{Step::Click, c} : Step{}; };
    const bool idle = now == PlaybackState::Idle;
    switch (method) {
    case Method::Play:
        if (idle)
            return {Step::PlaySelected};
        return click(now == PlaybackState::Paused ? Control::zanting : Control::bofang);
    case Method::PlayPause:
        if (idle)
            return {Step::PlaySelected};
        return click(now == PlaybackState::Stopped ? Control::bofang : Control::zanting);
    case Method::Pause:
        return now == PlaybackState::Playing ? click(Control::zanting) : Step{};
    case Method::Stop: return idle ? Step{} : click(Control::tingzhi);
    case Method::Next: return idle ? Step{} : click(Control::Command2);
    case Method::Previous: return idle ? Step{} : click(Control::Command1);
    }
    return {};
}

bool MprisService::isAllowed(Method method) const
{
    return stepFor(method).kind != Step::Refused;
}

bool MprisService::run(Method method)
{
    const Step step = stepFor(method);
    switch (step.kind) {
    case Step::Refused: return false;
    case Step::PlaySelected: return m_commands.playSelectedMp3 && m_commands.playSelectedMp3();
    case Step::Click: state()->click(step.control); return true;
    }
    return false;
}

// As MPRIS has them: whether Play or PlayPause (Pause or PlayPause) would
// work, so both hold while paused and while playing.
bool MprisService::canPlay() const
{
    return isAllowed(Method::Play) || isAllowed(Method::PlayPause);
}

bool MprisService::canPause() const
{
    return isAllowed(Method::Pause) || (state() && state()->playbackState() == PlaybackState::Paused);
}

bool MprisService::canSeek() const
{
    const PlayerState *s = state();
    return s && s->playbackState() != PlaybackState::Idle && s->isEnabled(Control::Sliguocheng);
}

qint64 MprisService::toUs(qint64 frame) const
{
    return std::llround(double(frame) * double(m_host.component()->MsPerFrame()) * 1000.0);
}

bool MprisService::seek(qint64 offsetUs)
{
    if (!canSeek())
        return false;
    const double usPerFrame = double(m_host.component()->MsPerFrame()) * 1000.0;
    if (usPerFrame <= 0)
        return false;
    const qint64 frame = state()->curframe() + std::llround(double(offsetUs) / usPerFrame);
    if (frame >= m_host.component()->FrameCount() && !isAllowed(Method::Next))
        return false;
    state()->seekTo(frame);
    return true;
}

bool MprisService::setPosition(const QDBusObjectPath &trackId, qint64 positionUs)
{
    if (!canSeek())
        return false;
    if (trackId != m_trackId || positionUs < 0)
        return true;   // a track that is gone, or no position: ignored
    return seek(positionUs - position());
}

void MprisService::raise()
{
    if (m_commands.showPlayer)
        m_commands.showPlayer();
}

// ---- properties ----------------------------------------------------------------------

QString MprisService::playbackStatus() const
{
    switch (state() ? state()->playbackState() : PlaybackState::Idle) {
    case PlaybackState::Playing: return QStringLiteral("Playing");
    case PlaybackState::Paused: return QStringLiteral("Paused");
    case PlaybackState::Idle:
    case PlaybackState::Stopped: break;
    }
    return QStringLiteral("Stopped");
}

QString MprisService::loopStatus() const
{
    return state() && state()->loop() ? QStringLiteral("Track") : QStringLiteral("Playlist");
}

void MprisService::setLoopStatus(const QString &status)
{
    if (!state())
        return;
    if (status == QLatin1String("Track"))
        state()->setLoop(true);
    else if (status == QLatin1String("Playlist") || status == QLatin1String("None"))
        state()->setLoop(false);
}

QVariantMap MprisService::metadata() const
{
    QVariantMap map{{QStringLiteral("mpris:trackid"), QVariant::fromValue(m_trackId)}};
    const PlayerState *s = state();
    if (!s || m_trackId.path() == kNoTrack)
        return map;
    const QString path = s->playingPath();
    map.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
    if (const qint32 ms = m_host.component()->LengthMs(); ms > 0)
        map.insert(QStringLiteral("mpris:length"), qint64(ms) * 1000);
    const TrackText text = m_commands.describe ? m_commands.describe(path) : TrackText{};
    if (!text.title.isEmpty())
        map.insert(QStringLiteral("xesam:title"), text.title);
    if (!text.artist.isEmpty())
        map.insert(QStringLiteral("xesam:artist"), QStringList{text.artist});
    if (!text.album.isEmpty())
        map.insert(QStringLiteral("xesam:album"), text.album);
    return map;
}

double MprisService::volume() const
{
    return state() ? state()->volume() / 100.0 : 0.0;
}

void MprisService::setVolume(double volume)
{
    if (state() && std::isfinite(volume))
        state()->setVolume(int(std::lround(std::clamp(volume, 0.0, 1.0) * 100.0)));
}

qint64 MprisService::position() const
{
    return state() && state()->playbackState() != PlaybackState::Idle ? toUs(state()->curframe()) : 0;
}
