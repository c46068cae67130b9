#include "main_window/status_bar.h"

#include "platform/fonts.h"
#include "platform/twips.h"

#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <qdrawutil.h>

const QString &StatusBar::firstText()
{
    static const QString text = QStringLiteral("我的未来不是梦!");
    return text;
}

const QString &StatusBar::secondText()
{
    static const QString text = QStringLiteral("勤奋!敬业!用心!!");
    return text;
}

StatusBar::StatusBar(const KeyState &keys, QWidget *parent)
    : QWidget(parent), m_keys(keys), m_text(firstText()), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("StatusBar1"));
    setFont(Fonts::byWindowsFamily(QStringLiteral("楷体_GB2312"), 9.75, true));
    // Lock keys change outside the program, so they are polled with the clock.
    m_timer->setInterval(250);
    connect(m_timer, &QTimer::timeout, this, &StatusBar::refresh);
    m_timer->start();
    refresh();
}

QString StatusBar::panelText(int panel) const
{
    switch (panel) {
    case 1: return m_text;
    case 2: return QStringLiteral("CAPS");
    case 3: return QStringLiteral("NUM");
    case 4: return QStringLiteral("Ins");
    case 5: return QStringLiteral("SCRL");
    case 6: return m_time;
    case 7: return m_date;
    default: return {};
    }
}

void StatusBar::setPanelWidth(int panel, double twips)
{
    if (panel < 1 || panel > kPanels || m_widths[panel - 1] == twips)
        return;
    m_widths[panel - 1] = twips;
    update();
}

QRect StatusBar::panelRect(int panel) const
{
    double left = 0;
    for (int i = 1; i < panel; ++i)
        left += m_widths[i - 1];
    const int l = Twips::toPixels(left);
    const int r = Twips::toPixels(left + m_widths[panel - 1]);
    return QRect(l, 0, r - l, height());
}

int StatusBar::panelAt(const QPoint &pos) const
{
    for (int panel = 1; panel <= kPanels; ++panel)
        if (panelRect(panel).contains(pos))
            return panel;
    return 0;
}

bool StatusBar::indicatorOn(int panel) const
{
    switch (panel) {
    case 2: return m_lock[KeyState::CapsLock] == KeyState::State::On;
    case 3: return m_lock[KeyState::NumLock] == KeyState::State::On;
    case 4: return m_insertOn;
    case 5: return m_lock[KeyState::ScrollLock] == KeyState::State::On;
    default: return false;
    }
}

void StatusBar::toggleInsert()
{
    m_insertOn = !m_insertOn;
    update();
}

void StatusBar::refresh()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString time = now.toString(QStringLiteral("HH:mm"));
    const QString date = now.date().toString(QStringLiteral("yyyy-M-d"));
    bool changed = time != m_time || date != m_date;
    m_time = time;
    m_date = date;
    for (int key = 0; key < 3; ++key) {
        const KeyState::State s = m_keys.state(KeyState::Key(key));
        changed = changed || s != m_lock[key];
        m_lock[key] = s;
    }
    if (changed)
        update();
}

void StatusBar::togglePanel1Text()
{
    m_text = m_text != firstText() ? firstText() : secondText();
    update(panelRect(1));
}

void StatusBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette pal = palette();
    painter.fillRect(rect(), pal.window());
    for (int panel = 1; panel <= kPanels; ++panel) {
        const QRect r = panelRect(panel).adjusted(0, 1, -2, 0);
        qDrawShadePanel(&painter, r, pal, true, 1);
        const bool indicator = panel >= 2 && panel <= 5;
        const bool dim = indicator && !indicatorOn(panel);
        painter.setPen(pal.color(dim ? QPalette::Disabled : QPalette::Active, QPalette::WindowText));
        const Qt::Alignment align = indicator ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter);
        QRect textRect = r.adjusted(3, 0, -2, 0);
        QString text = panelText(panel);
        if (panel == 1 && !m_note.isEmpty()) {
            // The note keeps the room it needs, its end cut when the panel is
            // narrower (the whole of it is the bar's tip); the text gets what is left.
            const QString note = painter.fontMetrics().elidedText(m_note, Qt::ElideRight, textRect.width() - 2);
            const int noteWidth = painter.fontMetrics().horizontalAdvance(note);
            painter.save();
            painter.setPen(QColor(160, 0, 0));
            painter.drawText(textRect.adjusted(0, 0, -2, 0), int(Qt::AlignRight | Qt::AlignVCenter), note);
            painter.restore();
            textRect.setRight(textRect.right() - noteWidth - 8);
            text = painter.fontMetrics().elidedText(text, Qt::ElideRight, qMax(0, textRect.width()));
            if (text == QStringLiteral("…"))
                text.clear();   // no room at all: the note alone
        }
        painter.drawText(textRect, int(align), text);
    }
}

void StatusBar::setNote(const QString &note)
{
    if (note == m_note)
        return;
    m_note = note;
    setAccessibleDescription(note);
    setToolTip(note);
    update(panelRect(1));
}

void StatusBar::mousePressEvent(QMouseEvent *event)
{
    m_pressedPanel = event->button() == Qt::LeftButton ? panelAt(event->position().toPoint()) : 0;
    event->accept();
}

void StatusBar::mouseReleaseEvent(QMouseEvent *event)
{
    const int panel = panelAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && panel != 0 && panel == m_pressedPanel)
        emit panelClicked(panel);
    m_pressedPanel = 0;
    event->accept();
}
