// Opening and saving 100,000-entry lists, next to the floor of merely reading
// the bytes and splitting them into lines (or writing the bytes).
#include "bench/common/bench_main.h"
#include "bench/common/track_paths.h"
#include "platform/fakes/fake_file_dialog.h"
#include "platform/fakes/fake_message_box.h"
#include "main_window/workflow/list_file_workflow.h"
#include "model/playlist.h"
#include "model/window_state.h"
#include "playlist_io/playlist_reader.h"
#include "playlist_io/playlist_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <vector>

#include <malloc.h>

namespace {

constexpr int kEntries = bench::kListEntries;

// Half of the lines repeat an earlier one.
QStringList withDuplicates()
{
    const QStringList unique = bench::trackPaths(kEntries / 2);
    QStringList out = unique;
    for (int i = 0; i < unique.size(); ++i)
        out << unique.at((i * 7919) % unique.size());
    return out;
}

// Chinese names: every line in GB18030 (saved on Chinese Windows), or every
// other line, as in lists joined from both kinds.
QStringList chineseEntries(int n)
{
    return bench::trackPaths(n, QStringLiteral("D:\\音乐\\歌手 %1\\专辑 %2\\%3 - 歌曲名称.mp3"));
}

QByteArray chineseM3u(bool everyOtherInUtf8)
{
    QStringEncoder gb("GB18030");
    QByteArray bytes;
    const QStringList entries = chineseEntries(kEntries);
    for (int i = 0; i < entries.size(); ++i) {
        const QString &e = entries.at(i);
        const QByteArray line = everyOtherInUtf8 && i % 2 ? e.toUtf8() : QByteArray(gb.encode(e));
        bytes += "#EXTINF:" + line + "\r\n" + line + "\r\n";
    }
    return bytes;
}

// Lists as other players write them: an extended M3U (#EXTINF with length
// and title, then the path) and Winamp's PLS (File, Title, Length), and the
// same entries as bare paths.
// The list file commands over a list of POSIX paths, answered by the fakes.
struct Workflow {
    explicit Workflow(PathRules rules = PathRules::posix()) : list(rules) {}
    Playlist list;
    WindowState state{list};
    FakeMessageBox box;
    FakeFileDialog dialog;
    ListFileWorkflow flow{state, list, box, dialog};
};

QByteArray extendedM3u()
{
    QByteArray bytes = "#EXTM3U\n";
    const QStringList entries = bench::trackPaths(kEntries);
    for (int i = 0; i < entries.size(); ++i)
        bytes += QStringLiteral("#EXTINF:%1,Artist %2 - Track title %3\n").arg(120 + i % 300).arg(i % 997).arg(i).toUtf8()
                 + entries.at(i).toUtf8() + '\n';
    return bytes;
}

QByteArray winampPls()
{
    QByteArray bytes = "[playlist]\r\n";
    const QStringList entries = bench::trackPaths(kEntries);
    for (int i = 0; i < entries.size(); ++i) {
        const QByteArray k = QByteArray::number(i + 1);
        bytes += "File" + k + '=' + entries.at(i).toUtf8() + "\r\nTitle" + k + "=Artist "
                 + QByteArray::number(i % 997) + " - Track title " + QByteArray::number(i) + "\r\nLength" + k + '='
                 + QByteArray::number(120 + i % 300) + "\r\n";
    }
    return bytes + "NumberOfEntries=" + QByteArray::number(kEntries) + "\r\nVersion=2\r\n";
}

QByteArray barePaths()
{
    QByteArray bytes;
    for (const QString &e : bench::trackPaths(kEntries))
        bytes += e.toUtf8() + '\n';
    return bytes;
}

struct Files {
    Files()
    {
        const auto put = [this](const char *name, const QByteArray &bytes) {
            const QString path = dir.filePath(QLatin1String(name));
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
            return path;
        };
        extended = put("extended.m3u", extendedM3u());
        winamp = put("winamp.pls", winampPls());
        bare = put("bare.m3u", barePaths());
        const QStringList lines = withDuplicates();
        m3u = dir.filePath("big.m3u");
        pls = dir.filePath("big.pls");
        gbM3u = dir.filePath("gb.m3u");
        mixedM3u = dir.filePath("mixed.m3u");
        QFile a(m3u), b(pls), c(gbM3u), d(mixedM3u);
        a.open(QIODevice::WriteOnly);
        a.write(formatPlaylist(lines, PlaylistType::M3u, Qt::CaseSensitive));
        b.open(QIODevice::WriteOnly);
        b.write(formatPlaylist(lines, PlaylistType::Pls, Qt::CaseSensitive));
        c.open(QIODevice::WriteOnly);
        c.write(chineseM3u(false));
        d.open(QIODevice::WriteOnly);
        d.write(chineseM3u(true));
    }
    QTemporaryDir dir;
    QString m3u, pls, gbM3u, mixedM3u, extended, winamp, bare;
};

Files &files()
{
    static Files f;
    return f;
}

void BM_FloorReadSplit(benchmark::State &st, const QString &(*file)())
{
    const QString &path = file();
    for (auto _ : st) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        const QList<QByteArray> lines = f.readAll().split('\n');
        benchmark::DoNotOptimize(lines.size());
    }
}

