#include "main_window/repair_dialogs.h"

#include "main_window/prompt/prompt.h"
#include "platform/file_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

QString QtRepairDialogs::chooseFolder(const QString &title)
{
    return chooseFolderDialog(m_parent, title);
}

int QtRepairDialogs::chooseFile(const QString &entry, const QStringList &candidates, int number, int count)
{
    QDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("choosefile"));
    dialog.setWindowTitle(kPromptTitle);
    auto *layout = new QVBoxLayout(&dialog);
    auto *caption = new QLabel(QStringLiteral("以下哪个文件是“%1”？（第 %2 个，共 %3 个）").arg(entry).arg(number).arg(count),
                               &dialog);
    caption->setObjectName(QStringLiteral("choosefilecaption"));
    caption->setWordWrap(true);
    layout->addWidget(caption);
    auto *files = new QListWidget(&dialog);
    files->setObjectName(QStringLiteral("candidates"));
    files->setAccessibleName(QStringLiteral("找到的文件"));
    files->addItems(candidates);
    files->setCurrentRow(0);
    caption->setBuddy(files);
    layout->addWidget(files);
    auto *buttons = new QDialogButtonBox(&dialog);
    const auto button = [buttons](const char *text, const char *name, QDialogButtonBox::ButtonRole role) {
        QPushButton *b = buttons->addButton(QString::fromUtf8(text), role);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    QPushButton *choose = button("选择(&S)", "choose", QDialogButtonBox::AcceptRole);
    QPushButton *skip = button("跳过(&K)", "skip", QDialogButtonBox::RejectRole);
    QPushButton *skipAll = button("全部跳过(&A)", "skipall", QDialogButtonBox::RejectRole);
    button("取消(&C)", "cancel", QDialogButtonBox::RejectRole);
    choose->setDefault(true);
    layout->addWidget(buttons);
    int answer = Cancel;   // Escape and the close box cancel
    QObject::connect(buttons, &QDialogButtonBox::clicked, &dialog, [&](QAbstractButton *b) {
        answer = b == choose ? files->currentRow() : b == skip ? Skip : b == skipAll ? SkipAll : Cancel;
        dialog.done(0);
    });
    QObject::connect(files, &QListWidget::itemDoubleClicked, choose, &QPushButton::click);
    dialog.resize(dialog.sizeHint().expandedTo(QSize(560, 300)));
    files->setFocus();
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
