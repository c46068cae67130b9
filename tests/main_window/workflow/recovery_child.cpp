// The program a kill test kills: opens the list it is given, edits it for
// ever at moments drawn from the seed it is given, and keeps its recovery
// record in $XDG_STATE_HOME as the main window does. It tells on stdout the
// hash of each record's payload just before its rename ("renaming <hash>") and
// once its write has ended ("recorded <hash>").
#include "main_window/workflow/list_file_workflow.h"
#include "main_window/workflow/recovery_recorder.h"
#include "model/playlist.h"
#include "model/window_state.h"
#include "platform/fakes/fake_file_dialog.h"
#include "platform/fakes/fake_message_box.h"
#include "platform/recovery/record_container.h"
#include "platform/recovery/recovery_store.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>

#include <unistd.h>

namespace {
void tell(const char *what, QByteArrayView sealed)
{
    const OpenedRecord opened = openRecord(sealed);
    const QByteArray line = QByteArray(what) + ' ' +
                            QCryptographicHash::hash(opened.payload.value_or(QByteArray()), QCryptographicHash::Sha1).toHex() +
                            '\n';
    [[maybe_unused]] const ssize_t n = ::write(1, line.constData(), size_t(line.size()));
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return 2;
    QRandomGenerator random(args.at(2).toUInt());
    Playlist list(PathRules::posix());
    WindowState state(list);
    FakeMessageBox box;
    FakeFileDialog dialog;
    ListFileWorkflow workflow(state, list, box, dialog);
    workflow.openlist(args.at(1));

    RecoveryStore store(RecoveryStore::defaultFolder());
    store.setBeforeRename([&random](QByteArrayView bytes) {
        tell("renaming", bytes);
        QThread::msleep(random.bounded(10));
    });
    RecoveryRecorder recorder(workflow, list, store, nullptr, 20);
    QObject::connect(&recorder, &RecoveryRecorder::recorded, [&store] {
        QFile own(store.ownPath());
        if (own.open(QIODevice::ReadOnly))
            tell("recorded", own.readAll());
    });

    int added = 0;
    QTimer edits;
    QObject::connect(&edits, &QTimer::timeout, [&] {
        switch (random.bounded(8)) {
        case 0: list.deleteentry(); break;
        case 1: list.moveup(); break;
        case 2: list.movedown(); break;
        case 3: list.movetotop(); break;
        case 4: list.addClickedFile(QStringLiteral("/music"), QStringLiteral("new %1.mp3").arg(++added)); break;
        case 5: list.undo(); break;
        case 6: list.selectByUser(int(random.bounded(qMax(1, list.count())))); break;
        default: random.bounded(2) ? list.setInsertAfterMode() : list.setInsertBeforeMode(); break;
        }
    });
    edits.start(int(random.bounded(1, 6)));
    return app.exec();
}
