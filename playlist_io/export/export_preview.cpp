#include "playlist_io/export/export_preview.h"

#include "playlist_io/export/export_format.h"
#include "playlist_io/export/export_run.h"

#include <QDir>
#include <QFileInfo>

QString exportPreview(const QStringList &entries, const QList<TrackTags> &tags, const ExportOptions &options,
                      const QString &target, const QStringList &volumes)
{
    const QString folder = QFileInfo(target).absolutePath();
    const qsizetype shown = qMin(entries.size(), kPreviewEntries);
    QStringList written = entries.mid(0, shown);
    if (options.copyFiles) {
        for (qsizetype i = 0; i < shown; ++i)
            written[i] = QDir::toNativeSeparators(QDir(folder).filePath(exportCopyName(
                entries.at(i), i, entries.size(), i < tags.size() ? tags.at(i) : TrackTags(), options.numbered)));
    }
    // All of a short list, ends included; the start of a long one.
    const qsizetype limit = entries.size() <= shown ? -1 : shown;
    const QByteArray bytes = formatExport(written, tags.mid(0, shown), options, folder, limit,
                                          entries.mid(0, shown), volumes).bytes;
    const TextEncoding encoding = effectiveEncoding(options);
    if (isCodePage(encoding))
        return decodeText(bytes, encoding);
    if (encoding == TextEncoding::Utf8Bom)
        return QString::fromUtf8(bytes.mid(3));
    return QString::fromUtf8(bytes);
}
