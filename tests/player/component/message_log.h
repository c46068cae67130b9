#pragma once

// Collects every line Qt logs while an instance lives, from any thread, with
// its category; each line still goes on to the handler that was there before.
// One instance at a time.

#include <QList>
#include <QMutex>
#include <QString>
#include <QtGlobal>

#include <atomic>

class MessageLog
{
public:
    struct Line
    {
        QtMsgType type;
        QByteArray category;
        QString text;
    };

    MessageLog()
    {
        Q_ASSERT(!s_current.load());
        s_current = this;
        m_previous = qInstallMessageHandler(&MessageLog::handle);
    }
    ~MessageLog()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    MessageLog(const MessageLog &) = delete;
    MessageLog &operator=(const MessageLog &) = delete;

    QList<Line> lines() const
    {
        const QMutexLocker locker(&m_lock);
        return m_lines;
    }
    // Lines whose category starts with the prefix.
    QList<Line> linesIn(const char *prefix) const
    {
        QList<Line> found;
        for (const Line &line : lines()) {
            if (line.category.startsWith(prefix))
                found << line;
        }
        return found;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        MessageLog *log = s_current.load();
        if (!log)
            return;
        {
            const QMutexLocker locker(&log->m_lock);
            log->m_lines << Line{type, QByteArray(context.category ? context.category : ""), text};
        }
        if (log->m_previous)
            log->m_previous(type, context, text);
    }

    static inline std::atomic<MessageLog *> s_current{nullptr};
    QtMessageHandler m_previous = nullptr;
    mutable QMutex m_lock;
    QList<Line> m_lines;
};
