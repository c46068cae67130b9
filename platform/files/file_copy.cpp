#include "platform/files/file_copy.h"

#include "platform/files/safe_names.h"

#include "platform/files/durable_write.h"
#include "platform/files/regular_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Large enough for the disk's speed, small enough that Cancel answers at once.
constexpr qint64 kChunk = qint64(1) << 20;

} // namespace

QString numberedCopyName(const QString &name, int n)
{
    return fittedName(name, n <= 1 ? QString() : QStringLiteral(" (%1)").arg(n));
}

bool sameContent(const QString &a, const QString &b)
{
    QFile fa, fb;
    if (openRegularFile(fa, a) != RegularFileOpen::Opened || openRegularFile(fb, b) != RegularFileOpen::Opened)
        return false;
    if (fa.size() != fb.size())
        return false;
    while (!fa.atEnd()) {
        const QByteArray x = fa.read(kChunk), y = fb.read(kChunk);
        if (x.isEmpty() || x != y)
            return false;
    }
    return true;
}

FileCopyResult copyIntoFolder(const QString &source, const QString &folder, const QString &name,
                              WorkProgress &progress)
{
    FileCopyResult result;
    QFile in;
    switch (openRegularFile(in, source)) {
    case RegularFileOpen::Opened:
        break;
    case RegularFileOpen::Missing:
    case RegularFileOpen::NotRegular:
        result.outcome = FileCopy::Missing;
        return result;
    case RegularFileOpen::Unreadable:
        result.errorString = in.errorString();
        return result;
    }
    const QDir dir(folder);
    // A copy made before (by an earlier export) stays as it is.
    int n = 1;
    for (;; ++n) {
        const QString candidate = dir.filePath(numberedCopyName(name, n));
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            break;
        if (sameContent(source, candidate)) {
            result.outcome = FileCopy::Kept;
            result.target = candidate;
            return result;
        }
    }

    DurableWrite out(folder, QStringLiteral("copy"));
    const auto failed = [&result](const QString &error, int code = 0) {
        result.errorString = error;
        result.error = code;
        return result;
    };
    if (!out.isOpen())
        return failed(out.reason(), out.error());
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            return failed(in.errorString());
        if (!out.write(chunk))
            return failed(out.reason(), out.error());
        if (progress.cancelled()) {
            result.outcome = FileCopy::Cancelled;
            return result;
        }
    }
    if (!out.finish())
        return failed(out.reason(), out.error());

    // The name again, should another copy have taken it meanwhile.
    for (;; ++n) {
        const QString target = dir.filePath(numberedCopyName(name, n));
        switch (out.claim(target)) {
        case DurableWrite::Claim::Taken:
            result.outcome = FileCopy::Copied;
            result.target = target;
            return result;
        case DurableWrite::Claim::Exists:
            continue;
        case DurableWrite::Claim::Failed:
            return failed(out.reason(), out.error());
        }
    }
}
