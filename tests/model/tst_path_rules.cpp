#include "model/path_rules.h"

#include <QTest>

namespace {
PathRules rulesByName(const QString &name)
{
    return name == QLatin1String("windows") ? PathRules::windows() : PathRules::posix();
}
} // namespace

class PathRulesTest : public QObject {
    Q_OBJECT
private slots:
    // File name and extension split at the rules' separator only.
    void splitting_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ext");
        QTest::newRow("win song") << "windows" << "C:\\a\\song.mp3" << "song.mp3" << "mp3";
        QTest::newRow("win root") << "windows" << "C:\\" << "" << "";
        QTest::newRow("win bare") << "windows" << "abc" << "abc" << "";
        QTest::newRow("win dotted folder") << "windows" << "C:\\x.y\\z" << "z" << "";
        QTest::newRow("win folder dot, no ext") << "windows" << "C:\\a.b\\song" << "song" << "";
        QTest::newRow("win two dots") << "windows" << "song.tar.mp3" << "song.tar.mp3" << "mp3";
        QTest::newRow("win case kept") << "windows" << "D:\\l\\X.Pls" << "X.Pls" << "Pls";
        QTest::newRow("win slash is text") << "windows" << "C:\\m/a.mp3" << "m/a.mp3" << "mp3";
        QTest::newRow("win trailing dot") << "windows" << "C:\\a." << "a." << "";
        QTest::newRow("win empty") << "windows" << "" << "" << "";
        QTest::newRow("posix song") << "posix" << "/home/u/song.mp3" << "song.mp3" << "mp3";
        QTest::newRow("posix root") << "posix" << "/" << "" << "";
        QTest::newRow("posix dotted folder") << "posix" << "/m/x.y/z" << "z" << "";
        QTest::newRow("posix backslash is text") << "posix" << "/m/a\\b.mp3" << "a\\b.mp3" << "mp3";
        QTest::newRow("posix windows path") << "posix" << "C:\\x.y\\z" << "C:\\x.y\\z" << "y\\z";
    }
    void splitting()
    {
        QFETCH(QString, rules);
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(QString, ext);
        const PathRules r = rulesByName(rules);
        QCOMPARE(r.GetFileName(path), name);
        QCOMPARE(r.GetFileExt(path), ext);
    }

    // A separator goes between folder and name unless the folder ends with one.
    void join_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("win drive root") << "windows" << "C:\\" << "a.mp3" << "C:\\a.mp3";
        QTest::newRow("win folder") << "windows" << "C:\\music" << "a.mp3" << "C:\\music\\a.mp3";
        QTest::newRow("win short folder") << "windows" << "C:\\m" << "a.mp3" << "C:\\m\\a.mp3";
        QTest::newRow("posix root") << "posix" << "/" << "a.mp3" << "/a.mp3";
        QTest::newRow("posix short folder") << "posix" << "/ab" << "a.mp3" << "/ab/a.mp3";
        QTest::newRow("posix folder") << "posix" << "/home/u" << "a.mp3" << "/home/u/a.mp3";
    }
    void join()
    {
        QFETCH(QString, rules);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(rulesByName(rules).join(folder, name), path);
    }

    // Letter case decides sameness only where the file system ignores it.
    void sameEntry_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("win case") << "windows" << "c:\\music\\A.mp3" << "C:\\MUSIC\\a.MP3" << true;
        QTest::newRow("win no trim") << "windows" << "C:\\a.mp3" << "C:\\a.mp3 " << false;
        QTest::newRow("win no normalising") << "windows" << "C:\\m\\..\\a.mp3" << "C:\\a.mp3" << false;
        QTest::newRow("posix case") << "posix" << "/m/A.mp3" << "/m/a.mp3" << false;
        QTest::newRow("posix equal") << "posix" << "/m/a.mp3" << "/m/a.mp3" << true;
    }
    void sameEntry()
    {
        QFETCH(QString, rules);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(rulesByName(rules).same(a, b), same);
    }
};

QObject *newPathRulesTest() { return new PathRulesTest; }

#include "tst_path_rules.moc"