// A stricter floor: the lines found as views into the bytes, nothing allocated per line.
void BM_FloorReadScan(benchmark::State &st, const QString &(*file)())
{
    const QString &path = file();
    std::vector<QByteArrayView> lines;
    for (auto _ : st) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        const QByteArray bytes = f.readAll();
        lines.clear();
        qsizetype from = 0;
        for (qsizetype lf; (lf = bytes.indexOf('\n', from)) >= 0; from = lf + 1)
            lines.push_back(QByteArrayView(bytes).sliced(from, lf - from));
        benchmark::DoNotOptimize(lines.data());
    }
}

// The reader alone: entries as strings, before the list takes them.
void BM_ReadEntries(benchmark::State &st, bool pls)
{
    const QString path = pls ? files().pls : files().m3u;
    for (auto _ : st) {
        const PlaylistRead read = readPlaylistFile(path);
        if (read.entries.size() != kEntries)
            st.SkipWithError("wrong entry count");
    }
}

// Lines that are not UTF-8: all of them, or every other one. `told`: the
// code page given, as a reopen in it does: the cost of choosing it is the
// difference (the disk asked for 200 entries in six code pages, the folder
// listed, the detector run).
void BM_ReadChinese(benchmark::State &st, bool mixed, bool told)
{
    const QString path = mixed ? files().mixedM3u : files().gbM3u;
    const QString last = chineseEntries(kEntries).last();
    const std::optional<TextEncoding> encoding = told ? std::optional(TextEncoding::Gb18030) : std::nullopt;
    for (auto _ : st) {
        const PlaylistRead read = readPlaylistFile(path, nullptr, encoding);
        if (read.entries.size() != kEntries)
            st.SkipWithError("wrong entry count");
        else if (!mixed && read.entries.last() != last)
            st.SkipWithError("wrong decoding");
    }
}

const QString &m3uFile() { return files().m3u; }
const QString &plsFile() { return files().pls; }
const QString &extendedFile() { return files().extended; }
const QString &winampFile() { return files().winamp; }

// The whole open command: dialog answer, read, replace the list, select, refresh.
void BM_OpenIntoModel(benchmark::State &st, const QString &(*file)(), bool windowsRules)
{
    const QString &path = file();
    Workflow w(windowsRules ? PathRules::windows() : PathRules::posix());
    auto &[list, state, box, dialog, flow] = w;
    for (auto _ : st) {
        dialog.names << path;
        flow.openlist();
        if (list.count() != (file == m3uFile || file == plsFile ? kEntries / 2 : kEntries))
            st.SkipWithError("wrong entry count");
    }
}

// A list as read, saved in place again: every line it held copied.
void BM_SaveUnchanged(benchmark::State &st, const QString &(*file)())
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QFileInfo(file()).fileName());
    QFile::copy(file(), path);
    Workflow w;
    auto &[list, state, box, dialog, flow] = w;
    flow.openlist(path);
    for (auto _ : st) {
        box.shown.clear();
        flow.savelist();
        if (box.shown.size() != 1 || box.shown.first().text.startsWith(u'未'))
            st.SkipWithError("save failed");
    }
    QFile a(file()), b(path);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.readAll() != b.readAll())
        st.SkipWithError("not the same bytes");
}

// Memory an opened list holds: the heap in use (allocated blocks and mapped
// ones) while the list is open, over what was in use before; the list of
// bare paths, and the same entries with the lines another player wrote beside
// them. The growth over the bare list, against the bytes of those lines. The
// heap is counted rather than resident pages, which a heap reused from the
// runs before would hide.
qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

