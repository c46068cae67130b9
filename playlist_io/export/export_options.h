#pragma once
#include "playlist_io/text_encoding.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What an export writes: the choices of the export dialog and of
// `melvora --export`.
enum class ExportFormat {
    M3u,        // m3u: #EXTM3U, #EXTINF:<seconds>,<name>, the path
    M3uPlain,   // m3u-plain: one path a line, nothing else
    M3u8,       // m3u8: as m3u, UTF-8 always
    Pls,        // pls: [playlist], File/Title/Length<k>=, NumberOfEntries, Version=2
    Xspf        // xspf: XSPF version 1, UTF-8
};
enum class ExportPaths { Absolute, Relative, Name };
enum class PathSeparator { Slash, Backslash };
enum class LineEnds { CrLf, Lf };

struct ExportOptions {
    ExportFormat format = ExportFormat::M3u;
    ExportPaths paths = ExportPaths::Absolute;
    PathSeparator separator = PathSeparator::Slash;   // for relative and name-only paths
    TextEncoding encoding = TextEncoding::Utf8;       // M3U and PLS
    std::optional<LineEnds> lineEnds;                 // none: CR LF, XSPF LF
    bool copyFiles = false;   // copies into the target's folder, name-only paths
    bool numbered = false;    // with copyFiles: "<nnn> - <name>"

    friend bool operator==(const ExportOptions &, const ExportOptions &) = default;
};

// Each option of an export once: its values, the words the command line
// takes for them (`melvora --export … --format pls`), the captions the export
// dialog shows, and what --help says. The command line's parser, its --help
// and the dialog are all made from these two tables, in their order; a new
// option or value is one more row.
struct ExportChoice {
    int value;         // the option's enum value
    QString word;      // on the command line: "m3u-plain"
    QString caption;   // in the dialog: "M3U（只有路径）"
    QString note;      // in --help after the word, in brackets; may be empty
};
struct ExportChoiceOption {
    QString flag;          // "--format"
    QString placeholder;   // what --help calls the value: "格式"
    QString label;         // the dialog's caption of the box: "格式(&F)："
    QString objectName;    // of the dialog's box: "exportformat"
    QString unsetCaption;  // the dialog's first item when the option may be left unset, else empty
    QString helpEnd;       // in --help after the words: "（默认按目标的扩展名）"
    QList<ExportChoice> choices;
    int (*get)(const ExportOptions &);   // -1: unset
    void (*set)(ExportOptions &, int);   // -1: unset
};
const QList<ExportChoiceOption> &exportChoiceOptions();
// Options that are on or off: --copy-files, --numbered.
struct ExportFlag {
    QString flag;         // "--copy-files"
    QString caption;      // the dialog's check box
    QString objectName;   // of the check box
    QString help;         // what --help says of it
    bool (*get)(const ExportOptions &);
    void (*set)(ExportOptions &, bool);
};
const QList<ExportFlag> &exportFlags();

// The choice of `option` that `word` names, letter case ignored; null when none does.
const ExportChoice *exportChoiceNamed(const ExportChoiceOption &option, const QString &word);
// The export's part of --help: one line an option, made from the tables.
QString exportOptionsHelp();

// The format a target's name names: that whose --format word is the suffix
// of the list file type the name ends in (playlist_type.h), if any.
std::optional<ExportFormat> exportFormatOfFile(const QString &fileName);
// The list dialogs' filter for the format (playlistFileTypes()'s order): that
// of the type it is named after, the first for one named after none.
int exportFormatFilter(ExportFormat format);

// What the options come to for the bytes: the line end, the encoding (.m3u8
// and XSPF are UTF-8 whatever was asked), the paths (copies are named only).
QByteArray effectiveLineEnd(const ExportOptions &options);
TextEncoding effectiveEncoding(const ExportOptions &options);
ExportPaths effectivePaths(const ExportOptions &options);
// Whether the format writes names and lengths, so tags are worth reading.
bool formatUsesTags(ExportFormat format);
