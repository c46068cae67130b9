#include "platform/file_dialog.h"

#include "model/media_types.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLocale>
#include <QMimeDatabase>
#include <QIdentityProxyModel>
#include <QTreeView>

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
            if (!chosen.isEmpty() && chosen.constFirst().startsWith(QLatin1String("*."))) {
                // The name box keeps what the user typed while it has the
                // focus; without it, it takes the name with its extension.
                if (QWidget *typing = focusWidget())
                    typing->clearFocus();
                selectFile(files.constFirst() + chosen.constFirst().mid(1));
            }
        }
        QFileDialog::accept();
    }

private:
    bool matchesAFilter(const QString &path) const
    {
        const QString name = QFileInfo(path).fileName();
        for (const QString &filter : nameFilters()) {
            if (WildcardMatch(patternsOf(filter).join(QLatin1Char(';'))).matches(name))
                return true;
        }
        return false;
    }
};

bool hasChinese(const QString &text)
{
    for (QChar c : text)
        if (c.script() == QChar::Script_Han)
            return true;
    return false;
}

// The extensions of a dialog's filters, "a;;b(*.m3u *.pls)" giving "M3U", "PLS".
QStringList listSuffixes(const QString &filters)
{
    QStringList suffixes;
    for (const QString &filter : filters.split(QStringLiteral(";;"), Qt::SkipEmptyParts)) {
        for (const QString &pattern : patternsOf(filter)) {
            if (pattern.startsWith(QLatin1String("*.")))
                suffixes << pattern.mid(2).toUpper();
        }
    }
    return suffixes;
}

// The file model formats sizes and dates by the system's locale and names
// types as the MIME database has them, often in English only. This layer
// gives the dialog's columns their Chinese texts; files of the dialog's own
// filters are lists ("M3U 播放列表").
class ChineseColumns : public QIdentityProxyModel {
public:
    ChineseColumns(const QStringList &listSuffixes, QObject *parent)
        : QIdentityProxyModel(parent), m_listSuffixes(listSuffixes)
    {
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char *const titles[] = {"名称", "大小", "类型", "修改日期"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
            return QString::fromUtf8(titles[section]);
        return QIdentityProxyModel::headerData(section, orientation, role);
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || index.column() < 1 || index.column() > 3)
            return QIdentityProxyModel::data(index, role);
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (!files)
            return QIdentityProxyModel::data(index, role);
        const QFileInfo info = files->fileInfo(mapToSource(index));
        const QLocale chinese(QLocale::Chinese, QLocale::China);
        switch (index.column()) {
        case 1:
            return info.isDir() ? QString() : chinese.formattedDataSize(info.size());
        case 2:
            return typeOf(info);
        default:
            return chinese.toString(info.lastModified(), QLocale::ShortFormat);
        }
    }

private:
    QString typeOf(const QFileInfo &info) const
    {
        if (info.isDir())
            return QStringLiteral("文件夹");
        const QString suffix = info.suffix().toUpper();
        if (m_listSuffixes.contains(suffix))
            return suffix + QStringLiteral(" 播放列表");
        const QString comment = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension).comment();
        if (hasChinese(comment))
            return comment;
        return suffix.isEmpty() ? QStringLiteral("文件") : suffix + QStringLiteral(" 文件");
    }

    QStringList m_listSuffixes;
};

// Every column as wide as the texts of the folder just listed, once listed.
void fitColumnsOnLoad(QFileDialog *dialog)
{
    auto *files = dialog->findChild<QFileSystemModel *>();
    auto *details = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!files || !details)
        return;
    QObject::connect(files, &QFileSystemModel::directoryLoaded, details, [details] {
        for (int column = 0; column < details->header()->count(); ++column)
            details->resizeColumnToContents(column);
    });
}

} // namespace

QString dialogStartFolder(const QString &listFolder, const QString &lastFolder)
{
    if (!listFolder.isEmpty() && QFileInfo(listFolder).isDir())
        return listFolder;
    if (!lastFolder.isEmpty() && QFileInfo(lastFolder).isDir())
        return lastFolder;
    return QString();
}

QFileDialog *createListFileDialog(QWidget *parent, const QString &filter, bool save, const QString &folder)
{
    auto *dialog = new SaveDialog(parent, QString(), folder, filter);
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // A typed name that does not exist is returned too: the caller reports it.
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setViewMode(QFileDialog::Detail);
    dialog->setProxyModel(new ChineseColumns(listSuffixes(filter), dialog));
    fitColumnsOnLoad(dialog);
    dialog->resize(dialog->sizeHint().expandedTo(QSize(720, 420)));
    if (!folder.isEmpty())
        dialog->setDirectory(folder);
    return dialog;
}

QString chooseFolderDialog(QWidget *parent, const QString &title)
{
    QFileDialog dialog(parent, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.setProxyModel(new ChineseColumns({}, &dialog));
    fitColumnsOnLoad(&dialog);
    dialog.resize(dialog.sizeHint().expandedTo(QSize(720, 420)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

FileDialog::SaveName QtFileDialog::run(bool save, int filter, const QString &title)
{
    std::unique_ptr<QFileDialog> dialog(
        createListFileDialog(m_parent, m_filter, save, dialogStartFolder(m_listFolder, m_lastFolder)));
    if (!title.isEmpty())
        dialog->setWindowTitle(title);
    const QStringList filters = dialog->nameFilters();
    dialog->selectNameFilter(filters.value(filter < 0 ? m_lastFilter : filter));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog->selectedFiles().constFirst();
    m_lastFolder = QFileInfo(chosen).absolutePath();
    m_lastFilter = qMax(0, int(filters.indexOf(dialog->selectedNameFilter())));
    return {chosen, m_lastFilter};
}

QString QtFileDialog::getOpenFileName()
{
    return run(false, -1, QString()).fileName;
}

FileDialog::SaveName QtFileDialog::getSaveFileName(int filter, const QString &title)
{
    return run(true, filter, title);
}
