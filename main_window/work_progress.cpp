#include "main_window/work_progress.h"

#include "main_window/prompt/prompt.h"
#include "platform/work/long_work.h"

#include <QProgressDialog>

#include <algorithm>

WorkProgressView::WorkProgressView(LongWork &work, QWidget *window)
    : QObject(window), m_work(work), m_window(window)
{
    connect(&work, &LongWork::shown, this, &WorkProgressView::show);
    connect(&work, &LongWork::progressed, this, &WorkProgressView::update);
    connect(&work, &LongWork::ended, this, &WorkProgressView::close);
}

WorkProgressView::~WorkProgressView()
{
    close();
}

void WorkProgressView::show(const QString &what)
{
    close();
    // Made only now: a progress dialog shows itself after a while once made.
    m_dialog = new QProgressDialog(what, QStringLiteral("取消"), 0, 0, m_window);
    m_dialog->setObjectName(QStringLiteral("workProgress"));
    m_dialog->setWindowTitle(kPromptTitle);
    m_dialog->setWindowModality(Qt::NonModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumDuration(0);
    connect(m_dialog, &QProgressDialog::canceled, &m_work, &LongWork::cancel);
    m_dialog->show();
}

void WorkProgressView::update(qint64 done, qint64 total)
{
    if (!m_dialog)
        return;
    // A total not known yet: a busy bar. QProgressDialog counts in int.
    const int scale = total > 0 ? int(std::max<qint64>(1, total / 1000000 + 1)) : 1;
    m_dialog->setMaximum(total > 0 ? int(total / scale) : 0);
    // A job that counts nothing (one file read) shows its text alone.
    if (total > 0)
        m_dialog->setValue(int(std::min(done, total) / scale));
    else if (done > 0)
        m_dialog->setLabelText(m_dialog->labelText().section(QLatin1Char('\n'), 0, 0)
                               + QStringLiteral("\n已处理 %1 个文件").arg(done));
}

void WorkProgressView::close()
{
    if (m_dialog) {
        m_dialog->disconnect(this);
        disconnect(m_dialog, nullptr, &m_work, nullptr);
        delete m_dialog.data();
    }
}
