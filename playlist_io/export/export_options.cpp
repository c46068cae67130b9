#include "playlist_io/export/export_options.h"

#include <QFileInfo>

namespace {

template <typename E>
std::optional<E> named(const QString &name, const QStringList &names)
{
    for (qsizetype i = 0; i < names.size(); ++i)
        if (name.compare(names.at(i), Qt::CaseInsensitive) == 0)
            return E(i);
    return std::nullopt;
}

} // namespace

QStringList exportFormatNames()
{
    return {QStringLiteral("m3u"), QStringLiteral("m3u-plain"), QStringLiteral("m3u8"), QStringLiteral("pls"),
            QStringLiteral("xspf")};
}

QStringList exportPathsNames()
{
    return {QStringLiteral("absolute"), QStringLiteral("relative"), QStringLiteral("name")};
}

QStringList separatorNames()
{
    return {QStringLiteral("slash"), QStringLiteral("backslash")};
}

QStringList encodingNames()
{
    return {QStringLiteral("utf-8"), QStringLiteral("utf-8-bom"), QStringLiteral("gb18030")};
}

QStringList lineEndsNames()
{
    return {QStringLiteral("crlf"), QStringLiteral("lf")};
}

std::optional<ExportFormat> exportFormatNamed(const QString &name)
{
    return named<ExportFormat>(name, exportFormatNames());
}

std::optional<ExportPaths> exportPathsNamed(const QString &name)
{
    return named<ExportPaths>(name, exportPathsNames());
}

std::optional<PathSeparator> separatorNamed(const QString &name)
{
    return named<PathSeparator>(name, separatorNames());
}

std::optional<TextEncoding> encodingNamed(const QString &name)
{
    return named<TextEncoding>(name, encodingNames());
}

std::optional<LineEnds> lineEndsNamed(const QString &name)
{
    return named<LineEnds>(name, lineEndsNames());
}

std::optional<ExportFormat> exportFormatOfFile(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName.trimmed()).suffix().toLower();
    if (suffix == QLatin1String("m3u"))
        return ExportFormat::M3u;
    if (suffix == QLatin1String("m3u8"))
        return ExportFormat::M3u8;
    if (suffix == QLatin1String("pls"))
        return ExportFormat::Pls;
    if (suffix == QLatin1String("xspf"))
        return ExportFormat::Xspf;
    return std::nullopt;
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
