#include "player/component/mp3_player.h"

#include "player/component/audio_output.h"
#include "player/component/sdl_output.h"
#include "player/component/pcm_source.h"
#include "player/component/pcm_volume.h"

#include <QMetaObject>

#include <algorithm>

namespace {

constexpr int TickMs = 66;   // about 15 FramePlayed a second
// An output whose clock stands still this long while playing is given up for
// the silent clock, so a stuck device never stalls the playlist. Generous: a
// busy sound server can pause a stream for a second or more.
constexpr int StallTicks = 5000 / TickMs;

QString describe(int number)
{
    switch (number) {
    case Mp3Player::NoError: return QString();
    case Mp3Player::ErrDecoderUnavailable: return QStringLiteral("MP3 decoder unavailable");
    case Mp3Player::ErrNoFileOpen: return QStringLiteral("No file is open");
    case Mp3Player::ErrFileNotFound: return QStringLiteral("File not found");
    case Mp3Player::ErrEmptyFile: return QStringLiteral("File is empty");
    case Mp3Player::ErrFileUnreadable: return QStringLiteral("File cannot be read");
    case Mp3Player::ErrNotMp3: return QStringLiteral("Not an MP3 file");
    }
    return QStringLiteral("Unknown error");
}

} // namespace

Mp3Player::Mp3Player(QObject *parent, Output output)
    : QObject(parent)
    , m_outputMode(output)
    , m_source(std::make_unique<PcmSource>(&m_decoder))
{
    setObjectName(QStringLiteral("mp"));
    m_tick.setInterval(TickMs);
    connect(&m_tick, &QTimer::timeout, this, &Mp3Player::tick);
}

Mp3Player::~Mp3Player()
{
    stopOutput();
}

void Mp3Player::setError(int number)
{
    m_errorNumber = number;
    m_errorDescription = describe(number);
}

void Mp3Player::clearError()
{
    setError(NoError);
}

qint16 Mp3Player::OpenFile(const QString &path, const QString &)
{
    stopOutput();
    m_state = State::Idle;
    clearError();
    switch (m_decoder.open(path)) {
    case Mp3Decoder::OpenResult::Ok: break;
    case Mp3Decoder::OpenResult::NotFound: setError(ErrFileNotFound); break;
    case Mp3Decoder::OpenResult::Unreadable: setError(ErrFileUnreadable); break;
    case Mp3Decoder::OpenResult::Empty: setError(ErrEmptyFile); break;
    case Mp3Decoder::OpenResult::NotMp3: setError(ErrNotMp3); break;
    case Mp3Decoder::OpenResult::DecoderUnavailable: setError(ErrDecoderUnavailable); break;
    }
    return qint16(m_errorNumber);
}

void Mp3Player::Play()
{
    if (!m_decoder.isOpen()) {
        if (m_errorNumber == NoError)
            setError(ErrNoFileOpen);
        return;
    }
    ++m_playGeneration;
    startOutputAt(0);
    m_state = State::Playing;
    m_tick.start();
}

void Mp3Player::startOutputAt(qint32 frame)
{
    stopOutput();
    m_originSample = m_decoder.seekFrame(frame);
    m_lastHeard = m_originSample;
    m_lastPlayed = -1;
    m_stallTicks = 0;
    m_source->setGains(PcmVolume::gainForVolume(m_left), PcmVolume::gainForVolume(m_right));
    if (m_outputMode == Output::Device) {
        if (!m_sink) {
            m_sink = std::make_unique<SdlOutput>();
            connect(m_sink.get(), &AudioOutput::failed, this, &Mp3Player::switchToClock, Qt::QueuedConnection);
        }
        m_source->restart();
        if (m_sink->start(m_source.get(), m_decoder.sampleRate())) {
            m_output = m_sink.get();
            m_silent = false;
            return;
        }
    }
    if (!m_clock)
        m_clock = std::make_unique<ClockOutput>();
    m_source->restart();
    m_clock->start(m_source.get(), m_decoder.sampleRate());
    m_output = m_clock.get();
    m_silent = true;
}

void Mp3Player::stopOutput()
{
    m_tick.stop();
    if (m_output) {
        m_output->stop();
        m_output = nullptr;
    }
}

