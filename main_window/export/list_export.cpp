#include "main_window/export/list_export.h"

#include "main_window/export/export_dialog.h"
#include "main_window/prompt/prompt.h"
#include "model/playlist.h"
#include "platform/file_dialog.h"
#include "platform/files/volumes.h"
#include "platform/message_box.h"
#include "platform/tags/tag_cache.h"
#include "platform/work/long_work.h"
#include "playlist_io/export/export_preview.h"
#include "playlist_io/export/export_run.h"

#include <QFileInfo>

namespace {
// Messages of a report list at most this many names of each kind.
constexpr qsizetype kNamesShown = 10;
} // namespace

ListExport::ListExport(const Playlist &list, FileDialog &files, MessageBox &messages, LongWork &work,
                       std::shared_ptr<TagCache> tags, QWidget *window)
    : QObject(window), m_list(list), m_files(files), m_messages(messages), m_work(work), m_window(window),
      m_tags(std::move(tags))
{
}

ListExport::~ListExport() = default;

ExportDialog *ListExport::dialog() const
{
    return m_dialog;
}

void ListExport::open()
{
    if (m_list.count() == 0) {
        m_messages.exclamation(QStringLiteral("列表不能为空!"), kPromptTitle);
        return;
    }
    if (m_dialog && m_dialog->isVisible()) {
        m_dialog->raise();
        return;
    }
    m_dialog = new ExportDialog(m_window);
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog->setWindowModality(Qt::WindowModal);
    // The target first: its extension would choose a format, and the one
    // chosen last time wins.
    m_dialog->setTarget(m_target);
    m_dialog->setOptions(m_options);
    connect(m_dialog, &ExportDialog::changed, this, &ListExport::updatePreview);
    connect(m_dialog, &ExportDialog::browseRequested, this, &ListExport::browse);
    connect(m_dialog, &ExportDialog::exportRequested, this, &ListExport::start);
    connect(m_dialog, &QDialog::finished, this, [this] {
        m_options = m_dialog->options();
        m_target = m_dialog->target();
    });
    m_previewTags.clear();
    updatePreview();
    readPreviewTags();
    m_dialog->show();
}

void ListExport::browse()
{
    if (!m_dialog)
        return;
    const int filter = exportFormatFilter(m_dialog->options().format);
    const FileDialog::SaveName chosen = m_files.getSaveFileName(filter, QStringLiteral("导出到"));
    if (m_dialog && !chosen.fileName.isEmpty())
        m_dialog->setTarget(chosen.fileName);
}

void ListExport::updatePreview()
{
    if (!m_dialog)
        return;
    const QString target = m_dialog->target().isEmpty() ? QStringLiteral("list.m3u") : m_dialog->target();
    m_dialog->setPreview(exportPreview(m_list.entries(), m_previewTags, m_dialog->options(), target, m_volumes));
}

// The first entries' tags, off the UI thread; the preview shows them once read.
void ListExport::readPreviewTags()
{
    const QStringList first = m_list.entries().mid(0, kPreviewEntries);
    std::shared_ptr<TagCache> tags = m_tags;
    struct Read {
        QList<TrackTags> tags;
        QStringList volumes;
    };
    m_work.run<Read>(
        QStringLiteral("正在读取标签…"),
        [first, tags](WorkProgress &progress) {
            progress.setTotal(first.size());
            return Read{tags->tagsFor(first, progress), systemMountPoints()};
        },
        [this](Read &read) {
            m_previewTags = read.tags;
            m_volumes = read.volumes;
            updatePreview();
        });
}

void ListExport::start()
{
    if (!m_dialog)
        return;
    const QString target = m_dialog->target();
    if (target.isEmpty()) {
        m_messages.exclamation(QStringLiteral("请选择导出的目标文件!"), kPromptTitle);
        return;
    }
    if (const QString problem = exportTargetProblem(target); !problem.isEmpty()) {
        m_messages.exclamation(problem, kPromptTitle);
        return;
    }
    const QFileInfo info(target);
    // A name typed by hand is asked about as the file dialog asks.
    if (info.exists() && m_messages.askYesNo(QStringLiteral("“%1”已经存在，是否替换？").arg(target), kPromptTitle)
                             != MessageBox::Answer::Yes)
        return;

    ExportRequest request{m_list.entries(), info.absoluteFilePath(), m_dialog->options()};
    // The dialog stays open until the list is written: a failure is fixed there.
    m_dialog->setEnabled(false);
    std::shared_ptr<TagCache> tags = m_tags;
    m_work.run<ExportReport>(
        QStringLiteral("正在导出列表…"),
        [request, tags](WorkProgress &progress) { return runExport(request, *tags, progress); },
        [this, target = request.target, copies = request.options.copyFiles](ExportReport &report) {
            if (m_dialog) {
                m_dialog->setEnabled(true);
                if (report.outcome == ExportReport::Written)
                    m_dialog->accept();
            }
            QString done = QStringLiteral("列表已经导出为%1").arg(target);
            if (copies)
                done += QStringLiteral("（复制 %1 个文件，%2 个已存在）").arg(report.copied).arg(report.kept);
            if (report.complete() && report.outsideGbk.isEmpty()) {
                m_messages.exclamation(done + u'!', kPromptTitle);
                return;
            }
            QString text = exportReportText(report, kNamesShown);
            if (report.outcome == ExportReport::Written)
                text = done + QStringLiteral("，但是：\n") + text;
            m_messages.exclamation(text.trimmed(), kPromptTitle);
        });
}
