// The player window on screen (offscreen platform): its definition, the
// window it is, docking, the user's gestures, and the host that loads, shows,
// hides and unloads it.
#include "tests/common/accessible_names.h"
#include "player/docking.h"
#include "player/fakes/fake_mp3_control.h"
#include "player/fakes/fake_player_list.h"
#include "player/form3.h"
#include "player/form3_controls.h"
#include "platform/own_frame.h"
#include "player/player_host.h"
#include "player/player_icon.h"
#include "player/player_state.h"
#include "platform/twips.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QScopeGuard>
#include <QStyleOptionButton>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QWindow>

using namespace Player;

namespace {

// The area below the window's own title bar, where the controls are.
QWidget *clientOf(QWidget *window)
{
    return window->findChild<OwnFrame *>()->client();
}

template <typename T = QWidget>
T *child(QWidget *window, const char *name)
{
    return window->findChild<T *>(QLatin1String(name));
}

// A host over a fake list whose component is a scripted fake; the fake of
// the loaded window stays reachable.
struct HostRig {
    explicit HostRig(const QStringList &entries, int selected,
                     FakeMp3Control::Ending ending = FakeMp3Control::Ending::Queued)
        : list(entries, selected)
        , host(list, [this, ending] {
            auto *mp = new FakeMp3Control;
            mp->ending = ending;
            for (const QString &e : list.entries)
                mp->addTrack(e, track);
            for (const QString &bad : broken)
                mp->tracks.remove(bad);
            fake = mp;
            return mp;
        }, PathRules::windows())
    {
        track.frames = 5000;
    }
    static void flushDeletes()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    FakePlayerList list;
    FakeMp3Control::Track track;
    QStringList broken;   // entries whose file is missing
    QPointer<FakeMp3Control> fake;
    PlayerHost host;
};

const QStringList kThree = {QStringLiteral("D:\\m\\a.mp3"), QStringLiteral("D:\\m\\b.wma"),
                            QStringLiteral("D:\\m\\c.mp3")};

} // namespace

class Form3Test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    // Every control at its design place and size, with its name.
    void geometry_data();
    void geometry();
    void windowDefinition();
    void controlsHaveNames();
    // Tab moves through the controls in the defined order.
    void tabOrder();
    void captionsAndToolTips_data();
    void captionsAndToolTips();
    void sliderSettings_data();
    void sliderSettings();
    // Read-only boxes on the button face; coloured number labels.
    void boxesAndLabels();
    // Two cars, red and green, at both sizes, in the 16 colours.
    void icon_data();
    void icon();
    // Bottom-right corner by the outer size, on the screen's own coordinates.
    void dockedPosition_data();
    void dockedPosition();
    void dockedOnShow();
    // Loading hidden, showing, hiding, unloading, loading afresh.
    void hostLifecycle();
    // Each fresh window is among the application's accessible windows, with
    // its title, and the one before has left; ten starts in a row, so new
    // windows land where old ones were.
    void accessibleAfterStarts();
    // The main window's writes do not load a window.
    void trackPositionWhileUnloaded();
    // Double-click on the background hides; on a control it does not.
    void doubleClickHides();
    // The window manager's close or minimise hides like the double-click.
    void windowManagerCloseHides();
    // The logic's state reaches the widgets, the user's clicks the logic.
    void viewFollowsState();
    // A held thumb is not pulled away; its release is the change.
    void positionSliderDrag();
    // Progress shows at most every RefreshMs, ending on the latest report,
    // and waits while the window is hidden.
    void progressRefresh();
    // Keys on the sliders: End seeks to the end; Up and Home go to the top.
    void sliderKeys_data();
    void sliderKeys();
    void loopCheckBox();
    // Loop mode follows the box however its tick changes: mouse, keyboard,
    // a screen reader's action, the program.
    void loopFollowsTheTick_data();
    void loopFollowsTheTick();
    // A screen reader hears what a label shows, in every state.
    void labelNamesFollowTexts_data();
    void labelNamesFollowTexts();
    // The longest texts of the boxes and labels show whole in their design size.
    void textsFit_data();
    void textsFit();
    // The six boxes share one font.
    void boxesShareAFont();
    // The position slider's ticks, every 400 frames or a multiple of it,
    // never come closer than 4 pixels, whatever the track's length.
    void ticksApart_data();
    void ticksApart();
    // A track that cannot start unloads the window and asks for the main window.
    void errorPathUnloads_data();
    void errorPathUnloads();
};

void Form3Test::initTestCase()
{
    qRegisterMetaType<Player::Control>();
}

// ---- definition ------------------------------------------------------------------------------

