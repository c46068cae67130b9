#pragma once
#include "platform/work/long_work.h"
#include "player/component/output_target.h"

#include <QObject>

#include <functional>
#include <memory>

class QSettings;

// The output the preview is heard on, as the user chooses it: the outputs on
// offer, the one in use, the choice remembered by the output's name (not its
// description) across starts. An output that is absent leaves the choice as
// it is: the sound plays on the default meanwhile, and goes back to it when
// it is there again. The system is asked for its outputs off the UI thread (a
// sound server that does not answer holds the asking for seconds).
class OutputChoice : public QObject {
    Q_OBJECT
public:
    using Lister = std::function<QList<OutputDevice>()>;
    static inline const QString kDefaultCaption = QStringLiteral("系统默认");
    static inline const QString kUnavailableNote = QStringLiteral("预听输出设备不可用，已改用系统默认");

    // `settings` may be null (nothing remembered); it must outlive this.
    OutputChoice(Lister lister, QSettings *settings, QObject *parent = nullptr);

    // The default (name "") first, then the outputs the system listed when
    // last asked.
    QList<OutputDevice> offered() const;
    // Asks the system for its outputs again; offeredChanged() when they differ
    // from what was offered. One asking at a time.
    void refresh();
    // Among `offered`: the chosen output where it is there, else the default.
    QString inUse(const QList<OutputDevice> &offered) const;
    QString chosen() const { return m_target->wanted(); }
    void choose(const QString &name);
    // What the players' outputs follow.
    const std::shared_ptr<OutputTarget> &target() const { return m_target; }

signals:
    void offeredChanged();
    // The status area's note: kUnavailableNote while the chosen output is
    // absent, "" once it is reached again.
    void noteChanged(const QString &note);

private:
    Lister m_lister;
    QSettings *m_settings;
    std::shared_ptr<OutputTarget> m_target;
    QList<OutputDevice> m_listed;
    LongWork m_listing;   // last: its job uses the lister
};
