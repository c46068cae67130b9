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

namespace {

QComboBox *choices(QWidget *parent, const char *name, const QStringList &captions)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->addItems(captions);
    return box;
}

QLabel *caption(QWidget *parent, const char *name, const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
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
    m_format = choices(this, "exportformat",
                       {QStringLiteral("M3U（带标题和时长）"), QStringLiteral("M3U（只有路径）"),
                        QStringLiteral("M3U8（UTF-8）"), QStringLiteral("PLS"), QStringLiteral("XSPF")});
    m_paths = choices(this, "exportpaths",
                      {QStringLiteral("完整路径"), QStringLiteral("相对于目标文件夹"), QStringLiteral("只写文件名")});
    m_separator = choices(this, "exportseparator", {QStringLiteral("/（斜杠）"), QStringLiteral("\\（反斜杠）")});
    m_encoding = choices(this, "exportencoding",
                         {QStringLiteral("UTF-8"), QStringLiteral("UTF-8（带 BOM）"), QStringLiteral("GB18030")});
    m_lineEnds = choices(this, "exportlineends",
                         {QStringLiteral("默认（XSPF 为 LF，其余为 CR LF）"), QStringLiteral("CR LF"),
                          QStringLiteral("LF")});
    m_copy = new QCheckBox(QStringLiteral("把文件复制到目标文件夹(&C)"), this);
    m_copy->setObjectName(QStringLiteral("exportcopy"));
    m_numbered = new QCheckBox(QStringLiteral("按列表顺序编号(&N)"), this);
    m_numbered->setObjectName(QStringLiteral("exportnumbered"));
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
    form->addRow(caption(this, "exporttargetlabel", QStringLiteral("目标文件(&T)："), m_target), targetRow);
    form->addRow(caption(this, "exportformatlabel", QStringLiteral("格式(&F)："), m_format), m_format);
    form->addRow(caption(this, "exportpathslabel", QStringLiteral("路径(&P)："), m_paths), m_paths);
    form->addRow(caption(this, "exportseparatorlabel", QStringLiteral("分隔符(&S)："), m_separator), m_separator);
    form->addRow(caption(this, "exportencodinglabel", QStringLiteral("编码(&D)："), m_encoding), m_encoding);
    form->addRow(caption(this, "exportlineendslabel", QStringLiteral("行尾(&L)："), m_lineEnds), m_lineEnds);
    form->addRow(m_copy);
    form->addRow(m_numbered);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_export);
    buttons->addWidget(m_cancel);
    auto *all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addWidget(caption(this, "exportpreviewlabel", QStringLiteral("文件的前几行："), m_preview));
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
            m_format->setCurrentIndex(int(*format));
        emit changed();
    });
    for (QComboBox *box : {m_format, m_paths, m_separator, m_encoding, m_lineEnds})
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            enableChoices();
            emit changed();
        });
    for (QCheckBox *box : {m_copy, m_numbered})
        connect(box, &QCheckBox::toggled, this, [this] {
            enableChoices();
            emit changed();
        });
    enableChoices();
}

ExportOptions ExportDialog::options() const
{
    ExportOptions o;
    o.format = ExportFormat(m_format->currentIndex());
    o.paths = ExportPaths(m_paths->currentIndex());
    o.separator = PathSeparator(m_separator->currentIndex());
    o.encoding = TextEncoding(m_encoding->currentIndex());
    if (m_lineEnds->currentIndex() > 0)
        o.lineEnds = LineEnds(m_lineEnds->currentIndex() - 1);
    o.copyFiles = m_copy->isChecked();
    o.numbered = o.copyFiles && m_numbered->isChecked();
    return o;
}

void ExportDialog::setOptions(const ExportOptions &o)
{
    const QSignalBlocker blocks[] = {QSignalBlocker(m_format),    QSignalBlocker(m_paths),
                                     QSignalBlocker(m_separator), QSignalBlocker(m_encoding),
                                     QSignalBlocker(m_lineEnds),  QSignalBlocker(m_copy),
                                     QSignalBlocker(m_numbered)};
    m_format->setCurrentIndex(int(o.format));
    m_paths->setCurrentIndex(int(o.paths));
    m_separator->setCurrentIndex(int(o.separator));
    m_encoding->setCurrentIndex(int(o.encoding));
    m_lineEnds->setCurrentIndex(o.lineEnds ? int(*o.lineEnds) + 1 : 0);
    m_copy->setChecked(o.copyFiles);
    m_numbered->setChecked(o.numbered);
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
// only, and XSPF is UTF-8.
void ExportDialog::enableChoices()
{
    const ExportOptions o = options();
    m_paths->setEnabled(!o.copyFiles);
    m_separator->setEnabled(effectivePaths(o) == ExportPaths::Relative);
    m_encoding->setEnabled(o.format != ExportFormat::Xspf);
    m_numbered->setEnabled(o.copyFiles);
}
