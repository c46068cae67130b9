#include "aux_windows/about_window.h"
#include "aux_windows/aux_config.h"
#include "aux_windows/aux_windows.h"
#include "melvora_version.h"
#include "aux_windows/centring.h"
#include "aux_windows/declaration_window.h"
#include "platform/fakes/fake_message_box.h"
#include "platform/fakes/fake_process_starter.h"
#include "platform/fakes/fake_registry.h"
#include "platform/fakes/fake_url_opener.h"
#include "platform/own_frame.h"
#include "platform/twips.h"

#include <QAccessible>
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest>

namespace {
void processDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void tick(QTimer *timer)
{
    QTimerEvent event(timer->timerId());
    QCoreApplication::sendEvent(timer, &event);
}

QPoint expectedPosition(QWidget *window)
{
    return centredPosition(window->screen()->geometry(), window->frameGeometry().size());
}

template <typename T>
T *child(QWidget *window, const char *name)
{
    T *found = window->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}
} // namespace

class AuxWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void versionText_data();
    void versionText();
    void centredPosition_data();
    void centredPosition();
    void nextIconColour_data();
    void nextIconColour();

    void aboutLoadTexts();
    void aboutVersionFollowsProgram_data();
    void aboutVersionFollowsProgram();
    void aboutIsOneModelessInstance();
    void aboutClosesWith_data();
    void aboutClosesWith();
    void timerCyclesIconColour();
    void freshAboutRestartsCycle();
    void linksOpenUrls_data();
    void linksOpenUrls();
    void sysInfoWithoutRegistryShowsMessage();
    void openerFailuresAreReported_data();
    void openerFailuresAreReported();

    void declarationTexts();
    void declarationIsOneInstanceCentredAtEachLoad();
    void declarationClicks_data();
    void declarationClicks();
    // Escape closes the card, which has no close box to reach by keyboard.
    void declarationKeys_data();
    void declarationKeys();
    void declarationClosesWhenProgramWindowActivates_data();
    void declarationClosesWhenProgramWindowActivates();

    void ownFrames_data();
    void ownFrames();
    void titleBarMovesWindow_data();
    void titleBarMovesWindow();

    void textsAreNotCut_data();
    void textsAreNotCut();

    void helpOpensReadmeBesideProgram();
    void readmePathFindsInstalledGuide_data();
    void readmePathFindsInstalledGuide();
    void readmeIsBesideExecutable();

private:
    FakeRegistry m_registry;
    FakeProcessStarter m_processes;
    FakeUrlOpener m_urls;
    FakeMessageBox m_messages;
    FakeMessageBox m_warnings;
    std::unique_ptr<AuxWindows> m_aux;
};

void AuxWindowsTest::init()
{
    m_registry = FakeRegistry();
    m_processes = FakeProcessStarter();
    m_urls = FakeUrlOpener();
    m_messages = FakeMessageBox();
    m_warnings = FakeMessageBox();
    m_aux = std::make_unique<AuxWindows>(AuxServices{m_registry, m_processes, m_urls, m_messages, &m_warnings});
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));
}

void AuxWindowsTest::cleanup()
{
    m_aux->closeAbout();
    m_aux->closeDeclaration();
    processDeferredDeletes();
    QVERIFY(!m_aux->aboutWindow());
    QVERIFY(!m_aux->declarationWindow());
}

void AuxWindowsTest::versionText_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("text");
    QTest::newRow("1.0.0") << "1.0.0" << QStringLiteral("版本 V1.0.0");
    QTest::newRow("two-digit minor") << "2.10.3" << QStringLiteral("版本 V2.10.3");
    QTest::newRow("leading zeros dropped") << "01.002.0030" << QStringLiteral("版本 V1.2.30");
    QTest::newRow("missing parts count as 0") << "3" << QStringLiteral("版本 V3.0.0");
}

void AuxWindowsTest::versionText()
{
    QFETCH(QString, version);
    QFETCH(QString, text);
    QCOMPARE(::versionText(version), text);
}

