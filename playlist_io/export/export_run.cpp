#include "playlist_io/export/export_run.h"

#include "platform/files/durable_save.h"
#include "platform/files/file_copy.h"
#include "platform/files/file_errors.h"
#include "platform/files/safe_names.h"
#include "platform/files/volumes.h"
#include "platform/tags/tag_cache.h"
#include "platform/work/long_work.h"
#include "playlist_io/entry_paths.h"
#include "playlist_io/export/export_format.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <cerrno>

QString exportCopyName(const QString &entry, qsizetype index, qsizetype count, const TrackTags &tags, bool numbered)
{
    const QFileInfo info(entry);
    if (!numbered)
        return fittedName(fatSafeName(info.fileName()));
    const QString suffix = info.suffix();
    const QString name = numberedName(index, count, trackName(entry, tags));
    return fittedName(fatSafeName(suffix.isEmpty() ? name : name + QLatin1Char('.') + suffix));
}

namespace {

// "title", then the names one a line; past `shown` names, how many in all.
QString listing(const QString &title, const QStringList &entries, qsizetype shown)
{
    QString text = title + QLatin1Char('\n');
    const qsizetype n = shown < 0 ? entries.size() : qMin(shown, entries.size());
    for (qsizetype i = 0; i < n; ++i)
        text += QStringLiteral("  ") + entries.at(i) + QLatin1Char('\n');
    if (n < entries.size())
        text += QStringLiteral("  ……等 %1 个文件\n").arg(entries.size());
    return text;
}

} // namespace

QString exportReportText(const ExportReport &report, qsizetype namesShown)
{
    QString text;
    switch (report.outcome) {
    case ExportReport::Written:
        break;
    case ExportReport::NoSpace:
        text += QStringLiteral("“%1”所在的磁盘空间不足：需要 %2，只有 %3。没有复制任何文件。\n")
                    .arg(report.errorPath, sizeText(report.bytesNeeded), sizeText(report.bytesFree));
        break;
    case ExportReport::Failed:
        text += QStringLiteral("列表没有写入：%1\n").arg(report.errorString);
        break;
    case ExportReport::Cancelled:
        text += QStringLiteral("导出已取消，列表没有写入。\n");
        break;
    }
    if (!report.missing.isEmpty())
        text += listing(QStringLiteral("文件不存在，未导出："), report.missing, namesShown);
    if (!report.copyFailed.isEmpty()) {
        QStringList lines;
        for (qsizetype i = 0; i < report.copyFailed.size(); ++i)
            lines << report.copyFailed.at(i) + QStringLiteral("（") + report.copyErrors.value(i) + QStringLiteral("）");
        text += listing(QStringLiteral("复制失败，未导出："), lines, namesShown);
    }
    if (!report.outsideGbk.isEmpty())
        text += listing(QStringLiteral("以下文件名超出 GBK，旧设备可能无法显示："), report.outsideGbk, namesShown);
    return text;
}

