#include "file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// The wildcard patterns of one filter, "name(*.a *.b)" giving "*.a", "*.b".
QStringList patternsOf(const QString &filter)
{
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close < open)
        return filter.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return filter.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// A save dialog whose names always end as one of its filters asks: a typed
// name that matches none gets the chosen filter's extension before the
// dialog's own question about replacing an existing file.
class SaveDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (acceptMode() == AcceptSave && !files.isEmpty() && !matchesAFilter(files.constFirst())) {
            const QStringList chosen = patternsOf(selectedNameFilter());
            if (!chosen.isEmpty() && chosen.constFirst().startsWith(QLatin1String("*.")))
                selectFile(files.constFirst() + chosen.constFirst().mid(1));
        }
        QFileDialog::accept();
    }

private:
    bool matchesAFilter(const QString &path) const
    {
        const QString name = QFileInfo(path).fileName();
        for (const QString &filter : nameFilters()) {
            for (const QString &pattern : patternsOf(filter)) {
                const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern),
                                            QRegularExpression::CaseInsensitiveOption);
                if (re.match(name).hasMatch())
                    return true;
            }
        }
        return false;
    }
};

FileDialog::SaveName runDialog(QWidget *parent, const QString &filter, QFileDialog::AcceptMode mode)
{
    SaveDialog dialog(parent, QString(), QString(), filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(mode);
    // A typed name that does not exist is returned too: the caller reports it.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().constFirst(), int(dialog.nameFilters().indexOf(dialog.selectedNameFilter()))};
}
} // namespace

QString QtFileDialog::getOpenFileName()
{
    return runDialog(m_parent, m_filter, QFileDialog::AcceptOpen).fileName;
}

FileDialog::SaveName QtFileDialog::getSaveFileName()
{
    return runDialog(m_parent, m_filter, QFileDialog::AcceptSave);
}
