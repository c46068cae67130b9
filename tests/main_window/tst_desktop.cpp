// The main window as a desktop program: the list scrolls sideways to its
// widest entry, the count keeps its gap, the Delete key.
#include "tests/common/desktop_fakes.h"
#include "tests/common/wait_idle.h"
#include "tests/common/accessible_names.h"
#include "main_window/main_window.h"
#include "main_window/browser/media_browser.h"
#include "main_window/playlist_view.h"
#include "main_window/work_progress.h"
#include "platform/work/long_work.h"
#include "platform/twips.h"

#include <QComboBox>
#include <QLabel>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <memory>

class DesktopTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void scrollsToWidestAfterEmptying_data();
    void scrollsToWidestAfterEmptying();
    void labelsKeepTheirGaps_data();
    void labelsKeepTheirGaps();
    void deleteKey_data();
    void deleteKey();
    void everyControlHasAChineseName();
    void dialogFollowsTheListFolder();
    void drops_data();
    void drops();
    void dropClearsUndo();
    void dropsOnlyLocalFiles();
    void progressCancelLandsNothing();
    void commandLineFiles_data();
    void commandLineFiles();

private:
    QString writeList(const QString &name, const QStringList &entries);
    // "music/a.mp3" → the full native path of that file of the fixture;
    // paths starting with "/" stay as they are.
    QString path(const QString &relative) const;
    QStringList paths(const QStringList &relative) const;
    bool dropOnList(const QList<QUrl> &urls);

    QTemporaryDir m_tmp;
    DesktopFakes m_desktop;
    FakeMessageBox m_notices;
    std::unique_ptr<AuxWindows> m_aux;
    std::unique_ptr<MainWindow> m_window;
};

