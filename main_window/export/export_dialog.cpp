#include "main_window/export/export_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <vector>

namespace {

QLabel *caption(QWidget *parent, const QString &name, const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setBuddy(buddy);
    return label;
}

} // namespace

ExportDialog::ExportDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("exportdialog"));
    setWindowTitle(QStringLiteral("导出列表"));

    m_target = new QLineEdit(this);
    m_target->setObjectName(QStringLiteral("exporttarget"));
    m_target->setMinimumWidth(320);
    m_browse = new QPushButton(QStringLiteral("浏览(&B)…"), this);
    m_browse->setObjectName(QStringLiteral("exportbrowse"));
    for (const ExportChoiceOption &option : exportChoiceOptions()) {
        auto *box = new QComboBox(this);
        box->setObjectName(option.objectName);
        if (!option.unsetCaption.isEmpty())
            box->addItem(option.unsetCaption);
        for (const ExportChoice &choice : option.choices)
            box->addItem(choice.caption);
        m_boxes << box;
    }
    for (const ExportFlag &flag : exportFlags()) {
        auto *check = new QCheckBox(flag.caption, this);
        check->setObjectName(flag.objectName);
        m_checks << check;
    }
    m_preview = new QPlainTextEdit(this);
    m_preview->setObjectName(QStringLiteral("exportpreview"));
    m_preview->setReadOnly(true);
    m_preview->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_preview->setAccessibleName(QStringLiteral("预览"));
    m_export = new QPushButton(QStringLiteral("导出(&E)"), this);
    m_export->setObjectName(QStringLiteral("exportok"));
    m_export->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("取消"), this);
    m_cancel->setObjectName(QStringLiteral("exportcancel"));

    auto *targetRow = new QHBoxLayout;
    targetRow->addWidget(m_target, 1);
    targetRow->addWidget(m_browse);
    auto *form = new QFormLayout;
    form->addRow(caption(this, QStringLiteral("exporttargetlabel"), QStringLiteral("目标文件(&T)："), m_target), targetRow);
    for (qsizetype i = 0; i < m_boxes.size(); ++i) {
        const ExportChoiceOption &option = exportChoiceOptions().at(i);
        form->addRow(caption(this, option.objectName + QStringLiteral("label"), option.label, m_boxes.at(i)),
                     m_boxes.at(i));
    }
    for (QCheckBox *check : std::as_const(m_checks))
        form->addRow(check);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_export);
    buttons->addWidget(m_cancel);
    auto *all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addWidget(caption(this, QStringLiteral("exportpreviewlabel"), QStringLiteral("文件的前几行："), m_preview));
    all->addWidget(m_preview, 1);
    all->addLayout(buttons);
    resize(560, 520);

    connect(m_browse, &QPushButton::clicked, this, &ExportDialog::browseRequested);
    connect(m_export, &QPushButton::clicked, this, &ExportDialog::exportRequested);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_target, &QLineEdit::textChanged, this, [this](const QString &name) {
        // The extension names the format, as on the command line; "m3u" keeps the M3U chosen.
        const std::optional<ExportFormat> format = exportFormatOfFile(name);
        if (format && !(*format == ExportFormat::M3u && options().format == ExportFormat::M3uPlain))
            formatBox()->setCurrentIndex(int(*format));
        emit changed();
    });
    for (QComboBox *box : std::as_const(m_boxes))
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            enableChoices();
            emit changed();
        });
    for (QCheckBox *box : std::as_const(m_checks))
        connect(box, &QCheckBox::toggled, this, [this] {
            enableChoices();
            emit changed();
        });
    enableChoices();
}

ExportOptions ExportDialog::options() const
{
    ExportOptions o;
    for (qsizetype i = 0; i < m_boxes.size(); ++i) {
        const ExportChoiceOption &option = exportChoiceOptions().at(i);
        const int index = m_boxes.at(i)->currentIndex() - (option.unsetCaption.isEmpty() ? 0 : 1);
        option.set(o, index < 0 ? -1 : option.choices.at(index).value);
    }
    for (qsizetype i = 0; i < m_checks.size(); ++i)
        exportFlags().at(i).set(o, m_checks.at(i)->isChecked());
    o.numbered = o.copyFiles && o.numbered;
    return o;
}

void ExportDialog::setOptions(const ExportOptions &o)
{
    std::vector<QSignalBlocker> blocks;
    for (QComboBox *box : std::as_const(m_boxes))
        blocks.emplace_back(box);
    for (QCheckBox *check : std::as_const(m_checks))
        blocks.emplace_back(check);
    for (qsizetype i = 0; i < m_boxes.size(); ++i) {
        const ExportChoiceOption &option = exportChoiceOptions().at(i);
        const int value = option.get(o);
        int index = option.unsetCaption.isEmpty() ? -1 : 0;
        for (qsizetype c = 0; c < option.choices.size(); ++c) {
            if (option.choices.at(c).value == value)
                index = int(c) + (option.unsetCaption.isEmpty() ? 0 : 1);
        }
        m_boxes.at(i)->setCurrentIndex(index);
    }
    for (qsizetype i = 0; i < m_checks.size(); ++i)
        m_checks.at(i)->setChecked(exportFlags().at(i).get(o));
    enableChoices();
    emit changed();
}

QString ExportDialog::target() const
{
    return m_target->text().trimmed();
}

void ExportDialog::setTarget(const QString &target)
{
    m_target->setText(target);
}

void ExportDialog::setPreview(const QString &text)
{
    m_preview->setPlainText(text);
}

QString ExportDialog::preview() const
{
    return m_preview->toPlainText();
}

// Choices that change nothing for what is chosen are greyed: copies are named
// only, and M3U8 and XSPF are UTF-8.
void ExportDialog::enableChoices()
{
    const ExportOptions o = options();
    pathsBox()->setEnabled(!o.copyFiles);
    separatorBox()->setEnabled(effectivePaths(o) == ExportPaths::Relative);
    encodingBox()->setEnabled(o.format != ExportFormat::Xspf && o.format != ExportFormat::M3u8);
    numberedBox()->setEnabled(o.copyFiles);
}