// Worked in whole twips: (screen \ 2) - (window \ 2), then back to pixels.
void AuxWindowsTest::centredPosition_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QPoint>("position");
    QTest::newRow("about window on 1280x1024")
        << QRect(0, 0, 1280, 1024) << QSize(382, 237) << QPoint(449, 394);
    QTest::newRow("odd sizes on a second screen")
        << QRect(100, 50, 800, 600) << QSize(313, 125) << QPoint(344, 288);
    QTest::newRow("window larger than the screen")
        << QRect(0, 0, 640, 480) << QSize(700, 500) << QPoint(-30, -10);
}

void AuxWindowsTest::centredPosition()
{
    QFETCH(QRect, screen);
    QFETCH(QSize, outer);
    QFETCH(QPoint, position);
    QCOMPARE(::centredPosition(screen, outer), position);
}

void AuxWindowsTest::nextIconColour_data()
{
    QTest::addColumn<QColor>("current");
    QTest::addColumn<QColor>("next");
    QTest::newRow("teal") << QColor(0, 192, 192) << QColor(0, 0, 255);
    QTest::newRow("blue") << QColor(0, 0, 255) << QColor(0, 255, 0);
    QTest::newRow("green") << QColor(0, 255, 0) << QColor(192, 255, 192);
    QTest::newRow("pale green") << QColor(192, 255, 192) << QColor(0, 0, 0);
    QTest::newRow("black back to teal") << QColor(0, 0, 0) << QColor(0, 192, 192);
    QTest::newRow("outside the cycle") << QColor(255, 0, 0) << QColor(255, 0, 0);
    QTest::newRow("near a cycle colour") << QColor(0, 192, 193) << QColor(0, 192, 193);
}

void AuxWindowsTest::nextIconColour()
{
    QFETCH(QColor, current);
    QFETCH(QColor, next);
    QCOMPARE(::nextIconColour(current), next);
}

// The load sequence fills the caption and the labels.
void AuxWindowsTest::aboutLoadTexts()
{
    m_aux->showAbout();
    QWidget *about = m_aux->aboutWindow();
    QVERIFY(about);
    QCOMPARE(about->objectName(), QStringLiteral("frmAbout"));
    QCOMPARE(about->windowTitle(), QStringLiteral("关于 Melvora"));
    QCOMPARE(child<QLabel>(about, "lblVersion")->text(), QStringLiteral("版本 V1.0.0"));
    QCOMPARE(child<QLabel>(about, "lblTitle")->text(), QStringLiteral("Melvora"));
    QCOMPARE(child<QLabel>(about, "lblDisclaimer")->text(), AuxConfig::ownershipNotice());
    QCOMPARE(child<QLabel>(about, "Label1")->text(), AuxConfig::contactEmail());
    QCOMPARE(child<QLabel>(about, "Label4")->text(), AuxConfig::homePage());
    QCOMPARE(child<QPushButton>(about, "cmdSysInfo")->text(), QStringLiteral("系统信息(&S)..."));

    const QString description = child<QLabel>(about, "lblDescription")->text();
    QCOMPARE(description,
             QStringView(u"软件功能：  \u3000\u3000主要是用于编辑,制作M3U,PLS类型的播放列表文件.此类文件是"
                     u"WINAMP；WINDOWS MEDIA PLAYER；FOOBAR2000；超级解霸等所有音频播放器都必须支持的"
                     u"类型,应用广泛。").toString());
    QCOMPARE(about->pos(), expectedPosition(about));
}

void AuxWindowsTest::aboutVersionFollowsProgram_data()
{
    QTest::addColumn<QString>("applicationVersion");
    QTest::addColumn<QString>("text");
    QTest::newRow("program's version") << "2.10.3" << QStringLiteral("版本 V2.10.3");
    QTest::newRow("no version set: the built one")
        << QString() << QStringLiteral("版本 V") + QStringLiteral(MELVORA_VERSION);
}

void AuxWindowsTest::aboutVersionFollowsProgram()
{
    QFETCH(QString, applicationVersion);
    QFETCH(QString, text);
    QCoreApplication::setApplicationVersion(applicationVersion);
    m_aux->showAbout();
    QCOMPARE(child<QLabel>(m_aux->aboutWindow(), "lblVersion")->text(), text);
}