// Each control sits where its row of the control table puts it, in the client area.
void Form3Test::geometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");   // left, top, width, height
    for (const Form3Controls::Definition &d : Form3Controls::table())
        QTest::newRow(d.name) << QString::fromLatin1(d.name) << QRect(d.left, d.top, d.width, d.height);
}

void Form3Test::geometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    Form3 window;
    QWidget *widget = window.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget(), clientOf(&window));
    QCOMPARE(widget->geometry(), Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
}

// A screen reader can tell every control apart, in Chinese, while playing and paused.
void Form3Test::controlsHaveNames()
{
    HostRig rig(kThree, 0);
    rig.host.showWindow();
    Form3 *window = rig.host.window();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QStringList problems = AccessibleNames::problems(window);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
    QCOMPARE(child(window, "zanting")->accessibleName(), QStringLiteral("暂停"));
    QTest::mouseClick(child(window, "zanting"), Qt::LeftButton);
    QCOMPARE(child(window, "zanting")->accessibleName(), QStringLiteral("继续"));
    problems = AccessibleNames::problems(window);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
}

void Form3Test::windowDefinition()
{
    Form3 window;
    QCOMPARE(window.objectName(), QStringLiteral("Form3"));
    QCOMPARE(window.windowTitle(), QStringLiteral("播放窗口--"));
    QCOMPARE(clientOf(&window)->size(), QSize(488, 117));   // 7320 × 1755 twips
    QCOMPARE(window.width(), Twips::toPixels(7410));          // outer width, its own frame included
    // The client lies below the title bar, within the border.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *bar = window.findChild<CaptionBar *>();
    QCOMPARE(clientOf(&window)->mapTo(&window, QPoint()).y(), bar->mapTo(&window, QPoint(0, bar->height())).y());
    QVERIFY(window.rect().contains(QRect(clientOf(&window)->mapTo(&window, QPoint()), clientOf(&window)->size())));
    // To a screen reader: a window named by its title.
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&window);
    QCOMPARE(iface->role(), QAccessible::Window);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("播放窗口--"));
    QCOMPARE(QAccessible::queryAccessibleInterface(window.findChild<OwnFrame *>())->role(), QAccessible::Client);
    QCOMPARE(window.minimumSize(), window.maximumSize());
    const Qt::WindowFlags flags = window.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);   // no task-bar button
    QVERIFY(flags & Qt::WindowStaysOnTopHint);
    // Its own frame: a title bar with the caption and no button.
    QVERIFY(flags & Qt::FramelessWindowHint);
    auto *caption = window.findChild<CaptionBar *>();
    QVERIFY(caption);
    QVERIFY(!caption->closeBox());
    QVERIFY(window.findChildren<QAbstractButton *>().size() == window.findChildren<QPushButton *>().size()
                + window.findChildren<QCheckBox *>().size());
    const QList<QSize> sizes = window.windowIcon().availableSizes();
    QVERIFY(sizes.contains(QSize(32, 32)));
    QVERIFY(sizes.contains(QSize(16, 16)));
}

