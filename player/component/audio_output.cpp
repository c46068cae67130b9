#include "audio_output.h"

#include "pcm_source.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

namespace {

constexpr int BytesPerSampleFrame = 4;
constexpr int SinkBufferMs = 250;
constexpr int ClockPullMs = 20;
constexpr int ClockLeadMs = 60;

// Qt's audio backend reports a missing sound server or device with plain
// warnings on the terminal. Having no sound is a normal case for this player
// (it then plays silently), so those messages are held back while the audio
// backend is consulted; everything else goes to the previous handler.
QtMessageHandler previousHandler = nullptr;

void quietAudioMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const bool fromAudio = message.startsWith(QLatin1String("PulseAudioService"))
                           || message.contains(QLatin1String("pa_context"))
                           || message.startsWith(QLatin1String("QAudioSink"))
                           || qstrncmp(context.category ? context.category : "", "qt.multimedia", 13) == 0;
    if (type != QtFatalMsg && fromAudio)
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

class QuietAudio
{
public:
    QuietAudio() { previousHandler = qInstallMessageHandler(quietAudioMessages); }
    ~QuietAudio() { qInstallMessageHandler(previousHandler); }
    QuietAudio(const QuietAudio &) = delete;
    QuietAudio &operator=(const QuietAudio &) = delete;
};

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
    stop();
}

bool SinkOutput::deviceAvailable()
{
    QuietAudio quiet;
    return !QMediaDevices::defaultAudioOutput().isNull();
}

bool SinkOutput::start(PcmSource *source, int sampleRate)
{
    stop();
    QuietAudio quiet;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    const QAudioFormat format = stereo16(sampleRate);
    if (device.isNull() || !device.isFormatSupported(format))
        return false;
    m_sink = std::make_unique<QAudioSink>(device, format);
    m_sink->setBufferSize(qsizetype(sampleRate) * BytesPerSampleFrame * SinkBufferMs / 1000);
    m_sink->start(source);
    if (m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState) {
        m_sink.reset();
        return false;
    }
    connect(m_sink.get(), &QAudioSink::stateChanged, this, &SinkOutput::onStateChanged);
    return true;
}

void SinkOutput::onStateChanged()
{
    // Running dry (IdleState, UnderrunError) is normal at the end of a file.
    if (!m_sink || m_stopping)
        return;
    const QAudio::Error error = m_sink->error();
    if (m_sink->state() == QAudio::StoppedState
        || error == QAudio::FatalError || error == QAudio::OpenError || error == QAudio::IOError)
        emit failed();
}

void SinkOutput::suspend()
{
    if (m_sink) {
        QuietAudio quiet;
        m_sink->suspend();
    }
}

void SinkOutput::resume()
{
    if (m_sink) {
        QuietAudio quiet;
        m_sink->resume();
    }
}

void SinkOutput::stop()
{
    if (!m_sink)
        return;
    QuietAudio quiet;
    m_stopping = true;
    m_sink->disconnect(this);
    m_sink->stop();
    m_sink.reset();
    m_stopping = false;
}

qint64 SinkOutput::playedUSecs() const
{
    return m_sink ? m_sink->processedUSecs() : 0;
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
