#include "audio_output.h"

#include "pcm_source.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

namespace {

constexpr int BytesPerSampleFrame = 4;
constexpr int SinkBufferMs = 250;   // also the delay of a volume change
constexpr int ClockPullMs = 20;
constexpr int ClockLeadMs = 60;

QAudioFormat stereo16(int sampleRate)
{
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

} // namespace

// ---------------------------------------------------------------------------

SinkOutput::SinkOutput(QObject *parent)
    : AudioOutput(parent)
{
}

SinkOutput::~SinkOutput()
{
    release();
}

bool SinkOutput::deviceAvailable()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

void SinkOutput::release()
{
    if (!m_sink)
        return;
    stop();
    m_sink->disconnect(this);
    m_sink->deleteLater();
    m_sink = nullptr;
}

bool SinkOutput::start(PcmSource *source, int sampleRate)
{
    stop();
    if (!m_sink || m_rate != sampleRate) {
        release();
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        const QAudioFormat format = stereo16(sampleRate);
        if (device.isNull() || !device.isFormatSupported(format))
            return false;
        m_sink = new QAudioSink(device, format);
        m_sink->setBufferSize(qsizetype(sampleRate) * BytesPerSampleFrame * SinkBufferMs / 1000);
        m_rate = sampleRate;
        connect(m_sink, &QAudioSink::stateChanged, this, &SinkOutput::onStateChanged);
    }
    m_sink->start(source);
    if (m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState) {
        release();
        return false;
    }
    m_running = true;
    return true;
}

void SinkOutput::onStateChanged()
{
    // Running dry (IdleState, UnderrunError) is normal at the end of a file.
    if (!m_sink || !m_running)
        return;
    const QAudio::Error error = m_sink->error();
    if (m_sink->state() == QAudio::StoppedState
        || error == QAudio::FatalError || error == QAudio::OpenError || error == QAudio::IOError) {
        m_running = false;
        emit failed();
    }
}

void SinkOutput::suspend()
{
    if (m_sink && m_running)
        m_sink->suspend();
}

void SinkOutput::resume()
{
    if (m_sink && m_running)
        m_sink->resume();
}

void SinkOutput::stop()
{
    if (!m_sink || !m_running)
        return;
    m_running = false;
    m_sink->stop();
}

qint64 SinkOutput::playedUSecs() const
{
    return m_sink && m_running ? m_sink->processedUSecs() : 0;
}

qint64 SinkOutput::tailPaddingBytes(int sampleRate) const
{
    // Two buffers of silence: enough to start a stream that waits for a full
    // buffer and to push the last music out of it.
    return qint64(sampleRate) * BytesPerSampleFrame * SinkBufferMs * 2 / 1000;
}

// ---------------------------------------------------------------------------

ClockOutput::ClockOutput(QObject *parent)
    : AudioOutput(parent)
{
    m_timer.setInterval(ClockPullMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ClockOutput::pull);
}

bool ClockOutput::start(PcmSource *source, int sampleRate)
{
    stop();
    if (!source || sampleRate <= 0)
        return false;
    m_source = source;
    m_rate = sampleRate;
    m_bankedUSecs = 0;
    m_pulledBytes = 0;
    m_running = true;
    m_clock.start();
    m_timer.start();
    pull();
    return true;
}

void ClockOutput::suspend()
{
    if (!m_running)
        return;
    m_bankedUSecs += m_clock.nsecsElapsed() / 1000;
    m_running = false;
    m_timer.stop();
}

void ClockOutput::resume()
{
    if (m_running || !m_source)
        return;
    m_running = true;
    m_clock.start();
    m_timer.start();
}

void ClockOutput::stop()
{
    m_timer.stop();
    m_running = false;
    m_source = nullptr;
    m_bankedUSecs = 0;
    m_pulledBytes = 0;
}

qint64 ClockOutput::playedUSecs() const
{
    if (!m_source)
        return 0;
    return m_bankedUSecs + (m_running ? m_clock.nsecsElapsed() / 1000 : 0);
}

void ClockOutput::pull()
{
    if (!m_source || !m_running)
        return;
    // Read a little ahead of the clock, as a sound card's buffer would.
    const qint64 due = (playedUSecs() + ClockLeadMs * 1000) * m_rate / 1000000 * BytesPerSampleFrame;
    qint64 want = due - m_pulledBytes;
    while (want > 0) {
        m_scratch.resize(qsizetype(std::min<qint64>(want, 64 * 1024)));
        const qint64 got = m_source->read(m_scratch.data(), m_scratch.size());
        if (got <= 0)
            break;
        m_pulledBytes += got;
        want -= got;
    }
}
