#include "playlist_io/recovery_record.h"

#include "playlist_io/playlist_writer.h"

#include <QDataStream>
#include <QIODevice>
#include <QHash>

namespace {
constexpr QDataStream::Version kStream = QDataStream::Qt_6_4;

using FileIndex = QHash<const KeptFile *, quint32>;

void putLines(QDataStream &out, const KeptLines &lines, const FileIndex &files)
{
    // Lines into a file the list no longer holds (an undo record that can no
    // longer be used) are written as none.
    const auto file = files.constFind(lines.file);
    if (!lines.file || file == files.cend()) {
        out << 0u << 0u << 0u << false;
        return;
    }
    out << *file + 1 << lines.begin << quint32(lines.end) << bool(lines.pathReplaced);
}

void putLineList(QDataStream &out, const QList<KeptLines> &lines, const FileIndex &files)
{
    out << quint32(lines.size());
    for (const KeptLines &l : lines)
        putLines(out, l, files);
}

// Reads what putLines wrote, checked against the files read back.
class LinesIn {
public:
    LinesIn(QDataStream &in, const QList<std::shared_ptr<const KeptFile>> &files) : m_in(in), m_files(files) {}
    bool ok = true;

    KeptLines take()
    {
        quint32 file = 0, begin = 0, end = 0;
        bool replaced = false;
        m_in >> file >> begin >> end >> replaced;
        if (file == 0)
            return {};
        if (file > quint32(m_files.size()) || !m_files.at(file - 1) || begin > end ||
            end > quint32(m_files.at(file - 1)->bytes.size())) {
            ok = false;
            return {};
        }
        KeptLines lines;
        lines.file = m_files.at(file - 1).get();
        lines.begin = begin;
        lines.end = end;
        lines.pathReplaced = replaced;
        return lines;
    }
    QList<KeptLines> takeList(quint32 limit)
    {
        quint32 n = 0;
        m_in >> n;
        QList<KeptLines> out;
        if (n > limit) {
            ok = false;
            return out;
        }
        out.reserve(n);
        for (quint32 i = 0; i < n && ok; ++i)
            out.append(take());
        return out;
    }

private:
    QDataStream &m_in;
    const QList<std::shared_ptr<const KeptFile>> &m_files;
};

DocumentRecordRead refused(const char *why)
{
    return {std::nullopt, QString::fromLatin1(why)};
}
} // namespace

QByteArray writeDocumentRecord(const DocumentRecord &record)
{
    const PlaylistSnapshot &list = record.list;
    QList<std::shared_ptr<const KeptFile>> files = list.files;
    if (record.listFile.file && !files.contains(record.listFile.file))
        files.append(record.listFile.file);
    FileIndex index;
    for (qsizetype i = 0; i < files.size(); ++i)
        index.insert(files.at(i).get(), quint32(i));

    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(kStream);
    out << record.path << record.listChanged;
    out << record.form.relative << record.form.separator << quint8(record.form.encoding);
    out << record.fingerprint.size << record.fingerprint.modifiedMs << record.fingerprint.hash;
    out << quint32(files.size());
    for (const auto &file : files)
        out << file->bytes << quint8(file->type) << file->folder;
    out << (record.listFile.file ? index.value(record.listFile.file.get()) + 1 : 0u) << qint32(record.listFile.entries);

    out << quint32(list.entries.size());
    for (qsizetype i = 0; i < list.entries.size(); ++i) {
        out << list.entries.at(i);
        putLines(out, list.lines(i), index);
    }
    out << qint32(list.selection) << list.insertAfter;
    out << quint8(list.undoop) << list.undotext;
    putLines(out, list.undoLines, index);
    out << qint32(list.undoindex) << qint32(list.dragfrom) << qint32(list.dragto) << list.undoValid;
    out << list.undoList;
    putLineList(out, list.undoLinesList, index);
    out << qint32(list.undoSelection);
    return payload;
}

DocumentRecordRead readDocumentRecord(QByteArrayView payload)
{
    const QByteArray bytes = payload.toByteArray();
    QDataStream in(bytes);
    in.setVersion(kStream);
    DocumentRecord record;
    quint8 encoding = 0;
    in >> record.path >> record.listChanged;
    in >> record.form.relative >> record.form.separator >> encoding;
    if (encoding > quint8(TextEncoding::Gb18030))
        return refused("encoding");
    record.form.encoding = TextEncoding(encoding);
    in >> record.fingerprint.size >> record.fingerprint.modifiedMs >> record.fingerprint.hash;

    quint32 fileCount = 0;
    in >> fileCount;
    if (in.status() != QDataStream::Ok || fileCount > quint32(bytes.size()))
        return refused("files");
    QList<std::shared_ptr<const KeptFile>> files;
    for (quint32 i = 0; i < fileCount; ++i) {
        QByteArray fileBytes;
        quint8 type = 0;
        QString folder;
        in >> fileBytes >> type >> folder;
        if (in.status() != QDataStream::Ok || type > quint8(PlaylistType::Other))
            return refused("file");
        files.append(readKept(fileBytes, PlaylistType(type), folder).file);
    }
    quint32 listFile = 0;
    qint32 listFileEntries = 0;
    in >> listFile >> listFileEntries;
    if (listFile > fileCount)
        return refused("list file");
    if (listFile)
        record.listFile = ListFile{files.at(listFile - 1), listFileEntries};

    PlaylistSnapshot &list = record.list;
    LinesIn lines(in, files);
    quint32 count = 0;
    in >> count;
    if (in.status() != QDataStream::Ok || count > quint32(bytes.size()))
        return refused("entries");
    list.entries.reserve(count);
    list.lineIds.reserve(count);
    for (quint32 i = 0; i < count && lines.ok && in.status() == QDataStream::Ok; ++i) {
        QString entry;
        in >> entry;
        list.entries.append(entry);
        const KeptLines kept = lines.take();
        if (kept.isEmpty()) {
            list.lineIds.append(0);
        } else {
            list.linePool.append(kept);
            list.lineIds.append(quint32(list.linePool.size()));
        }
    }
    qint32 selection = -1, undoindex = 0, dragfrom = 0, dragto = 0, undoSelection = -1;
    quint8 undoop = 0;
    in >> selection >> list.insertAfter >> undoop >> list.undotext;
    list.undoLines = lines.take();
    in >> undoindex >> dragfrom >> dragto >> list.undoValid >> list.undoList;
    list.undoLinesList = lines.takeList(quint32(list.undoList.size()));
    in >> undoSelection;
    if (in.status() != QDataStream::Ok || !lines.ok || !in.atEnd())
        return refused("list");
    if (selection < -1 || selection >= qint32(count) || undoop > quint8(UndoOp::Restore))
        return refused("selection");
    list.selection = selection;
    list.undoop = UndoOp(undoop);
    list.undoindex = undoindex;
    list.dragfrom = dragfrom;
    list.dragto = dragto;
    list.undoSelection = undoSelection;
    for (const auto &file : files) {
        if (file)
            list.files.append(file);
    }
    return {std::move(record), QString()};
}

QByteArray plainCopyOf(const DocumentRecord &record)
{
    PlaylistForm form;
    form.encoding = TextEncoding::Utf8;
    return formatPlaylist(record.list.entries, PlaylistType::M3u, Qt::CaseSensitive, form, QString());
}
