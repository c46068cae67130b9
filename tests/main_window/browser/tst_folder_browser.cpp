// The browser without its widgets, on real folders and fake drives: what it
// lists, the pause before it follows the disk, and the volumes it follows.
#include "main_window/browser/folder_browser.h"
#include "platform/fakes/fake_drives.h"
#include "tests/common/test_files.h"
#include "tests/common/wait_idle.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
// root/ music/ a.mp3 B.MP3 c.wav   other/
struct Fixture {
    QTemporaryDir tmp;
    QString root = QDir::cleanPath(tmp.path());
    QString oldCwd = QDir::currentPath();
    FakeDrives drives;
    std::unique_ptr<FolderBrowser> browser;
    QList<QStringList> listed;   // every list of files, in order

    Fixture()
    {
        QDir(root).mkpath(QStringLiteral("music"));
        QDir(root).mkpath(QStringLiteral("other"));
        for (const char *name : {"a.mp3", "B.MP3", "c.wav"})
            putBytes(root + QStringLiteral("/music/") + QLatin1String(name), "x");
        drives.list = {{QStringLiteral("tmp"), root + QLatin1Char('/')}, {QStringLiteral("cd"), QStringLiteral("/melvora-cd/")}};
        drives.unavailable = {QStringLiteral("/melvora-cd/")};
        QDir::setCurrent(root + QStringLiteral("/music"));
        browser = std::make_unique<FolderBrowser>(drives, QStringLiteral("*.MP3"));
        QObject::connect(browser.get(), &FolderBrowser::filesListed,
                         [this](const QStringList &names, bool) { listed << names; });
    }
    ~Fixture() { QDir::setCurrent(oldCwd); }
};
} // namespace

class FolderBrowserTest : public QObject {
    Q_OBJECT
private slots:
    // It starts in the working folder on its volume and lists what the filter takes.
    void listsWhatTheFilterTakes()
    {
        Fixture f;
        QCOMPARE(f.browser->folder(), f.root + QStringLiteral("/music"));
        QCOMPARE(f.browser->lastdrive(), f.root + QLatin1Char('/'));
        f.browser->listFiles(false);
        QVERIFY(waitForIdle(f.browser->work()));
        f.browser->setPattern(QStringLiteral("*.WAV;*.mp3"));
        QVERIFY(waitForIdle(f.browser->work()));
        QCOMPARE(f.listed, (QList<QStringList>{{"a.mp3", "B.MP3"}, {"a.mp3", "B.MP3", "c.wav"}}));
        // A volume that cannot be read, or no folder: nothing changes.
        QSignalSpy shown(f.browser.get(), &FolderBrowser::folderShown);
        QVERIFY(!f.browser->chooseVolume(1));
        QVERIFY(!f.browser->openFolder(f.root + QStringLiteral("/none")));
        QCOMPARE(shown.size(), 0);
        QVERIFY(f.browser->openFolder(f.root + QStringLiteral("/other")));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(f.browser->folder(), f.root + QStringLiteral("/other"));
    }

    // A burst of changes in the shown folder is read once, after a pause
    // (250 ms at the least, on a coarse timer that may fire 5% early), as
    // the same folder, so the selection is kept.
    void followsTheDiskAfterAPause()
    {
        Fixture f;
        f.browser->listFiles(false);
        QVERIFY(waitForIdle(f.browser->work()));
        QSignalSpy listed(f.browser.get(), &FolderBrowser::filesListed);
        QElapsedTimer sinceChange;
        sinceChange.start();
        for (int i = 0; i < 50; ++i)
            putBytes(f.root + QStringLiteral("/music/new %1.mp3").arg(i, 2, 10, QLatin1Char('0')), "x");
        QVERIFY(listed.wait(5000));
        QVERIFY2(sinceChange.elapsed() >= 230, qPrintable(QString::number(sinceChange.elapsed())));
        QCOMPARE(listed.constLast().at(1).toBool(), true);
        QTest::qWait(400);
        QVERIFY(listed.size() <= 2);
        QCOMPARE(listed.constLast().at(0).toStringList().size(), 52);
    }

    // Volumes come and go; the one shown gives way to the first when it goes.
    void followsTheVolumes()
    {
        Fixture f;
        const QString other = f.root + QStringLiteral("/other/");
        QSignalSpy changed(f.browser.get(), &FolderBrowser::volumesChanged);
        QSignalSpy shown(f.browser.get(), &FolderBrowser::folderShown);
        f.browser->checkVolumes();
        QCOMPARE(changed.size(), 0);   // nothing new
        f.drives.list.append({QStringLiteral("stick"), other});
        f.browser->checkVolumes();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(f.browser->volumes().size(), 3);
        QVERIFY(f.browser->chooseVolume(2));
        QCOMPARE(f.browser->folder(), QDir::cleanPath(other));
        QCOMPARE(f.browser->lastdrive(), other);
        f.drives.list.removeLast();
        shown.clear();
        f.browser->checkVolumes();
        QCOMPARE(f.browser->lastdrive(), f.root + QLatin1Char('/'));
        QCOMPARE(f.browser->volumeIndex(), 0);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.constFirst().constFirst().toString(), f.root + QStringLiteral("/music"));
        QVERIFY(waitForIdle(f.browser->work()));
    }
};

QTEST_GUILESS_MAIN(FolderBrowserTest)
#include "tst_folder_browser.moc"
