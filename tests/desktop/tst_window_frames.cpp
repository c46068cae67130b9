// The frames of the program's windows as a real window manager shows them:
// run under Xvfb with openbox (window_frames_check.sh). Each window of the
// real program is shown, the window manager's view of it is read with xprop
// (_NET_FRAME_EXTENTS, _NET_WM_ALLOWED_ACTIONS, _MOTIF_WM_HINTS, _NET_WM_STATE)
// and, for a window that draws its own frame, its own title bar is read too.
// Together they give what the user sees: title bar, buttons, icon, whether the
// window resizes and has a task-bar button. Pictures of every window go to the
// folder named by MELVORA_FRAME_SHOTS, for people to look at.
//
// To check another window, add a row to windows_data() with a way to show it
// and the frame it must have.
#include "aux_windows/aux_windows.h"
#include "platform/chinese_interface.h"
#include "platform/files/volumes.h"
#include "platform/files/entry_check.h"
#include "main_window/repair_dialogs.h"
#include "platform/file_dialog.h"
#include "platform/key_state.h"
#include "playlist_io/playlist_type.h"
#include "main_window/main_window.h"
#include "platform/message_box.h"
#include "platform/own_frame.h"
#include "player/fakes/fake_mp3_control.h"
#include "player/fakes/fake_player_list.h"
#include "player/player_host.h"
#include "player/form3.h"
#include "main_window/playlist_view.h"
#include "main_window/art/pictures.h"
#include "platform/process_starter.h"
#include "platform/registry.h"
#include "platform/url_opener.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// What the user sees of a window's frame.
struct Frame {
    enum Bar { NoBar, ManagersBar, OwnBar } titleBar = NoBar;
    bool closeBox = false, minimise = false, maximise = false, icon = false;
    bool resizable = false, taskbarButton = false;

    bool operator==(const Frame &o) const
    {
        return titleBar == o.titleBar && closeBox == o.closeBox && minimise == o.minimise
               && maximise == o.maximise && icon == o.icon && resizable == o.resizable
               && taskbarButton == o.taskbarButton;
    }
};

char *describe(const Frame &f)
{
    static const char *bars[] = {"no title bar", "window manager's title bar", "own title bar"};
    return qstrdup(QStringLiteral("%1; close %2, minimise %3, maximise %4, icon %5, resizable %6, task bar %7")
                       .arg(QLatin1String(bars[f.titleBar]))
                       .arg(f.closeBox).arg(f.minimise).arg(f.maximise).arg(f.icon)
                       .arg(f.resizable).arg(f.taskbarButton)
                       .toUtf8());
}

// The properties xprop reports for a window, name → value text.
QHash<QString, QString> xprops(WId window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window), QStringLiteral("_NET_FRAME_EXTENTS"),
                 QStringLiteral("_NET_WM_ALLOWED_ACTIONS"), QStringLiteral("_MOTIF_WM_HINTS"),
                 QStringLiteral("_NET_WM_STATE"), QStringLiteral("_NET_WM_WINDOW_TYPE")});
    xprop.waitForFinished(5000);
    QHash<QString, QString> out;
    for (const QString &line : QString::fromLocal8Bit(xprop.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const qsizetype eq = line.indexOf(QLatin1String(" = "));
        const qsizetype paren = line.indexOf(QLatin1Char('('));
        if (eq > 0 && paren > 0)
            out.insert(line.left(paren), line.mid(eq + 3).trimmed());
    }
    return out;
}

QList<uint> numbers(const QString &text)
{
    QList<uint> out;
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        out << part.trimmed().toUInt(nullptr, 0);
    return out;
}

// The window manager has taken the window on once it has told its frame.
bool managed(QWidget *window)
{
    return xprops(window->winId()).contains(QStringLiteral("_NET_FRAME_EXTENTS"))
           && xprops(window->winId()).contains(QStringLiteral("_NET_WM_ALLOWED_ACTIONS"));
}

