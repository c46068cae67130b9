#include "player/component/mp3_player.h"

#include "player/component/playback_thread.h"
#include "player/component/pcm_volume.h"

#include <QMetaObject>
#include <QPointer>

#include <algorithm>

namespace {

constexpr int TickMs = 66;   // about 15 FramePlayed a second

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

int errorFor(Mp3Decoder::OpenResult result)
{
    switch (result) {
    case Mp3Decoder::OpenResult::Ok:
    case Mp3Decoder::OpenResult::Cancelled: return Mp3Player::NoError;
    case Mp3Decoder::OpenResult::NotFound: return Mp3Player::ErrFileNotFound;
    case Mp3Decoder::OpenResult::Unreadable: return Mp3Player::ErrFileUnreadable;
    case Mp3Decoder::OpenResult::Empty: return Mp3Player::ErrEmptyFile;
    case Mp3Decoder::OpenResult::NotMp3: return Mp3Player::ErrNotMp3;
    case Mp3Decoder::OpenResult::DecoderUnavailable: return Mp3Player::ErrDecoderUnavailable;
    }
    return Mp3Player::ErrNotMp3;
}

} // namespace

Mp3Player::Mp3Player(QObject *parent, Output output, Mp3Decoder::Reader reader,
                     std::shared_ptr<OutputTarget> target)
    : QObject(parent)
{
    setObjectName(QStringLiteral("mp"));
    m_tick.setInterval(TickMs);
    connect(&m_tick, &QTimer::timeout, this, &Mp3Player::tick);
    // The thread's events are handed to this object's thread, in order.
    PlaybackThread::Events events;
    events.figures = [this](quint64 open, const TrackFigures &figures) {
        QMetaObject::invokeMethod(this, [this, open, figures] { figuresFound(open, figures); }, Qt::QueuedConnection);
    };
    events.openFailed = [this](quint64 open, Mp3Decoder::OpenResult result) {
        QMetaObject::invokeMethod(this, [this, open, result] { openFailed(open, result); }, Qt::QueuedConnection);
    };
    events.decoded = [this](quint64 run) {
        QMetaObject::invokeMethod(this, [this, run] { decoded(run); }, Qt::QueuedConnection);
    };
    m_thread = std::make_unique<PlaybackThread>(output == Output::Device, std::move(reader), std::move(events),
                                                std::move(target));
}

Mp3Player::~Mp3Player()
{
    m_thread.reset();   // before anything its events could reach
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

bool Mp3Player::isSilent() const
{
    return m_thread->isSilent();
}

qint16 Mp3Player::OpenFile(const QString &path, const QString &)
{
    if (m_state != State::Idle)
        m_thread->stop();
    m_state = State::Idle;
    m_tick.stop();
    m_run = 0;
    m_open = 0;
    m_figures = TrackFigures();
    clearError();
    const Mp3Decoder::OpenResult checked = Mp3Decoder::check(path);
    m_opened = checked == Mp3Decoder::OpenResult::Ok;
    if (m_opened)
        m_open = m_thread->open(path);
    else
        setError(errorFor(checked));
    return qint16(m_errorNumber);
}

void Mp3Player::figuresFound(quint64 open, const TrackFigures &figures)
{
    if (open != m_open)
        return;
    m_figures = figures;
    emit FiguresChanged();
}

void Mp3Player::openFailed(quint64 open, Mp3Decoder::OpenResult result)
{
    if (open != m_open)
        return;
    m_opened = false;
    m_figures = TrackFigures();
    m_state = State::Idle;
    m_tick.stop();
    m_run = 0;
    setError(errorFor(result));
    emit OpenFailed();
}

void Mp3Player::Play()
{
    if (!m_opened) {
        if (m_errorNumber == NoError)
            setError(ErrNoFileOpen);
        return;
    }
    m_run = m_thread->start(0, m_appending);
    m_playRun = m_run;
    m_state = State::Playing;
    m_lastHeard = -1;
    m_tick.start();
}

void Mp3Player::tick()
{
    if (m_state != State::Playing || !m_figures.known())
        return;
    const PlaybackThread::Heard heard = m_thread->heard();
    if (heard.run != m_run || heard.sample < 0)
        return;   // nothing of this run heard yet
    m_lastHeard = std::max(m_lastHeard, heard.sample);
    emit FramePlayed(m_figures.frameAtSample(m_lastHeard));
}

void Mp3Player::decoded(quint64 run)
{
    if (run != m_run || m_state == State::Idle)
        return;
    finish(false, true);
}

void Mp3Player::finish(bool flush, bool reachedEnd)
{
    const bool wasPlaying = m_state != State::Idle;
    if (flush)
        m_thread->stop();
    m_tick.stop();
    m_state = State::Idle;
    m_run = 0;
    // Posted first: a FramePlayed handler that starts another track must not
    // have that track's playback reported as ended.
    postEnded(reachedEnd && !flush);
    if (reachedEnd && wasPlaying)
        emit FramePlayed(m_figures.frames);
}

void Mp3Player::postEnded(bool reachedEnd)
{
    if (m_endsOutstanding > 0 && m_postedPlay == m_playRun) {
        m_postedReachedEnd = m_postedReachedEnd && reachedEnd;
        return;
    }
    m_postedPlay = m_playRun;
    m_postedReachedEnd = reachedEnd;
    ++m_endsOutstanding;
    QMetaObject::invokeMethod(this, [this] {
        --m_endsOutstanding;
        // The track that this ending starts goes behind the sound still queued,
        // unless the caller has started or stopped anything since.
        const bool append = m_postedReachedEnd && m_postedPlay == m_playRun;
        QPointer<Mp3Player> alive(this);
        m_appending = append;
        emit PlayEnded();
        if (alive)
            m_appending = false;
    }, Qt::QueuedConnection);
}

void Mp3Player::TogglePause()
{
    if (m_state == State::Playing) {
        m_state = State::Paused;
        m_tick.stop();
        m_thread->setPaused(true);
    } else if (m_state == State::Paused) {
        m_state = State::Playing;
        m_thread->setPaused(false);
        m_tick.start();
    }
}

void Mp3Player::SeekFrame(qint32 frame)
{
    if (m_state == State::Idle || !m_figures.known())
        return;
    frame = std::clamp(frame, 0, m_figures.frames);
    if (frame >= m_figures.frames) {
        finish(true, true);
        return;
    }
    m_run = m_thread->seek(frame);
    m_lastHeard = -1;
}

void Mp3Player::StopPlay()
{
    finish(true, false);
}

void Mp3Player::EndPlayback()
{
    finish(true, false);
}

qint16 Mp3Player::SetVolume(qint16 left, qint16 right)
{
    m_left = PcmVolume::clampVolume(left);
    m_right = PcmVolume::clampVolume(right);
    m_thread->setGains(PcmVolume::gainForVolume(m_left), PcmVolume::gainForVolume(m_right));
    return 0;
}
