#pragma once
#include "model/playlist.h"
#include "model/window_state.h"

#include <QStringList>

#include <memory>

// A playlist with its window state, as the main window holds them.
struct Model {
    explicit Model(PathRules rules = PathRules::windows()) : list(rules), state(list) {}
    Playlist list;
    WindowState state;
};

// Lists are written as strings of one-letter entries: "ABCD".
QStringList letters(const QString &list);
QString joined(const Playlist &list);

// A loaded, unchanged, unnamed model holding `list`, insert mode `after`, selection `sel`.
std::unique_ptr<Model> makeModel(const QString &list, int sel, bool after = true,
                                 PathRules rules = PathRules::windows());

// Runs ";"-separated steps: del clear up down top bottom undo after before
// label9 release save drag:O:T sel:I add:X all:x,y,z
void run(Model &m, const QString &steps);

// The undo codes the list has always used ("del", "MOVEFIRST", ...); "" is None.
UndoOp undoOpOf(const QString &code);

// Mirrors the change notifications onto a copy of the list, as a list view
// would; a change that does not fit, or that is not announced before it
// happens, makes `rows` differ. Counts changes and resets.
struct ShadowList {
    explicit ShadowList(Playlist &list);
    QStringList rows;
    int signals_ = 0;
    int resets = 0;

private:
    bool m_announced = false;
    int m_countBefore = 0;
};