// A second request only brings the loaded window forward; it has no owner and
// does not block other windows.
void AuxWindowsTest::aboutIsOneModelessInstance()
{
    m_aux->showAbout();
    QWidget *first = m_aux->aboutWindow();
    child<QLabel>(first, "lblTitle")->setText(QStringLiteral("marker"));
    m_aux->showAbout();
    QCOMPARE(m_aux->aboutWindow(), first);
    QCOMPARE(child<QLabel>(first, "lblTitle")->text(), QStringLiteral("marker"));
    QVERIFY(first->isVisible());
    QVERIFY(!first->parentWidget());
    QVERIFY(!first->isModal());
    QVERIFY(!QApplication::activeModalWidget());
}

void AuxWindowsTest::aboutClosesWith_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("cmdOK click") << "click";
    QTest::newRow("Enter") << "enter";
    QTest::newRow("Esc") << "escape";
    QTest::newRow("close box") << "close";
    QTest::newRow("own title bar's close box") << "closeBox";
}

void AuxWindowsTest::aboutClosesWith()
{
    QFETCH(QString, how);
    m_aux->showAbout();
    QWidget *about = m_aux->aboutWindow();
    QPointer<QWidget> guard(about);
    if (how == "click")
        QTest::mouseClick(child<QPushButton>(about, "cmdOK"), Qt::LeftButton);
    else if (how == "enter")
        QTest::keyClick(about, Qt::Key_Return);
    else if (how == "escape")
        QTest::keyClick(about, Qt::Key_Escape);
    else if (how == "closeBox")
        QTest::mouseClick(child<QAbstractButton>(about, "closeBox"), Qt::LeftButton);
    else
        about->close();
    QVERIFY(!m_aux->aboutWindow());
    processDeferredDeletes();
    QVERIFY(!guard); // unloaded, not only hidden
    QVERIFY(m_messages.shown.isEmpty());
}

// Each tick moves the icon background one step; five ticks come full circle.
void AuxWindowsTest::timerCyclesIconColour()
{
    m_aux->showAbout();
    auto *about = qobject_cast<AboutWindow *>(m_aux->aboutWindow());
    QVERIFY(about);
    auto *timer = about->findChild<QTimer *>(QStringLiteral("Timer1"));
    QVERIFY(timer);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 500);

    const QList<QColor> expected{QColor(0, 192, 192), QColor(0, 0, 255), QColor(0, 255, 0),
                                 QColor(192, 255, 192), QColor(0, 0, 0), QColor(0, 192, 192)};
    QCOMPARE(about->iconBackground(), expected.first());
    for (qsizetype i = 1; i < expected.size(); ++i) {
        tick(timer);
        QCOMPARE(about->iconBackground(), expected.at(i));
    }
}

// After an unload the next window starts at teal again, centred again.
void AuxWindowsTest::freshAboutRestartsCycle()
{
    m_aux->showAbout();
    auto *about = qobject_cast<AboutWindow *>(m_aux->aboutWindow());
    auto *timer = about->findChild<QTimer *>(QStringLiteral("Timer1"));
    tick(timer);
    tick(timer);
    QCOMPARE(about->iconBackground(), QColor(0, 255, 0));
    about->move(about->pos() + QPoint(40, 30));
    m_aux->closeAbout();
    processDeferredDeletes();

    m_aux->showAbout();
    about = qobject_cast<AboutWindow *>(m_aux->aboutWindow());
    QVERIFY(about);
    QCOMPARE(about->iconBackground(), QColor(0, 192, 192));
    QCOMPARE(about->pos(), expectedPosition(about));
}

void AuxWindowsTest::linksOpenUrls_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("releaseInside");
    QTest::addColumn<QUrl>("url"); // empty: nothing opened
    const QUrl mail(QStringLiteral("mailto:") + AuxConfig::contactEmail());
    QTest::newRow("e-mail") << "Label1" << true << mail;
    QTest::newRow("home page") << "Label4" << true << QUrl(AuxConfig::homePage());
    QTest::newRow("e-mail, released beside it") << "Label1" << false << QUrl();
    QTest::newRow("home page, released beside it") << "Label4" << false << QUrl();
}

