#include "playlist_io/export/export_options.h"

#include "playlist_io/playlist_type.h"

namespace {

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// The width a terminal gives a text: two columns for a Chinese character.
qsizetype columns(const QString &t)
{
    qsizetype n = 0;
    for (QChar c : t)
        n += c.unicode() >= 0x1100 ? 2 : 1;
    return n;
}

// One choice per encoding, from the program's table of them.
QList<ExportChoice> encodingChoices()
{
    QList<ExportChoice> choices;
    for (const EncodingName &name : encodingNames()) {
        const QString caption = encodingLabel(name.encoding)
                                + (name.region.isEmpty() ? QString() : text("（") + name.region + text("）"));
        choices.append({int(name.encoding), QString::fromLatin1(name.word), caption,
                        name.encoding == TextEncoding::Utf8 ? text("默认") : QString()});
    }
    return choices;
}

} // namespace

const QList<ExportChoiceOption> &exportChoiceOptions()
{
    static const QList<ExportChoiceOption> options = {
        {text("--format"), text("格式"), text("格式(&F)："), text("exportformat"), QString(),
         text("（默认按目标的扩展名）"),
         {{int(ExportFormat::M3u), text("m3u"), text("M3U（带标题和时长）"), QString()},
          {int(ExportFormat::M3uPlain), text("m3u-plain"), text("M3U（只有路径）"), QString()},
          {int(ExportFormat::M3u8), text("m3u8"), text("M3U8（UTF-8）"), QString()},
          {int(ExportFormat::Pls), text("pls"), text("PLS"), QString()},
          {int(ExportFormat::Xspf), text("xspf"), text("XSPF"), QString()}},
         [](const ExportOptions &o) { return int(o.format); },
         [](ExportOptions &o, int v) { o.format = ExportFormat(v); }},
        {text("--paths"), text("路径"), text("路径(&P)："), text("exportpaths"), QString(), QString(),
         {{int(ExportPaths::Absolute), text("absolute"), text("完整路径"), text("完整路径，默认")},
          {int(ExportPaths::Relative), text("relative"), text("相对于目标文件夹"), text("相对目标文件夹")},
          {int(ExportPaths::Name), text("name"), text("只写文件名"), text("只写文件名")}},
         [](const ExportOptions &o) { return int(o.paths); },
         [](ExportOptions &o, int v) { o.paths = ExportPaths(v); }},
        {text("--separator"), text("分隔符"), text("分隔符(&S)："), text("exportseparator"), QString(),
         text("，用于相对路径"),
         {{int(PathSeparator::Slash), text("slash"), text("/（斜杠）"), text("/，默认")},
          {int(PathSeparator::Backslash), text("backslash"), text("\\（反斜杠）"), text("\\")}},
         [](const ExportOptions &o) { return int(o.separator); },
         [](ExportOptions &o, int v) { o.separator = PathSeparator(v); }},
        {text("--encoding"), text("编码"), text("编码(&D)："), text("exportencoding"), QString(),
         text("（M3U 和 PLS）"),
         encodingChoices(),
         [](const ExportOptions &o) { return int(o.encoding); },
         [](ExportOptions &o, int v) { o.encoding = TextEncoding(v); }},
        {text("--line-ends"), text("行尾"), text("行尾(&L)："), text("exportlineends"),
         text("默认（XSPF 为 LF，其余为 CR LF）"), QString(),
         {{int(LineEnds::CrLf), text("crlf"), text("CR LF"), text("默认，XSPF 为 lf")},
          {int(LineEnds::Lf), text("lf"), text("LF"), QString()}},
         [](const ExportOptions &o) { return o.lineEnds ? int(*o.lineEnds) : -1; },
         [](ExportOptions &o, int v) { o.lineEnds = v < 0 ? std::nullopt : std::optional(LineEnds(v)); }},
    };
    return options;
}

