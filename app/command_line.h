#pragma once
#include <QString>
#include <QStringList>

// melvora [选项] [文件…]: the files to open (see MainWindow::openFiles) and
// the two options that answer and end the program at once.
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
        Error,     // an option the program does not know: `badOption`
    };
    Action action = Action::Run;
    QStringList files;   // in the given order, as given (relative ones too)
    QString badOption;

    // Help and version need no window system and end the program.
    bool endsAtOnce() const { return action == Action::Help || action == Action::Version; }
};

// `arguments` without the options QApplication takes out of a command line
// for itself (with X11: -platform NAME, -style NAME, -display HOST:N, -reverse,
// ..., also with two dashes), so they can be told from unknown ones before
// there is a QApplication. Everything from "--" on is kept as it is.
QStringList withoutQtOptions(const QStringList &arguments);

// `arguments` as the program got them, the program's own name first. Help
// wins over version, and both over an unknown option anywhere before "--";
// after "--" every argument is a file, and "-" alone is always one.
CommandLine parseCommandLine(const QStringList &arguments);

// What the program prints for a line that does not run it, in Chinese: the
// usage, the version, or what was wrong (empty for Run).
QString commandLineAnswer(const CommandLine &line, const QString &version);

// Prints the answer (errors to standard error) and gives the exit status:
// 0 for help and version, 2 for an unknown option.
int printCommandLineAnswer(const CommandLine &line, const QString &version);