void Form3Test::tabOrder()
{
    Form3 window;
    const QStringList expected = {
        QStringLiteral("Command1"), QStringLiteral("Command2"), QStringLiteral("Command3"),
        QStringLiteral("Command4"), QStringLiteral("Sliguocheng"), QStringLiteral("Sliyin"),
        QStringLiteral("Slishengdaoo"), QStringLiteral("bofang"), QStringLiteral("zanting"),
        QStringLiteral("tingzhi"), QStringLiteral("kuaijin"), QStringLiteral("kuaitui"),
        QStringLiteral("Text1"), QStringLiteral("Text2"), QStringLiteral("Text3"),
        QStringLiteral("Text4"), QStringLiteral("Text5"), QStringLiteral("Text6"),
        QStringLiteral("Check1")};
    QStringList chain;
    QWidget *w = child(&window, "Command1");
    for (int guard = 0; guard < 200 && chain.size() < expected.size(); ++guard) {
        if (w->focusPolicy() & Qt::TabFocus)
            chain << w->objectName();
        w = w->nextInFocusChain();
    }
    QCOMPARE(chain, expected);
    // Labels take no focus.
    for (const char *label : {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7"})
        QCOMPARE(child(&window, label)->focusPolicy(), Qt::NoFocus);
}

void Form3Test::captionsAndToolTips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("bofang") << "bofang" << ">" << "播放";
    QTest::newRow("zanting") << "zanting" << ">|" << "暂停";
    QTest::newRow("tingzhi") << "tingzhi" << "-" << "停止";
    QTest::newRow("kuaijin") << "kuaijin" << ">>" << "快进";
    QTest::newRow("kuaitui") << "kuaitui" << "<<" << "快退";
    QTest::newRow("Command3") << "Command3" << "第一首" << "";
    QTest::newRow("Command1") << "Command1" << "上一首" << "";
    QTest::newRow("Command2") << "Command2" << "下一首" << "";
    QTest::newRow("Command4") << "Command4" << "最后一首" << "";
    QTest::newRow("Check1") << "Check1" << "循环这一首" << "设定循环方式";
    QTest::newRow("Label2") << "Label2" << "正在播放第" << "";
    QTest::newRow("Label5") << "Label5" << "首歌曲" << "";
    QTest::newRow("Label1") << "Label1" << "L" << "";
    QTest::newRow("Label7") << "Label7" << "R" << "";
    QTest::newRow("Text1: played time") << "Text1" << "Text1" << "播放的时间";
    QTest::newRow("Text3: frames played") << "Text3" << "Text3" << "播放的帧数";
    QTest::newRow("Text4: total frames") << "Text4" << "Text4" << "歌曲总帧数";
    QTest::newRow("Text5: sampling rate") << "Text5" << "Text5" << "采样频率";
    QTest::newRow("Text6: bit rate") << "Text6" << "Text6" << "传输速率";
    QTest::newRow("Text2: total time") << "Text2" << "Text2" << "歌曲总时间";
    QTest::newRow("Sliyin") << "Sliyin" << "" << "调节声音大小";
    QTest::newRow("Slishengdaoo") << "Slishengdaoo" << "" << "调节左右声道";
}

void Form3Test::captionsAndToolTips()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, toolTip);
    Form3 window;
    QWidget *widget = window.findChild<QWidget *>(name);
    QVERIFY(widget);
    QString text;
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        text = button->text();
    else if (auto *label = qobject_cast<QLabel *>(widget))
        text = label->text();
    else if (auto *box = qobject_cast<QLineEdit *>(widget))
        text = box->text();
    QCOMPARE(text, caption);
    QCOMPARE(widget->toolTip(), toolTip);
}

void Form3Test::sliderSettings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("pageStep");
    QTest::addColumn<int>("singleStep");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("tickInterval");
    QTest::newRow("position") << "Sliguocheng" << int(Qt::Horizontal) << 0 << 10 << 5 << 1
                              << int(QSlider::TicksBelow) << 400;
    QTest::newRow("volume") << "Sliyin" << int(Qt::Vertical) << -100 << 0 << 8 << 3
                            << int(QSlider::TicksBothSides) << 10;
    QTest::newRow("balance") << "Slishengdaoo" << int(Qt::Vertical) << -45 << 45 << 10 << 5
                             << int(QSlider::TicksBothSides) << 20;
}

void Form3Test::sliderSettings()
{
    QFETCH(QString, name);
    QFETCH(int, orientation);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, pageStep);
    QFETCH(int, singleStep);
    QFETCH(int, ticks);
    QFETCH(int, tickInterval);
    Form3 window;
    auto *slider = window.findChild<QSlider *>(name);
    QVERIFY(slider);
    QCOMPARE(int(slider->orientation()), orientation);
    QCOMPARE(slider->minimum(), minimum);
    QCOMPARE(slider->maximum(), maximum);
    QCOMPARE(slider->pageStep(), pageStep);
    QCOMPARE(slider->singleStep(), singleStep);
    QCOMPARE(int(slider->tickPosition()), ticks);
    QCOMPARE(slider->tickInterval(), tickInterval);
    QCOMPARE(slider->value(), 0);
    // On a vertical slider the minimum is at the top.
    QCOMPARE(slider->invertedAppearance(), orientation == Qt::Vertical);
}

void Form3Test::boxesAndLabels()
{
    Form3 window;
    for (const char *name : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6"}) {
        auto *box = child<QLineEdit>(&window, name);
        QVERIFY(box->isReadOnly());
        QCOMPARE(box->palette().color(QPalette::Base), box->palette().color(QPalette::Button));
        QCOMPARE(box->focusPolicy() & Qt::TabFocus, Qt::TabFocus);   // its text can be selected
    }
    QCOMPARE(child(&window, "Label4")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(child(&window, "Label6")->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(child<QLabel>(&window, "Label4")->text(), QString());
    QCOMPARE(child<QCheckBox>(&window, "Check1")->isChecked(), false);
}

void Form3Test::icon_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("32") << 32;
    QTest::newRow("16") << 16;
}

void Form3Test::icon()
{
    QFETCH(int, size);
    const QImage image = playerIconImage(size);
    QCOMPARE(image.size(), QSize(size, size));
    QSet<QRgb> colours;
    int red = 0, green = 0, transparent = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 0) {
                ++transparent;
                continue;
            }
            QCOMPARE(c.alpha(), 255);
            colours.insert(c.rgb());
            red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
            green += c.green() > 100 && c.red() < 60 && c.blue() < 60;
        }
    }
    QVERIFY2(colours.size() <= 16, qPrintable(QString::number(colours.size())));
    QVERIFY2(red >= size, "a red car");
    QVERIFY2(green >= size, "a green car");
    QVERIFY(transparent > 0);
    QVERIFY(playerIconImage(24).isNull());
}

