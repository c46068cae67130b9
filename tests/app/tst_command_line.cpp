// melvora's command line: what it takes as files, the options that answer at
// once, and the real program answering them.
#include "app/command_line.h"
#include "melvora_version.h"

#include <functional>

#include <QProcess>
#include <QtTest>

Q_DECLARE_METATYPE(CommandLine::Action)
Q_DECLARE_METATYPE(ExportOptions)

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void exportOptions_data();
    void exportOptions();
    void qtOptions_data();
    void qtOptions();
    void answers_data();
    void answers();
    void programAnswers_data();
    void programAnswers();
};

void CommandLineTest::parse_data()
{
    using A = CommandLine::Action;
    QTest::addColumn<QStringList>("arguments");   // after the program's name
    QTest::addColumn<A>("action");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("error");   // a part of it

    QTest::newRow("nothing") << QStringList() << A::Run << QStringList() << QString();
    QTest::newRow("files in order") << QStringList{"b.m3u", "/m/a.mp3", "相对/歌.mp3"} << A::Run
                                    << QStringList{"b.m3u", "/m/a.mp3", "相对/歌.mp3"} << QString();
    QTest::newRow("help") << QStringList{"--help"} << A::Help << QStringList() << QString();
    QTest::newRow("short help after files") << QStringList{"a.m3u", "-h"} << A::Help << QStringList{"a.m3u"}
                                             << QString();
    QTest::newRow("version") << QStringList{"--version"} << A::Version << QStringList() << QString();
    QTest::newRow("short version") << QStringList{"-v"} << A::Version << QStringList() << QString();
    QTest::newRow("help wins over version") << QStringList{"-v", "--help"} << A::Help << QStringList()
                                            << QString();
    QTest::newRow("help wins over an unknown option") << QStringList{"-platform", "xcb", "--help"} << A::Help
                                                      << QStringList{"xcb"} << QString("未知选项“-platform”");
    QTest::newRow("unknown option") << QStringList{"a.m3u", "--frobnicate", "-x"} << A::Error
                                    << QStringList{"a.m3u"} << QString("未知选项“--frobnicate”");
    QTest::newRow("after -- all are files") << QStringList{"--", "--help", "-x.mp3"} << A::Run
                                            << QStringList{"--help", "-x.mp3"} << QString();
    QTest::newRow("a lone dash is a file") << QStringList{"-"} << A::Run << QStringList{"-"} << QString();
    QTest::newRow("a flag takes no value") << QStringList{"--version=2"} << A::Error << QStringList()
                                           << QString("选项“--version”不带值");
    // The check: its lists wherever the option stands.
    QTest::newRow("check") << QStringList{"--check", "a.m3u", "b.pls"} << A::Check
                           << QStringList{"a.m3u", "b.pls"} << QString();
    QTest::newRow("check after the list") << QStringList{"a.m3u", "--check"} << A::Check << QStringList{"a.m3u"}
                                          << QString();
    QTest::newRow("help wins over the check") << QStringList{"--check", "--help"} << A::Help << QStringList()
                                              << QString();
    QTest::newRow("check of a list named like an option") << QStringList{"--check", "--", "--a.m3u"} << A::Check
                                                          << QStringList{"--a.m3u"} << QString();
    QTest::newRow("check and export") << QStringList{"--check", "--export", "a.m3u", "--to", "b.m3u"} << A::Error
                                      << QStringList() << QString("不能一起使用");
    // The export: its options only beside it.
    QTest::newRow("export") << QStringList{"--to", "b.pls", "--export", "a.m3u"} << A::Export << QStringList()
                            << QString();
    QTest::newRow("export options alone are unknown") << QStringList{"a.m3u", "--to", "b.m3u"} << A::Error
                                                      << QStringList{"a.m3u", "b.m3u"} << QString("未知选项“--to”");
    QTest::newRow("help wins over the export") << QStringList{"--export", "a.m3u", "--help"} << A::Help
                                               << QStringList() << QString();
    QTest::newRow("an export takes no files") << QStringList{"--export", "a.m3u", "--to", "b.m3u", "c.mp3"}
                                              << A::Error << QStringList() << QString("多余的参数“c.mp3”");
    QTest::newRow("a value missing") << QStringList{"--export", "a.m3u", "--to", "b.m3u", "--paths"} << A::Error
                                     << QStringList() << QString("选项“--paths”需要一个值");
    QTest::newRow("a value wrong") << QStringList{"--export", "a.m3u", "--to", "b.m3u", "--separator=up"}
                                   << A::Error << QStringList() << QString("可用：slash、backslash");
    QTest::newRow("no format to be had") << QStringList{"--export", "a.m3u", "--to", "b"} << A::Error
                                         << QStringList() << QString("扩展名");
}

