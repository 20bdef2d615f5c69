// Saving the corpus spool pages (A4 pages of real print jobs) as Save as saves them: each
// page recorded against the built-in PDF printer, then rendered, encoded and written on the
// worker pool. One benchmark per format and option; counters: pages per second (wall time,
// the pool's threads included), processor time per page (all threads, which a machine busy
// with other work does not inflate) and bytes per page. bench/export-vs-libreoffice.sh runs the
// PNG case beside LibreOffice's batch conversion of the same pages.
#include "export/exportformats.h"
#include "export/imagesave.h"
#include "print/tprinter.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>

namespace {

struct Case {
    const char* name;
    const char* format;
    int option;
};

const Case kCases[] = {
    {"PNG_compressed", "PNG - Portable Network Graphic", 2},
    {"PNG_none", "PNG - Portable Network Graphic", 1},
    {"PNG_interlaced", "PNG - Portable Network Graphic", 3},
    {"PNG_compressed_interlaced", "PNG - Portable Network Graphic", 4},
    {"JPEG_quality", "JPEG - jpg, jpeg", 1},
    {"JPEG_low_quality", "JPEG - jpg, jpeg", 2},
    {"TIFF_uncompressed", "TIFF - TIFF Revision 6", 1},
    {"TIFF_LZW", "TIFF - TIFF Revision 6", 2},
    {"TIFF_PackBits", "TIFF - TIFF Revision 6", 3},
    {"BMP", "BMP - Windows Bitmap", 0},
    {"PCX", "PCX - Zsoft Publisher's Paintbrush", 0},
    {"EMF", "EMF - Windows Enhanced Metafile", 0},
    {"WMF", "WMF - Windows Metafile", 0},
};

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

qint64 folderBytes(const QString& dir)
{
    qint64 total = 0;
    for (const QFileInfo& f : QDir(dir).entryInfoList(QDir::Files))
        total += f.size();
    return total;
}

void saveAll(benchmark::State& state, const Case& c, const QStringList& pages, kv::TPrinter* device)
{
    qint64 bytes = 0;
    int64_t saved = 0;
    const double cpuAtStart = processCpuSeconds();
    for (auto _ : state) {
        QTemporaryDir out;
        kv::SaveRequest request;
        request.pages = pages;
        request.outputName = out.filePath(QStringLiteral("page.out"));
        request.format = QString::fromLatin1(c.format);
        request.optionIndex = c.option;
        request.device = device;
        const kv::SaveReport report = kv::saveImages(request);
        if (report.written != pages.size())
            state.SkipWithError("a page was not written");
        saved += report.written;
        state.PauseTiming();
        bytes += folderBytes(out.path());
        state.ResumeTiming();
    }
    state.counters["pages_per_s"] = benchmark::Counter(double(saved), benchmark::Counter::kIsRate);
    state.counters["cpu_ms_per_page"] = saved ? (processCpuSeconds() - cpuAtStart) * 1000 / double(saved) : 0;
    state.counters["bytes_per_page"] = saved ? double(bytes) / double(saved) : 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString corpus = qEnvironmentVariable("KV_CORPUS_DIR", QStringLiteral(KV_SOURCE_DIR) + "/../shared/corpus");
    const QDir emf(corpus + QStringLiteral("/emf"));
    QStringList pages;
    for (const QString& name : emf.entryList({QStringLiteral("spool-*.emf")}, QDir::Files, QDir::Name))
        pages << emf.filePath(name);
    if (pages.isEmpty()) {
        std::fprintf(stderr, "bench_export: no spool pages in %s/emf (set KV_CORPUS_DIR)\n", qPrintable(corpus));
        return 0;
    }
    kv::TPrinter device(QStringLiteral("Export benchmark"), false, false, QStringLiteral("PDF File"));
    if (device.hDC == 0) {
        std::fprintf(stderr, "bench_export: the built-in PDF printer could not be made\n");
        return 1;
    }
    for (const Case& c : kCases)
        benchmark::RegisterBenchmark(c.name, [&c, &pages, &device](benchmark::State& state) {
            saveAll(state, c, pages, &device);
        })->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