const QList<ExportFlag> &exportFlags()
{
    static const QList<ExportFlag> flags = {
        {text("--copy-files"), text("把文件复制到目标文件夹(&C)"), text("exportcopy"),
         text("把文件复制到目标文件夹，列表只写文件名"), [](const ExportOptions &o) { return o.copyFiles; },
         [](ExportOptions &o, bool on) { o.copyFiles = on; }},
        {text("--numbered"), text("按列表顺序编号(&N)"), text("exportnumbered"),
         text("复制时按列表顺序命名为“001 - 名称”"), [](const ExportOptions &o) { return o.numbered; },
         [](ExportOptions &o, bool on) { o.numbered = on; }},
    };
    return flags;
}

const ExportChoice *exportChoiceNamed(const ExportChoiceOption &option, const QString &word)
{
    for (const ExportChoice &choice : option.choices) {
        if (word.compare(choice.word, Qt::CaseInsensitive) == 0)
            return &choice;
    }
    return nullptr;
}

QString exportOptionsHelp()
{
    // "  --format 格式" padded to the column where the words begin; lines
    // that would pass the terminal's width go on below, in that column.
    constexpr qsizetype kColumn = 26, kWidth = 80;
    const auto line = [](const QString &head, const QStringList &pieces) {
        QString out = head + QString(qMax<qsizetype>(1, kColumn - columns(head)), QLatin1Char(' '));
        qsizetype at = kColumn;
        for (const QString &piece : pieces) {
            if (at > kColumn && at + columns(piece) > kWidth) {
                out += QLatin1Char('\n') + QString(kColumn, QLatin1Char(' '));
                at = kColumn;
            }
            out += piece;
            at += columns(piece);
        }
        return out + QLatin1Char('\n');
    };
    QString help;
    for (const ExportChoiceOption &option : exportChoiceOptions()) {
        QStringList pieces;
        const QString joiner = option.choices.size() == 2 ? text("或 ") : text("、");
        for (qsizetype i = 0; i < option.choices.size(); ++i) {
            const ExportChoice &choice = option.choices.at(i);
            QString piece = choice.word;
            if (!choice.note.isEmpty())
                piece += text("（") + choice.note + text("）");
            if (i + 1 < option.choices.size())
                piece += joiner;
            else
                piece += option.helpEnd;
            pieces << piece;
        }
        help += line(QStringLiteral("  ") + option.flag + QLatin1Char(' ') + option.placeholder, pieces);
    }
    for (const ExportFlag &flag : exportFlags())
        help += line(QStringLiteral("  ") + flag.flag, {flag.help});
    return help;
}

namespace {

// The --format choice whose word is the list file type's suffix: formats are
// named after the files they write.
const ExportChoice *formatOfType(const PlaylistFileType &type)
{
    for (const ExportChoiceOption &option : exportChoiceOptions()) {
        if (option.flag == QLatin1String("--format"))
            return exportChoiceNamed(option, type.suffix.toString());
    }
    return nullptr;
}

} // namespace

std::optional<ExportFormat> exportFormatOfFile(const QString &fileName)
{
    const PlaylistFileType *type = playlistFileTypeOf(fileName);
    const ExportChoice *format = type ? formatOfType(*type) : nullptr;
    return format ? std::optional(ExportFormat(format->value)) : std::nullopt;
}

int exportFormatFilter(ExportFormat format)
{
    const std::span<const PlaylistFileType> types = playlistFileTypes();
    for (size_t i = 0; i < types.size(); ++i) {
        if (const ExportChoice *choice = formatOfType(types[i]); choice && choice->value == int(format))
            return int(i);
    }
    return 0;
}

QByteArray effectiveLineEnd(const ExportOptions &options)
{
    const LineEnds ends = options.lineEnds.value_or(options.format == ExportFormat::Xspf ? LineEnds::Lf
                                                                                         : LineEnds::CrLf);
    return ends == LineEnds::Lf ? QByteArray("\n") : QByteArray("\r\n");
}

TextEncoding effectiveEncoding(const ExportOptions &options)
{
    switch (options.format) {
    case ExportFormat::Xspf:
        return TextEncoding::Utf8;
    case ExportFormat::M3u8:
        return utf8Only(options.encoding);
    default:
        return options.encoding;
    }
}

ExportPaths effectivePaths(const ExportOptions &options)
{
    return options.copyFiles ? ExportPaths::Name : options.paths;
}

bool formatUsesTags(ExportFormat format)
{
    return format != ExportFormat::M3uPlain;
}
