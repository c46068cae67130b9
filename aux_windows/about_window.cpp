#include "aux_windows/about_window.h"

#include "melvora_version.h"

#include "aux_windows/aux_config.h"
#include "aux_windows/centring.h"
#include "platform/fonts.h"
#include "platform/message_box.h"
#include "platform/own_frame.h"
#include "aux_windows/sys_info.h"
#include "platform/twips.h"
#include "platform/url_opener.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVersionNumber>

#include <iterator>

namespace {
const QColor kIconStart(0, 192, 192);

QLabel *makeLabel(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// The fonts found on a desktop may be wider or taller than the ones the layout
// was drawn with: a label grows into the free space up to `limit` (in pixels)
// rather than cutting its text.
void growToFit(QLabel *label, const QPoint &limit)
{
    QRect geometry = label->geometry();
    if (label->wordWrap()) {
        const int needed = label->heightForWidth(geometry.width());
        geometry.setHeight(qMin(qMax(geometry.height(), needed), limit.y() - geometry.top()));
    } else {
        const int needed = label->sizeHint().width();
        geometry.setWidth(qMin(qMax(geometry.width(), needed), limit.x() - geometry.left()));
    }
    label->setGeometry(geometry);
}

void makeLine(QWidget *parent, const char *name, const QRect &geometry, const QColor &colour)
{
    auto *line = new QWidget(parent);
    line->setObjectName(QLatin1String(name));
    line->setGeometry(geometry);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
}

void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}
} // namespace

QString versionText(const QString &version)
{
    const QVersionNumber number = QVersionNumber::fromString(version);
    return QStringLiteral("版本 V%1.%2.%3")
        .arg(number.majorVersion())
        .arg(number.minorVersion())
        .arg(number.microVersion());
}

QString programVersion()
{
    const QString own = QCoreApplication::applicationVersion();
    if (!QVersionNumber::fromString(own).isNull())
        return own;
    return QStringLiteral(MELVORA_VERSION);
}

QColor nextIconColour(const QColor &current)
{
    static const QColor cycle[] = {kIconStart, QColor(0, 0, 255), QColor(0, 255, 0),
                                   QColor(192, 255, 192), QColor(0, 0, 0)};
    constexpr int count = int(std::size(cycle));
    for (int i = 0; i < count; ++i) {
        if (cycle[i].rgb() == current.rgb())
            return cycle[(i + 1) % count];
    }
    return current;
}

AboutWindow::AboutWindow(const AuxServices &services)
    : UnloadingWindow(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowCloseButtonHint),
      m_services(services)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("关于我的应用程序"));
    QFont font = Fonts::interfaceFont();
    font.setPointSizeF(9);
    setFont(font);
    createControls();
    load();
}

void AboutWindow::createControls()
{
    // A tool window's narrow title bar with a close box only, no icon.
    OwnFrame::Style frame;
    frame.closeBox = true;
    frame.caption = CaptionBar::Height::Narrow;
    QWidget *client = OwnFrame::install(this, QSize(Twips::toPixels(5730), Twips::toPixels(3555)), frame)->client();

    m_picIcon = makeLabel(client, "picIcon", Twips::rect(240, 240, 540, 540));
    m_picIcon->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    m_picIcon->setAlignment(Qt::AlignCenter);
    m_picIcon->setAutoFillBackground(true);
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull())
        m_picIcon->setPixmap(icon.pixmap(32, 32));
    setIconBackground(kIconStart);

    m_lblTitle = makeLabel(client, "lblTitle", Twips::rect(1050, 240, 3885, 480));
    m_lblTitle->setFont(Fonts::byWindowsFamily(QStringLiteral("隶书"), 24, true));
    m_lblTitle->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextColour(m_lblTitle, QColor(255, 0, 0));

    m_lblVersion = makeLabel(client, "lblVersion", Twips::rect(1050, 780, 3885, 225));
    m_lblVersion->setText(QStringLiteral("版本"));

    m_lblDescription = makeLabel(client, "lblDescription", Twips::rect(1050, 1125, 3885, 1170));
    m_lblDescription->setText(QStringLiteral("应用程序描述"));
    m_lblDescription->setWordWrap(true);
    setTextColour(m_lblDescription, QColor(0, 0, 0));

    m_lblDisclaimer = makeLabel(client, "lblDisclaimer", Twips::rect(255, 2625, 3750, 225));
    setTextColour(m_lblDisclaimer, QColor(0, 0, 0));

    m_cmdOK = new QPushButton(QStringLiteral("确定"), client);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setGeometry(Twips::rect(4125, 2625, 1500, 345));
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, &QWidget::close);

    auto *label2 = makeLabel(client, "Label2", Twips::rect(240, 2880, 615, 255));
    label2->setText(QStringLiteral("E_mail:"));

    QFont linkFont = Fonts::byWindowsFamily(QStringLiteral("宋体"), 9);
    linkFont.setUnderline(true);
    const auto makeLink = [&](const char *name, const QRect &geometry, const QString &text) {
        QLabel *link = makeLabel(client, name, geometry);
        link->setText(text);
        link->setTextFormat(Qt::PlainText);
        link->setFont(linkFont);
        setTextColour(link, QColor(0, 0, 255));
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
        return link;
    };
    m_label1 = makeLink("Label1", Twips::rect(1080, 2880, 1575, 255), AuxConfig::contactEmail());
    m_label1->setAccessibleName(QStringLiteral("电子邮件：") + m_label1->text());
    m_label1->setAccessibleDescription(QStringLiteral("单击写信"));

    m_cmdSysInfo = new QPushButton(QStringLiteral("系统信息(&S)..."), client);
    m_cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    m_cmdSysInfo->setGeometry(Twips::rect(4140, 3075, 1485, 345));
    connect(m_cmdSysInfo, &QPushButton::clicked, this, [this] {
        StartSysInfo(m_services.registry, m_services.processes, m_services.notices);
    });

    // Etched separator: a grey line with a white one just below it.
    makeLine(client, "Line1_1", QRect(QPoint(Twips::toPixels(90), Twips::toPixels(2445)),
                                      QPoint(Twips::toPixels(5654), Twips::toPixels(2445))),
             QColor(128, 128, 128));
    makeLine(client, "Line1_0", QRect(QPoint(Twips::toPixels(105), Twips::toPixels(2460)),
                                      QPoint(Twips::toPixels(5654), Twips::toPixels(2460) + 1)),
             QColor(255, 255, 255));

    auto *label3 = makeLabel(client, "Label3", Twips::rect(120, 3120, 855, 255));
    label3->setText(QStringLiteral("HomePage:"));

    m_label4 = makeLink("Label4", Twips::rect(1080, 3120, 3015, 255), AuxConfig::homePage());
    m_label4->setAccessibleName(QStringLiteral("主页：") + m_label4->text());
    m_label4->setAccessibleDescription(QStringLiteral("单击打开主页"));

    setTabOrder(m_cmdOK, m_cmdSysInfo);
    m_cmdOK->setFocus();

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(500);
    connect(m_timer1, &QTimer::timeout, this, &AboutWindow::advanceIconColour);
}

