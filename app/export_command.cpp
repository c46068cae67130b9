#include "app/export_command.h"

#include "app/command_line.h"
#include "model/playlist.h"
#include "platform/tags/tag_cache.h"
#include "platform/work/long_work.h"
#include "playlist_io/playlist_reader.h"
#include "playlist_io/playlist_type.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace {

const QLatin1String kExport("--export");

QString errorLine(const QString &what)
{
    return QStringLiteral("melvora：%1\n请用“melvora --help”查看用法。\n").arg(what);
}

void printTo(FILE *out, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), out);
    std::fflush(out);
}

// The value of a choice, or what was wrong with it.
template <typename T>
bool choose(const QString &option, const QString &value, std::optional<T> (*named)(const QString &),
            const QStringList &names, T &into, QString &error)
{
    if (const std::optional<T> found = named(value)) {
        into = *found;
        return true;
    }
    error = QStringLiteral("选项“%1”的值“%2”无效，可用：%3").arg(option, value, names.join(QStringLiteral("、")));
    return false;
}

} // namespace

bool isExportCommand(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--"))
            return false;
        if (arguments.at(i) == kExport || arguments.at(i).startsWith(kExport + QLatin1Char('=')))
            return true;
    }
    return false;
}

ExportCommand parseExportCommand(const QStringList &arguments)
{
    ExportCommand command;
    ExportOptions &options = command.request.options;
    std::optional<ExportFormat> format;
    bool numbered = false;
    const auto fail = [&command](const QString &error) {
        command.error = error;
        return command;
    };
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QString option = arguments.at(i);
        QString value;
        bool joined = false;
        if (const qsizetype eq = option.indexOf(QLatin1Char('=')); option.startsWith(QLatin1String("--")) && eq > 0) {
            value = option.mid(eq + 1);
            option.truncate(eq);
            joined = true;
        }
        const auto takeValue = [&]() -> bool {
            if (joined)
                return true;
            if (i + 1 >= arguments.size())
                return false;
            value = arguments.at(++i);
            return true;
        };
        const bool flag = option == QLatin1String("--copy-files") || option == QLatin1String("--numbered");
        if (flag) {
            if (joined)
                return fail(QStringLiteral("选项“%1”不带值").arg(option));
            if (option == QLatin1String("--copy-files"))
                options.copyFiles = true;
            else
                numbered = true;
            continue;
        }
        static const QStringList valued = {kExport,       QStringLiteral("--to"),          QStringLiteral("--format"),
                                           QStringLiteral("--paths"), QStringLiteral("--separator"),
                                           QStringLiteral("--encoding"), QStringLiteral("--line-ends")};
        if (!valued.contains(option)) {
            if (option.startsWith(QLatin1Char('-')) && option != QLatin1String("-"))
                return fail(QStringLiteral("未知选项“%1”").arg(arguments.at(i)));
            return fail(QStringLiteral("多余的参数“%1”").arg(option));
        }
        if (!takeValue() || value.isEmpty())
            return fail(QStringLiteral("选项“%1”需要一个值").arg(option));
        QString error;
        bool good = true;
        if (option == kExport) {
            command.list = value;
        } else if (option == QLatin1String("--to")) {
            command.request.target = value;
        } else if (option == QLatin1String("--format")) {
            ExportFormat f{};
            good = choose(option, value, &exportFormatNamed, exportFormatNames(), f, error);
            format = f;
        } else if (option == QLatin1String("--paths")) {
            good = choose(option, value, &exportPathsNamed, exportPathsNames(), options.paths, error);
        } else if (option == QLatin1String("--separator")) {
            good = choose(option, value, &separatorNamed, separatorNames(), options.separator, error);
        } else if (option == QLatin1String("--encoding")) {
            good = choose(option, value, &encodingNamed, encodingNames(), options.encoding, error);
        } else {
            LineEnds ends{};
            good = choose(option, value, &lineEndsNamed, lineEndsNames(), ends, error);
            options.lineEnds = ends;
        }
        if (!good)
            return fail(error);
    }
    if (command.list.isEmpty())
        return fail(QStringLiteral("选项“--export”需要一个列表文件"));
    if (playlistTypeOf(command.list) == PlaylistType::Other)
        return fail(QStringLiteral("“%1”不是播放列表（.m3u、.m3u8、.pls、.xspf）").arg(command.list));
    if (command.request.target.isEmpty())
        return fail(QStringLiteral("导出需要用“--to”指定目标文件"));
    if (!format)
        format = exportFormatOfFile(command.request.target);
    if (!format)
        return fail(QStringLiteral("无法从“%1”的扩展名确定格式，请用“--format”指定").arg(command.request.target));
    if (numbered && !options.copyFiles)
        return fail(QStringLiteral("“--numbered”只能与“--copy-files”一起使用"));
    options.format = *format;
    options.numbered = numbered;
    command.list = QFileInfo(command.list).absoluteFilePath();
    command.request.target = QFileInfo(command.request.target).absoluteFilePath();
    command.ok = true;
    return command;
}

int runExportCommand(const QStringList &arguments, const QString &version)
{
    const QStringList given = withoutQtOptions(arguments);
    if (const CommandLine answer = parseCommandLine(given); answer.endsAtOnce())
        return printCommandLineAnswer(answer, version);
    const ExportCommand command = parseExportCommand(given);
    if (!command.ok) {
        printTo(stderr, errorLine(command.error));
        return 2;
    }

    const PlaylistRead read = readPlaylistFile(command.list);
    if (read.outcome != PlaylistRead::ReadOk) {
        printTo(stderr, QStringLiteral("melvora：无法读取列表“%1”：%2\n")
                            .arg(command.list,
                                 read.outcome == PlaylistRead::Missing   ? QStringLiteral("文件不存在")
                                 : read.outcome == PlaylistRead::NotText ? QStringLiteral("不是播放列表文件")
                                                                         : QStringLiteral("不是可读的列表文件")));
        return 1;
    }
    // The entries as the window would hold them: repeats go.
    Playlist list;
    list.replaceEntries(read.entries);
    ExportRequest request = command.request;
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
        QString done = QStringLiteral("已导出 %1 项到“%2”").arg(request.entries.size() - report.missing.size()
                                                                 - report.copyFailed.size())
                           .arg(request.target);
        if (request.options.copyFiles)
            done += QStringLiteral("（复制 %1 个文件，%2 个已存在）").arg(report.copied).arg(report.kept);
        printTo(stderr, done + QLatin1Char('\n'));
    }
    return report.complete() ? 0 : 1;
}