// What the user sees, from the window manager's hints and the window's own bar.
// openbox puts the window's icon on every title bar it draws.
Frame seen(QWidget *window, QString *detail)
{
    const QHash<QString, QString> p = xprops(window->winId());
    *detail = QStringList{p.keys()}.join(QLatin1Char(' '));
    for (auto it = p.begin(); it != p.end(); ++it)
        *detail += QStringLiteral("\n  %1 = %2").arg(it.key(), it.value());
    const QString actions = p.value(QStringLiteral("_NET_WM_ALLOWED_ACTIONS"));
    const QList<uint> extents = numbers(p.value(QStringLiteral("_NET_FRAME_EXTENTS")));
    const bool managersBar = extents.size() == 4 && extents.at(2) > extents.at(0);
    auto *own = window->findChild<CaptionBar *>();
    Frame f;
    f.titleBar = managersBar ? Frame::ManagersBar : own ? Frame::OwnBar : Frame::NoBar;
    if (managersBar) {
        f.closeBox = actions.contains(QLatin1String("_NET_WM_ACTION_CLOSE"));
        f.minimise = actions.contains(QLatin1String("_NET_WM_ACTION_MINIMIZE"));
        f.maximise = actions.contains(QLatin1String("_NET_WM_ACTION_MAXIMIZE_HORZ"));
        f.icon = true;
    } else if (own) {
        f.closeBox = own->closeBox() != nullptr;
    }
    f.resizable = actions.contains(QLatin1String("_NET_WM_ACTION_RESIZE"));
    f.taskbarButton = !p.value(QStringLiteral("_NET_WM_STATE")).contains(QLatin1String("SKIP_TASKBAR"));
    return f;
}

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A picture of the screen around a window, frame included.
void picture(QWidget *window, const QString &name)
{
    const QString folder = qEnvironmentVariable("MELVORA_FRAME_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QScreen *screen = QGuiApplication::primaryScreen();
    QRect around = screen->geometry();
    if (window) {
        // The frame as the window manager tells it; Qt may not know it yet.
        const QList<uint> e = numbers(xprops(window->winId()).value(QStringLiteral("_NET_FRAME_EXTENTS")));
        const QRect client(window->mapToGlobal(QPoint()), window->size());
        const QRect frame = e.size() == 4 ? client.adjusted(-int(e[0]), -int(e[2]), int(e[1]), int(e[3])) : client;
        around = frame.adjusted(-8, -8, 8, 8) & screen->geometry();
    }
    screen->grabWindow(0, around.x(), around.y(), around.width(), around.height())
        .save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

// Runs `act` on the modal window once it is up.
void whenModalShows(std::function<void(QWidget *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (QWidget *modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}

using Show = std::function<QWidget *()>;

} // namespace

Q_DECLARE_METATYPE(Frame)
Q_DECLARE_METATYPE(Show)

namespace QTest {
template <>
char *toString(const Frame &f)
{
    return describe(f);
}
} // namespace QTest

class WindowFramesCheck : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void windows_data();
    void windows();
    void messageBoxFrames_data();
    void messageBoxFrames();
    void messageBoxesShowTheirTitle_data();
    void messageBoxesShowTheirTitle();
    void fileDialogPicture();
    void declarationClosesOnAClickElsewhere();

private:
    QtMessageBox m_messages;
    QtFileDialog m_dialog;
    QtDrives m_drives;
    SystemKeyState m_keys;
    DiskProbe m_disk;
    QtRepairDialogs m_repairs;
    SystemRegistry m_registry;
    QtProcessStarter m_processes;
    DesktopUrlOpener m_urls;
    QtMessageBox m_notices{nullptr, QtMessageBox::NoticeIcon::None};
    std::unique_ptr<AuxWindows> m_aux;
    std::unique_ptr<MainWindow> m_main;
    FakePlayerList m_playerList{{QStringLiteral("/m/a.mp3")}, -1};
    std::unique_ptr<PlayerHost> m_player;
};

void WindowFramesCheck::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"), "run under X11 with a window manager");
    useChineseInterface(*qApp);
    QApplication::setWindowIcon(applicationIcon());
    m_dialog.setFilter(playlistDialogFilter());
    m_aux = std::make_unique<AuxWindows>(AuxServices{m_registry, m_processes, m_urls, m_notices});
    m_main = std::make_unique<MainWindow>(m_messages, m_dialog, m_drives, m_keys, *m_aux, m_disk, m_repairs);
    m_player = std::make_unique<PlayerHost>(m_playerList, [] { return new FakeMp3Control; });
    // As the program has it: the main window's boxes and dialog belong to it.
    m_messages.setParent(m_main.get());
    m_dialog.setParent(m_main.get());
}

void WindowFramesCheck::cleanupTestCase()
{
    // All three together, the declaration window in front.
    m_main->show();
    m_aux->showAbout();
    m_aux->showDeclaration();
    settle(500);
    picture(nullptr, QStringLiteral("all-windows"));
    m_player.reset();
    m_main.reset();
    m_aux.reset();
}

void WindowFramesCheck::windows_data()
{
    QTest::addColumn<Show>("show");
    QTest::addColumn<Frame>("expected");

    Frame main;   // sizable border, control menu, minimise and maximise, task-bar button, the icon
    main.titleBar = Frame::ManagersBar;
    main.closeBox = main.minimise = main.maximise = main.icon = main.resizable = main.taskbarButton = true;
    QTest::newRow("liebiao") << Show([this] {
        m_main->show();
        return static_cast<QWidget *>(m_main.get());
    }) << main;

    Frame about;   // narrow title bar with a close box only, fixed, no task-bar button, no icon
    about.titleBar = Frame::OwnBar;
    about.closeBox = true;
    QTest::newRow("frmAbout") << Show([this] {
        m_aux->showAbout();
        return m_aux->aboutWindow();
    }) << about;

    Frame declaration;   // title bar without any button, fixed, no task-bar button, no icon
    declaration.titleBar = Frame::OwnBar;
    QTest::newRow("Form2") << Show([this] {
        m_aux->showDeclaration();
        return m_aux->declarationWindow();
    }) << declaration;

    Frame player = declaration;   // title bar with the caption, no button, no task-bar button, no icon
    QTest::newRow("Form3") << Show([this] {
        m_player->showWindow();
        return static_cast<QWidget *>(m_player->window());
    }) << player;
}

void WindowFramesCheck::windows()
{
    QFETCH(Show, show);
    QFETCH(Frame, expected);
    QWidget *window = show();
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTRY_VERIFY_WITH_TIMEOUT(managed(window), 5000);
    settle(300);
    picture(window, window->objectName());

    QString detail;
    const Frame actual = seen(window, &detail);
    if (!(actual == expected))
        qInfo("%s: %s", qPrintable(window->objectName()), qPrintable(detail));
    QCOMPARE(actual, expected);

    // A window that draws its own frame asks the window manager for none at
    // all, and for a close action only where it has a close box.
    const QList<uint> mwm = numbers(xprops(window->winId()).value(QStringLiteral("_MOTIF_WM_HINTS")));
    if (expected.titleBar == Frame::OwnBar) {
        QVERIFY(mwm.size() >= 3);
        QVERIFY(mwm.at(0) & 2);          // decorations given
        QCOMPARE(mwm.at(2), 0u);         // and none wanted
        QCOMPARE(bool(mwm.at(1) & 32), expected.closeBox);   // close function
        QCOMPARE(numbers(xprops(window->winId()).value(QStringLiteral("_NET_FRAME_EXTENTS"))),
                 QList<uint>({0, 0, 0, 0}));
    } else if (mwm.size() >= 3 && (mwm.at(0) & 2) && !(mwm.at(2) & 1)) {
        // decorations: title, menu, minimise, maximise
        QCOMPARE(mwm.at(2) & (8 | 16 | 32 | 64), 8u | 16u | 32u | 64u);
    }
}

void WindowFramesCheck::messageBoxFrames_data()
{
    QTest::addColumn<bool>("question");
    QTest::addColumn<bool>("withIcon");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("notice, exclamation") << false << true << QStringLiteral("提示") << QStringLiteral("该文件已经被选中过!");
    QTest::newRow("question, yes and no") << true << true << QStringLiteral("提示")
                                          << QStringLiteral("列表内容已改变!是否保存？");
    QTest::newRow("about window's notice, no icon") << false << false << QStringLiteral("Melvora")
                                                    << QStringLiteral("此时系统信息不可用");
}

// A message box is a dialog of the window it belongs to: a title bar with
// the close box (openbox adds the icon), no maximise, fixed size. It asks for
// no minimise or maximise button; openbox puts a minimise button on every
// dialog all the same, and a minimised box comes straight back.
void WindowFramesCheck::messageBoxFrames()
{
    QFETCH(bool, question);
    QFETCH(bool, withIcon);
    QFETCH(QString, title);
    QFETCH(QString, text);
    Frame expected;
    expected.titleBar = Frame::ManagersBar;
    expected.closeBox = expected.icon = true;
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    QtMessageBox boxes(m_main.get(), withIcon ? QtMessageBox::NoticeIcon::Exclamation : QtMessageBox::NoticeIcon::None);
    Frame actual;
    QString detail, type, transientFor;
    QList<uint> mwm;
    bool shown = false, back = false;
    whenModalShows([&](QWidget *box) {
        const auto closeAnyway = qScopeGuard([box] { box->close(); });
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QTRY_VERIFY_WITH_TIMEOUT(managed(box), 5000);
        settle(300);
        shown = true;
        actual = seen(box, &detail);
        const QHash<QString, QString> p = xprops(box->winId());
        type = p.value(QStringLiteral("_NET_WM_WINDOW_TYPE"));
        mwm = numbers(p.value(QStringLiteral("_MOTIF_WM_HINTS")));
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(box->winId()),
                                              QStringLiteral("WM_TRANSIENT_FOR")});
        xprop.waitForFinished(5000);
        transientFor = QString::fromLocal8Bit(xprop.readAllStandardOutput()).section(QLatin1Char('#'), 1).trimmed();
        picture(box, QStringLiteral("message-frame-") + QString::fromLatin1(QTest::currentDataTag()).section(',', 0, 0));
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), QString::number(box->winId())});
        settle(500);
        QTRY_VERIFY_WITH_TIMEOUT(box->isVisible() && !(box->windowState() & Qt::WindowMinimized)
                                     && !xprops(box->winId()).value(QStringLiteral("_NET_WM_STATE")).contains(
                                         QLatin1String("HIDDEN")),
                                 5000);
        back = true;
    });
    if (question)
        boxes.askYesNo(text, title);
    else
        boxes.exclamation(text, title);
    QVERIFY(shown);
    QVERIFY2(back, "minimised and not back");
    // Not told by any hint: openbox's own minimise; whether a task bar lists
    // a transient dialog is the task bar's business.
    expected.minimise = actual.minimise;
    expected.taskbarButton = actual.taskbarButton;
    if (!(actual == expected))
        qInfo("%s", qPrintable(detail));
    QCOMPARE(actual, expected);
    QVERIFY2(type.startsWith(QLatin1String("_NET_WM_WINDOW_TYPE_DIALOG")), qPrintable(type));
    QCOMPARE(transientFor.toUInt(nullptr, 0), uint(m_main->winId()));
    // Motif hints: functions without minimise (8) or maximise (16), decorations
    // without minimise (32) or maximise (64) buttons.
    QVERIFY(mwm.size() >= 3);
    QVERIFY2(!(mwm.at(1) & (8 | 16)), qPrintable(QString::number(mwm.at(1), 16)));
    QVERIFY2(!(mwm.at(2) & (32 | 64)), qPrintable(QString::number(mwm.at(2), 16)));
}

