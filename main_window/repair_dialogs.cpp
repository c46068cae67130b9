#include "main_window/repair_dialogs.h"

#include "main_window/prompt/prompt.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

QString QtRepairDialogs::chooseFolder(const QString &title)
{
    // Qt's own dialog, like the list-file dialog: Chinese on every desktop.
    const QString folder = QFileDialog::getExistingDirectory(
        m_parent, title, QString(), QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    return folder.isEmpty() ? folder : QDir::toNativeSeparators(folder);
}

int QtRepairDialogs::chooseFile(const QString &entry, const QStringList &candidates)
{
    QDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("choosefile"));
    dialog.setWindowTitle(kPromptTitle);
    auto *layout = new QVBoxLayout(&dialog);
    auto *caption = new QLabel(QStringLiteral("以下哪个文件是“%1”？").arg(entry), &dialog);
    caption->setWordWrap(true);
    layout->addWidget(caption);
    auto *files = new QListWidget(&dialog);
    files->setObjectName(QStringLiteral("candidates"));
    files->addItems(candidates);
    files->setCurrentRow(0);
    layout->addWidget(files);
    auto *buttons = new QDialogButtonBox(&dialog);
    QPushButton *choose = buttons->addButton(QStringLiteral("选择"), QDialogButtonBox::AcceptRole);
    QPushButton *skip = buttons->addButton(QStringLiteral("跳过"), QDialogButtonBox::RejectRole);
    QPushButton *cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    choose->setObjectName(QStringLiteral("choose"));
    skip->setObjectName(QStringLiteral("skip"));
    cancel->setObjectName(QStringLiteral("cancel"));
    layout->addWidget(buttons);
    int answer = Cancel;   // Escape and the close box cancel
    QObject::connect(buttons, &QDialogButtonBox::clicked, &dialog, [&](QAbstractButton *b) {
        answer = b == choose ? files->currentRow() : (b == skip ? Skip : Cancel);
        dialog.done(0);
    });
    QObject::connect(files, &QListWidget::itemDoubleClicked, choose, &QPushButton::click);
    dialog.resize(dialog.sizeHint().expandedTo(QSize(560, 300)));
    dialog.exec();
    return answer;
}

std::optional<RepairDialogs::Prefix> QtRepairDialogs::askPrefix(const Prefix &suggested)
{
    QDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("replaceprefix"));
    dialog.setWindowTitle(QStringLiteral("替换路径开头"));
    auto *form = new QFormLayout(&dialog);
    auto *from = new QLineEdit(suggested.from, &dialog);
    from->setObjectName(QStringLiteral("oldprefix"));
    auto *to = new QLineEdit(suggested.to, &dialog);
    to->setObjectName(QStringLiteral("newprefix"));
    form->addRow(QStringLiteral("原来的开头："), from);
    form->addRow(QStringLiteral("新的开头："), to);
    auto *buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("ok"));
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    dialog.resize(dialog.sizeHint().expandedTo(QSize(520, 0)));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return Prefix{from->text(), to->text()};
}
