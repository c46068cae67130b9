#pragma once
// A file read no faster than a slow device would give it (a USB stick at
// 20 MB/s, say): the bytes read are due at that rate from a clock, and a read
// ahead of it sleeps till then, so late wake-ups on a busy machine are made
// up; an idle device banks no more than 50 ms. For the player's readers in
// tests and benchmarks.

#include "player/component/mp3_decoder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QIODevice>
#include <QThread>

#include <algorithm>
#include <memory>

class ThrottledFile : public QIODevice
{
public:
    ThrottledFile(std::unique_ptr<QFile> file, qint64 bytesPerSecond)
        : m_file(std::move(file)), m_bytesPerSecond(bytesPerSecond)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    // A reader for Mp3Decoder and Mp3Player at the given speed.
    static Mp3Decoder::Reader reader(qint64 bytesPerSecond)
    {
        return [bytesPerSecond](std::unique_ptr<QFile> file) -> std::unique_ptr<QIODevice> {
            return std::make_unique<ThrottledFile>(std::move(file), bytesPerSecond);
        };
    }

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_file->size(); }
    bool seek(qint64 pos) override { return QIODevice::seek(pos) && m_file->seek(pos); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = m_file->read(data, maxSize);
        if (n <= 0)
            return n;
        if (!m_clock.isValid())
            m_clock.start();
        const qint64 now = m_clock.nsecsElapsed();
        m_dueNs = std::max(m_dueNs, now - 50000000) + n * 1000000000 / m_bytesPerSecond;
        if (m_dueNs - now >= 1000000)
            QThread::usleep(quint64((m_dueNs - now) / 1000));
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    std::unique_ptr<QFile> m_file;
    qint64 m_bytesPerSecond;
    QElapsedTimer m_clock;
    qint64 m_dueNs = 0;   // when the bytes read so far are due
};