void Form3Test::dockedPosition_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QPoint>("topLeft");
    // 195 twips (13 px) from the right, 135 twips (9 px) from the bottom.
    QTest::newRow("1280×1024, framed") << QRect(0, 0, 1280, 1024) << QSize(490, 138) << QPoint(777, 877);
    QTest::newRow("no frame") << QRect(0, 0, 1280, 1024) << QSize(488, 117) << QPoint(779, 898);
    QTest::newRow("second screen to the right") << QRect(1920, 0, 1280, 1024) << QSize(490, 138)
                                                << QPoint(2697, 877);
    QTest::newRow("screen below, 800×600") << QRect(0, 1080, 800, 600) << QSize(494, 143) << QPoint(293, 1528);
}

void Form3Test::dockedPosition()
{
    QFETCH(QRect, screen);
    QFETCH(QSize, outer);
    QFETCH(QPoint, topLeft);
    QCOMPARE(dockedTopLeft(screen, outer), topLeft);
}

void Form3Test::dockedOnShow()
{
    HostRig rig(kThree, -1);
    rig.host.showWindow();
    Form3 *window = rig.host.window();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QRect screen = window->screen()->geometry();
    QCOMPARE(window->frameGeometry().topLeft(), dockedTopLeft(screen, window->frameGeometry().size()));
}

// ---- host ------------------------------------------------------------------------------------

void Form3Test::hostLifecycle()
{
    HostRig rig(kThree, 0);
    QVERIFY(!rig.host.isLoaded());
    // Start-up: loaded and hidden at once; it plays the selected entry.
    rig.host.hideWindow();
    QVERIFY(rig.host.isLoaded());
    QVERIFY(!rig.host.window()->isVisible());
    QCOMPARE(rig.fake->opened(), QStringList{kThree[0]});
    QCOMPARE(rig.host.component()->objectName(), QStringLiteral("mp"));
    QCOMPARE(rig.host.component()->parent(), rig.host.window());

    // Showing a loaded window only shows it.
    QPointer<Form3> first = rig.host.window();
    rig.host.showWindow();
    QCOMPARE(rig.host.window(), first.data());
    QVERIFY(first->isVisible());
    QCOMPARE(rig.fake->opened().size(), 1);
    rig.host.hideWindow();
    QVERIFY(!first->isVisible());
    QVERIFY(rig.fake->playing);   // playback goes on

    // Unload: window, state and component go, and the sound with them.
    QPointer<FakeMp3Control> firstFake = rig.fake;
    rig.host.closeWindow();
    QVERIFY(!rig.host.isLoaded());
    QVERIFY(!firstFake->playing);
    HostRig::flushDeletes();
    QVERIFY(first.isNull());
    QVERIFY(firstFake.isNull());

    // A fresh window takes the selection anew.
    rig.list.selected = 2;
    rig.host.showWindow();
    QVERIFY(rig.host.window()->isVisible());
    QCOMPARE(rig.fake->opened(), QStringList{kThree[2]});
    QCOMPARE(rig.host.state()->text(Text::Label4), QStringLiteral("3"));
}

void Form3Test::accessibleAfterStarts()
{
    QAccessible::setActive(true);
    const auto restore = qScopeGuard([] { QAccessible::setActive(false); });
    HostRig rig(kThree, 0);
    QAccessibleInterface *application = QAccessible::queryAccessibleInterface(qApp);
    QVERIFY(application);
    for (int start = 0; start < 10; ++start) {
        rig.host.closeWindow();
        HostRig::flushDeletes();
        rig.host.showWindow();
        QStringList players;
        for (int i = 0; i < application->childCount(); ++i) {
            QAccessibleInterface *child = application->child(i);
            if (child && child->object() && child->object()->objectName() == QLatin1String("Form3"))
                players << child->text(QAccessible::Name);
        }
        QCOMPARE(players, QStringList{rig.host.window()->windowTitle()});
    }
}

void Form3Test::trackPositionWhileUnloaded()
{
    HostRig rig(kThree, 0);
    rig.host.setTrackPosition(1, 3);
    QVERIFY(!rig.host.isLoaded());
    rig.host.showWindow();
    QSignalSpy texts(rig.host.state(), &PlayerState::textChanged);
    rig.host.setTrackPosition(1, 3);
    QCOMPARE(child<QLabel>(rig.host.window(), "Label4")->text(), QStringLiteral(" 1"));
    QCOMPARE(texts.size(), 1);
}

