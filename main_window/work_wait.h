#pragma once
#include "platform/work/long_work.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>

#include <optional>

// While a command waits for its long work (a save for tags, an open for its
// file), the user's input reaches only the progress window: a list edited
// meanwhile would be saved, or replaced, as it was not.
class InputHold : public QObject {
public:
    InputHold();
    ~InputHold() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Runs `job` on `work` and waits for its result, the window repainting and
// showing the progress with "取消" meanwhile but taking no other input.
// Nothing when the user cancelled. `work` must not be landing a job of its
// own: the job would wait behind it for ever.
template <class Result>
std::optional<Result> waitFor(LongWork &work, const QString &what, std::function<Result(WorkProgress &)> job)
{
    std::optional<Result> landed;
    bool over = false;
    const InputHold hold;
    work.run<Result>(what, std::move(job), [&](Result &result) {
        landed = std::move(result);
        over = true;
    });
    // A cancelled job never lands: the runner falls idle instead.
    const QMetaObject::Connection idle = QObject::connect(&work, &LongWork::idle, &work, [&over] { over = true; });
    // Events turned here rather than by a QEventLoop, which returns at once
    // once QCoreApplication::exit() was called (a quit the program then
    // refused, a test's Ctrl+Q).
    while (!over && work.busy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QObject::disconnect(idle);
    return landed;
}
