#pragma once

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>

// A sound output the system offers: its name (what is remembered) and the
// description shown for it.
struct OutputDevice {
    QString name;
    QString description;
    friend bool operator==(const OutputDevice &, const OutputDevice &) = default;
};

// The output the preview is to be heard on, shared by the player's outputs
// of every window: set on the UI thread, read on the sound threads. An
// output that cannot reach the wanted one plays on the default and says so.
class OutputTarget : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // "" for the system's default output.
    QString wanted() const;
    // Counts the changes of wanted(), so an output sees a new choice.
    quint64 generation() const;
    void setWanted(const QString &name);

    // From any thread: whether the sound now plays on the wanted output.
    void reportReached(bool reached);

signals:
    // The wanted output is absent (at the start, or it went away): the sound
    // went to the default. Back on it: reached again. Delivered on the
    // target's thread.
    void reachedChanged(bool reached);

private:
    mutable QMutex m_lock;
    QString m_wanted;
    quint64 m_generation = 0;
    bool m_reached = true;
};