void Form3Test::doubleClickHides()
{
    HostRig rig(kThree, 0);
    rig.host.showWindow();
    Form3 *window = rig.host.window();
    QSignalSpy hidden(&rig.host, &PlayerHost::hiddenByUser);

    // On a control: nothing.
    QTest::mouseDClick(child(window, "Command2"), Qt::LeftButton);
    QTest::mouseDClick(child(window, "Label5"), Qt::LeftButton);
    QVERIFY(window->isVisible());
    QCOMPARE(hidden.size(), 0);

    QWidget *client = clientOf(window);
    const QPoint background(300, 60);   // between the buttons and the boxes
    QVERIFY(!client->childAt(background));
    QTest::mouseDClick(client, Qt::LeftButton, {}, background);
    QVERIFY(!window->isVisible());
    QCOMPARE(hidden.size(), 1);
    QVERIFY(rig.host.isLoaded());
    QVERIFY(rig.fake->playing);
}

void Form3Test::windowManagerCloseHides()
{
    HostRig rig(kThree, 0);
    rig.host.showWindow();
    Form3 *window = rig.host.window();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QSignalSpy hidden(&rig.host, &PlayerHost::hiddenByUser);

    // What the close button of the frame does: a close from the window system.
    window->windowHandle()->close();
    QVERIFY(!window->isVisible());
    QCOMPARE(hidden.size(), 1);
    QVERIFY(rig.host.isLoaded());

    rig.host.showWindow();
    window->setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(!window->isVisible());
    QCOMPARE(hidden.size(), 2);
    QVERIFY(!(window->windowState() & Qt::WindowMinimized));
    QVERIFY(rig.fake->playing);
}

// ---- view and logic ----------------------------------------------------------------------------

void Form3Test::viewFollowsState()
{
    HostRig rig(kThree, -1);
    rig.host.showWindow();
    Form3 *window = rig.host.window();
    // Idle look.
    for (const char *hidden : {"Label2", "Label4", "Label5", "Label6", "Check1"})
        QVERIFY2(child(window, hidden)->isHidden(), hidden);
    QVERIFY(!child(window, "Label3")->isHidden());   // empty until a track is taken
    QVERIFY(child(window, "bofang")->isEnabled());
    QVERIFY(!child(window, "zanting")->isEnabled());
    QCOMPARE(child<QLineEdit>(window, "Text1")->text(), QStringLiteral("00:00"));
    QCOMPARE(child<QSlider>(window, "Sliyin")->value(), -35);
    QCOMPARE(child<QSlider>(window, "Sliguocheng")->maximum(), 1);

    // The last button plays entry 3 once the (queued) ending arrives.
    QTest::mouseClick(child(window, "Command4"), Qt::LeftButton);
    QTRY_COMPARE(rig.fake->opened(), QStringList{kThree[2]});
    QCOMPARE(window->windowTitle(), QStringLiteral("播放窗口--C.MP3"));
    QCOMPARE(child<QLineEdit>(window, "Text4")->text(), QStringLiteral("5000"));
    QCOMPARE(child<QLineEdit>(window, "Text5")->text(), QStringLiteral(" 44kHz"));
    QCOMPARE(child<QSlider>(window, "Sliguocheng")->maximum(), 5001);
    QVERIFY(child(window, "Label2")->isHidden());   // the idle look stays
    QVERIFY(child(window, "Label3")->isHidden());
    QCOMPARE(child<QLabel>(window, "Label3")->text(), kThree[2]);

    auto *zanting = child<QPushButton>(window, "zanting");
    QTest::mouseClick(zanting, Qt::LeftButton);
    QCOMPARE(zanting->text(), QStringLiteral(">"));
    QCOMPARE(zanting->toolTip(), QStringLiteral("继续"));
    QVERIFY(!child(window, "Sliyin")->isEnabled());
    QTest::mouseClick(zanting, Qt::LeftButton);
    QCOMPARE(zanting->text(), QStringLiteral(">|"));

    rig.fake->reportFrame(2336);
    QTRY_COMPARE(child<QLineEdit>(window, "Text1")->text(), QStringLiteral("01:01"));
    QCOMPARE(child<QLineEdit>(window, "Text3")->text(), QStringLiteral("2336"));
    QCOMPARE(child<QSlider>(window, "Sliguocheng")->value(), 2336);

    QTest::mouseClick(child(window, "tingzhi"), Qt::LeftButton);
    QTRY_COMPARE(child<QSlider>(window, "Sliguocheng")->value(), 0);
    QCOMPARE(child<QLineEdit>(window, "Text1")->text(), QStringLiteral("0"));
    QVERIFY(!child(window, "Sliguocheng")->isEnabled());
}