void CommandLineTest::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Action, action);
    QFETCH(QStringList, files);
    QFETCH(QString, error);
    const CommandLine line = parseCommandLine(QStringList{QStringLiteral("melvora")} + arguments);
    QCOMPARE(line.action, action);
    QCOMPARE(line.files, files);
    QVERIFY2(error.isEmpty() ? line.error.isEmpty() : line.error.contains(error), qPrintable(line.error));
    QCOMPARE(line.endsAtOnce(), action == CommandLine::Action::Help || action == CommandLine::Action::Version
                                    || action == CommandLine::Action::Error);
}

// Every word of the export's options sets what it names, in any letter
// case, and --help offers it.
void CommandLineTest::exportOptions_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("word");
    QTest::addColumn<ExportOptions>("options");   // of an export to b.pls
    const auto with = [](const std::function<void(ExportOptions &)> &set) {
        ExportOptions o;
        o.format = ExportFormat::Pls;
        set(o);
        return o;
    };
    const auto row = [&](const char *flag, const char *word, const std::function<void(ExportOptions &)> &set) {
        QTest::addRow("%s %s", flag, word) << QString::fromLatin1(flag) << QString::fromLatin1(word) << with(set);
    };
    row("--format", "m3u", [](ExportOptions &o) { o.format = ExportFormat::M3u; });
    row("--format", "m3u-plain", [](ExportOptions &o) { o.format = ExportFormat::M3uPlain; });
    row("--format", "m3u8", [](ExportOptions &o) { o.format = ExportFormat::M3u8; });
    row("--format", "pls", [](ExportOptions &) {});
    row("--format", "xspf", [](ExportOptions &o) { o.format = ExportFormat::Xspf; });
    row("--paths", "absolute", [](ExportOptions &) {});
    row("--paths", "relative", [](ExportOptions &o) { o.paths = ExportPaths::Relative; });
    row("--paths", "name", [](ExportOptions &o) { o.paths = ExportPaths::Name; });
    row("--separator", "slash", [](ExportOptions &) {});
    row("--separator", "backslash", [](ExportOptions &o) { o.separator = PathSeparator::Backslash; });
    row("--encoding", "utf-8", [](ExportOptions &) {});
    row("--encoding", "utf-8-bom", [](ExportOptions &o) { o.encoding = TextEncoding::Utf8Bom; });
    row("--encoding", "gb18030", [](ExportOptions &o) { o.encoding = TextEncoding::Gb18030; });
    row("--line-ends", "crlf", [](ExportOptions &o) { o.lineEnds = LineEnds::CrLf; });
    row("--line-ends", "lf", [](ExportOptions &o) { o.lineEnds = LineEnds::Lf; });
}

void CommandLineTest::exportOptions()
{
    QFETCH(QString, flag);
    QFETCH(QString, word);
    QFETCH(ExportOptions, options);
    const CommandLine line = parseCommandLine({"melvora", "--export", "a.m3u", "--to", "b.pls", flag, word.toUpper()});
    QCOMPARE(line.action, CommandLine::Action::Export);
    QVERIFY(line.exportRequest.options == options);
    const QString help = commandLineAnswer(parseCommandLine({"melvora", "--help"}), QStringLiteral("1"));
    QVERIFY(help.contains(QLatin1Char('\n') + QStringLiteral("  ") + flag + QLatin1Char(' ')));
    QVERIFY(help.contains(word));
}

void CommandLineTest::qtOptions_data()
{
    QTest::addColumn<QStringList>("arguments");   // after the program's name
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("nothing") << QStringList() << QStringList();
    QTest::newRow("options with a value")
        << QStringList{"-platform", "xcb", "a.m3u", "-style", "fusion", "-display", ":1", "-geometry", "9x9+1+1"}
        << QStringList{"a.m3u"};
    QTest::newRow("the value is taken whatever it looks like")
        << QStringList{"-qwindowtitle", "-x", "-name", "b.m3u", "c.m3u"} << QStringList{"c.m3u"};
    QTest::newRow("flags take no value") << QStringList{"-reverse", "a.m3u", "-nograb", "-widgetcount", "b.pls"}
                                         << QStringList{"a.m3u", "b.pls"};
    QTest::newRow("two dashes as one") << QStringList{"--style", "fusion", "--reverse", "--platform", "offscreen"}
                                       << QStringList();
    QTest::newRow("value after =") << QStringList{"-style=fusion", "--stylesheet=a.qss", "-qmljsdebugger=port:1"}
                                   << QStringList();
    QTest::newRow("a value option last") << QStringList{"a.m3u", "-platformtheme"} << QStringList{"a.m3u"};
    QTest::newRow("ours and unknown ones stay")
        << QStringList{"--help", "-platform=xcb", "--frobnicate", "-plugin=x", "-reversed", "-"}
        << QStringList{"--help", "-platform=xcb", "--frobnicate", "-plugin=x", "-reversed", "-"};
    QTest::newRow("from -- on all stay") << QStringList{"-reverse", "--", "-style", "fusion", "-reverse"}
                                         << QStringList{"--", "-style", "fusion", "-reverse"};
}

