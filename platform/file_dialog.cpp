#include "file_dialog.h"

#include <QFileDialog>

namespace {
QString runDialog(QWidget *parent, const QString &filter, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, QString(), QString(), filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(mode);
    // A typed name that does not exist is returned too: the caller reports it.
    dialog.setFileMode(QFileDialog::AnyFile);
    // Overwrite confirmation is on by default for save dialogs; no default suffix.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
} // namespace

QString QtFileDialog::getOpenFileName()
{
    return runDialog(m_parent, m_filter, QFileDialog::AcceptOpen);
}

QString QtFileDialog::getSaveFileName()
{
    return runDialog(m_parent, m_filter, QFileDialog::AcceptSave);
}