void Form3Test::positionSliderDrag()
{
    HostRig rig(kThree, 0);
    rig.host.showWindow();
    auto *slider = child<QSlider>(rig.host.window(), "Sliguocheng");
    rig.fake->reportFrame(1000);
    QTRY_COMPARE(slider->value(), 1000);

    slider->setSliderDown(true);      // the user takes the thumb
    slider->setValue(3000);           // and drags it
    rig.fake->reportFrame(1010);      // playback goes on meanwhile
    QTest::qWait(Form3::RefreshMs + 50);
    QCOMPARE(slider->value(), 3000);  // the thumb stays under the pointer
    QCOMPARE(rig.fake->seeks, QList<qint32>());
    slider->setSliderDown(false);     // let go: that is the change
    QCOMPARE(rig.fake->seeks, QList<qint32>{3000});
    QTRY_COMPARE(child<QLineEdit>(rig.host.window(), "Text3")->text(), QStringLiteral("3000"));

    // A short drag is no seek; the next report puts the thumb back.
    slider->setSliderDown(true);
    slider->setValue(3200);
    slider->setSliderDown(false);
    QCOMPARE(rig.fake->seeks, QList<qint32>{3000});
    rig.fake->reportFrame(3020);
    QTRY_COMPARE(slider->value(), 3020);
}

void Form3Test::progressRefresh()
{
    HostRig rig(kThree, 0);
    rig.host.showWindow();
    Form3 *window = rig.host.window();
    auto *frames = child<QLineEdit>(window, "Text3");
    QTest::qWait(Form3::RefreshMs + 20);
    // A report after a quiet spell shows at once; the next ones wait their turn
    // and the latest of them is shown.
    rig.fake->reportFrame(100);
    QCoreApplication::processEvents();
    QCOMPARE(frames->text(), QStringLiteral("100"));
    QElapsedTimer sinceShown;
    sinceShown.start();
    for (int frame = 110; frame <= 190; frame += 10)
        rig.fake->reportFrame(frame);
    QCoreApplication::processEvents();
    QCOMPARE(frames->text(), QStringLiteral("100"));
    QTRY_COMPARE_WITH_TIMEOUT(frames->text(), QStringLiteral("190"), Form3::RefreshMs * 3);
    QVERIFY(sinceShown.elapsed() >= Form3::RefreshMs - 20);
    QCOMPARE(child<QSlider>(window, "Sliguocheng")->value(), 190);
    QCOMPARE(child<QLineEdit>(window, "Text1")->text(), QStringLiteral("00:04"));

    // Hidden: nothing shown until the window is shown again.
    rig.host.hideWindow();
    rig.fake->reportFrame(500);
    QTest::qWait(Form3::RefreshMs + 50);
    QCOMPARE(frames->text(), QStringLiteral("190"));
    rig.host.showWindow();
    QCOMPARE(frames->text(), QStringLiteral("500"));
    QCOMPARE(child<QSlider>(window, "Sliguocheng")->value(), 500);
}

void Form3Test::sliderKeys_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("lastCall");
    QTest::newRow("End on the position seeks to the end") << "Sliguocheng" << int(Qt::Key_End) << "SeekFrame:5001";
    QTest::newRow("Up on the volume: louder") << "Sliyin" << int(Qt::Key_Up) << "SetVolume:38,38";
    QTest::newRow("Page Down on the volume: quieter") << "Sliyin" << int(Qt::Key_PageDown) << "SetVolume:27,27";
    QTest::newRow("Home on the balance: the L end") << "Slishengdaoo" << int(Qt::Key_Home) << "SetVolume:90,0";
    QTest::newRow("End on the balance: the R end") << "Slishengdaoo" << int(Qt::Key_End) << "SetVolume:0,90";
}

void Form3Test::sliderKeys()
{
    QFETCH(QString, name);
    QFETCH(int, key);
    QFETCH(QString, lastCall);
    HostRig rig(kThree, 0);
    rig.host.showWindow();
    auto *slider = rig.host.window()->findChild<QSlider *>(name);
    QTest::keyClick(slider, Qt::Key(key));
    QCOMPARE(rig.fake->calls.last(), lastCall);
}

void Form3Test::loopCheckBox()
{
    HostRig rig(kThree, 0);
    rig.host.showWindow();
    auto *check = child<QCheckBox>(rig.host.window(), "Check1");
    QTest::mouseClick(check, Qt::LeftButton);
    QVERIFY(rig.host.state()->loop());
    rig.fake->finishTrack();
    QTRY_COMPARE(rig.fake->opened(), QStringList(2, kThree[0]));

    // The list emptied: the logic checks the box itself.
    QTest::mouseClick(check, Qt::LeftButton);
    QVERIFY(!rig.host.state()->loop());
    rig.list.entries.clear();
    rig.host.setTrackPosition(0, 0);
    rig.fake->finishTrack();
    QTRY_VERIFY(check->isChecked());
    QCOMPARE(rig.fake->opened().size(), 3);
}

