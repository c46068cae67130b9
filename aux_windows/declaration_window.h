#pragma once
#include "aux_windows/unloading_window.h"

#include <QWidget>

class QWindow;

// Form2, "我的宣言": a dedication card with a title bar but no close box
// (its frame is the program's own, OwnFrame). It unloads itself
// on a click on its background, or when another window of this program
// becomes the active one; a click on a text, or a switch to another program,
// leaves it open. Escape unloads it too: it has no close box to reach by
// keyboard. Deletes itself when closed.
class DeclarationWindow : public UnloadingWindow<QWidget> {
    Q_OBJECT
public:
    DeclarationWindow();

signals:
    void unloaded();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void unloading() override { emit unloaded(); }

private:
    void focusWindowChanged(QWindow *now);
    bool onBackground(const QPoint &pos) const;

    QWidget *m_client = nullptr;   // the area below the title bar
    bool m_wasActive = false;
    bool m_pressOnBackground = false;
};
