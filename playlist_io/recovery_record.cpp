#include "playlist_io/recovery_record.h"

#include "playlist_io/playlist_writer.h"

#include <QDataStream>
#include <QIODevice>

namespace {
constexpr QDataStream::Version kStream = QDataStream::Qt_6_4;

void putLines(QDataStream &out, const KeptLines &lines)
{
    out << qint32(lines.file) << lines.begin << quint32(lines.end) << bool(lines.pathReplaced);
}

// Reads what putLines wrote, checked against the files read back.
class LinesIn {
public:
    LinesIn(QDataStream &in, const ListDocument &document) : m_in(in), m_document(document) {}
    bool ok = true;

    KeptLines take()
    {
        qint32 file = -1;
        quint32 begin = 0, end = 0;
        bool replaced = false;
        m_in >> file >> begin >> end >> replaced;
        if (file < 0)
            return {};
        const KeptFile *kept = file < m_document.files.size() ? m_document.files.at(file).get() : nullptr;
        if (!kept || begin > end || end > quint32(kept->bytes.size())) {
            ok = false;
            return {};
        }
        KeptLines lines;
        lines.file = file;
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
    const ListDocument &m_document;
};

DocumentRecordRead refused(const char *why)
{
    return {std::nullopt, QString::fromLatin1(why)};
}
} // namespace

QByteArray writeDocumentRecord(const DocumentRecord &record)
{
    const PlaylistSnapshot &list = record.list;
    const ListDocument &document = record.document;
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(kStream);
    out << document.path << quint8(document.type) << record.listChanged << document.unsaved;
    out << document.form.relative << document.form.separator << document.form.encoding
        << document.form.byteOrderMark << document.form.lineEnd;
    out << record.fingerprint.size << record.fingerprint.modifiedMs << record.fingerprint.hash;
    out << quint32(document.files.size());
    for (const auto &file : document.files) {
        out << bool(file);
        if (file)
            out << file->bytes << quint8(file->type) << file->folder;
    }
    out << qint32(document.listFile) << qint32(document.listFileEntries);

    out << quint32(list.entries.size());
    for (qsizetype i = 0; i < list.entries.size(); ++i) {
        out << list.entries.at(i);
        putLines(out, list.lines(i));
    }
    out << qint32(list.selection) << list.insertAfter;
    out << quint8(list.undoop) << list.undotext;
    putLines(out, list.undoLines);
    out << qint32(list.undoindex) << qint32(list.dragfrom) << qint32(list.dragto) << list.undoValid;
    out << list.undoList;
    out << quint32(list.undoLinesList.size());
    for (const KeptLines &l : list.undoLinesList)
        putLines(out, l);
    out << qint32(list.undoSelection);
    return payload;
}

DocumentRecordRead readDocumentRecord(QByteArrayView payload)
{
    const QByteArray bytes = payload.toByteArray();
    QDataStream in(bytes);
    in.setVersion(kStream);
    DocumentRecord record;
    ListDocument &document = record.document;
    quint8 type = 0;
    in >> document.path >> type >> record.listChanged >> document.unsaved;
    if (type > quint8(PlaylistType::Other))
        return refused("type");
    document.type = PlaylistType(type);
    in >> document.form.relative >> document.form.separator >> document.form.encoding >>
        document.form.byteOrderMark >> document.form.lineEnd;
    in >> record.fingerprint.size >> record.fingerprint.modifiedMs >> record.fingerprint.hash;

    quint32 fileCount = 0;
    in >> fileCount;
    if (in.status() != QDataStream::Ok || fileCount > quint32(bytes.size()))
        return refused("files");
    for (quint32 i = 0; i < fileCount; ++i) {
        bool present = false;
        in >> present;
        if (!present) {
            document.files.append(nullptr);
            continue;
        }
        QByteArray fileBytes;
        quint8 fileType = 0;
        QString folder;
        in >> fileBytes >> fileType >> folder;
        if (in.status() != QDataStream::Ok || fileType > quint8(PlaylistType::Other))
            return refused("file");
        document.files.append(readKept(fileBytes, PlaylistType(fileType), folder).file);
    }
    qint32 listFile = -1, listFileEntries = 0;
    in >> listFile >> listFileEntries;
    if (listFile < -1 || listFile >= qint32(fileCount))
        return refused("list file");
    document.listFile = listFile;
    document.listFileEntries = listFileEntries;

    PlaylistSnapshot &list = record.list;
    LinesIn lines(in, document);
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
    return {std::move(record), QString()};
}

QByteArray plainCopyOf(const DocumentRecord &record)
{
    return formatPlaylist(record.list.entries, PlaylistType::M3u, Qt::CaseSensitive, PlaylistForm{}, QString());
}