void Form3Test::loopFollowsTheTick_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("mouse click") << "click";
    QTest::newRow("space key") << "space";
    QTest::newRow("screen reader's toggle action") << "toggle";
    QTest::newRow("set by the program") << "set";
}

void Form3Test::loopFollowsTheTick()
{
    QFETCH(QString, how);
    HostRig rig(kThree, 0);
    rig.host.showWindow();
    auto *check = child<QCheckBox>(rig.host.window(), "Check1");
    QVERIFY(QTest::qWaitForWindowExposed(rig.host.window()));
    const auto change = [&] {
        if (how == "click") {
            QTest::mouseClick(check, Qt::LeftButton);
        } else if (how == "space") {
            check->setFocus();
            QTest::keyClick(check, Qt::Key_Space);
        } else if (how == "set") {
            check->setChecked(!check->isChecked());
        } else {
            QAccessibleActionInterface *actions = QAccessible::queryAccessibleInterface(check)->actionInterface();
            QVERIFY(actions);
            QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
            actions->doAction(QAccessibleActionInterface::toggleAction());
        }
    };
    change();
    QVERIFY(check->isChecked());
    QVERIFY(rig.host.state()->loop());
    rig.fake->finishTrack();
    QTRY_COMPARE(rig.fake->opened(), QStringList(2, kThree[0]));   // the same track again
    change();
    QVERIFY(!check->isChecked());
    QVERIFY(!rig.host.state()->loop());
}

void Form3Test::labelNamesFollowTexts_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("status");
    QTest::newRow("playing") << QStringList{} << "正在播放第";
    QTest::newRow("paused") << QStringList{"zanting"} << "暂停播放第";
    QTest::newRow("continued") << QStringList{"zanting", "zanting"} << "正在播放第";
    QTest::newRow("stopped") << QStringList{"tingzhi"} << "停止播放第";
}

void Form3Test::labelNamesFollowTexts()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, status);
    HostRig rig(kThree, 0);
    rig.host.showWindow();
    Form3 *window = rig.host.window();
    for (const QString &name : clicks)
        QTest::mouseClick(window->findChild<QWidget *>(name), Qt::LeftButton);
    QTRY_COMPARE(child<QLabel>(window, "Label2")->text(), status);
    QCOMPARE(QAccessible::queryAccessibleInterface(child(window, "Label2"))->text(QAccessible::Name), status);
    rig.host.setTrackPosition(3, 12);
    const QStringList problems = AccessibleNames::labelsNotNamedByText(window);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
}

void Form3Test::textsFit_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    const struct {
        const char *name;
        const char *text;
    } rows[] = {
        {"Label2", "正在播放第"}, {"Label2", "暂停播放第"}, {"Label2", "停止播放第"},
        {"Label4", " 100000"},    {"Label4", "99999"},      {"Label6", "/ 100000"},
        {"Label5", "首歌曲"},     {"Label1", "L"},          {"Label7", "R"},
        {"Check1", "循环这一首"}, {"Text1", "00:00"},       {"Text1", "9999:59"},
        {"Text2", "9999:59"},     {"Text3", " 100000"},     {"Text4", " 100000"},
        {"Text5", " 44kHz"},      {"Text5", " 48kHz"},      {"Text6", " 128kbps"},
        {"Text6", " 320kbps"},    {"Command3", "第一首"},   {"Command1", "上一首"},
        {"Command2", "下一首"},   {"Command4", "最后一首"}, {"kuaijin", ">>"},
        {"zanting", ">|"},
    };
    for (const auto &r : rows)
        QTest::addRow("%s: %s", r.name, r.text) << QString::fromLatin1(r.name) << QString::fromUtf8(r.text);
}

