#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// What a file held when the program last read or wrote it: its size, its
// modification time and a hash of its bytes. Two fingerprints tell the same
// content when their hashes are equal; the time and size are for people.
struct FileFingerprint {
    qint64 size = -1;          // -1: no file
    qint64 modifiedMs = 0;     // milliseconds since the epoch (UTC)
    QByteArray hash;           // empty: nothing known

    bool isNull() const { return hash.isEmpty(); }
    bool sameContent(const FileFingerprint &other) const { return hash == other.hash; }
    friend bool operator==(const FileFingerprint &, const FileFingerprint &) = default;
};

// The hash a fingerprint keeps of `bytes`.
QByteArray contentHash(QByteArrayView bytes);
// The fingerprint of `bytes` as the file `path` holds them now (its time).
FileFingerprint fingerprintOf(QByteArrayView bytes, const QString &path);

// What the file holds now, read whole (at most `maxBytes`). Gone: no file of
// that name (deleted or renamed away); Unreadable: it is there but could not
// be read, which counts as changed.
struct FileLook {
    enum Outcome { Read, Gone, Unreadable } outcome = Unreadable;
    FileFingerprint fingerprint;
};
FileLook lookAt(const QString &path, qint64 maxBytes);