QString sizeText(qint64 bytes)
{
    static const char *const units[] = {"KB", "MB", "GB"};
    double size = double(bytes) / 1024;
    int unit = 0;
    while (unit < 2 && size >= 1024) {
        size /= 1024;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(size, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

QString exportTargetProblem(const QString &target)
{
    const QFileInfo info(target);
    if (info.exists() && !info.isFile())
        return QStringLiteral("“%1”不是文件，无法导出到这里!").arg(target);
    return QString();
}

bool exportReadsTags(const ExportOptions &options)
{
    return formatUsesTags(options.format) || (options.copyFiles && options.numbered);
}

ExportReport runExport(const ExportRequest &request, TagCache &tagCache, WorkProgress &progress,
                       const ExportStep &step)
{
    ExportReport report;
    report.errorString = exportTargetProblem(request.target);
    if (!report.errorString.isEmpty()) {
        report.errorPath = request.target;
        return report;
    }
    const ExportOptions &options = request.options;
    const QStringList &entries = request.entries;
    const qsizetype n = entries.size();
    const QString folder = QFileInfo(request.target).absolutePath();
    const bool readTags = exportReadsTags(options);
    progress.setTotal(qMax<qint64>(1, (readTags ? n : 0) + (options.copyFiles ? n : 0)));
    const auto tell = [&step](const QString &what, qint64 done, qint64 total) {
        if (step)
            step(what, done, total);
    };

    // The folder is made first, copies or not: a list for a new folder on a stick.
    if (const FoldersMade made = makeFolders(folder); !made.ok) {
        report.errorPath = made.failedAt;
        report.errorString = made.error == ENOTDIR
                                 ? QStringLiteral("“%1”不是文件夹").arg(QDir::toNativeSeparators(made.failedAt))
                                 : QStringLiteral("无法创建文件夹“%1”：%2")
                                       .arg(QDir::toNativeSeparators(made.failedAt), fileErrorText(made.error));
        return report;
    }

    QList<TrackTags> tags;
    if (readTags) {
        const QString what = QStringLiteral("正在读取标签");
        qint64 done = 0;
        tags = tagCache.tagsFor(entries, progress, [&] { tell(what, ++done, n); });
    }
    if (progress.cancelled()) {
        report.outcome = ExportReport::Cancelled;
        return report;
    }

    QStringList written = entries;   // what the playlist names
    QList<TrackTags> writtenTags = tags;
    QStringList originals;   // what each written entry was in the list
    if (options.copyFiles) {
        // The plan: each file and its name; what is there already needs no room.
        struct Copy {
            qsizetype index;
            QString name;
        };
        QList<Copy> plan;
        qint64 needed = 0;
        for (qsizetype i = 0; i < n; ++i) {
            const QString &entry = entries.at(i);
            if (isUrlEntry(entry))
                continue;   // a stream has no file to copy; it stays as written
            const QFileInfo source(entry);
            if (!source.isFile()) {
                report.missing << entry;
                continue;
            }
            const QString name = exportCopyName(entry, i, n, i < tags.size() ? tags.at(i) : TrackTags(), options.numbered);
            plan.append({i, name});
            const QFileInfo there(QDir(folder).filePath(name));
            if (!(there.isFile() && there.size() == source.size()))
                needed += source.size();
        }
        const QStorageInfo volume(folder);
        // Room for the playlist too.
        needed += 64 * 1024;
        if (volume.isValid() && volume.bytesAvailable() >= 0 && needed > volume.bytesAvailable()) {
            report.outcome = ExportReport::NoSpace;
            report.errorPath = QDir::toNativeSeparators(folder);
            report.bytesNeeded = needed;
            report.bytesFree = volume.bytesAvailable();
            return report;
        }

        QList<bool> copiedAt(n, false);
        QStringList copies = entries;
        const QString what = QStringLiteral("正在复制文件");
        qint64 done = 0;
        progress.advance(n - plan.size());   // the ones with nothing to copy
        for (const Copy &c : std::as_const(plan)) {
            const QString &entry = entries.at(c.index);
            const FileCopyResult copy = copyIntoFolder(entry, folder, c.name, progress);
            switch (copy.outcome) {
            case FileCopy::Copied:
                ++report.copied;
                break;
            case FileCopy::Kept:
                ++report.kept;
                break;
            case FileCopy::Missing:
                report.missing << entry;
                break;
            case FileCopy::Failed:
                report.copyFailed << entry;
                report.copyErrors << fileErrorText(copy.error);
                break;
            case FileCopy::Cancelled:
                report.outcome = ExportReport::Cancelled;
                return report;
            }
            if (!copy.target.isEmpty()) {
                copies[c.index] = QDir::toNativeSeparators(copy.target);
                copiedAt[c.index] = true;
            }
            progress.advance();
            tell(what, ++done, plan.size());
            if (progress.cancelled()) {
                report.outcome = ExportReport::Cancelled;
                return report;
            }
        }
        // The playlist names the copies, and the streams; what has no copy is left out.
        written.clear();
        writtenTags.clear();
        originals.clear();
        for (qsizetype i = 0; i < n; ++i) {
            if (!copiedAt.at(i) && !isUrlEntry(entries.at(i)))
                continue;
            written << copies.at(i);
            originals << entries.at(i);
            writtenTags << (i < tags.size() ? tags.at(i) : TrackTags());
        }
    }

    tell(QStringLiteral("正在写入列表"), 0, 1);
    const ExportText text = formatExport(written, writtenTags, options, folder, -1, originals, systemMountPoints());
    report.outsideGbk = text.outsideGbk;
    if (!text.notHeld.isEmpty()) {
        report.errorPath = QDir::toNativeSeparators(request.target);
        report.errorString = notHeldText(text.notHeld.front(), text.notHeld.size(), effectiveEncoding(options));
        return report;
    }
    if (progress.cancelled()) {
        report.outcome = ExportReport::Cancelled;
        return report;
    }
    const DurableSaveResult save = saveFileDurably(request.target, text.bytes);
    if (save.outcome != DurableSave::Saved) {
        report.errorPath = QDir::toNativeSeparators(request.target);
        report.errorString = save.outcome == DurableSave::NotRegular
                                 ? exportTargetProblem(request.target)
                                 : fileFailureLine(report.errorPath, save.error, FileUse::Write);
        return report;
    }
    tell(QStringLiteral("正在写入列表"), 1, 1);
    report.outcome = ExportReport::Written;
    report.exported = written.size();
    return report;
}
