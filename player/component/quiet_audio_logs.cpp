#include "quiet_audio_logs.h"

#include <QLoggingCategory>

#include <atomic>
#include <mutex>

namespace {

// The filter is a plain function pointer; the one it replaced can only live here.
std::atomic<QLoggingCategory::CategoryFilter> previousFilter{nullptr};

void audioBackendFilter(QLoggingCategory *category)
{
    // Null only during installFilter's first pass over the existing
    // categories, which then keep the state the previous filter gave them.
    if (const QLoggingCategory::CategoryFilter previous = previousFilter.load())
        previous(category);
    if (qstrncmp(category->categoryName(), "qt.multimedia", 13) == 0) {
        for (const QtMsgType type : {QtDebugMsg, QtInfoMsg, QtWarningMsg, QtCriticalMsg})
            category->setEnabled(type, false);
    }
}

} // namespace

void quietAudioBackendLogs()
{
    static std::once_flag once;
    std::call_once(once, [] {
        previousFilter = QLoggingCategory::installFilter(audioBackendFilter);
        // The first pass above ran before the previous filter was known; run
        // them all again now that the chain is complete.
        QLoggingCategory::installFilter(audioBackendFilter);
    });
}
