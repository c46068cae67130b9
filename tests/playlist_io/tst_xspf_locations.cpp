// XSPF locations are percent-encoded by the program's own code (QUrl's parser
// was most of an export's time): they must be the bytes QUrl itself gives, for
// every kind of name, and read back as the same path.
#include "playlist_io/xspf.h"

#include <QDir>
#include <QTest>
#include <QUrl>

class XspfLocationsTest : public QObject {
    Q_OBJECT
private slots:
    void asQtEncodes_data()
    {
        QTest::addColumn<QString>("path");
        const char *const names[] = {
            "plain.mp3", "a b.mp3", "100%.mp3", "#1.mp3", "why?.mp3", "a+b.mp3", "a;b=c&d.mp3", "me@home.mp3",
            "it's (live) [2].mp3", "$!*,.mp3", "a:b.mp3", "~tilde.mp3", "a\\b.mp3", "tab\there.mp3",
            "\"quoted\" <x>.mp3", "{curly}|^`.mp3", "月亮.mp3", "Ça été.mp3", "🎵.mp3", "%41.mp3", "ends.",
        };
        for (const char *name : names)
            QTest::newRow(name) << QStringLiteral("/m/目录 x/") + QString::fromUtf8(name);
        QTest::newRow("folder names too") << QStringLiteral("/m/a#b/c?d/e%f/g.mp3");
        QTest::newRow("network share") << QStringLiteral("//server/share/a b.mp3");
    }
    void asQtEncodes()
    {
        QFETCH(QString, path);
        const QString location = xspfLocation(path, false, QStringLiteral("/x/lists"));
        QCOMPARE(location, QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded()));
        QCOMPARE(parseXspf(formatXspf({{location, {}, {}, -1}}), QStringLiteral("/x/lists")),
                 QStringList{QDir::toNativeSeparators(path)});
    }
};

QTEST_APPLESS_MAIN(XspfLocationsTest)
#include "tst_xspf_locations.moc"
