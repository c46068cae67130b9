#include "platform/files/file_fingerprint.h"

#include "platform/files/regular_file.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

QByteArray contentHash(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Blake2b_256);
}

FileFingerprint fingerprintOf(QByteArrayView bytes, const QString &path)
{
    const QFileInfo info(path);
    return {qint64(bytes.size()), info.exists() ? info.lastModified().toMSecsSinceEpoch() : 0, contentHash(bytes)};
}

FileLook lookAt(const QString &path, qint64 maxBytes)
{
    QFile file;
    FileLook look;
    switch (openRegularFile(file, path)) {
    case RegularFileOpen::Missing:
        look.outcome = FileLook::Gone;
        return look;
    case RegularFileOpen::Opened: {
        if (file.size() > maxBytes)
            return look;
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return look;
        look.outcome = FileLook::Read;
        look.fingerprint = fingerprintOf(bytes, path);
        return look;
    }
    default:
        return look;
    }
}
