#include "playlist_io/export/export_preview.h"

#include "playlist_io/export/export_format.h"
#include "playlist_io/export/export_run.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

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
    switch (effectiveEncoding(options)) {
    case TextEncoding::Gb18030: {
        QStringDecoder gb18030("GB18030");
        if (gb18030.isValid())
            return gb18030.decode(bytes);
        break;
    }
    case TextEncoding::Utf8Bom:
        return QString::fromUtf8(bytes.mid(3));
    case TextEncoding::Utf8:
        break;
    }
    return QString::fromUtf8(bytes);
}