void Mp3Player::switchToClock()
{
    // The device went away: carry on silently from what was last heard.
    if (m_state == State::Idle || !m_output || m_output->isSilent())
        return;
    const qint32 frame = m_decoder.frameAtSample(m_lastHeard);
    const bool paused = m_state == State::Paused;
    const Output mode = m_outputMode;
    m_outputMode = Output::Silent;
    startOutputAt(frame);
    m_outputMode = mode;
    if (paused)
        m_output->suspend();
    else
        m_tick.start();
}

qint64 Mp3Player::heardSample() const
{
    if (!m_output)
        return m_originSample;
    const qint64 rate = m_decoder.sampleRate();
    const qint64 content = m_source->contentBytes() / Mp3Decoder::BytesPerSampleFrame;
    const qint64 played = std::min(m_output->playedUSecs() * rate / 1000000, content);
    return m_originSample + played;
}

void Mp3Player::tick()
{
    if (m_state != State::Playing || !m_output)
        return;
    const qint64 rate = m_decoder.sampleRate();
    const qint64 played = m_output->playedUSecs();
    const qint64 contentUSecs = m_source->contentBytes() / Mp3Decoder::BytesPerSampleFrame * 1000000 / rate;
    if (m_source->contentEnded() && played >= contentUSecs) {
        finish(true);
        return;
    }
    m_stallTicks = played == m_lastPlayed ? m_stallTicks + 1 : 0;
    m_lastPlayed = played;
    if (m_stallTicks >= StallTicks) {
        if (!m_output->isSilent()) {
            switchToClock();
            return;
        }
        if (m_source->contentEnded()) {
            finish(true);
            return;
        }
    }
    m_lastHeard = std::max(m_lastHeard, heardSample());
    emit FramePlayed(m_decoder.frameAtSample(m_lastHeard));
}

void Mp3Player::finish(bool reachedEnd)
{
    const bool wasPlaying = m_state != State::Idle;
    stopOutput();
    m_state = State::Idle;
    // Posted first: a FramePlayed handler that starts another track must not
    // have that track's playback reported as ended.
    postEnded();
    if (reachedEnd && wasPlaying)
        emit FramePlayed(m_decoder.frameCount());
}

void Mp3Player::postEnded()
{
    if (m_endsOutstanding > 0 && m_postedGeneration == m_playGeneration)
        return;
    m_postedGeneration = m_playGeneration;
    ++m_endsOutstanding;
    QMetaObject::invokeMethod(this, [this] {
        --m_endsOutstanding;
        emit PlayEnded();
    }, Qt::QueuedConnection);
}

void Mp3Player::TogglePause()
{
    if (m_state == State::Playing) {
        m_state = State::Paused;
        m_tick.stop();
        m_output->suspend();
    } else if (m_state == State::Paused) {
        m_state = State::Playing;
        m_output->resume();
        m_lastPlayed = -1;
        m_stallTicks = 0;
        m_tick.start();
    }
}

void Mp3Player::SeekFrame(qint32 frame)
{
    if (m_state == State::Idle)
        return;
    frame = std::clamp(frame, 0, m_decoder.frameCount());
    if (frame >= m_decoder.frameCount()) {
        finish(true);
        return;
    }
    const bool paused = m_state == State::Paused;
    startOutputAt(frame);
    if (paused)
        m_output->suspend();
    else
        m_tick.start();
}

void Mp3Player::StopPlay()
{
    finish(false);
}

void Mp3Player::EndPlayback()
{
    finish(false);
}

qint32 Mp3Player::FrameCount() const
{
    return m_decoder.frameCount();
}

float Mp3Player::MsPerFrame() const
{
    return m_decoder.msPerFrame();
}

qint32 Mp3Player::LengthMs() const
{
    return m_decoder.lengthMs();
}

qint32 Mp3Player::SampleRate() const
{
    return m_decoder.sampleRate();
}

qint32 Mp3Player::BitRate() const
{
    return m_decoder.bitRate();
}

qint16 Mp3Player::SetVolume(qint16 left, qint16 right)
{
    m_left = PcmVolume::clampVolume(left);
    m_right = PcmVolume::clampVolume(right);
    m_source->setGains(PcmVolume::gainForVolume(m_left), PcmVolume::gainForVolume(m_right));
    return 0;
}