void Form3Test::textsFit()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    Form3 window;
    QWidget *widget = window.findChild<QWidget *>(name);
    QVERIFY(widget);
    const QFontMetrics fm(widget->font());
    QVERIFY2(widget->font().pointSizeF() >= 7, qPrintable(widget->font().toString()));
    const int advance = fm.horizontalAdvance(text);
    const QStyle *style = widget->style();
    int room = widget->contentsRect().width();
    if (auto *box = qobject_cast<QLineEdit *>(widget)) {
        box->setText(text);
        // The frame, the text margins, and the two pixels Qt keeps on each
        // side inside them; one more for the cursor.
        room -= 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box) + box->textMargins().left()
                + box->textMargins().right() + 2 * 2 + 1;
    } else if (auto *check = qobject_cast<QCheckBox *>(widget)) {
        QStyleOptionButton option;
        option.initFrom(check);
        option.text = text;
        const QRect indicator = style->subElementRect(QStyle::SE_CheckBoxIndicator, &option, check);
        const QRect contents = style->subElementRect(QStyle::SE_CheckBoxContents, &option, check);
        QVERIFY2(check->rect().contains(indicator), qPrintable(QStringLiteral("indicator %1,%2 %3×%4")
                                                                   .arg(indicator.x()).arg(indicator.y())
                                                                   .arg(indicator.width()).arg(indicator.height())));
        room = check->rect().right() - contents.left() + 1;
        // The glyphs, centred as a line, keep within the box's height.
        const QRect ink = fm.tightBoundingRect(text);
        const int top = (check->height() - fm.height()) / 2 + fm.ascent() + ink.top();
        QVERIFY2(top >= 0 && top + ink.height() <= check->height(),
                 qPrintable(QStringLiteral("ink from %1, %2 high").arg(top).arg(ink.height())));
    } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
        // Within the bevel: a centred caption may take the margins.
        room = button->width() - 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    } else if (auto *label = qobject_cast<QLabel *>(widget)) {
        label->setText(text);
        room -= 2 * label->margin();
    }
    QVERIFY2(advance <= room, qPrintable(QStringLiteral("%1 pixels in %2 (%3)").arg(advance).arg(room)
                                             .arg(widget->font().toString())));
}

void Form3Test::boxesShareAFont()
{
    Form3 window;
    const QFont font = window.findChild<QWidget *>(QStringLiteral("Text1"))->font();
    for (const char *name : {"Text2", "Text3", "Text4", "Text5", "Text6"})
        QCOMPARE(window.findChild<QWidget *>(QLatin1String(name))->font(), font);
}

void Form3Test::ticksApart_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("interval");   // 0: a multiple of 400 of at least 4 pixels
    QTest::newRow("a short track: the defined 400") << 2000 << 400;
    QTest::newRow("ten minutes") << 23000 << 0;
    QTest::newRow("two hours") << 275625 << 0;
    QTest::newRow("seven hours") << 964000 << 0;
}

void Form3Test::ticksApart()
{
    QFETCH(int, frames);
    QFETCH(int, interval);
    Form3 window;
    auto *position = window.findChild<QSlider *>(QStringLiteral("Sliguocheng"));
    window.setPositionRange(0, frames + 1);
    const int tick = position->tickInterval();
    if (interval > 0)
        QCOMPARE(tick, interval);
    QCOMPARE(tick % 400, 0);
    const int track = position->width() - position->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, position);
    QVERIFY2(double(tick) * track / (frames + 1) >= 4.0, qPrintable(QStringLiteral("every %1 frames").arg(tick)));
    QVERIFY2(tick == 400 || double(tick - 400) * track / (frames + 1) < 4.0, "no closer multiple would do");
}

void Form3Test::errorPathUnloads_data()
{
    QTest::addColumn<bool>("atLoad");
    QTest::addColumn<FakeMp3Control::Ending>("ending");
    QTest::newRow("at load") << true << FakeMp3Control::Ending::Queued;
    QTest::newRow("next track, ending queued") << false << FakeMp3Control::Ending::Queued;
    QTest::newRow("next track, ending inside EndPlayback") << false << FakeMp3Control::Ending::Synchronous;
}

void Form3Test::errorPathUnloads()
{
    QFETCH(bool, atLoad);
    QFETCH(FakeMp3Control::Ending, ending);
    HostRig rig({QStringLiteral("D:\\m\\a.mp3"), QStringLiteral("D:\\m\\gone.mp3")}, atLoad ? 1 : 0, ending);
    rig.broken << rig.list.entries[1];
    QSignalSpy showMain(&rig.host, &PlayerHost::showMainWindowRequested);
    rig.host.showWindow();
    QPointer<Form3> window = rig.host.window();
    QPointer<FakeMp3Control> fake = rig.fake;
    if (!atLoad) {
        QVERIFY(window && window->isVisible());
        // The next button: the bad track starts from inside the ending.
        QTest::mouseClick(child(window, "Command2"), Qt::LeftButton);
    }
    QTRY_COMPARE(showMain.size(), 1);
    QVERIFY(!rig.host.isLoaded());
    QVERIFY(!rig.host.window());
    QVERIFY(!window || !window->isVisible());
    HostRig::flushDeletes();
    QVERIFY(window.isNull());
    QVERIFY(fake.isNull());
    QCOMPARE(showMain.size(), 1);
    // The next request loads afresh.
    rig.list.selected = 0;
    rig.host.showWindow();
    QVERIFY(rig.host.isLoaded());
}

QTEST_MAIN(Form3Test)
#include "tst_form3.moc"
