#pragma once
#include "playlist_io/text_encoding.h"

#include <QString>
#include <QStringList>

#include <optional>

// What an export writes: the choices of the export dialog and of
// `melvora --export`, by the names the command line gives them.
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

// The names the command line takes, in the order the dialog offers them.
QStringList exportFormatNames();      // m3u m3u-plain m3u8 pls xspf
QStringList exportPathsNames();       // absolute relative name
QStringList separatorNames();         // slash backslash
QStringList encodingNames();          // utf-8 utf-8-bom gb18030
QStringList lineEndsNames();          // crlf lf

// By name, letter case ignored; nothing for an unknown name.
std::optional<ExportFormat> exportFormatNamed(const QString &name);
std::optional<ExportPaths> exportPathsNamed(const QString &name);
std::optional<PathSeparator> separatorNamed(const QString &name);
std::optional<TextEncoding> encodingNamed(const QString &name);
std::optional<LineEnds> lineEndsNamed(const QString &name);

// The format a target's extension names (.m3u, .m3u8, .pls, .xspf), if any.
std::optional<ExportFormat> exportFormatOfFile(const QString &fileName);

// What the options come to for the bytes: the line end, the encoding (.m3u8
// and XSPF are UTF-8 whatever was asked), the paths (copies are named only).
QByteArray effectiveLineEnd(const ExportOptions &options);
TextEncoding effectiveEncoding(const ExportOptions &options);
ExportPaths effectivePaths(const ExportOptions &options);
// Whether the format writes names and lengths, so tags are worth reading.
bool formatUsesTags(ExportFormat format);
