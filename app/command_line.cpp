#include "app/command_line.h"

#include "playlist_io/playlist_type.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>

namespace {
// What Qt 6 takes out of the command line on X11: QGuiApplication, QApplication
// and the xcb platform plugin. -geometry, -title and -icon are taken only on
// xcb; elsewhere the check after QApplication still finds them.
const QLatin1String kQtFlags[] = {
    QLatin1String("-reverse"), QLatin1String("-testability"), QLatin1String("-widgetcount"),
    QLatin1String("-nograb"),  QLatin1String("-dograb"),      QLatin1String("-qdebug"),
    QLatin1String("-qdevel"),
};
const QLatin1String kQtValueOptions[] = {
    QLatin1String("-platform"),       QLatin1String("-platformpluginpath"), QLatin1String("-platformtheme"),
    QLatin1String("-plugin"),         QLatin1String("-style"),              QLatin1String("-stylesheet"),
    QLatin1String("-session"),        QLatin1String("-qwindowgeometry"),    QLatin1String("-qwindowtitle"),
    QLatin1String("-qwindowicon"),    QLatin1String("-geometry"),           QLatin1String("-title"),
    QLatin1String("-icon"),           QLatin1String("-display"),            QLatin1String("-name"),
    QLatin1String("-visual"),         QLatin1String("-qmljsdebugger"),
};
// Options Qt also takes with their value after "=".
const QLatin1String kQtJoinedOptions[] = {
    QLatin1String("-style="), QLatin1String("-stylesheet="), QLatin1String("-qmljsdebugger="),
};

// The list files' extensions in alphabetical order: ".m3u、.m3u8、.pls、.xspf".
QStringList listSuffixes()
{
    QStringList suffixes;
    for (const PlaylistFileType &type : playlistFileTypes())
        suffixes << type.suffix.toString();
    suffixes.sort();
    return suffixes;
}
QString dottedSuffixes()
{
    return QLatin1Char('.') + listSuffixes().join(QStringLiteral("、."));
}
// "M3U、M3U8、PLS 和 XSPF".
QString namedTypes()
{
    QStringList names = listSuffixes();
    for (QString &name : names)
        name = name.toUpper();
    const QString last = names.takeLast();
    return names.isEmpty() ? last : names.join(QStringLiteral("、")) + QStringLiteral(" 和 ") + last;
}

template <std::size_t N>
bool isOneOf(QStringView option, const QLatin1String (&names)[N])
{
    for (const QLatin1String &name : names) {
        if (option == name)
            return true;
    }
    return false;
}
} // namespace

QStringList withoutQtOptions(const QStringList &arguments)
{
    QStringList kept = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--")) {
            kept << arguments.mid(i);
            break;
        }
        // Qt reads "--style" as "-style".
        QStringView option(argument);
        if (option.startsWith(QLatin1String("--")))
            option = option.mid(1);
        if (isOneOf(option, kQtFlags))
            continue;
        if (isOneOf(option, kQtValueOptions)) {
            ++i;   // its value, when there is one
            continue;
        }
        if (!std::any_of(std::begin(kQtJoinedOptions), std::end(kQtJoinedOptions),
                         [option](QLatin1String prefix) { return option.startsWith(prefix); }))
            kept << argument;
    }
    return kept;
}