void AboutWindow::load()
{
    centreOnScreen(this);
    setWindowTitle(QStringLiteral("关于 ") + AuxConfig::applicationTitle());
    m_lblVersion->setText(versionText(programVersion()));
    m_lblTitle->setText(AuxConfig::applicationTitle());
    m_lblDisclaimer->setText(AuxConfig::ownershipNotice());
    m_lblDescription->setText(QStringLiteral(
        "软件功能：  　　主要是用于编辑,制作M3U,PLS类型的播放列表文件.此类文件是WINAMP；"
        "WINDOWS MEDIA PLAYER；FOOBAR2000；超级解霸等所有音频播放器都必须支持的类型,应用广泛。"));
    m_timer1->start();

    // Free space: the separator below the description; the link labels and
    // the buttons to the right of the contact labels.
    growToFit(m_lblDescription, QPoint(0, Twips::toPixels(2445)));
    growToFit(m_label1, QPoint(Twips::toPixels(4125), 0));
    growToFit(m_label4, QPoint(Twips::toPixels(4140), 0));
    growToFit(findChild<QLabel *>(QStringLiteral("Label2")), QPoint(Twips::toPixels(1080), 0));
    growToFit(findChild<QLabel *>(QStringLiteral("Label3")), QPoint(Twips::toPixels(1080), 0));
}

QColor AboutWindow::iconBackground() const
{
    return m_picIcon->palette().color(QPalette::Window);
}

void AboutWindow::setIconBackground(const QColor &colour)
{
    QPalette palette = m_picIcon->palette();
    palette.setColor(QPalette::Window, colour);
    m_picIcon->setPalette(palette);
}

void AboutWindow::advanceIconColour()
{
    setIconBackground(nextIconColour(iconBackground()));
}

// Where no mail program or browser can be started, the about window says so
// as it says that system information is not available.
void AboutWindow::openEmail()
{
    if (!m_services.urls.open(QUrl(QStringLiteral("mailto:") + m_label1->text())))
        m_services.notices.exclamation(QStringLiteral("无法打开邮件地址") + m_label1->text() + QStringLiteral("！"),
                                       AuxConfig::applicationTitle());
}

void AboutWindow::openHomePage()
{
    if (!m_services.urls.open(QUrl::fromUserInput(m_label4->text())))
        m_services.notices.exclamation(QStringLiteral("无法打开网页") + m_label4->text() + QStringLiteral("！"),
                                       AuxConfig::applicationTitle());
}

bool AboutWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_label1 || watched == m_label4) {
        if (event->type() == QEvent::MouseButtonPress
            && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            m_pressedLink = watched;
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            const auto *release = static_cast<QMouseEvent *>(event);
            auto *label = static_cast<QLabel *>(watched);
            const bool click = m_pressedLink == watched
                               && label->rect().contains(release->position().toPoint());
            m_pressedLink = nullptr;
            if (click)
                watched == m_label1 ? openEmail() : openHomePage();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// Esc unloads the window like cmdOK, rather than only hiding it.
void AboutWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel)) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AboutWindow::unloading()
{
    m_timer1->stop();
    emit unloaded();
}
