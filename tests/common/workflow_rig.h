#pragma once
#include "main_window/workflow/list_file_workflow.h"
#include "model/playlist.h"
#include "model/window_state.h"
#include "platform/fakes/fake_file_dialog.h"
#include "platform/fakes/fake_message_box.h"

#include <QString>
#include <QTemporaryDir>

// One main window's list, window state and file commands, answered through
// the fakes, with a scratch folder for its files; loaded as the window loads.
struct WorkflowRig {
    explicit WorkflowRig(PathRules rules = PathRules::posix())
        : list(rules), state(list), flow(state, list, box, dialog)
    {
        state.load();
    }
    QString path(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    Playlist list;
    WindowState state;
    FakeMessageBox box;
    FakeFileDialog dialog;
    ListFileWorkflow flow;
};