void WindowFramesCheck::messageBoxesShowTheirTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("failed-save") << QStringLiteral("提示") << QStringLiteral("未知错误!");
    QTest::newRow("no-system-information") << QStringLiteral("Melvora") << QStringLiteral("此时系统信息不可用");
}

// A message box leaves the window manager room for its whole title beside
// its icon and buttons: the label left for the title is wider than the title.
void WindowFramesCheck::messageBoxesShowTheirTitle()
{
    QFETCH(QString, title);
    QFETCH(QString, text);
    int frameWidth = 0;
    whenModalShows([&](QWidget *box) {
        const auto closeAnyway = qScopeGuard([box] { box->close(); });   // also when a check fails
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QTRY_VERIFY_WITH_TIMEOUT(managed(box), 5000);
        settle(300);
        // The frame's width as the window manager tells it.
        const QList<uint> extents = numbers(xprops(box->winId()).value(QStringLiteral("_NET_FRAME_EXTENTS")));
        QCOMPARE(extents.size(), 4);
        frameWidth = box->width() + int(extents.at(0) + extents.at(1));
        picture(box, QStringLiteral("message-") + QString::fromLatin1(QTest::currentDataTag()));
    });
    m_messages.exclamation(text, title);
    // openbox's default title bar: the icon and three buttons take some 90
    // pixels; the rest is the title's.
    QFont bold = QApplication::font();
    bold.setBold(true);
    QVERIFY2(frameWidth - 90 > QFontMetrics(bold).horizontalAdvance(title),
             qPrintable(QString::number(frameWidth)));
}