// The files dropped and named in these tests:
//   music/   a.mp3 b.MP3 c.wav d.txt .i.mp3 (hidden)
//   music/sub/   e.mp3 f.ogg      music/.hidden/h.mp3
//   odd/   "line⏎break.mp3"       lists/l.m3u (/x/1.mp3, /x/2.mp3), lists/m.pls (/y/1.mp3)
void DesktopTest::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    QDir dir(m_tmp.path());
    for (const char *folder : {"music/sub", "music/.hidden", "odd", "lists"})
        QVERIFY(dir.mkpath(QString::fromLatin1(folder)));
    for (const char *file : {"music/a.mp3", "music/b.MP3", "music/c.wav", "music/d.txt", "music/.i.mp3",
                             "music/sub/e.mp3", "music/sub/f.ogg", "music/.hidden/h.mp3", "odd/line\nbreak.mp3"}) {
        QFile f(dir.filePath(QString::fromLatin1(file)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QVERIFY(!writeList(QStringLiteral("lists/l.m3u"), {QStringLiteral("/x/1.mp3"), QStringLiteral("/x/2.mp3")})
                 .isEmpty());
    QVERIFY(!writeList(QStringLiteral("lists/m.pls"), {QStringLiteral("[playlist]"), QStringLiteral("File1=/y/1.mp3")})
                 .isEmpty());
}

QString DesktopTest::path(const QString &relative) const
{
    return relative.startsWith(QLatin1Char('/')) ? relative : QDir::toNativeSeparators(m_tmp.filePath(relative));
}

QStringList DesktopTest::paths(const QStringList &relative) const
{
    QStringList out;
    for (const QString &r : relative)
        out << path(r);
    return out;
}

// Drags the URLs over List1 and drops them, as a file manager does. False
// when the list refuses the drag.
bool DesktopTest::dropOnList(const QList<QUrl> &urls)
{
    QWidget *target = m_window->list1()->viewport();
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    // What the drop gives lands once the disk has been read.
    if (!waitForIdle(m_window->work()))
        return false;
    return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

void DesktopTest::init()
{
    m_desktop.messages = FakeMessageBox();
    m_desktop.dialog = FakeFileDialog();
    m_aux = std::make_unique<AuxWindows>(m_desktop.services(m_notices));
    m_window = std::make_unique<MainWindow>(m_desktop.messages, m_desktop.dialog, m_desktop.drives, m_desktop.keys,
                                            *m_aux, m_desktop.disk, m_desktop.repairs);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void DesktopTest::cleanup()
{
    m_window.reset();
    m_aux.reset();
}

QString DesktopTest::writeList(const QString &name, const QStringList &entries)
{
    QFile f(m_tmp.filePath(name));
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write((entries.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    return f.fileName();
}

void DesktopTest::scrollsToWidestAfterEmptying_data()
{
    QTest::addColumn<QString>("emptying");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QString>("widest");

    const QString x = QString(150, QLatin1Char('x'));
    const QStringList twins = {QStringLiteral("/music/one/") + x + QStringLiteral("1.mp3"),
                               QStringLiteral("/music/one/") + x + QStringLiteral("2.mp3")};
    const QString narrow = QStringLiteral("/m/") + QString(160, QLatin1Char('i')) + QStringLiteral(".mp3");
    const QString wide = QStringLiteral("/M/") + QString(70, QLatin1Char('W')) + QStringLiteral(".MP3");
    const QString cjk = QStringLiteral("/音乐/") + QString(60, QChar(0x6B4C)) + QStringLiteral(".mp3");
    const QString longer = QStringLiteral("/m/") + QString(400, QLatin1Char('y')) + QStringLiteral(".mp3");

    QTest::newRow("new, then two long twins") << "new" << QStringList{"/a.mp3"} << twins << twins.at(1);
    QTest::newRow("new on an empty list") << "new" << QStringList() << twins << twins.at(1);
    QTest::newRow("clear") << "clear" << QStringList{"/a.mp3"} << twins << twins.at(1);
    QTest::newRow("delete the only entry") << "delete" << QStringList{"/a.mp3"} << twins << twins.at(1);
    QTest::newRow("wide letters beat many narrow") << "new" << QStringList() << QStringList{narrow, wide} << wide;
    QTest::newRow("wide letters first") << "new" << QStringList() << QStringList{wide, narrow} << wide;
    QTest::newRow("wide characters first") << "clear" << QStringList{"/a.mp3"} << QStringList{cjk, narrow} << cjk;
    QTest::newRow("shrinks after a longer list") << "new" << QStringList{longer} << twins << twins.at(1);
}

// Whatever emptied the list, the list opened next scrolls sideways exactly as
// far as its own widest entry needs, no more and no less.
void DesktopTest::scrollsToWidestAfterEmptying()
{
    QFETCH(QString, emptying);
    QFETCH(QStringList, before);
    QFETCH(QStringList, opened);
    QFETCH(QString, widest);
    Playlist &list = m_window->playlist();
    if (!before.isEmpty()) {
        list.replaceEntries(before);
        QTest::qWait(20);
    }
    if (emptying == "new") {
        m_window->action(QStringLiteral("menunew"))->trigger();
    } else if (emptying == "clear") {
        m_window->action(QStringLiteral("menuclear"))->trigger();
    } else {
        list.selectByUser(0);
        m_window->action(QStringLiteral("menudell"))->trigger();
    }
    QCOMPARE(list.count(), 0);
    QTest::qWait(20);
    m_window->workflow().openlist(writeList(QStringLiteral("opened.m3u"), opened));
    QCOMPARE(list.entries(), opened);

    PlaylistView *view = m_window->list1();
    QScrollBar *bar = view->horizontalScrollBar();
    const int needed = view->fontMetrics().horizontalAdvance(widest);
    QTRY_VERIFY(bar->maximum() + view->viewport()->width() >= needed);
    // Every row is drawn that wide, so the widest text is never elided.
    for (int row = 0; row < list.count(); ++row)
        QVERIFY(view->visualRect(view->model()->index(row, 0)).width() >= needed);
    // Not stuck at an earlier, longer list's width either.
    int longestOpened = 0;
    for (const QString &entry : opened)
        longestOpened = qMax(longestOpened, view->fontMetrics().horizontalAdvance(entry));
    QVERIFY(bar->maximum() + view->viewport()->width() < longestOpened + 40);
}

void DesktopTest::labelsKeepTheirGaps_data()
{
    QTest::addColumn<int>("entries");    // a list this long, or none
    QTest::addColumn<QString>("count");  // else these texts, as a list of that size would show
    QTest::addColumn<QString>("position");
    QTest::addColumn<int>("suffixMoves");   // 0: stays where the layout put it, 1: moves, -1: either
    QTest::addColumn<bool>("fitsBesideList");   // the row ends within the list's width at the base size

    QTest::newRow("1 digit") << 9 << QString() << QString() << 0 << true;
    QTest::newRow("4 digits") << 1234 << QString() << QString() << 0 << true;
    QTest::newRow("5 digits") << 12345 << QString() << QString() << -1 << true;
    QTest::newRow("6 digits") << 100000 << QString() << QString() << 1 << true;
    QTest::newRow("7 digits") << -1 << QStringLiteral("1000000") << QStringLiteral("999999") << 1 << true;
    QTest::newRow("largest 32-bit") << -1 << QStringLiteral("2147483647") << QStringLiteral("2147483647")
                                    << 1 << false;
}

// "现在一共 N 首歌曲  当前位置 P" keeps a visible gap between every two texts
// whatever the number of digits, and no text is cut.
void DesktopTest::labelsKeepTheirGaps()
{
    QFETCH(int, entries);
    QFETCH(QString, count);
    QFETCH(QString, position);
    QFETCH(int, suffixMoves);
    QFETCH(bool, fitsBesideList);
    if (entries > 0) {
        QStringList many;
        many.reserve(entries);
        for (int i = 0; i < entries; ++i)
            many << QStringLiteral("/m/%1.mp3").arg(i);
        m_window->playlist().replaceEntries(many);
        m_window->playlist().selectByUser(entries - 1);
        count = position = QString::number(entries);
    } else {
        m_window->playlist().replaceEntries({QStringLiteral("/a.mp3")});
        m_window->label(Label::Count)->setText(count);
        m_window->label(Label::Position)->setText(position);
        m_window->applyLayout();
    }
    const Label row[] = {Label::CountPrefix, Label::Count, Label::CountSuffix, Label::PositionCaption,
                         Label::Position};
    for (int pass = 0; pass < 2; ++pass) {   // also after a resize
        QCOMPARE(m_window->label(Label::Count)->text(), count);
        QCOMPARE(m_window->label(Label::Position)->text(), position);
        int previousEnd = -1;
        for (Label which : row) {
            QLabel *l = m_window->label(which);
            QVERIFY(!l->text().isEmpty());
            const int advance = l->fontMetrics().horizontalAdvance(l->text());
            QVERIFY2(l->width() >= advance, qPrintable(l->objectName()));
            QVERIFY2(l->x() >= previousEnd + 4, qPrintable(l->objectName() + QLatin1Char(' ') + l->text()));
            previousEnd = l->x() + advance;
        }
        if (fitsBesideList || pass > 0)
            QVERIFY(previousEnd <= m_window->list1()->geometry().right());
        QLabel *suffix = m_window->label(Label::CountSuffix);
        const int designed = m_window->list1()->x() + Twips::toPixels(1680);
        if (suffixMoves >= 0)
            QCOMPARE(qAbs(suffix->x() - designed) > 1, suffixMoves == 1);
        m_window->resize(m_window->width() + 60, m_window->height() + 20);
        QTRY_VERIFY(m_window->outerWidthTwips() > 7410);
    }
}

void DesktopTest::deleteKey_data()
{
    QTest::addColumn<int>("selection");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("selectionAfter");
    QTest::addColumn<bool>("undoable");

    const int none = Qt::NoModifier;
    QTest::newRow("middle entry") << 1 << none << QStringList{"A", "C"} << 1 << true;
    QTest::newRow("last entry") << 2 << none << QStringList{"A", "B"} << 1 << true;
    QTest::newRow("keypad Delete") << 0 << int(Qt::KeypadModifier) << QStringList{"B", "C"} << 0 << true;
    QTest::newRow("nothing selected") << -1 << none << QStringList{"A", "B", "C"} << -1 << false;
    QTest::newRow("Shift+Delete is not it") << 1 << int(Qt::ShiftModifier) << QStringList{"A", "B", "C"} << 1
                                            << false;
}

// Delete on List1 runs the delete command: the entry goes, undo can bring it back.
void DesktopTest::deleteKey()
{
    QFETCH(int, selection);
    QFETCH(int, modifiers);
    QFETCH(QStringList, after);
    QFETCH(int, selectionAfter);
    QFETCH(bool, undoable);
    Playlist &list = m_window->playlist();
    list.replaceEntries({"A", "B", "C"});
    if (selection < 0)
        list.selectNone();
    else
        list.selectByUser(selection);
    m_window->list1()->setFocus();
    QTest::keyClick(m_window->list1(), Qt::Key_Delete, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(list.entries(), after);
    QCOMPARE(list.selection(), selectionAfter);
    QCOMPARE(m_window->action(QStringLiteral("menuundo"))->isEnabled(), undoable);
    if (undoable) {
        m_window->action(QStringLiteral("menuundo"))->trigger();
        QCOMPARE(list.entries(), QStringList({"A", "B", "C"}));
    }
}

// A screen reader can tell every control of the program's windows apart.
void DesktopTest::everyControlHasAChineseName()
{
    m_window->playlist().replaceEntries({"A", "B"});
    m_window->playlist().selectByUser(0);
    m_aux->showAbout();
    m_aux->showDeclaration();
    for (QWidget *window : {static_cast<QWidget *>(m_window.get()), m_aux->aboutWindow(), m_aux->declarationWindow()}) {
        QVERIFY(window);
        const QStringList problems = AccessibleNames::problems(window);
        QVERIFY2(problems.isEmpty(), qPrintable(window->objectName() + QStringLiteral(": ") + problems.join(QStringLiteral("; "))));
    }
    // Labels are read out by what they show, with and without a selection.
    for (int selection : {0, -1}) {
        if (selection < 0)
            m_window->playlist().selectNone();
        for (QWidget *window : {static_cast<QWidget *>(m_window.get()), m_aux->aboutWindow()}) {
            const QStringList labels = AccessibleNames::labelsNotNamedByText(window);
            QVERIFY2(labels.isEmpty(), qPrintable(window->objectName() + QStringLiteral(": ") + labels.join(QStringLiteral("; "))));
        }
    }
}

// The file dialog is told the folder of the list's own file, and that the
// list has none after New.
void DesktopTest::dialogFollowsTheListFolder()
{
    QVERIFY(QDir(m_tmp.path()).mkpath(QStringLiteral("lists/more")));
    const QString list = writeList(QStringLiteral("lists/more/a.m3u"), {QStringLiteral("/a.mp3")});
    QCOMPARE(m_desktop.dialog.listFolder, QString());
    m_window->workflow().openlist(list);
    QCOMPARE(m_desktop.dialog.listFolder, QFileInfo(list).absolutePath());
    m_window->action(QStringLiteral("menunew"))->trigger();
    QCOMPARE(m_desktop.dialog.listFolder, QString());
    m_window->playlist().replaceEntries({QStringLiteral("/b.mp3")});
    m_desktop.dialog.names << m_tmp.filePath(QStringLiteral("lists/saved.m3u"));
    m_window->action(QStringLiteral("menusaveas"))->trigger();
    QCOMPARE(m_desktop.dialog.listFolder, m_tmp.filePath(QStringLiteral("lists")));
}

void DesktopTest::drops_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<int>("selection");
    QTest::addColumn<bool>("insertAfter");
    QTest::addColumn<int>("filter");   // index in Combo1
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("selectionAfter");
    QTest::addColumn<QStringList>("messages");   // their first lines
    QTest::addColumn<int>("fileEdits");           // one per block of files added

    const QStringList p = {"/p/1.mp3", "/p/2.mp3", "/p/3.mp3"};
    const QString dup = QStringLiteral("该文件已经被选中过!");
    const QString lineBreak = QStringLiteral("文件名中含有换行符，无法加入列表！");
    QTest::newRow("files after the selection")
        << p << 0 << true << 0 << QStringList{"music/a.mp3", "music/b.MP3"}
        << QStringList{"/p/1.mp3", "music/a.mp3", "music/b.MP3", "/p/2.mp3", "/p/3.mp3"} << 2 << QStringList() << 1;
    QTest::newRow("files before the selection")
        << p << 1 << false << 0 << QStringList{"music/a.mp3", "music/b.MP3"}
        << QStringList{"/p/1.mp3", "music/a.mp3", "music/b.MP3", "/p/2.mp3", "/p/3.mp3"} << 3 << QStringList() << 1;
    QTest::newRow("nothing selected: at the end")
        << p << -1 << false << 0 << QStringList{"music/b.MP3", "music/a.mp3"}
        << QStringList{"/p/1.mp3", "/p/2.mp3", "/p/3.mp3", "music/b.MP3", "music/a.mp3"} << 4 << QStringList() << 1;
    QTest::newRow("other media types by name")
        << QStringList() << -1 << true << 0 << QStringList{"music/c.wav", "music/sub/f.ogg"}
        << QStringList{"music/c.wav", "music/sub/f.ogg"} << 1 << QStringList() << 1;
    QTest::newRow("duplicates refused with one message")
        << QStringList{"music/a.mp3", "music/b.MP3"} << 0 << true << 0
        << QStringList{"music/a.mp3", "music/c.wav", "music/b.MP3", "music/c.wav"}
        << QStringList{"music/a.mp3", "music/c.wav", "music/b.MP3"} << 1 << QStringList{dup} << 1;
    QTest::newRow("only duplicates: nothing changes")
        << QStringList{"music/a.mp3"} << 0 << true << 0 << QStringList{"music/a.mp3"}
        << QStringList{"music/a.mp3"} << 0 << QStringList{dup} << 0;
    QTest::newRow("folder: its files and its subfolders' by the filter")
        << p << 2 << true << 0 << QStringList{"music"}
        << QStringList{"/p/1.mp3", "/p/2.mp3", "/p/3.mp3", "music/a.mp3", "music/b.MP3", "music/sub/e.mp3"} << 5
        << QStringList() << 1;
    QTest::newRow("folder under the all-types filter")
        << QStringList() << -1 << true << 9 << QStringList{"music"}
        << QStringList{"music/a.mp3", "music/b.MP3", "music/c.wav", "music/sub/e.mp3", "music/sub/f.ogg"} << 4
        << QStringList() << 1;
    QTest::newRow("folder without matching files")
        << p << 0 << true << 3 << QStringList{"music"} << p << 0 << QStringList() << 0;
    QTest::newRow("playlist inserted at the end")
        << p << 0 << true << 0 << QStringList{"lists/l.m3u"}
        << QStringList{"/p/1.mp3", "/p/2.mp3", "/p/3.mp3", "/x/1.mp3", "/x/2.mp3"} << 4 << QStringList() << 0;
    QTest::newRow("file of no media type")
        << p << 0 << true << 0 << QStringList{"music/d.txt"} << p << 0
        << QStringList{QStringLiteral("不是媒体文件或播放列表，无法加入列表：")} << 0;
    QTest::newRow("name with a line break")
        << QStringList() << -1 << true << 0 << QStringList{"odd/line\nbreak.mp3", "music/a.mp3"}
        << QStringList{"music/a.mp3"} << 0 << QStringList{lineBreak} << 1;
    QTest::newRow("files, a playlist and a folder")
        << QStringList{"music/b.MP3"} << 0 << true << 0
        << QStringList{"music/a.mp3", "lists/l.m3u", "music/sub"}
        << QStringList{"music/b.MP3", "music/a.mp3", "/x/1.mp3", "/x/2.mp3", "music/sub/e.mp3"} << 4
        << QStringList() << 2;
}

// Files dropped from a file manager join the list as the browser's clicks
// would add them, with one message per kind of refusal for the whole drop
// and one edit per block of files.
void DesktopTest::drops()
{
    QFETCH(QStringList, list);
    QFETCH(int, selection);
    QFETCH(bool, insertAfter);
    QFETCH(int, filter);
    QFETCH(QStringList, dropped);
    QFETCH(QStringList, after);
    QFETCH(int, selectionAfter);
    QFETCH(QStringList, messages);
    QFETCH(int, fileEdits);
    Playlist &playlist = m_window->playlist();
    playlist.replaceEntries(paths(list));
    insertAfter ? playlist.setInsertAfterMode() : playlist.setInsertBeforeMode();
    selection < 0 ? playlist.selectNone() : playlist.selectByUser(selection);
    m_window->browser()->combo1()->setCurrentIndex(filter);
    QSignalSpy edits(&playlist, &Playlist::edited);

    QList<QUrl> urls;
    for (const QString &d : dropped)
        urls << QUrl::fromLocalFile(path(d));
    QVERIFY(dropOnList(urls));

    QCOMPARE(playlist.entries(), paths(after));
    QCOMPARE(playlist.selection(), selectionAfter);
    QStringList firstLines;
    for (const QString &text : m_desktop.messages.texts())
        firstLines << text.section(QLatin1Char('\n'), 0, 0);
    QCOMPARE(firstLines, messages);
    int fileBlocks = 0;
    for (const QList<QVariant> &edit : edits)
        fileBlocks += edit.at(0).value<Edit>() == Edit::FilesAdded;
    QCOMPARE(fileBlocks, fileEdits);
    QCOMPARE(m_window->state().listChanged(), after != list);
    QCOMPARE(m_window->list1()->model()->rowCount(), playlist.count());
}

// A drop is one edit as the add commands are: the undo record ends with it.
void DesktopTest::dropClearsUndo()
{
    Playlist &playlist = m_window->playlist();
    playlist.replaceEntries(paths({"/p/1.mp3", "/p/2.mp3", "/p/3.mp3"}));
    playlist.selectByUser(0);
    m_window->action(QStringLiteral("MENULAST"))->trigger();
    QVERIFY(m_window->action(QStringLiteral("menuundo"))->isEnabled());
    QVERIFY(dropOnList({QUrl::fromLocalFile(path("music/a.mp3"))}));
    QVERIFY(!m_window->action(QStringLiteral("menuundo"))->isEnabled());
    QVERIFY(!m_window->action(QStringLiteral("poplist1undo"))->isEnabled());
    const QStringList now = playlist.entries();
    playlist.undo();
    QCOMPARE(playlist.entries(), now);
}

// Links that are not local files are refused at the door; a drop holding
// both keeps the local files.
void DesktopTest::dropsOnlyLocalFiles()
{
    QVERIFY(!dropOnList({QUrl(QStringLiteral("https://example.org/a.mp3"))}));
    QCOMPARE(m_window->playlist().count(), 0);
    QVERIFY(dropOnList({QUrl(QStringLiteral("https://example.org/a.mp3")), QUrl::fromLocalFile(path("music/a.mp3"))}));
    QCOMPARE(m_window->playlist().entries(), paths({"music/a.mp3"}));
    QVERIFY(m_desktop.messages.shown.isEmpty());
}

// Work that takes a while shows "取消" over the window; a click on it ends
// the job, what it read never lands, and the window goes on as it was.
void DesktopTest::progressCancelLandsNothing()
{
    LongWork work;
    WorkProgressView view(work, m_window.get());
    bool landed = false;
    work.run<int>(QStringLiteral("正在读取文件夹…"),
                  [](WorkProgress &p) {
                      for (int i = 0; i < 1000 && !p.cancelled(); ++i)
                          QThread::msleep(10);
                      return 1;
                  },
                  [&landed](int &) { landed = true; });
    QProgressDialog *dialog = nullptr;
    QTRY_VERIFY((dialog = m_window->findChild<QProgressDialog *>(QStringLiteral("workProgress"))));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("提示"));
    QPushButton *cancel = dialog->findChild<QPushButton *>();
    QVERIFY(cancel);
    QCOMPARE(cancel->text(), QStringLiteral("取消"));
    cancel->click();
    QTRY_VERIFY(!work.busy());
    QVERIFY(!landed);
    QTRY_VERIFY(!m_window->findChild<QProgressDialog *>(QStringLiteral("workProgress")));
}

void DesktopTest::commandLineFiles_data()
{
    QTest::addColumn<QStringList>("files");   // relative ones to the fixture, unless `asTyped`
    QTest::addColumn<bool>("asTyped");         // given relative to the working folder
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QStringList>("messages");   // their first lines

    const QString unnamed = QStringLiteral("Melvora—— 未命名");
    const QString named = QStringLiteral("Melvora——L.M3U");
    QTest::newRow("a playlist opens") << QStringList{"lists/l.m3u"} << false
                                      << QStringList{"/x/1.mp3", "/x/2.mp3"} << named << false << QStringList();
    QTest::newRow("then media files") << QStringList{"lists/l.m3u", "music/b.MP3", "music/a.mp3"} << false
                                      << QStringList{"/x/1.mp3", "/x/2.mp3", "music/b.MP3", "music/a.mp3"} << named
                                      << true << QStringList();
    QTest::newRow("the playlist opens first") << QStringList{"music/a.mp3", "lists/l.m3u"} << false
                                              << QStringList{"/x/1.mp3", "/x/2.mp3", "music/a.mp3"} << named << true
                                              << QStringList();
    QTest::newRow("further playlists are inserted") << QStringList{"lists/l.m3u", "lists/m.pls"} << false
                                                    << QStringList{"/x/1.mp3", "/x/2.mp3", "/y/1.mp3"} << named
                                                    << true << QStringList();
    QTest::newRow("a folder") << QStringList{"music"} << false
                              << QStringList{"music/a.mp3", "music/b.MP3", "music/sub/e.mp3"} << unnamed << true
                              << QStringList();
    QTest::newRow("relative to the working folder") << QStringList{"music/a.mp3", "./lists/../lists/l.m3u"} << true
                                                    << QStringList{"/x/1.mp3", "/x/2.mp3", "music/a.mp3"} << named
                                                    << true << QStringList();
    QTest::newRow("missing media file") << QStringList{"music/nope.mp3", "music/a.mp3"} << false
                                        << QStringList{"music/a.mp3"} << unnamed << true
                                        << QStringList{QStringLiteral("文件不存在：")};
    QTest::newRow("missing playlist") << QStringList{"lists/nope.m3u"} << false << QStringList() << unnamed
                                      << false << QStringList{QStringLiteral("文件不存在！")};
    QTest::newRow("file of no media type") << QStringList{"music/d.txt"} << false << QStringList() << unnamed
                                           << false
                                           << QStringList{QStringLiteral("不是媒体文件或播放列表，无法加入列表：")};
    QTest::newRow("the same file twice") << QStringList{"music/a.mp3", "music/a.mp3"} << false
                                         << QStringList{"music/a.mp3"} << unnamed << true
                                         << QStringList{QStringLiteral("该文件已经被选中过!")};
}

// melvora FILE…: the first playlist opens as the open command would, the
// others are inserted, media files and folders are added as a drop adds them,
// and what cannot be had is said.
void DesktopTest::commandLineFiles()
{
    QFETCH(QStringList, files);
    QFETCH(bool, asTyped);
    QFETCH(QStringList, after);
    QFETCH(QString, title);
    QFETCH(bool, changed);
    QFETCH(QStringList, messages);
    const QString oldCwd = QDir::currentPath();
    QDir::setCurrent(m_tmp.path());
    m_window->openFiles(asTyped ? files : paths(files));
    QDir::setCurrent(oldCwd);
    QVERIFY(waitForIdle(m_window->work()));
    QCOMPARE(m_window->playlist().entries(), paths(after));
    QCOMPARE(m_window->windowTitle(), title);
    QCOMPARE(m_window->state().listChanged(), changed);
    QStringList firstLines;
    for (const QString &text : m_desktop.messages.texts())
        firstLines << text.section(QLatin1Char('\n'), 0, 0);
    QCOMPARE(firstLines, messages);
    if (messages.value(0).startsWith(QStringLiteral("文件不存在：")))
        QVERIFY(m_desktop.messages.texts().constFirst().contains(path(files.constFirst())));
}

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