qint64 openedListBytes(const QString &path)
{
    Workflow w;
    auto &[list, state, box, dialog, flow] = w;
    const qint64 before = heapInUse();
    flow.openlist(path);
    return list.count() == kEntries ? heapInUse() - before : -1;
}

void BM_KeptLinesMemory(benchmark::State &st, const QString &(*file)())
{
    qint64 bare = 0, kept = 0;
    for (auto _ : st) {
        bare = openedListBytes(files().bare);
        kept = openedListBytes(file());
    }
    const qint64 lines = QFileInfo(file()).size() - QFileInfo(files().bare).size();
    st.counters["bare_list_mb"] = double(bare) / 1e6;
    st.counters["kept_list_mb"] = double(kept) / 1e6;
    st.counters["other_lines_mb"] = double(lines) / 1e6;
    st.counters["growth_per_line_byte"] = double(kept - bare) / double(lines);
}

void BM_FloorWrite(benchmark::State &st)
{
    QTemporaryDir dir;
    const QByteArray bytes = formatPlaylist(bench::trackPaths(kEntries), PlaylistType::M3u,
                                            Qt::CaseSensitive);
    for (auto _ : st) {
        QFile f(dir.filePath("floor.m3u"));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
}

void BM_SaveFromModel(benchmark::State &st, bool pls, bool windowsRules)
{
    QTemporaryDir dir;
    Workflow w(windowsRules ? PathRules::windows() : PathRules::posix());
    auto &[list, state, box, dialog, flow] = w;
    list.replaceEntries(bench::trackPaths(kEntries));
    dialog.names << dir.filePath(pls ? "out.pls" : "out.m3u");
    flow.saveaslist();
    for (auto _ : st) {
        box.shown.clear();
        flow.savelist();  // named now: rewrites in place
        if (box.shown.size() != 1 || box.shown.first().text.startsWith(u'未'))
            st.SkipWithError("save failed");
    }
}

// A list kept in its file's form: opened from a file in `form` under
// lists/, then saved in place, every entry made relative again.
void BM_SaveInForm(benchmark::State &st, const char *name, PlaylistForm form, bool chinese)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("lists"));
    const QString file = dir.filePath(QStringLiteral("lists/") + QLatin1String(name));
    QStringList full = chinese ? chineseEntries(kEntries) : bench::trackPaths(kEntries);
    for (QString &e : full)
        e = dir.filePath(QStringLiteral("lists/") + QString(e).replace(u'\\', u'/').remove(0, 3));
    {
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(formatPlaylist(full, playlistTypeOf(file), Qt::CaseSensitive, form,
                               QFileInfo(file).absolutePath()));
    }
    Workflow w;
    auto &[list, state, box, dialog, flow] = w;
    flow.openlist(file);
    if (list.count() != kEntries || !flow.form().relative)
        st.SkipWithError("not opened in its form");
    for (auto _ : st) {
        box.shown.clear();
        flow.savelist();
        if (box.shown.size() != 1 || box.shown.first().text.startsWith(u'未'))
            st.SkipWithError("save failed");
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_FloorReadSplit, m3u, m3uFile)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FloorReadScan, m3u, m3uFile)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadEntries, m3u, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenIntoModel, m3u_posix, m3uFile, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenIntoModel, m3u_windows, m3uFile, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FloorReadSplit, pls, plsFile)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FloorReadScan, pls, plsFile)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadEntries, pls, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenIntoModel, pls_posix, plsFile, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenIntoModel, pls_windows, plsFile, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FloorReadSplit, extended_m3u, extendedFile)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenIntoModel, extended_m3u, extendedFile, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveUnchanged, extended_m3u, extendedFile)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeptLinesMemory, extended_m3u, extendedFile)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FloorReadSplit, winamp_pls, winampFile)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenIntoModel, winamp_pls, winampFile, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveUnchanged, winamp_pls, winampFile)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeptLinesMemory, winamp_pls, winampFile)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadChinese, gb18030_m3u, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadChinese, gb18030_m3u_told, false, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadChinese, mixed_m3u, true, false)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorWrite)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveFromModel, m3u_posix, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveFromModel, pls_windows, true, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveInForm, relative_m3u, "a.m3u", PlaylistForm{true}, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveInForm, relative_gb18030_backslash_m3u, "a.m3u",
                  (PlaylistForm{true, u'\\', TextEncoding::Gb18030}), true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveInForm, relative_xspf, "a.xspf", PlaylistForm{true}, false)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return bench::main(argc, argv, [] { files(); });  // written before any timing starts
}
