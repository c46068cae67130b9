#include "platform/files/folder_walk.h"
#include "tests/common/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

Q_DECLARE_METATYPE(FolderWalk)

namespace {

// tree/  a.mp3 B.MP3 c.wav .hidden.mp3 link.mp3 -> a.mp3, gone.mp3 -> nothing, fifo.mp3 (a FIFO)
//        sub/ d.mp3   Sub2/ e.mp3   .secret/ f.mp3   linked -> sub
void makeTree(const QString &root)
{
    QDir dir(root);
    for (const char *folder : {"sub", "Sub2", ".secret"})
        QVERIFY(dir.mkpath(QString::fromLatin1(folder)));
    for (const char *file : {"a.mp3", "B.MP3", "c.wav", ".hidden.mp3", "sub/d.mp3", "Sub2/e.mp3", ".secret/f.mp3"})
        QVERIFY(putBytes(dir.filePath(QString::fromLatin1(file)), "x"));
    QVERIFY(QFile::link(dir.filePath("a.mp3"), dir.filePath("link.mp3")));
    QVERIFY(QFile::link(dir.filePath("nothing"), dir.filePath("gone.mp3")));
    QVERIFY(QFile::link(dir.filePath("sub"), dir.filePath("linked")));
#ifdef Q_OS_UNIX
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("fifo.mp3")).constData(), 0644) == 0);
#endif
}

FolderWalk walkOf(FolderWalk::Kind kind, int depth, const char *pattern)
{
    FolderWalk walk;
    walk.kind = kind;
    walk.depth = depth;
    walk.pattern = QString::fromLatin1(pattern);
    return walk;
}

} // namespace

class FolderWalkTest : public QObject {
    Q_OBJECT
private slots:
    // Each caller's choices, and what they give on one tree.
    void walks_data()
    {
        QTest::addColumn<FolderWalk>("walk");
        QTest::addColumn<QStringList>("found");
        using Kind = FolderWalk::Kind;
        const int all = FolderWalk::kAllLevels;
        QTest::newRow("the browser's file list") << walkOf(Kind::Files, 0, "*.MP3")
                                                 << QStringList{"a.mp3", "B.MP3", "link.mp3"};
        QTest::newRow("an empty filter takes nothing") << walkOf(Kind::Files, 0, "") << QStringList{};
        QTest::newRow("a drop: every level, no hidden, no linked folders")
            << walkOf(Kind::Files, all, "*.mp3") << QStringList{"a.mp3", "B.MP3", "link.mp3", "sub/d.mp3", "Sub2/e.mp3"};
        QTest::newRow("one level down") << walkOf(Kind::Files, 1, "*.wav;*.MP3")
                                        << QStringList{"a.mp3", "B.MP3", "c.wav", "link.mp3", "sub/d.mp3", "Sub2/e.mp3"};
        FolderWalk tree = walkOf(Kind::Folders, 0, "");
        tree.followLinks = true;
        QTest::newRow("the browser's tree: linked folders too") << tree << QStringList{"linked", "sub", "Sub2"};
        QTest::newRow("folders, no links") << walkOf(Kind::Folders, 0, "") << QStringList{"sub", "Sub2"};
        FolderWalk everything = walkOf(Kind::Files, all, "*");
        everything.hidden = true;
        everything.special = true;
        QTest::newRow("moved files: hidden and special too")
            << everything << QStringList{".hidden.mp3", "a.mp3", "B.MP3", "c.wav",
#ifdef Q_OS_UNIX
                                         "fifo.mp3",
#endif
                                         "gone.mp3", "link.mp3", ".secret/f.mp3", "sub/d.mp3", "Sub2/e.mp3"};
        FolderWalk through = walkOf(Kind::Files, all, "d.mp3");
        through.followLinks = true;
        QTest::newRow("through linked folders") << through << QStringList{"linked/d.mp3", "sub/d.mp3"};
    }
    void walks()
    {
        QFETCH(FolderWalk, walk);
        QFETCH(QStringList, found);
        QTemporaryDir tmp;
        makeTree(tmp.path());
        WorkProgress progress;
        QCOMPARE(walkFolder(tmp.path(), walk, progress), found);
        QVERIFY(progress.done() >= found.size());
        walk.fullPaths = true;
        QStringList full;
        for (const QString &relative : found)
            full << QDir::toNativeSeparators(QDir(tmp.path()).filePath(relative));
        QCOMPARE(walkFolder(tmp.path(), walk, progress), full);
    }

    // A walk that is cancelled looks at nothing more.
    void cancelled()
    {
        QTemporaryDir tmp;
        makeTree(tmp.path());
        WorkProgress progress;
        progress.cancel();
        QCOMPARE(walkFolder(tmp.path(), walkOf(FolderWalk::Kind::Files, FolderWalk::kAllLevels, "*"), progress),
                 QStringList());
        QCOMPARE(progress.done(), 0);
    }
};

QTEST_GUILESS_MAIN(FolderWalkTest)
#include "tst_folder_walk.moc"