// Qt's own options go before the program reads the line, so that an unknown
// option can be told before there is a window system.
void CommandLineTest::qtOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, kept);
    QCOMPARE(withoutQtOptions(QStringList{QStringLiteral("melvora")} + arguments),
             QStringList{QStringLiteral("melvora")} + kept);
}

void CommandLineTest::answers_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QStringList>("contains");
    QTest::newRow("help") << "--help"
                          << QStringList{"用法：melvora", "--version", "--help", ".m3u", ".pls", "文件夹",
                                         "编辑 M3U、M3U8、PLS 和 XSPF 播放列表。\n",
                                         "\n  播放列表（.m3u、.m3u8、.pls、.xspf）\n"};
    QTest::newRow("help names the export")
        << "--help"
        << QStringList{"--export", "--to", "--format", "--paths", "--separator", "--encoding", "--line-ends",
                       "--copy-files", "--numbered", "m3u-plain", "utf-8-bom", "gb18030"};
    QTest::newRow("version") << "--version" << QStringList{"Melvora", "版本", "2.10.3"};
    QTest::newRow("unknown option") << "--frobnicate" << QStringList{"未知选项", "--frobnicate", "--help"};
    QTest::newRow("files: nothing to say") << "a.m3u" << QStringList();
}

// What is printed is Chinese and names what it is about.
void CommandLineTest::answers()
{
    QFETCH(QString, argument);
    QFETCH(QStringList, contains);
    const QString text = commandLineAnswer(parseCommandLine({QStringLiteral("melvora"), argument}),
                                           QStringLiteral("2.10.3"));
    QCOMPARE(text.isEmpty(), contains.isEmpty());
    for (const QString &part : contains)
        QVERIFY2(text.contains(part), qPrintable(part));
}

void CommandLineTest::programAnswers_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");   // a window system is there (offscreen)
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("help without any display") << QStringList{"--help"} << false << 0 << "用法：melvora" << "";
    QTest::newRow("version without any display") << QStringList{"-v"} << false << 0
                                                 << "Melvora 版本 " MELVORA_VERSION << "";
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << true << 2 << "" << "未知选项“--frobnicate”";
    QTest::newRow("unknown option without any display") << QStringList{"a.m3u", "--bogus"} << false << 2 << ""
                                                        << "未知选项“--bogus”";
    QTest::newRow("after Qt's own options, without any display")
        << QStringList{"-style", "fusion", "-display", ":7", "--reverse", "-x"} << false << 2 << ""
        << "未知选项“-x”";
    QTest::newRow("check of a list that is not there") << QStringList{"--check", "/nonexistent/a.m3u"} << false
                                                        << 2 << "" << "无法读取列表“/nonexistent/a.m3u”";
    QTest::newRow("check named after the list") << QStringList{"/nonexistent/a.m3u", "--check"} << false << 2
                                                << "" << "无法读取列表“/nonexistent/a.m3u”";
    QTest::newRow("help beside the check") << QStringList{"--check", "--help"} << false << 0 << "用法：melvora"
                                           << "";
    QTest::newRow("Qt's own options are Qt's") << QStringList{"-platform", "offscreen", "--version"} << false << 0
                                               << "Melvora 版本" << "";
}

// The real program answers before it needs a window system, and says what
// went wrong on standard error with a failing status.
void CommandLineTest::programAnswers()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (display)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    else
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));   // would fail without a display
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(MELVORA_EXECUTABLE), arguments);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    const QString stdOut = QString::fromUtf8(program.readAllStandardOutput());
    const QString stdErr = QString::fromUtf8(program.readAllStandardError());
    if (!out.isEmpty())
        QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
    if (!err.isEmpty())
        QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
    if (exitCode == 0)
        QVERIFY2(stdErr.isEmpty(), qPrintable(stdErr));
    else
        QVERIFY2(stdOut.isEmpty(), qPrintable(stdOut));
}

QTEST_MAIN(CommandLineTest)
#include "tst_command_line.moc"