void WindowFramesCheck::fileDialogPicture()
{
    bool shown = false;
    whenModalShows([&](QWidget *dialog) {
        const auto closeAnyway = qScopeGuard([dialog] { dialog->close(); });
        shown = qobject_cast<QFileDialog *>(dialog) != nullptr;
        settle(800);
        picture(dialog, QStringLiteral("file-dialog"));
    });
    m_dialog.getOpenFileName();
    QVERIFY(shown);
}

// Under a real window manager, the card without a close box still goes as
// soon as the user clicks another window of the program, and its own title
// bar moves it.
void WindowFramesCheck::declarationClosesOnAClickElsewhere()
{
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    m_aux->showDeclaration();
    QWidget *card = m_aux->declarationWindow();
    QVERIFY(QTest::qWaitForWindowActive(card));
    const auto xdotool = [](const QStringList &arguments) {
        return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
    };
    // Drag the title bar 40 pixels right and 30 down.
    const QPoint grip = card->mapToGlobal(QPoint(30, 8));
    const QPoint before = card->mapToGlobal(QPoint());
    // A hand takes its time: the window manager takes the move over first.
    QVERIFY(xdotool({"mousemove", QString::number(grip.x()), QString::number(grip.y()), "mousedown", "1"}));
    settle(300);
    QVERIFY(xdotool({"mousemove", QString::number(grip.x() + 20), QString::number(grip.y() + 15)}));
    settle(200);
    QVERIFY(xdotool({"mousemove", QString::number(grip.x() + 40), QString::number(grip.y() + 30)}));
    settle(200);
    QVERIFY(xdotool({"mouseup", "1"}));
    QTRY_COMPARE(card->mapToGlobal(QPoint()), before + QPoint(40, 30));
    QVERIFY(m_aux->declarationWindow());
    // A click on the main window's list.
    const QPoint list = m_main->list1()->mapToGlobal(m_main->list1()->rect().center());
    QVERIFY(xdotool({"mousemove", QString::number(list.x()), QString::number(list.y()), "click", "1"}));
    QTRY_VERIFY(!m_aux->declarationWindow());
}

QTEST_MAIN(WindowFramesCheck)
#include "tst_window_frames.moc"
