#pragma once
#include "playlist_io/export/export_options.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// "导出列表": the target file, the format and its options, and a read-only
// preview of the first lines the file will hold. A view only: the export
// controller fills the preview and runs the export when it is accepted.
class ExportDialog : public QDialog {
    Q_OBJECT
public:
    explicit ExportDialog(QWidget *parent = nullptr);

    ExportOptions options() const;
    void setOptions(const ExportOptions &options);
    QString target() const;
    void setTarget(const QString &target);
    void setPreview(const QString &text);
    QString preview() const;

    QLineEdit *targetEdit() const { return m_target; }
    QPushButton *browseButton() const { return m_browse; }
    QPushButton *exportButton() const { return m_export; }
    // The boxes of the options, in the order of exportChoiceOptions() and exportFlags().
    QComboBox *formatBox() const { return m_boxes.at(0); }
    QComboBox *pathsBox() const { return m_boxes.at(1); }
    QComboBox *separatorBox() const { return m_boxes.at(2); }
    QComboBox *encodingBox() const { return m_boxes.at(3); }
    QComboBox *lineEndsBox() const { return m_boxes.at(4); }
    QCheckBox *copyBox() const { return m_checks.at(0); }
    QCheckBox *numberedBox() const { return m_checks.at(1); }

signals:
    // A choice or the target changed: the preview is to follow.
    void changed();
    // "浏览…": the controller asks the file dialog.
    void browseRequested();
    // "导出": the controller checks the target and closes the dialog.
    void exportRequested();

private:
    void enableChoices();

    QLineEdit *m_target;
    QPushButton *m_browse;
    QList<QComboBox *> m_boxes;   // one per exportChoiceOptions() row
    QList<QCheckBox *> m_checks;  // one per exportFlags() row
    QPlainTextEdit *m_preview;
    QPushButton *m_export, *m_cancel;
};
