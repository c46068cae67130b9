#include "command_line.h"

#include <cstdio>

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
            "  播放列表（.m3u、.pls）  第一个读取为当前列表，其余的插入列表\n"
            "  媒体文件（.mp3 等）     加入列表，如同在文件列表中单击\n"
            "  文件夹                  加入其中及其子文件夹中符合文件类型的文件\n"
            "\n"
            "选项：\n"
            "  -h, --help      显示本帮助并退出\n"
            "  -v, --version   显示版本并退出\n"
            "  --              其后的参数都是文件名\n");
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
