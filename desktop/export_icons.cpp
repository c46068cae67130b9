// Writes the application icon into a hicolor icon theme folder:
//   export_icons <folder>  ->  <folder>/<n>x<n>/apps/melvora.png, scalable/apps/melvora.svg
#include "main_window/art/pictures.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: export_icons <folder>\n");
        return 2;
    }
    const QDir theme(QString::fromLocal8Bit(argv[1]));
    for (int size : {16, 32, 48, 256}) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (!theme.mkpath(folder) || !applicationImage(size).save(theme.filePath(folder + QStringLiteral("/melvora.png"))))
            return 1;
    }
    if (!theme.mkpath(QStringLiteral("scalable/apps")))
        return 1;
    QFile svg(theme.filePath(QStringLiteral("scalable/apps/melvora.svg")));
    const QByteArray bytes = applicationSvg();
    return svg.open(QIODevice::WriteOnly) && svg.write(bytes) == bytes.size() && svg.flush() ? 0 : 1;
}
