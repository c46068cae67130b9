#pragma once
#include <QObject>
#include <QPointer>

class LongWork;
class QProgressDialog;
class QWidget;

// Shows the main window's long work to the user: once a job has run for a
// moment (LongWork::shown), a small window over the main one with what is
// being done, a bar, and "取消", which cancels the job; it goes when the job
// ends. The main window stays usable meanwhile.
class WorkProgressView : public QObject {
    Q_OBJECT
public:
    WorkProgressView(LongWork &work, QWidget *window);
    ~WorkProgressView() override;

private:
    void show(const QString &what);
    void update(qint64 done, qint64 total);
    void close();

    LongWork &m_work;
    QWidget *m_window;
    QPointer<QProgressDialog> m_dialog;
};
