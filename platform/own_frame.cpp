#include "platform/own_frame.h"

#include "platform/window_hints.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWindow>

CaptionButton::CaptionButton(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setToolTip(QStringLiteral("关闭"));
    setAccessibleName(QStringLiteral("关闭"));
}

QSize CaptionButton::sizeHint() const
{
    const int side = parentWidget() ? parentWidget()->height() - 4 : 14;
    return QSize(side + 2, side);
}

void CaptionButton::paintEvent(QPaintEvent *)
{
    // A raised square with a cross, sunken while pressed.
    QPainter p(this);
    const QPalette &pal = palette();
    QRect r = rect().adjusted(0, 0, -1, -1);
    p.fillRect(r, pal.button());
    const bool down = isDown();
    p.setPen(down ? pal.color(QPalette::Shadow) : pal.color(QPalette::Light));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(down ? pal.color(QPalette::Light) : pal.color(QPalette::Shadow));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    const int inset = qMax(3, r.height() / 4);
    QRect cross = r.adjusted(inset + 1, inset, -inset, -inset);
    if (down)
        cross.translate(1, 1);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(pal.color(QPalette::ButtonText), 1.6));
    p.drawLine(cross.topLeft(), cross.bottomRight());
    p.drawLine(cross.topRight(), cross.bottomLeft());
}

CaptionBar::CaptionBar(QWidget *window, bool closeBox, Height height, QWidget *parent)
    : QWidget(parent), m_window(window), m_height(height)
{
    setObjectName(QStringLiteral("caption"));
    setAccessibleName(QStringLiteral("标题栏"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setFixedHeight(sizeHint().height());
    if (closeBox) {
        m_close = new CaptionButton(this);
        m_close->setObjectName(QStringLiteral("closeBox"));
        connect(m_close, &QAbstractButton::clicked, window, &QWidget::close);
        auto *row = new QHBoxLayout(this);
        row->setContentsMargins(2, 2, 2, 2);
        row->addStretch();
        row->addWidget(m_close);
    }
    // The title is the window's: repaint when it changes.
    window->installEventFilter(this);
}

QFont CaptionBar::titleFont() const
{
    QFont f = font();
    f.setBold(true);
    if (m_height == Height::Narrow)
        f.setPointSizeF(f.pointSizeF() * 0.9);
    return f;
}

QSize CaptionBar::sizeHint() const
{
    const QFontMetrics fm(titleFont());
    const int h = fm.height() + (m_height == Height::Narrow ? 3 : 7);
    return QSize(fm.horizontalAdvance(m_window->windowTitle()) + 2 * h, h);
}

void CaptionBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const bool active = m_window->isActiveWindow();
    const QPalette &pal = palette();
    const QColor from = active ? pal.color(QPalette::Active, QPalette::Highlight) : pal.color(QPalette::Dark);
    QLinearGradient fill(rect().topLeft(), rect().topRight());
    fill.setColorAt(0, from);
    fill.setColorAt(1, from.lighter(active ? 160 : 130));
    p.fillRect(rect(), fill);
    p.setFont(titleFont());
    p.setPen(active ? pal.color(QPalette::Active, QPalette::HighlightedText) : pal.color(QPalette::Light));
    QRect text = rect().adjusted(4, 0, m_close ? -(m_close->width() + 6) : -4, 0);
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
               p.fontMetrics().elidedText(m_window->windowTitle(), Qt::ElideRight, text.width()));
}

void CaptionBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_window->activateWindow();
    // The window system moves the window where it can; elsewhere (no window
    // system, or one that refuses) it follows the pointer from here.
    QWindow *handle = m_window->windowHandle();
    m_dragging = !(handle && handle->startSystemMove());
    m_grab = event->globalPosition().toPoint() - m_window->frameGeometry().topLeft();
    event->accept();
}

void CaptionBar::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        m_window->move(event->globalPosition().toPoint() - m_grab);
    event->accept();
}

void CaptionBar::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    event->accept();
}

void CaptionBar::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange)
        update();
    QWidget::changeEvent(event);
}

bool CaptionBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window
        && (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::ActivationChange))
        update();
    return QWidget::eventFilter(watched, event);
}

namespace {
// The window that OwnFrame fills is a window to assistive technology (a
// plain QWidget would be an unnamed pane); the frame is a pane within it.
QAccessibleInterface *ownFrameAccessible(const QString &, QObject *object)
{
    if (auto *frame = qobject_cast<OwnFrame *>(object))
        return new QAccessibleWidget(frame, QAccessible::Client);
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (widget->isWindow() && widget->findChild<OwnFrame *>(QString(), Qt::FindDirectChildrenOnly))
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}
} // namespace

OwnFrame *OwnFrame::install(QWidget *window, const QSize &clientSize, const Style &style)
{
    // The buttons are the frame's own now; Qt would take a button hint as a
    // reason to bring the window manager's frame back.
    const Qt::WindowFlags buttons = Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                                    | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint;
    window->setWindowFlags((window->windowFlags() & ~buttons) | Qt::FramelessWindowHint);
    static const bool accessible = [] {
        QAccessible::installFactory(ownFrameAccessible);
        return true;
    }();
    Q_UNUSED(accessible);
    return new OwnFrame(window, clientSize, style);
}

OwnFrame::OwnFrame(QWidget *window, const QSize &clientSize, const Style &style) : QFrame(window), m_style(style)
{
    window->installEventFilter(this);
    setObjectName(QStringLiteral("ownFrame"));
    setFrameStyle(QFrame::WinPanel | QFrame::Raised);
    auto *outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(this);
    // The layout keeps within the frame's line by itself; the rest of the
    // border is the window's face.
    auto *inner = new QVBoxLayout(this);
    const int face = kBorder - frameWidth();
    const int b = kBorder;
    inner->setContentsMargins(face, face, face, face);
    inner->setSpacing(0);
    m_caption = new CaptionBar(window, style.closeBox, style.caption, this);
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setFixedSize(clientSize);
    inner->addWidget(m_caption);
    inner->addWidget(m_client);
    window->setFixedSize(clientSize.width() + 2 * b, clientSize.height() + m_caption->height() + 2 * b);
}

bool OwnFrame::eventFilter(QObject *watched, QEvent *event)
{
    // A window's show event comes before it is mapped: the moment to tell
    // the window manager, each time, since a hidden window is withdrawn.
    if (watched == window() && event->type() == QEvent::Show && !event->spontaneous())
        WindowHints::applyOwnFrame(window(), {m_style.closeBox, m_style.taskbarButton});
    return QFrame::eventFilter(watched, event);
}
