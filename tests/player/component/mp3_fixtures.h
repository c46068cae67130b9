#pragma once
// What the player component's tests share: the fixtures, and reading a
// decoder and the component's progress events to their end.
#include "player/component/mp3_decoder.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QSignalSpy>
#include <QString>

inline QString fixture(const QString &name)
{
    return QStringLiteral(MELVORA_TEST_DATA "/mp3/") + name;
}

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Decodes to the end; `each` is given every piece (interleaved 16-bit stereo).
template <typename Each>
void decodeToEnd(Mp3Decoder &decoder, Each each)
{
    QByteArray chunk(4096 * Mp3Decoder::BytesPerSampleFrame, Qt::Uninitialized);
    while (const qint64 n = decoder.read(chunk.data(), chunk.size()))
        each(reinterpret_cast<const qint16 *>(chunk.constData()), n / qint64(sizeof(qint16)));
}

inline QList<qint16> decodeAll(Mp3Decoder &decoder)
{
    QList<qint16> pcm;
    decodeToEnd(decoder, [&pcm](const qint16 *s, qint64 n) { pcm.append(QList<qint16>(s, s + n)); });
    return pcm;
}

// Sample frames (a left and a right sample each) decoded to the end.
inline qint64 decodedSamples(Mp3Decoder &decoder)
{
    qint64 values = 0;
    decodeToEnd(decoder, [&values](const qint16 *, qint64 n) { values += n; });
    return values * qint64(sizeof(qint16)) / Mp3Decoder::BytesPerSampleFrame;
}

// The frame numbers of FramePlayed events, in order.
inline QList<int> framesOf(const QSignalSpy &spy)
{
    QList<int> frames;
    for (const auto &args : spy)
        frames << args.at(0).toInt();
    return frames;
}
