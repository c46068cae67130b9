#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The envelope of a recovery record on the disk: a magic, a format version,
// the payload's length, the payload, and a checksum of all before it. A file
// is read back only when every one of them is as written; anything else
// (cut short, grown, a bit flipped, another version) is refused whole.
QByteArray sealRecord(QByteArrayView payload);

struct OpenedRecord {
    std::optional<QByteArray> payload;   // none: refused
    QString why;                         // refused: which check failed, for diagnostics
};
OpenedRecord openRecord(QByteArrayView sealed);
