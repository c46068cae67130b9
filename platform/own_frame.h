#pragma once
#include <QAbstractButton>
#include <QFrame>
#include <QPoint>

// A frame the program draws itself: a border, a title bar showing the
// window's title and, where asked, a close box, with no icon and no other
// button. For windows whose frame must look one way on every desktop: window
// managers differ in what they honour of the frame hints (openbox, for one,
// draws an icon, a close and a minimise button on every window it frames),
// so these windows ask for no window-manager frame at all.

// The close box of an own title bar.
class CaptionButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CaptionButton(QWidget *parent);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The title bar. A press and drag moves the window; it shows the window's
// title, bold, in the highlight colours while the window is active.
class CaptionBar : public QWidget {
    Q_OBJECT
public:
    enum class Height { Normal, Narrow };   // a dialog's, or a tool window's

    CaptionBar(QWidget *window, bool closeBox, Height height, QWidget *parent);
    // The close box, or null when the bar has none.
    CaptionButton *closeBox() const { return m_close; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QFont titleFont() const;

    QWidget *m_window;
    CaptionButton *m_close = nullptr;
    Height m_height;
    bool m_dragging = false;
    QPoint m_grab;   // pointer position within the window while dragging by hand
};

// The border with the title bar above the client area. To a screen reader
// the framed window is a window named by its title, as a window-manager frame
// would present it, and the frame inside it a plain container.
class OwnFrame : public QFrame {
    Q_OBJECT
public:
    // The border around the title bar and the client, pixels on each side:
    // a fixed dialog frame's.
    static constexpr int kBorder = 3;

    // What the frame shows.
    struct Style {
        bool closeBox = false;
        CaptionBar::Height caption = CaptionBar::Height::Normal;
        bool taskbarButton = false;
    };

    // Frames the top-level `window` before it is first shown: asks the window
    // manager for no frame of its own (and tells it what the frame offers,
    // each time the window is shown), fills the window with the border, the
    // title bar and an empty client of `clientSize`, and fixes the window's
    // size to that. The window's controls go on client().
    static OwnFrame *install(QWidget *window, const QSize &clientSize, const Style &style);

    CaptionBar *captionBar() const { return m_caption; }
    QWidget *client() const { return m_client; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    OwnFrame(QWidget *window, const QSize &clientSize, const Style &style);

    Style m_style;
    CaptionBar *m_caption;
    QWidget *m_client;
};
