#pragma once
#include <QWidget>

class Playlist;
class PlaylistView;
class QLineEdit;

// findbar: a line to type in over the bottom of the list, whose rows move up
// while it is open so that none lies under it. Each keystroke
// selects the first entry from the selected one on that holds every word
// typed (letter case ignored), as a click on it would; Enter and Shift+Enter
// go to the next and the previous match, wrapping; Escape closes the bar and
// gives the focus back to the list.
class FindBar : public QWidget {
    Q_OBJECT
public:
    FindBar(Playlist &list, PlaylistView *view, QWidget *parent);

    QLineEdit *text() const { return m_text; }
    // Shows the bar over the list, its text selected for typing anew.
    void open();
    // Hides the bar; the list has the focus again.
    void dismiss();
    // The next (step 1) or previous (-1) match after the selection.
    void findNext(int step);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void textEdited();
    void select(int index);
    void keepInView(int index);
    void place();

    Playlist &m_list;
    PlaylistView *m_view;
    QLineEdit *m_text;
};
