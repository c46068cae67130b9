#pragma once
// Stand-ins until the shared text, path and XSPF helpers are merged.
#include <QByteArray>
#include <QList>
#include <QString>

enum class TextEncoding { Utf8, Utf8Bom, Gb18030 };
QByteArray encodeText(QStringView text, TextEncoding encoding);
bool gbkHolds(QStringView text);
QString relativeEntry(const QString &path, const QString &folder, QChar separator);

struct XspfTrack {
    QString location, title, creator;
    qint64 durationMs = -1;
};
QByteArray formatXspf(const QList<XspfTrack> &tracks, QByteArrayView lineEnd);
QString xspfLocation(const QString &entry, bool relative, const QString &folder);
