#pragma once
#include "platform/tags/track_tags.h"
#include "playlist_io/export/export_options.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class ExportDialog;
class FileDialog;
class LongWork;
class MessageBox;
class Playlist;
class TagCache;
class QWidget;

// The main window's "导出列表" command: the dialog, its preview, and the
// export itself through the window's long-work runner (progress and Cancel
// in the window's progress view). Tags are read once per file for the run;
// the choices are remembered for the next export of the run. The list is
// only read.
class ListExport : public QObject {
    Q_OBJECT
public:
    // `tags` is the window's cache of the files' tags, shared with the list's saves.
    ListExport(const Playlist &list, FileDialog &files, MessageBox &messages, LongWork &work,
               std::shared_ptr<TagCache> tags, QWidget *window);
    ~ListExport() override;

    // Opens the dialog (window-modal; it returns at once). An empty list gets
    // "列表不能为空!" instead.
    void open();
    // The open dialog, or null.
    ExportDialog *dialog() const;

private:
    void browse();
    void updatePreview();
    void readPreviewTags();
    void start();

    const Playlist &m_list;
    FileDialog &m_files;
    MessageBox &m_messages;
    LongWork &m_work;
    QWidget *m_window;
    // Shared with the jobs, which may outlive a job's caller on the pool.
    std::shared_ptr<TagCache> m_tags;
    QPointer<ExportDialog> m_dialog;
    QList<TrackTags> m_previewTags;   // of the first entries, once read
    QStringList m_volumes;            // the mount points, once read: relative paths stay on the target's
    // What the last dialog held, for the next.
    ExportOptions m_options;
    QString m_target;
};
