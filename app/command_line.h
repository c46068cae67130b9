#pragma once
#include "playlist_io/export/export_run.h"

#include <QString>
#include <QStringList>

// melvora [选项] [文件…], melvora --check 列表…, melvora --export 列表 --to 目标
// [导出选项]: the whole command line read by one set of rules. Options are
// found anywhere before "--"; after it every argument is a file, and "-" alone
// is always one. --help wins over everything, then --version; any other
// mistake (an unknown option, a value missing or wrong, --check beside
// --export) is told and ends the program.
//
// Why not QCommandLineParser: tried with Qt 6.4.2, its parse() does take "-"
// and everything after "--" as files and sees --help beside an unknown option,
// but it cannot give our answers. unknownOptionNames() drops the dashes
// ("--bogus" comes back as "bogus", "-x" as "x"; "-platform" as eight
// one-letter options unless single-dash words are long options), so
// "未知选项“--bogus”" needs the arguments scanned again; errorText() and
// helpText() are English in a fixed layout ("Usage: … Options: … Arguments:",
// with a --help-all line); and it knows nothing of Qt's own options before
// there is a QApplication, so withoutQtOptions() stays either way. Wrapping it
// would take more code than parseCommandLine() is.
struct CommandLine {
    enum class Action {
        Run,       // start with `files`
        Help,      // -h, --help: print the usage
        Version,   // -v, --version: print the version
        Check,     // --check: the lists in `files`, without a window
        Export,    // --export: `exportList` as `exportRequest` says, without a window
        Error,     // a mistake, told by `error`
    };
    Action action = Action::Run;
    QStringList files;   // in the given order, as given (relative ones too)
    QString error;       // what was wrong, in Chinese, one line
    QString exportList;  // a full path
    ExportRequest exportRequest;   // without entries: they are read from the list

    // Help, version and mistakes are answered at once and end the program.
    bool endsAtOnce() const
    {
        return action == Action::Help || action == Action::Version || action == Action::Error;
    }
};

// `arguments` without the options QApplication takes out of a command line
// for itself (with X11: -platform NAME, -style NAME, -display HOST:N, -reverse,
// ..., also with two dashes), so they can be told from unknown ones before
// there is a QApplication. Everything from "--" on is kept as it is.
QStringList withoutQtOptions(const QStringList &arguments);

// `arguments` as the program got them, the program's own name first.
CommandLine parseCommandLine(const QStringList &arguments);

// What the program prints for a line that ends at once, in Chinese: the
// usage, the version, or what was wrong (empty otherwise).
QString commandLineAnswer(const CommandLine &line, const QString &version);

// Prints the answer (mistakes to standard error) and gives the exit status:
// 0 for help and version, 2 for a mistake.
int printCommandLineAnswer(const CommandLine &line, const QString &version);
