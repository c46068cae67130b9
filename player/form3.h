#pragma once
#include "player/player_types.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <array>

class QSlider;
class QStyle;

// The player window: a small, fixed-size, always-on-top tool window without
// close, minimise or maximise buttons and without a task-bar button. A thin
// view: it forwards the user's actions as signals and shows what it is told;
// the decisions are PlayerState's.
//
// Sliders report FINISHED changes only: a released thumb, a click on the
// track, a key or the wheel; not the steps of a drag. While the user holds
// the position slider's thumb, values set from outside do not move it, so the
// thumb stays under the pointer; when it is let go, the user's value counts.
//
// The progress shown while playing (played time, frames played, position)
// comes about 15 times a second. It is shown at most every RefreshMs, always
// ending on the latest value, and not at all while the window is hidden, so
// the window costs little beside the sound. Everything else shows at once.
class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(QWidget *parent = nullptr);
    ~Form3() override;

    static constexpr int RefreshMs = 200;

    QWidget *control(Player::Control control) const { return m_controls[size_t(control)]; }

    // ---- applying the logic's state ------------------------------------------
    void setControlEnabled(Player::Control control, bool enabled);
    void setControlVisible(Player::Control control, bool visible);
    void setText(Player::Text text, const QString &value);
    void setSliderValue(Player::Slider slider, int value);
    void setPositionRange(int minimum, int maximum);
    void setLoopChecked(bool checked);

    // Moves the window to the bottom-right corner of the screen it is on, by
    // its outer size: the frame it draws itself, or, where a window manager
    // frames it all the same, that frame once the first show makes it known.
    void dock();

signals:
    void clicked(Player::Control control);
    void sliderChanged(Player::Slider slider, int value);
    void loopToggled(bool checked);
    // The user hides the window: a double-click on its own background (not on
    // a control). Also the window manager's close or minimise, where it
    // offers them anyway: the window then hides instead.
    void hideRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void createControls();
    void fitFonts();
    void setUpSlider(QSlider *slider, Player::Slider which);
    QSlider *slider(Player::Slider which) const;
    void scheduleProgress();
    void showProgress();

    QWidget *m_client = nullptr;   // the area below the title bar, where the controls are
    std::array<QWidget *, Player::ControlCount> m_controls{};
    QStyle *m_boxStyle = nullptr;     // flat borders of the display boxes
    bool m_applying = false;          // a change from outside, not the user's
    // Progress not shown yet: played time, frames played, position (-1: none).
    QString m_pendingText1;
    QString m_pendingText3;
    int m_pendingPosition = -1;
    QElapsedTimer m_progressShown;
    QTimer m_progressDue;    // zero delay: once the current report is set
    QTimer m_progressLate;   // when no report comes to show the last values
    bool m_dockedByFrame = false;
    bool m_announced = false;   // added to the accessibility tree
};