// A click on a contact label hands its URL to the desktop; the labels look
// like links and show the pointing hand.
void AuxWindowsTest::linksOpenUrls()
{
    QFETCH(QString, label);
    QFETCH(bool, releaseInside);
    QFETCH(QUrl, url);
    m_aux->showAbout();
    auto *link = child<QLabel>(m_aux->aboutWindow(), label.toLatin1().constData());
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(link->font().underline());
    QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));

    QTest::mousePress(link, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(link, Qt::LeftButton, {}, releaseInside ? QPoint(6, 5) : QPoint(-5, 5));
    QCOMPARE(m_urls.opened, url.isEmpty() ? QList<QUrl>{} : QList<QUrl>{url});
    QVERIFY(m_messages.shown.isEmpty());
    QVERIFY(m_warnings.shown.isEmpty());
}

void AuxWindowsTest::openerFailuresAreReported_data()
{
    QTest::addColumn<QString>("source");   // "help", or the link label clicked
    QTest::addColumn<bool>("warning");     // shown as the help command's warning, else as a notice
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const QString readme =
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QStringLiteral("/readme.txt"));
    QTest::newRow("help") << "help" << true << QStringLiteral("提示")
                          << QStringLiteral("无法打开帮助文件") + readme + QStringLiteral("！");
    QTest::newRow("e-mail") << "Label1" << false << AuxConfig::applicationTitle()
                            << QStringLiteral("无法打开邮件地址") + AuxConfig::contactEmail() + QStringLiteral("！");
    QTest::newRow("home page") << "Label4" << false << AuxConfig::applicationTitle()
                               << QStringLiteral("无法打开网页") + AuxConfig::homePage() + QStringLiteral("！");
}

// Where the desktop has no handler to start (no xdg-open), the help command
// and the contact links say what could not be opened, once, and nothing else.
void AuxWindowsTest::openerFailuresAreReported()
{
    QFETCH(QString, source);
    QFETCH(bool, warning);
    QFETCH(QString, title);
    QFETCH(QString, text);
    m_urls.result = false;
    if (source == QLatin1String("help")) {
        m_aux->openHelp();
    } else {
        m_aux->showAbout();
        QTest::mouseClick(child<QLabel>(m_aux->aboutWindow(), source.toLatin1().constData()), Qt::LeftButton);
    }
    QCOMPARE(m_urls.opened.size(), 1);
    const FakeMessageBox &shownIn = warning ? m_warnings : m_messages;
    QCOMPARE((warning ? m_messages : m_warnings).shown.size(), 0);
    QCOMPARE(shownIn.shown.size(), 1);
    QCOMPARE(shownIn.shown.first().kind, FakeMessageBox::Shown::Exclamation);
    QCOMPARE(shownIn.shown.first().title, title);
    QCOMPARE(shownIn.shown.first().text, text);
}

void AuxWindowsTest::sysInfoWithoutRegistryShowsMessage()
{
    m_aux->showAbout();
    QTest::mouseClick(child<QPushButton>(m_aux->aboutWindow(), "cmdSysInfo"), Qt::LeftButton);
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.shown.first().text, QStringLiteral("此时系统信息不可用"));
    QCOMPARE(m_messages.shown.first().title, QStringLiteral("Melvora"));
    QVERIFY(m_processes.attempted.isEmpty());
    QVERIFY(m_aux->aboutWindow()); // the window stays
}