namespace {

// An option as written, split at "=" when it is "--name=value".
struct Option {
    QString name;
    QString value;
    bool joined = false;
};

Option optionOf(const QString &argument)
{
    Option o{argument, QString(), false};
    if (const qsizetype eq = argument.indexOf(QLatin1Char('=')); argument.startsWith(QLatin1String("--")) && eq > 0) {
        o.name = argument.left(eq);
        o.value = argument.mid(eq + 1);
        o.joined = true;
    }
    return o;
}

bool isOption(const QString &argument)
{
    return argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-");
}

const ExportFlag *exportFlagNamed(const QString &name)
{
    for (const ExportFlag &f : exportFlags()) {
        if (name == f.flag)
            return &f;
    }
    return nullptr;
}

const ExportChoiceOption *exportChoiceOptionNamed(const QString &name)
{
    for (const ExportChoiceOption &c : exportChoiceOptions()) {
        if (name == c.flag)
            return &c;
    }
    return nullptr;
}

const QLatin1String kCheck("--check");
const QLatin1String kExport("--export");
const QLatin1String kTo("--to");

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    bool help = false, version = false, check = false, exporting = false;
    // What an export needs is known only once the whole line is read.
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--"))
            break;
        const QString name = optionOf(arguments.at(i)).name;
        help = help || name == QLatin1String("-h") || name == QLatin1String("--help");
        exporting = exporting || name == kExport;
    }

    ExportOptions &options = line.exportRequest.options;
    bool formatGiven = false;
    const auto mistake = [&line](const QString &error) {
        if (line.error.isEmpty())
            line.error = error;
    };
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnded || !isOption(argument)) {
            if (exporting)
                mistake(QStringLiteral("多余的参数“%1”").arg(argument));
            else
                line.files << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const Option o = optionOf(argument);
        // An option that is on or off; with a value it is a mistake.
        const auto flag = [&]() {
            if (o.joined)
                mistake(QStringLiteral("选项“%1”不带值").arg(o.name));
            return !o.joined;
        };
        // The value after the option or after "="; false when there is none.
        QString value = o.value;
        const auto takeValue = [&]() {
            if (!o.joined) {
                if (i + 1 >= arguments.size()) {
                    mistake(QStringLiteral("选项“%1”需要一个值").arg(o.name));
                    return false;
                }
                value = arguments.at(++i);
            }
            if (value.isEmpty()) {
                mistake(QStringLiteral("选项“%1”需要一个值").arg(o.name));
                return false;
            }
            return true;
        };
        if (o.name == QLatin1String("-h") || o.name == QLatin1String("--help")) {
            flag();
        } else if (o.name == QLatin1String("-v") || o.name == QLatin1String("--version")) {
            version = flag();
        } else if (o.name == kCheck) {
            check = flag();
        } else if (o.name == kExport) {
            if (takeValue())
                line.exportList = value;
        } else if (exporting && o.name == kTo) {
            if (takeValue())
                line.exportRequest.target = value;
        } else if (const ExportFlag *exportFlag = exporting ? exportFlagNamed(o.name) : nullptr) {
            exportFlag->set(options, flag());
        } else if (const ExportChoiceOption *choice = exporting ? exportChoiceOptionNamed(o.name) : nullptr) {
            if (!takeValue())
                continue;
            const ExportChoice *chosen = exportChoiceNamed(*choice, value);
            if (!chosen) {
                QStringList words;
                for (const ExportChoice &c : choice->choices)
                    words << c.word;
                mistake(QStringLiteral("选项“%1”的值“%2”无效，可用：%3").arg(o.name, value, words.join(QStringLiteral("、"))));
                continue;
            }
            choice->set(options, chosen->value);
            formatGiven = formatGiven || choice->flag == QLatin1String("--format");
        } else {
            mistake(QStringLiteral("未知选项“%1”").arg(argument));
        }
    }

    if (help) {
        line.action = CommandLine::Action::Help;
    } else if (version) {
        line.action = CommandLine::Action::Version;
    } else if (!line.error.isEmpty()) {
        line.action = CommandLine::Action::Error;
    } else if (check && exporting) {
        line.action = CommandLine::Action::Error;
        line.error = QStringLiteral("选项“--check”和“--export”不能一起使用");
    } else if (check) {
        line.action = CommandLine::Action::Check;
    } else if (exporting) {
        line.action = CommandLine::Action::Export;
        const auto fail = [&line](const QString &error) {
            line.action = CommandLine::Action::Error;
            line.error = error;
        };
        ExportRequest &request = line.exportRequest;
        std::optional<ExportFormat> format = formatGiven ? std::optional(options.format) : std::nullopt;
        if (!format)
            format = exportFormatOfFile(request.target);
        if (line.exportList.isEmpty())
            fail(QStringLiteral("选项“--export”需要一个列表文件"));
        else if (playlistTypeOf(line.exportList) == PlaylistType::Other)
            fail(QStringLiteral("“%1”不是播放列表（%2）").arg(line.exportList, dottedSuffixes()));
        else if (request.target.isEmpty())
            fail(QStringLiteral("导出需要用“--to”指定目标文件"));
        else if (!format)
            fail(QStringLiteral("无法从“%1”的扩展名确定格式，请用“--format”指定").arg(request.target));
        else if (options.numbered && !options.copyFiles)
            fail(QStringLiteral("“--numbered”只能与“--copy-files”一起使用"));
        else if (isCodePage(options.encoding) && (*format == ExportFormat::M3u8 || *format == ExportFormat::Xspf))
            fail(QStringLiteral("%1 格式总是 UTF-8，不能使用“--encoding %2”")
                     .arg(*format == ExportFormat::Xspf ? QStringLiteral("XSPF") : QStringLiteral("M3U8"),
                          QLatin1String(encodingEntry(options.encoding).word)));
        if (line.action == CommandLine::Action::Export) {
            options.format = *format;
            line.exportList = QFileInfo(line.exportList).absoluteFilePath();
            request.target = QFileInfo(request.target).absoluteFilePath();
        }
    }
    return line;
}

QString commandLineAnswer(const CommandLine &line, const QString &version)
{
    switch (line.action) {
    case CommandLine::Action::Help:
        return QStringLiteral("用法：melvora [选项] [文件…]\n编辑 %1 播放列表。\n\n文件：\n  播放列表（%2）\n")
                   .arg(namedTypes(), dottedSuffixes())
            + QStringLiteral(
            "                          第一个读取为当前列表，其余的插入列表\n"
            "  媒体文件（.mp3 等）     加入列表，如同在文件列表中单击\n"
            "  文件夹                  加入其中及其子文件夹中符合文件类型的文件\n"
            "\n"
            "选项：\n"
            "  -h, --help      显示本帮助并退出\n"
            "  -v, --version   显示版本并退出\n"
            "  --check 列表…   列出列表中缺失的文件并退出（无需窗口）；\n"
            "                  退出码：0 没有缺失，1 有缺失，2 列表无法读取\n"
            "  --              其后的参数都是文件名\n"
            "Qt 的通用选项（-platform、-style、-display 等）也可使用。\n"
            "\n"
            "导出（无需图形界面）：melvora --export 列表 --to 目标文件 [导出选项]\n")
            + exportOptionsHelp()
            + QStringLiteral("  退出码：0 成功，1 有失败（文件不存在、复制失败等），2 参数错误\n");
    case CommandLine::Action::Version:
        return QStringLiteral("Melvora 版本 %1\n").arg(version);
    case CommandLine::Action::Error:
        return QStringLiteral("melvora：%1\n请用“melvora --help”查看用法。\n").arg(line.error);
    case CommandLine::Action::Run:
    case CommandLine::Action::Check:
    case CommandLine::Action::Export:
        break;
    }
    return QString();
}

int printCommandLineAnswer(const CommandLine &line, const QString &version)
{
    const bool error = line.action == CommandLine::Action::Error;
    FILE *out = error ? stderr : stdout;
    std::fputs(commandLineAnswer(line, version).toLocal8Bit().constData(), out);
    std::fflush(out);
    return error ? 2 : 0;
}
