#include "player/component/playback_thread.h"

#include "player/component/audio_output.h"
#include "player/component/pcm_volume.h"
#include "player/component/device_output.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>

namespace {

constexpr auto ServiceEvery = std::chrono::milliseconds(10);
constexpr int ChunkMs = 20;   // decoded at a time: the lead is kept to within this

} // namespace

PlaybackThread::PlaybackThread(bool useDevice, Mp3Decoder::Reader reader, Events events,
                               std::shared_ptr<OutputTarget> target)
    : m_useDevice(useDevice)
    , m_reader(std::move(reader))
    , m_events(std::move(events))
    , m_target(std::move(target))
    , m_left(PcmVolume::UnityGain)
    , m_right(PcmVolume::UnityGain)
    , m_decoder(m_reader)
{
    m_thread = std::thread([this] { run(); });
}

PlaybackThread::~PlaybackThread()
{
    m_ending.store(true);
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void PlaybackThread::post(Command command)
{
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_commands.push_back(std::move(command));
    }
    m_wake.notify_all();
}

quint64 PlaybackThread::open(const QString &path)
{
    const quint64 open = m_opens.fetch_add(1) + 1;
    const quint64 stops = m_stops.fetch_add(1) + 1;
    post({Command::Open, open, 0, false, stops, path, {}});
    return open;
}

quint64 PlaybackThread::start(qint32 frame, bool append)
{
    post({Command::Start, ++m_runs, frame, append, 0, {}, {}});
    return m_runs;
}

quint64 PlaybackThread::seek(qint32 frame)
{
    post({Command::Seek, ++m_runs, frame, false, 0, {}, {}});
    return m_runs;
}

void PlaybackThread::stop()
{
    m_stops.fetch_add(1);
    post({Command::Stop, 0, 0, false, 0, {}, {}});
}

void PlaybackThread::setPaused(bool paused)
{
    post({paused ? Command::Pause : Command::Resume, 0, 0, false, 0, {}, {}});
}

void PlaybackThread::setGains(int leftQ15, int rightQ15)
{
    m_left.store(leftQ15);
    m_right.store(rightQ15);
    m_wake.notify_all();
}

PlaybackThread::Heard PlaybackThread::heard() const
{
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_heard;
}

// ---- on the thread -------------------------------------------------------------

void PlaybackThread::run()
{
    // Above the program's other threads where the system allows it, so that a
    // seek or start refills the queue at once on a busy machine.
    SDL_SetThreadPriority(SDL_THREAD_PRIORITY_HIGH);
    if (m_useDevice) {
        m_device = makeDeviceOutput(m_target);
    }
    std::unique_lock<std::mutex> lock(m_lock);
    while (!m_quit) {
        m_wake.wait_for(lock, ServiceEvery, [this] { return m_quit || !m_commands.empty(); });
        if (m_quit)
            break;
        std::vector<Command> commands;
        commands.swap(m_commands);
        lock.unlock();
        for (const Command &command : commands)
            handle(command);
        if (m_output) {
            m_output->setGains(m_left.load(), m_right.load());
            m_output->follow();
            if (m_output->failed())
                fallBackToClock();
            if (m_decoding && !m_paused)
                feed();
            else if (m_output->written() - m_output->heard() < qint64(m_output->rate()) * LeadMs / 3000)
                m_output->drain();   // no track followed: the last sound of a converted one
            publishHeard();
        }
        lock.lock();
    }
    lock.unlock();
    if (m_scan.joinable())
        m_scan.join();   // m_ending cancels its reads
    m_output = nullptr;
    m_device.reset();
    m_clock.reset();
    m_decoder.close();
    SDL_TLSCleanup();   // what SDL kept for this thread (its error text), which it frees only for its own threads
}

void PlaybackThread::handle(const Command &command)
{
    switch (command.kind) {
    case Command::Open:
        openFile(command);
        break;
    case Command::Start:
        m_paused = false;
        begin(command.id, command.frame, !command.append);
        break;
    case Command::Seek:
        begin(command.id, command.frame, true);
        break;
    case Command::Stop:
        m_decoding = false;
        m_pieces.clear();
        if (m_output)
            m_output->clear();
        break;
    case Command::Pause:
    case Command::Resume:
        m_paused = command.kind == Command::Pause;
        if (m_output)
            m_output->setPaused(m_paused || m_holding);
        break;
    case Command::Scanned:
        if (command.id == m_open && m_decoder.isOpen()) {
            m_decoder.adopt(*command.scan);
            m_events.figures(command.id, m_decoder.figures());
        }
        break;
    }
}

void PlaybackThread::openFile(const Command &command)
{
    m_open = command.id;
    m_path = command.path;
    m_openFailed = false;
    m_decoding = false;   // the run before has nothing more to decode; what it queued plays on
    if (m_scan.joinable())
        m_scan.join();    // the new open cancelled it
    const quint64 stops = command.stops;
    const auto cancel = [this, stops] { return m_stops.load() != stops || m_ending.load(); };
    const Mp3Decoder::OpenResult result = m_decoder.open(command.path, Mp3Decoder::Figures::FromHeaders, cancel);
    if (result == Mp3Decoder::OpenResult::Cancelled)
        return;   // a later open or stop: a start after a stop opens it again
    if (result != Mp3Decoder::OpenResult::Ok) {
        m_openFailed = true;
        m_events.openFailed(command.id, result);
        return;
    }
    m_events.figures(command.id, m_decoder.figures());
    if (!m_decoder.figures().exact)
        startScan(command.id, command.path);
}