void AuxWindowsTest::declarationTexts()
{
    m_aux->showDeclaration();
    QWidget *form2 = m_aux->declarationWindow();
    QVERIFY(form2);
    QCOMPARE(form2->objectName(), QStringLiteral("Form2"));
    QCOMPARE(form2->windowTitle(), QStringLiteral("我的宣言"));
    QVERIFY(!(form2->windowFlags() & Qt::WindowCloseButtonHint));
    auto *label1 = child<QLabel>(form2, "Label1");
    auto *label2 = child<QLabel>(form2, "Label2");
    auto *label3 = child<QLabel>(form2, "Label3");
    QCOMPARE(label1->text(), QStringLiteral("谨以此献给我们伟大的母亲"));
    QCOMPARE(label2->text(), QStringLiteral("节日快乐!"));
    QCOMPARE(label3->text(), AuxConfig::signature());
    QCOMPARE(label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(label2->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(label1->font().families().first(), QStringLiteral("黑体"));
    QCOMPARE(label2->font().families().first(), QStringLiteral("楷体_GB2312"));
    QCOMPARE(label2->font().pointSizeF(), 21.75);
    // The signature wraps within its width onto two lines.
    QVERIFY(label3->wordWrap());
    const QFontMetrics metrics(label3->font());
    QVERIFY(metrics.horizontalAdvance(label3->text()) > label3->width());
    QVERIFY(label3->heightForWidth(label3->width()) <= label3->height() + metrics.descent());
}

void AuxWindowsTest::declarationIsOneInstanceCentredAtEachLoad()
{
    m_aux->showDeclaration();
    QWidget *first = m_aux->declarationWindow();
    QCOMPARE(first->pos(), expectedPosition(first));
    first->move(first->pos() + QPoint(25, 25));
    m_aux->showDeclaration();
    QCOMPARE(m_aux->declarationWindow(), first);
    QVERIFY(first->pos() != expectedPosition(first)); // a shown window is not reloaded

    m_aux->closeDeclaration();
    QVERIFY(!m_aux->declarationWindow());
    processDeferredDeletes();
    m_aux->showDeclaration();
    QWidget *second = m_aux->declarationWindow();
    QVERIFY(second);
    QCOMPARE(second->pos(), expectedPosition(second));
}

// A click beside the texts closes the card; a click on a text, on the title
// bar or on the border does not.
void AuxWindowsTest::declarationClicks_data()
{
    QTest::addColumn<QString>("target"); // a child's name, or empty for the area below the title bar
    QTest::addColumn<QPoint>("pos");     // in the target's coordinates
    QTest::addColumn<bool>("closes");
    QTest::newRow("background, top left") << QString() << QPoint(3, 3) << true;
    QTest::newRow("background, beside the signature") << QString() << QPoint(300, 110) << true;
    QTest::newRow("dedication") << "Label1" << QPoint(10, 8) << false;
    QTest::newRow("greeting") << "Label2" << QPoint(20, 15) << false;
    QTest::newRow("signature") << "Label3" << QPoint(5, 5) << false;
    QTest::newRow("title bar") << "caption" << QPoint(40, 5) << false;
    QTest::newRow("border") << "ownFrame" << QPoint(0, 0) << false;
}

void AuxWindowsTest::declarationClicks()
{
    QFETCH(QString, target);
    QFETCH(QPoint, pos);
    QFETCH(bool, closes);
    m_aux->showDeclaration();
    QWidget *form2 = m_aux->declarationWindow();
    QWidget *client = child<QWidget>(form2, "client");
    QWidget *widget = target.isEmpty() ? client : child<QWidget>(form2, target.toLatin1().constData());
    if (target.isEmpty())
        QVERIFY(!client->childAt(pos));
    QTest::mouseClick(widget, Qt::LeftButton, {}, pos);
    QCOMPARE(m_aux->declarationWindow() == nullptr, closes);
}

void AuxWindowsTest::declarationKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier) << true;
    QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << false;
    QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier) << false;
    QTest::newRow("Shift+Escape") << int(Qt::Key_Escape) << int(Qt::ShiftModifier) << false;
}

void AuxWindowsTest::declarationKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, closes);
    m_aux->showDeclaration();
    QWidget *form2 = m_aux->declarationWindow();
    QVERIFY(QTest::qWaitForWindowActive(form2));
    QTest::keyClick(form2, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    processDeferredDeletes();
    QCOMPARE(m_aux->declarationWindow() == nullptr, closes);
}

void AuxWindowsTest::declarationClosesWhenProgramWindowActivates_data()
{
    QTest::addColumn<bool>("otherProgramFirst");
    QTest::newRow("straight back to the main window") << false;
    QTest::newRow("via another program") << true;
}

