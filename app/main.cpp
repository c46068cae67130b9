#include <QApplication>
#include <QLocale>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Melvora"));
    QApplication::setApplicationVersion(QStringLiteral(MELVORA_VERSION));
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));

    // Until the real main window exists: a bare window with the start-up title.
    QMainWindow window;
    window.setObjectName(QStringLiteral("liebiao"));
    window.setWindowTitle(QStringLiteral("Melvora—— 未命名"));
    window.resize(486, 294);
    window.show();
    return app.exec();
}
