#pragma once
// Many MP3s for benchmarks that read tags or copy files: copies of one of the
// tests' fixtures, tagged as it is.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>

namespace bench {

// `count` copies of tests/data/export/`fixture` in `folder`/`subfolder`,
// named by their number (five digits) and `suffix` ("00042 - track.mp3"), as
// full paths in the system's spelling.
inline QStringList mp3Copies(const QString &fixture, const QString &folder, const QString &subfolder, int count,
                             const QString &suffix)
{
    QFile source(QStringLiteral(MELVORA_TEST_DATA "/export/") + fixture);
    if (!source.open(QIODevice::ReadOnly))
        qFatal("no fixture %s", qPrintable(fixture));
    const QByteArray bytes = source.readAll();
    const QDir dir(folder);
    dir.mkpath(subfolder);
    QStringList out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString path = dir.filePath(subfolder + QStringLiteral("/%1").arg(i, 5, 10, QLatin1Char('0')) + suffix);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        out << QDir::toNativeSeparators(path);
    }
    return out;
}

} // namespace bench