void PlaybackThread::startScan(quint64 open, const QString &path)
{
    m_scan = std::thread([this, open, path] {
        Mp3Decoder scanner(m_reader);
        const auto cancel = [this, open] { return m_opens.load() != open || m_ending.load(); };
        if (scanner.open(path, Mp3Decoder::Figures::Exact, cancel) != Mp3Decoder::OpenResult::Ok)
            return;   // the figures from the headers stay
        auto scan = std::make_shared<Mp3Decoder::Scan>(scanner.scan());
        post({Command::Scanned, open, 0, false, 0, {}, std::move(scan)});
    });
}

void PlaybackThread::begin(quint64 run, qint32 frame, bool fresh)
{
    if (!m_decoder.isOpen() && !m_openFailed && !m_path.isEmpty())
        openFile({Command::Open, m_open, 0, false, m_stops.load(), m_path, {}});
    m_run = run;
    if (fresh) {
        m_pieces.clear();
        if (m_output)
            m_output->clear();
    }
    if (!m_decoder.isOpen()) {
        m_decoding = false;
        return;
    }
    chooseOutput(m_decoder.sampleRate(), fresh);
    // An emptied queue is filled before the device takes from it again, so a
    // thread held up on a busy machine cannot leave it dry at the start.
    m_holding = fresh && !m_paused;
    m_output->setPaused(m_paused || m_holding);
    m_position = m_decoder.seekFrame(frame);
    m_decoding = true;
}

void PlaybackThread::chooseOutput(int sampleRate, bool fresh)
{
    // After a fall-back to the clock, a fresh start tries the device again.
    const bool onClock = m_output && m_output == m_clock.get();
    if (m_device && (fresh || !onClock) && m_device->prepare(sampleRate, fresh || onClock)) {
        m_output = m_device.get();
        m_silent.store(false);
        return;
    }
    if (!m_clock)
        m_clock = std::make_unique<ClockOutput>();
    m_clock->prepare(sampleRate, fresh || !onClock);
    m_output = m_clock.get();
    m_silent.store(true);
}

void PlaybackThread::fallBackToClock()
{
    // Carry on silently from what was last heard.
    const Heard heard = m_lastHeard;
    const bool resume = m_decoder.isOpen() && (m_decoding || (heard.run == m_run && !m_pieces.empty()));
    m_pieces.clear();
    if (!m_clock)
        m_clock = std::make_unique<ClockOutput>();
    m_clock->prepare(m_decoder.isOpen() ? m_decoder.sampleRate() : 44100, true);
    m_clock->setPaused(m_paused);
    m_output = m_clock.get();
    m_silent.store(true);
    if (resume) {
        const qint64 sample = heard.run == m_run ? std::max<qint64>(heard.sample, 0) : 0;
        m_position = m_decoder.seekFrame(m_decoder.frameAtSample(sample));
        m_decoding = true;
    }
}

void PlaybackThread::feed()
{
    const int rate = m_decoder.sampleRate();
    const qint64 lead = qint64(m_output->rate()) * LeadMs / 1000;
    const qint64 chunk = std::max<qint64>(256, qint64(rate) * ChunkMs / 1000);
    m_pcm.resize(size_t(chunk) * 2);
    while (m_decoding && m_output->written() - m_output->heard() < lead) {
        const qint64 frames = m_decoder.read(reinterpret_cast<char *>(m_pcm.data()),
                                             chunk * Mp3Decoder::BytesPerSampleFrame)
                              / Mp3Decoder::BytesPerSampleFrame;
        if (frames > 0) {
            const qint64 start = m_output->written();
            const qint64 made = m_output->write(m_pcm.data(), frames, rate);
            if (made < 0) {
                fallBackToClock();
                return;
            }
            m_pieces.push_back({m_run, m_position, frames, start, made});
            m_position += frames;
        }
        if (frames == 0 || m_decoder.atEnd()) {
            m_decoding = false;
            m_events.decoded(m_run);
        }
    }
    if (m_holding) {
        m_holding = false;
        m_output->setPaused(m_paused);
    }
}

void PlaybackThread::publishHeard()
{
    const qint64 heard = m_output->heard();
    Heard now{m_run, -1};
    while (!m_pieces.empty()) {
        const Piece &piece = m_pieces.front();
        if (heard < piece.outputStart)
            break;
        if (heard < piece.outputStart + piece.outputFrames) {
            if (piece.run == m_run)
                now.sample = piece.sample + (heard - piece.outputStart) * piece.frames / piece.outputFrames;
            break;
        }
        if (piece.run == m_run)
            now.sample = piece.sample + piece.frames;
        m_pieces.pop_front();
    }
    if (now.sample < 0 && m_lastHeard.run == m_run)
        now.sample = m_lastHeard.sample;
    m_lastHeard = now;
    const std::lock_guard<std::mutex> guard(m_lock);
    m_heard = now;
}
