#include "platform/recovery/record_container.h"

#include <QCryptographicHash>
#include <QtEndian>

namespace {
constexpr char kMagic[8] = {'M', 'E', 'L', 'V', 'R', 'E', 'C', '\n'};
constexpr quint32 kVersion = 1;
constexpr qsizetype kHeader = sizeof kMagic + 4 + 8;
constexpr auto kSum = QCryptographicHash::Blake2b_256;
constexpr qsizetype kSumSize = 32;

QByteArray checksum(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, kSum);
}
} // namespace

QByteArray sealRecord(QByteArrayView payload)
{
    QByteArray out;
    out.reserve(kHeader + payload.size() + kSumSize);
    out.append(kMagic, sizeof kMagic);
    char number[8];
    qToLittleEndian(kVersion, number);
    out.append(number, 4);
    qToLittleEndian(quint64(payload.size()), number);
    out.append(number, 8);
    out.append(payload);
    out.append(checksum(out));
    return out;
}

OpenedRecord openRecord(QByteArrayView sealed)
{
    if (sealed.size() < kHeader + kSumSize)
        return {std::nullopt, QStringLiteral("too short")};
    if (QByteArrayView(kMagic, sizeof kMagic) != sealed.first(sizeof kMagic))
        return {std::nullopt, QStringLiteral("not a recovery record")};
    const quint32 version = qFromLittleEndian<quint32>(sealed.data() + sizeof kMagic);
    if (version != kVersion)
        return {std::nullopt, QStringLiteral("version %1").arg(version)};
    const quint64 length = qFromLittleEndian<quint64>(sealed.data() + sizeof kMagic + 4);
    if (length != quint64(sealed.size() - kHeader - kSumSize))
        return {std::nullopt, QStringLiteral("length")};
    const qsizetype body = kHeader + qsizetype(length);
    if (checksum(sealed.first(body)) != sealed.sliced(body))
        return {std::nullopt, QStringLiteral("checksum")};
    return {sealed.sliced(kHeader, qsizetype(length)).toByteArray(), QString()};
}
