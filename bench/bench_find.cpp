// Find over a long report once its text is read: the spool pages of the corpus repeated to a
// thousand pages, searched for a word on some pages, for one on none, and as whole words.
// The target: a 1000-page report searches in under a second. Also the cost of reading the
// text of one page, which the preview does once per page on a worker thread.
#include "gdi/text/fontmap.h"
#include "gdi/pagetext/pagetext.h"
#include "gdi/readers.h"
#include "preview/findhits.h"

#include <QDir>
#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {

constexpr int kReportPages = 1000;

QStringList spoolPages()
{
    const QDir corpus(QStringLiteral(KV_SOURCE_DIR "/../shared/corpus/emf"));
    QStringList pages;
    for (const QString& name : corpus.entryList({QStringLiteral("spool-*.emf")}, QDir::Files, QDir::Name))
        pages << corpus.filePath(name);
    return pages;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    kv::gdi::loadCompatibleFaces();
    const QStringList files = spoolPages();
    if (files.isEmpty()) {
        std::fprintf(stderr, "bench_find: no spool pages beside the project (../shared/corpus)\n");
        return 1;
    }
    std::vector<kv::gdi::PicturePtr> pictures;
    std::vector<kv::gdi::PageTextPtr> texts;
    for (const QString& file : files) {
        pictures.push_back(kv::gdi::readMetafileFile(file, kv::gdi::DeviceCaps{1920, 1080, 508, 286}));
        texts.push_back(std::make_shared<const kv::gdi::PageText>(
            pictures.back() ? kv::gdi::extractPageText(*pictures.back()) : kv::gdi::PageText{}));
    }
    std::vector<kv::gdi::PageTextPtr> report;
    for (int i = 0; i < kReportPages; ++i)
        report.push_back(texts[size_t(i) % texts.size()]);

    for (const char* word : {"Lindemann", "no such words", "the"}) {
        benchmark::RegisterBenchmark((std::string("find1000/") + word).c_str(), [report, word](benchmark::State& state) {
            for (auto _ : state)
                benchmark::DoNotOptimize(kv::findInPages(report, QString::fromLatin1(word), false));
        })->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("find1000/the, whole words", [report](benchmark::State& state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(kv::findInPages(report, QStringLiteral("the"), true));
    })->Unit(benchmark::kMillisecond);
    for (size_t i = 0; i < pictures.size(); ++i) {
        if (!pictures[i])
            continue;
        const kv::gdi::PicturePtr picture = pictures[i];
        benchmark::RegisterBenchmark(("pagetext/" + QFileInfo(files[int(i)]).fileName().toStdString()).c_str(),
                                     [picture](benchmark::State& state) {
                                         for (auto _ : state)
                                             benchmark::DoNotOptimize(kv::gdi::extractPageText(*picture));
                                     })->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
