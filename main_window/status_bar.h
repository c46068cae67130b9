#pragma once
#include "platform/key_state.h"

#include <QStringList>
#include <QWidget>

class QTimer;

// StatusBar1: seven panels side by side: the text panel, the Caps, Num,
// Insert and Scroll indicators, the time and the date. A key-state panel draws
// its indicator normal when the key is on and dimmed when off or unknown.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    explicit StatusBar(const KeyState &keys, QWidget *parent = nullptr);

    static constexpr int kPanels = 7;
    static const QString &firstText();   // "我的未来不是梦!"
    static const QString &secondText();  // "勤奋!敬业!用心!!"

    // Panel 1-based number → text drawn / width in twips.
    QString panelText(int panel) const;
    double panelWidth(int panel) const { return m_widths[panel - 1]; }
    void setPanelWidth(int panel, double twips);
    // Panel under a point of the bar, 1-based, or 0 where there is none.
    int panelAt(const QPoint &pos) const;
    QRect panelRect(int panel) const;
    // Whether an indicator panel (2..5) draws normal rather than dimmed.
    bool indicatorOn(int panel) const;

    bool insertOn() const { return m_insertOn; }
    void toggleInsert();
    // Reads the clock and the lock keys again.
    void refresh();

    // Status bar click: panel 1 alternates between its two texts.
    void togglePanel1Text();
    // A short note drawn at the right end of the text panel (empty: none),
    // beside its text rather than in its place.
    void setNote(const QString &note);
    const QString &note() const { return m_note; }

signals:
    void panelClicked(int panel);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    const KeyState &m_keys;
    double m_widths[kPanels] = {2000, 800, 800, 800, 800, 850, 1400};
    QString m_text;
    QString m_note;
    QString m_time, m_date;
    KeyState::State m_lock[3] = {KeyState::State::Unknown, KeyState::State::Unknown,
                                 KeyState::State::Unknown};
    bool m_insertOn = false;
    int m_pressedPanel = 0;
    QTimer *m_timer;
};
