// The ring between the player's thread and a sound device: what counts as
// heard before and after the queue is emptied, for a device that can drop
// what it holds and one that cannot; when the device is opened again; and
// sound of another rate converted on the way in.
#include "player/component/ring_output.h"

#include <QtTest>

#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

constexpr qint64 Latency = 400;   // frames the fake device holds when full

class FakeDevice : public RingOutput
{
public:
    explicit FakeDevice(bool flushes) : m_flushes(flushes) {}
    ~FakeDevice() override { closeOutput(); }

    // The device takes `frames` frames, as a sound server asking would.
    qint64 serve(qint64 frames)
    {
        std::vector<qint16> out(size_t(frames) * 2);
        const std::lock_guard<std::mutex> guard(m_lock);
        return take(out.data(), frames);
    }

    int opens = 0;
    int flushes = 0;
    bool lost = false;

protected:
    bool openDevice(int, bool, qint64 &latencyFrames) override
    {
        ++opens;
        lost = false;
        latencyFrames = Latency;
        return true;
    }
    void closeDevice() override {}
    bool deviceLost() const override { return lost; }
    void lockDevice() const override { m_lock.lock(); }
    void unlockDevice() const override { m_lock.unlock(); }
    void pauseDevice(bool) override {}
    bool canFlush() const override { return m_flushes; }
    void flushDevice() override { ++flushes; }

private:
    bool m_flushes;
    mutable std::mutex m_lock;
};

} // namespace

class RingOutputTest : public QObject
{
    Q_OBJECT
private slots:
    void heard_data();
    void heard();
    void reopens_data();
    void reopens();
    void convertsOtherRates();
};

void RingOutputTest::heard_data()
{
    QTest::addColumn<bool>("flushes");
    QTest::addColumn<qint64>("firstBuffers");   // heard after the device took 200 frames
    QTest::addColumn<qint64>("afterClear");     // heard once the queue is emptied at 600 taken
    QTest::addColumn<qint64>("newSound");       // heard after 500 frames more were taken
    // A device that drops what it holds: the new sound is heard at once.
    QTest::newRow("drops its sound") << true << qint64(0) << qint64(600) << qint64(700);
    // One that cannot: its last 400 frames of the old sound come first.
    QTest::newRow("keeps its sound") << false << qint64(-200) << qint64(200) << qint64(700);
}

void RingOutputTest::heard()
{
    QFETCH(bool, flushes);
    QFETCH(qint64, firstBuffers);
    QFETCH(qint64, afterClear);
    QFETCH(qint64, newSound);

    FakeDevice device(flushes);
    QVERIFY(device.prepare(44100, true));
    const std::vector<qint16> pcm(2000 * 2, 1000);
    QCOMPARE(device.write(pcm.data(), 1000, 44100), qint64(1000));
    QCOMPARE(device.serve(200), qint64(200));
    QCOMPARE(device.heard(), firstBuffers);
    QCOMPARE(device.serve(400), qint64(400));
    device.clear();
    QCOMPARE(device.written(), qint64(600));
    QCOMPARE(device.heard(), afterClear);
    QCOMPARE(device.flushes, flushes ? 1 : 0);
    QCOMPARE(device.serve(100), qint64(0));   // nothing queued: nothing taken
    QCOMPARE(device.write(pcm.data(), 500, 44100), qint64(500));
    QCOMPARE(device.serve(600), qint64(500));
    QCOMPARE(device.heard(), newSound);
}

void RingOutputTest::reopens_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<bool>("fresh");
    QTest::addColumn<bool>("lost");
    QTest::addColumn<int>("opens");
    QTest::newRow("same rate, fresh") << 44100 << true << false << 1;
    QTest::newRow("another rate, queued behind") << 22050 << false << false << 1;
    QTest::newRow("another rate, fresh") << 22050 << true << false << 2;
    QTest::newRow("device lost") << 44100 << false << true << 2;
}

void RingOutputTest::reopens()
{
    QFETCH(int, rate);
    QFETCH(bool, fresh);
    QFETCH(bool, lost);
    QFETCH(int, opens);

    FakeDevice device(true);
    QVERIFY(device.prepare(44100, true));
    QVERIFY(!device.failed());
    device.lost = lost;
    QCOMPARE(device.failed(), lost);
    QVERIFY(device.prepare(rate, fresh));
    QCOMPARE(device.opens, opens);
    QCOMPARE(device.rate(), opens == 2 ? rate : 44100);
    QVERIFY(!device.failed());
}

void RingOutputTest::convertsOtherRates()
{
    // Half a second at 22.05 kHz queued behind a 44.1 kHz track.
    FakeDevice device(true);
    QVERIFY(device.prepare(44100, true));
    const std::vector<qint16> pcm(11025 * 2, 1000);
    const qint64 made = device.write(pcm.data(), 11025, 22050);
    QVERIFY(made > 0);
    device.drain();   // nothing more of that rate: the converter's last sound
    QVERIFY2(std::abs(device.written() - 22050) <= 64, qPrintable(QString::number(device.written())));
}

QTEST_GUILESS_MAIN(RingOutputTest)
#include "tst_ring_output.moc"
