#include "app/command_line.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

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

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    bool help = false, version = false, optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            line.files << argument;
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            help = true;
        } else if (argument == QLatin1String("-v") || argument == QLatin1String("--version")) {
            version = true;
        } else if (line.badOption.isEmpty()) {
            line.badOption = argument;
        }
    }
    if (help)
        line.action = CommandLine::Action::Help;
    else if (version)
        line.action = CommandLine::Action::Version;
    else if (!line.badOption.isEmpty())
        line.action = CommandLine::Action::Error;
    return line;
}

QString commandLineAnswer(const CommandLine &line, const QString &version)
{
    switch (line.action) {
    case CommandLine::Action::Help:
        return QStringLiteral(
            "用法：melvora [选项] [文件…]\n"
            "编辑 M3U 和 PLS 播放列表。\n"
            "\n"
            "文件：\n"
            "  播放列表（.m3u、.m3u8、.pls、.xspf）\n"
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
            "导出（无需图形界面）：melvora --export 列表 --to 目标文件 [导出选项]\n"
            "  --format 格式           m3u、m3u-plain、m3u8、pls、xspf（默认按目标的扩展名）\n"
            "  --paths 路径            absolute（完整路径，默认）、relative（相对目标文件夹）、\n"
            "                          name（只写文件名）\n"
            "  --separator 分隔符      slash（/，默认）或 backslash（\\），用于相对路径\n"
            "  --encoding 编码         utf-8（默认）、utf-8-bom、gb18030（M3U 和 PLS）\n"
            "  --line-ends 行尾        crlf（默认，XSPF 为 lf）或 lf\n"
            "  --copy-files            把文件复制到目标文件夹，列表只写文件名\n"
            "  --numbered              复制时按列表顺序命名为“001 - 名称”\n"
            "  退出码：0 成功，1 有失败（文件不存在、复制失败等），2 参数错误\n");
    case CommandLine::Action::Version:
        return QStringLiteral("Melvora 版本 %1\n").arg(version);
    case CommandLine::Action::Error:
        return QStringLiteral("melvora：未知选项“%1”\n请用“melvora --help”查看用法。\n").arg(line.badOption);
    case CommandLine::Action::Run:
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