// Turning to the main window closes the card; another program taking the
// focus in between leaves it open until then.
void AuxWindowsTest::declarationClosesWhenProgramWindowActivates()
{
    QFETCH(bool, otherProgramFirst);
    QWidget mainWindow;
    mainWindow.resize(200, 100);
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
    m_aux->showDeclaration();
    QVERIFY(QTest::qWaitForWindowActive(m_aux->declarationWindow()));

    if (otherProgramFirst) {
        emit qGuiApp->focusWindowChanged(nullptr); // what the program sees when it loses focus
        QTest::qWait(50);
        QVERIFY(m_aux->declarationWindow());
    }
    mainWindow.activateWindow();
    QTRY_VERIFY(!m_aux->declarationWindow());
}

void AuxWindowsTest::ownFrames_data()
{
    QTest::addColumn<bool>("about");
    QTest::addColumn<QSize>("clientTwips");
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("frmAbout: narrow title bar, close box only") << true << QSize(5730, 3555) << true;
    QTest::newRow("Form2: title bar without buttons") << false << QSize(4680, 1860) << false;
}

// Both windows draw their own frame, the same on every desktop: no frame from
// the window manager, a title bar with the title and no icon, a close box
// only where there is one, and the client area of the design size below it.
void AuxWindowsTest::ownFrames()
{
    QFETCH(bool, about);
    QFETCH(QSize, clientTwips);
    QFETCH(bool, closeBox);
    about ? m_aux->showAbout() : m_aux->showDeclaration();
    QWidget *window = about ? m_aux->aboutWindow() : m_aux->declarationWindow();
    // To a screen reader: a window named by its title, as a window manager's frame would be.
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(window);
    QCOMPARE(iface->role(), QAccessible::Window);
    QCOMPARE(iface->text(QAccessible::Name), window->windowTitle());
    QVERIFY(!window->windowTitle().isEmpty());
    QCOMPARE(QAccessible::queryAccessibleInterface(window->findChild<OwnFrame *>())->role(), QAccessible::Client);
    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(window->windowFlags() & Qt::Tool);   // no task-bar button
    auto *caption = child<CaptionBar>(window, "caption");
    QWidget *client = child<QWidget>(window, "client");
    QCOMPARE(client->size(), QSize(Twips::toPixels(clientTwips.width()), Twips::toPixels(clientTwips.height())));
    QVERIFY(caption->geometry().bottom() < client->geometry().top());
    QCOMPARE(caption->geometry().left(), client->geometry().left());
    QCOMPARE(caption->geometry().right(), client->geometry().right());
    // Nothing else on the title bar: no icon, no other button.
    const auto buttons = caption->findChildren<QAbstractButton *>();
    QCOMPARE(buttons.size(), closeBox ? 1 : 0);
    QCOMPARE(caption->findChildren<QLabel *>().size(), 0);
    QCOMPARE(caption->closeBox() != nullptr, closeBox);
    // The whole window is the frame: the fixed size holds border, bar and client.
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QVERIFY(window->height() > client->height() + caption->height());
    QVERIFY(window->rect().contains(QRect(client->mapTo(window, QPoint()), client->size())));
    // The tool window's bar is the narrower one.
    m_aux->showAbout();
    m_aux->showDeclaration();
    QVERIFY(child<CaptionBar>(m_aux->aboutWindow(), "caption")->height()
            < child<CaptionBar>(m_aux->declarationWindow(), "caption")->height());
}

void AuxWindowsTest::titleBarMovesWindow_data()
{
    QTest::addColumn<bool>("about");
    QTest::newRow("frmAbout") << true;
    QTest::newRow("Form2") << false;
}

