#include "playlist_io/export/pending_primitives.h"

#include <QDir>
#include <QStringEncoder>
#include <QUrl>

QByteArray encodeText(QStringView text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Gb18030) {
        QStringEncoder e("GB18030");
        return e.encode(text);
    }
    QByteArray out = encoding == TextEncoding::Utf8Bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    return out + text.toUtf8();
}

bool gbkHolds(QStringView text)
{
    QStringEncoder e("GB18030");
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            continue;
        if (c.isSurrogate())
            return false;
        if (QByteArray(e.encode(QStringView(&c, 1))).size() != 2)
            return false;
    }
    return true;
}

QString relativeEntry(const QString &path, const QString &folder, QChar separator)
{
    const QString rel = QDir(folder).relativeFilePath(QDir::fromNativeSeparators(path));
    if (QDir::isAbsolutePath(rel))
        return path;
    QString out = rel;
    out.replace(QLatin1Char('/'), separator);
    return out;
}

QByteArray formatXspf(const QList<XspfTrack> &tracks, QByteArrayView lineEnd)
{
    const auto esc = [](const QString &s) { return s.toHtmlEscaped().toUtf8(); };
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    out += lineEnd;
    out += "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">";
    out += lineEnd;
    out += "  <trackList>";
    out += lineEnd;
    for (const XspfTrack &t : tracks) {
        out += "    <track>";
        out += lineEnd;
        out += "      <location>" + esc(t.location) + "</location>";
        out += lineEnd;
        if (!t.title.isEmpty()) {
            out += "      <title>" + esc(t.title) + "</title>";
            out += lineEnd;
        }
        if (!t.creator.isEmpty()) {
            out += "      <creator>" + esc(t.creator) + "</creator>";
            out += lineEnd;
        }
        if (t.durationMs >= 0) {
            out += "      <duration>" + QByteArray::number(t.durationMs) + "</duration>";
            out += lineEnd;
        }
        out += "    </track>";
        out += lineEnd;
    }
    out += "  </trackList>";
    out += lineEnd;
    out += "</playlist>";
    out += lineEnd;
    return out;
}

QString xspfLocation(const QString &entry, bool relative, const QString &folder)
{
    if (relative) {
        const QString rel = relativeEntry(entry, folder, QLatin1Char('/'));
        if (!QDir::isAbsolutePath(rel))
            return QString::fromLatin1(QUrl::toPercentEncoding(rel, "/"));
    }
    return QUrl::fromLocalFile(QDir::fromNativeSeparators(entry)).toString(QUrl::FullyEncoded);
}
