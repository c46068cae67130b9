#include "aux_windows/declaration_window.h"

#include "aux_windows/aux_config.h"
#include "aux_windows/centring.h"
#include "platform/fonts.h"
#include "platform/own_frame.h"
#include "platform/twips.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QWindow>

namespace {
QLabel *makeLabel(QWidget *parent, const char *name, const QRect &geometry, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void setRed(QLabel *label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    label->setPalette(palette);
}
} // namespace

DeclarationWindow::DeclarationWindow()
    : UnloadingWindow(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("我的宣言"));
    QFont font = Fonts::interfaceFont();
    font.setPointSizeF(9);
    setFont(font);
    // A dialog's title bar with the caption only: no close box, no icon.
    OwnFrame *frame = OwnFrame::install(this, QSize(Twips::toPixels(4680), Twips::toPixels(1860)), {});
    m_client = frame->client();

    QLabel *label1 = makeLabel(m_client, "Label1", Twips::rect(840, 120, 2895, 375),
                               QStringLiteral("谨以此献给我们伟大的母亲"));
    label1->setFont(Fonts::byWindowsFamily(QStringLiteral("黑体"), 12));
    setRed(label1);

    QLabel *label2 = makeLabel(m_client, "Label2", Twips::rect(1320, 600, 2055, 615),
                               QStringLiteral("节日快乐!"));
    label2->setFont(Fonts::byWindowsFamily(QStringLiteral("楷体_GB2312"), 21.75));
    setRed(label2);

    QLabel *label3 = makeLabel(m_client, "Label3", Twips::rect(1680, 1200, 1095, 495),
                               AuxConfig::signature());
    label3->setWordWrap(true);

    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this,
            &DeclarationWindow::focusWindowChanged);
    centreOnScreen(this);
}

void DeclarationWindow::focusWindowChanged(QWindow *now)
{
    // No focus window: another program is active, which leaves the card open.
    if (!now)
        return;
    if (now == windowHandle()) {
        m_wasActive = true;
        return;
    }
    if (m_wasActive)
        close();
}

bool DeclarationWindow::onBackground(const QPoint &pos) const
{
    return rect().contains(pos) && childAt(pos) == m_client;
}

void DeclarationWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

// The labels and the client area ignore mouse buttons, so their presses
// reach this window too: only presses beside the texts count as clicks on the
// background; the title bar and the border are no part of it.
void DeclarationWindow::mousePressEvent(QMouseEvent *event)
{
    m_pressOnBackground =
        event->button() == Qt::LeftButton && onBackground(event->position().toPoint());
}

void DeclarationWindow::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressOnBackground && event->button() == Qt::LeftButton
                       && onBackground(event->position().toPoint());
    m_pressOnBackground = false;
    if (click)
        close();
}
