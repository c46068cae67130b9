#include "app/export_command.h"

#include "model/playlist.h"
#include "platform/files/file_errors.h"
#include "platform/tags/tag_cache.h"
#include "platform/work/long_work.h"
#include "playlist_io/playlist_reader.h"

#include <QElapsedTimer>

#include <cstdio>

namespace {

void printTo(FILE *out, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), out);
    std::fflush(out);
}

} // namespace

int runExportCommand(const QString &listFile, const ExportRequest &given)
{
    const PlaylistRead read = readPlaylistFile(listFile);
    if (read.outcome != PlaylistRead::ReadOk) {
        printTo(stderr, QStringLiteral("melvora：无法读取列表“%1”：%2\n")
                            .arg(listFile, fileErrorText(read.error, FileUse::Read)));
        return 1;
    }
    // The entries as the window would hold them: repeats go.
    Playlist list;
    list.replaceEntries(read.entries);
    ExportRequest request = given;
    request.entries = list.entries();

    TagCache tags;
    WorkProgress progress;
    QElapsedTimer sinceShown;
    sinceShown.start();
    QString shownWhat;
    const ExportReport report = runExport(request, tags, progress, [&](const QString &what, qint64 done, qint64 total) {
        // A line when a step starts and ends, and a few a second between.
        if (what == shownWhat && done != total && sinceShown.elapsed() < 200)
            return;
        shownWhat = what;
        sinceShown.restart();
        printTo(stderr, QStringLiteral("%1… %2/%3\n").arg(what).arg(done).arg(total));
    });

    const QString text = exportReportText(report);
    if (!text.isEmpty())
        printTo(stderr, text);
    if (report.outcome == ExportReport::Written) {
        QString done = QStringLiteral("已导出 %1 项到“%2”").arg(report.exported).arg(request.target);
        if (request.options.copyFiles)
            done += QStringLiteral("（复制 %1 个文件，%2 个已存在）").arg(report.copied).arg(report.kept);
        printTo(stderr, done + QLatin1Char('\n'));
    }
    return report.complete() ? 0 : 1;
}
