#pragma once

#include <QIODevice>

class Mp3Decoder;

// The decoder as a sequential device for the audio output: 16-bit stereo PCM
// with the channel gains applied.
class PcmSource : public QIODevice
{
    Q_OBJECT
public:
    explicit PcmSource(Mp3Decoder *decoder, QObject *parent = nullptr);

    void setGains(int leftQ15, int rightQ15);
    // Call after every seek of the decoder: counting starts again at zero.
    void restart();

    qint64 contentBytes() const { return m_content; }   // decoded PCM handed out since restart()
    bool contentEnded() const;                           // the decoder has nothing more

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    Mp3Decoder *m_decoder;
    int m_left;
    int m_right;
    qint64 m_content = 0;
};