// Dragging the title bar moves the window by as much, and leaves it open.
void AuxWindowsTest::titleBarMovesWindow()
{
    QFETCH(bool, about);
    about ? m_aux->showAbout() : m_aux->showDeclaration();
    QWidget *window = about ? m_aux->aboutWindow() : m_aux->declarationWindow();
    QWidget *caption = child<QWidget>(window, "caption");
    const QPoint start = window->pos();
    const QPoint grip(20, caption->height() / 2);
    QTest::mousePress(caption, Qt::LeftButton, {}, grip);
    QMouseEvent move(QEvent::MouseMove, grip + QPoint(30, 20), caption->mapToGlobal(grip + QPoint(30, 20)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(caption, &move);
    QTest::mouseRelease(caption, Qt::LeftButton, {}, grip + QPoint(30, 20));
    QCOMPARE(window->pos(), start + QPoint(30, 20));
    QVERIFY(about ? m_aux->aboutWindow() : m_aux->declarationWindow());
}

void AuxWindowsTest::textsAreNotCut_data()
{
    QTest::addColumn<bool>("about");
    QTest::newRow("frmAbout") << true;
    QTest::newRow("Form2") << false;
}

// Every label's text fits its label with the fonts of this desktop: no ink
// beyond the right edge, and wrapped lines that only lose their empty descent.
void AuxWindowsTest::textsAreNotCut()
{
    QFETCH(bool, about);
    about ? m_aux->showAbout() : m_aux->showDeclaration();
    QWidget *window = about ? m_aux->aboutWindow() : m_aux->declarationWindow();
    const auto labels = window->findChildren<QLabel *>();
    QVERIFY(labels.size() >= 3);
    for (QLabel *label : labels) {
        if (label->text().isEmpty())
            continue;
        const QFontMetrics metrics(label->font());
        const QByteArray name = label->objectName().toLatin1();
        if (label->wordWrap())
            QVERIFY2(label->heightForWidth(label->width()) - metrics.descent() <= label->height(), name.constData());
        else
            QVERIFY2(metrics.boundingRect(label->text()).right() < label->width(), name.constData());
        QVERIFY2(window->rect().contains(label->geometry()), name.constData());
    }
}

void AuxWindowsTest::helpOpensReadmeBesideProgram()
{
    m_aux->openHelp();
    const QString expected = QCoreApplication::applicationDirPath() + QStringLiteral("/readme.txt");
    QCOMPARE(m_urls.opened, QList<QUrl>{QUrl::fromLocalFile(expected)});
    QVERIFY(m_messages.shown.isEmpty());
    QVERIFY(m_warnings.shown.isEmpty());
}

void AuxWindowsTest::readmePathFindsInstalledGuide_data()
{
    QTest::addColumn<bool>("beside");      // bin/readme.txt exists, as in the build
    QTest::addColumn<bool>("installed");   // share/melvora/readme.txt exists, as in an install
    QTest::addColumn<QString>("expected");
    QTest::newRow("build") << true << false << "bin/readme.txt";
    QTest::newRow("install") << false << true << "share/melvora/readme.txt";
    QTest::newRow("both: the one beside wins") << true << true << "bin/readme.txt";
    QTest::newRow("neither: the handler reports it") << false << false << "bin/readme.txt";
}

// The help command finds the guide beside the executable in the build and in
// the data folder of an install.
void AuxWindowsTest::readmePathFindsInstalledGuide()
{
    QFETCH(bool, beside);
    QFETCH(bool, installed);
    QFETCH(QString, expected);
    QTemporaryDir prefix;
    QVERIFY(prefix.isValid());
    const QDir root(prefix.path());
    QVERIFY(root.mkpath(QStringLiteral("bin")));
    QVERIFY(root.mkpath(QStringLiteral("share/melvora")));
    for (const auto &[present, name] : {std::pair{beside, "bin/readme.txt"},
                                        std::pair{installed, "share/melvora/readme.txt"}}) {
        QFile file(root.filePath(QLatin1String(name)));
        if (present)
            QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(readmePath(root.filePath(QStringLiteral("bin"))), root.filePath(expected));
}

// The build puts the read-me beside the melvora executable.
void AuxWindowsTest::readmeIsBesideExecutable()
{
    QFile readme(QStringLiteral(MELVORA_APP_DIR "/readme.txt"));
    QVERIFY(readme.open(QIODevice::ReadOnly));
    const QByteArray bytes = readme.readAll();
    const QString text = QString::fromUtf8(bytes);
    QVERIFY(!text.contains(QChar::ReplacementCharacter));
    QVERIFY(text.contains(QStringLiteral("Melvora")));
    QVERIFY(text.contains(QStringLiteral("播放列表")));
}

QTEST_MAIN(AuxWindowsTest)
#include "tst_aux_windows.moc"
