// Page flips in the real preview window, offscreen, at 1280 x 1024 on the corpus spool pages
// (sixteen: the eight twice over), with 8 pages and with 1 page in view. Each flip is a
// PageDown (PageUp on the way back) sent with QTest, timed from the key press until every
// page view in the window has repainted. Between flips the window is idle for as long as the
// pages being rendered ahead take, as between a reader's key presses; the "_no_idle" cases
// flip again at once; the "_cold" cases empty the page raster cache before every flip, so
// that every page in view is played again, as it was before there was a cache. Counters: p50
// and p95 of the repaint times in milliseconds.
//
// Then one page zoomed to the largest factor of the zoom list, scrolled to the text of the
// second page: "zoom_first_paint" times the repaint of the zoomed page with nothing cached,
// "zoom_scroll_step" a line of scrolling (Down, Up on the way back) with the window idle in
// between. Their "cached_mb" counter is what the page raster cache holds after the last one.
#include "pageview/kvmetafile.h"
#include "pageview/pagecache.h"
#include "platform/dirs.h"
#include "platform/notify.h"
#include "preview/korvelle.h"
#include "preview/previewwindow.h"
#include "print/tprinter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Counts the paint events of the page views.
class PaintCounter : public QObject {
public:
    int painted = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++painted;
        return false;
    }
};

struct Preview {
    QTemporaryDir windir, spool, pdf, cwd;
    std::unique_ptr<kv::TPrinter> device;
    std::unique_ptr<kv::KORVELLE> preview;
    PaintCounter counter;
};

double percentile(std::vector<double> times, double p)
{
    std::sort(times.begin(), times.end());
    return times.empty() ? 0 : times[std::min(times.size() - 1, size_t(p * double(times.size() - 1) + 0.5))];
}

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        kv::PageRasterCache::shared().waitForRenders();
    }
    QCoreApplication::processEvents();
}

enum class Between { Idle, NoIdle, Cold };

void flips(benchmark::State& state, Preview& p, int viewPages, Between between)
{
    kv::KORVELLE& preview = *p.preview;
    if (preview.nViewPages != viewPages)
        preview.SetPages(viewPages, true);
    if (preview.nViewPages != viewPages) {
        state.SkipWithError("the preview refused the page count");
        return;
    }
    settle();
    const int lastFirstPage = preview.nTotalPages - viewPages + 1;
    Qt::Key key = Qt::Key_PageDown;
    std::vector<double> times;
    for (auto _ : state) {
        if (preview.nPage >= lastFirstPage)
            key = Qt::Key_PageUp;
        else if (preview.nPage <= 1)
            key = Qt::Key_PageDown;
        if (between == Between::Cold)
            kv::PageRasterCache::shared().clear();
        p.counter.painted = 0;
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(preview.aMeta[0], key);
        while (p.counter.painted < viewPages && clock.elapsed() < 5000)
            QCoreApplication::processEvents();
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        times.push_back(ms);
        state.SetIterationTime(ms / 1000);
        if (between != Between::NoIdle)
            settle();
    }
    state.counters["p50_ms"] = percentile(times, 0.5);
    state.counters["p95_ms"] = percentile(times, 0.95);
}

// Zooms the first page to the largest factor of the zoom list, with one page in view.
bool zoomToLargest(kv::KORVELLE& preview)
{
    if (preview.nViewPages != 1)
        preview.SetPages(1, true);
    kv::nCurFactor = *std::max_element(preview.aZoomFactor.begin(), preview.aZoomFactor.end());
    preview.SetFactor(kv::nCurFactor);
    settle();
    return preview.lZoom && preview.aMeta[0];
}

enum class ZoomCase { FirstPaint, ScrollStep };

void zoomed(benchmark::State& state, Preview& p, ZoomCase what)
{
    kv::KORVELLE& preview = *p.preview;
    if (!zoomToLargest(preview)) {
        state.SkipWithError("the preview did not zoom");
        return;
    }
    kv::KVMETAFILE& view = *preview.aMeta[0];
    // The first spool page is all but blank: the second, where its text is.
    while (preview.nPage < 2)
        preview.ChangePage(1);
    preview.ScrollToPagePoint(QPointF(0.25, 0.45));
    settle();
    kv::PageRasterCache& cache = kv::PageRasterCache::shared();
    Qt::Key key = Qt::Key_Down;
    std::vector<double> times;
    for (auto _ : state) {
        if (preview.vBar.pos >= preview.vBar.max)
            key = Qt::Key_Up;
        else if (preview.vBar.pos <= preview.vBar.min)
            key = Qt::Key_Down;
        p.counter.painted = 0;
        QElapsedTimer clock;
        if (what == ZoomCase::FirstPaint) {
            cache.clear();
            clock.start();
            view.update();
        } else {
            clock.start();
            QTest::keyClick(&view, key);
        }
        while (p.counter.painted < 1 && clock.elapsed() < 5000)
            QCoreApplication::processEvents();
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        times.push_back(ms);
        state.SetIterationTime(ms / 1000);
        settle();
    }
    state.counters["p50_ms"] = percentile(times, 0.5);
    state.counters["p95_ms"] = percentile(times, 0.95);
    state.counters["cached_mb"] = double(cache.bytes()) / double(1 << 20);
}

bool open(Preview& p, const QString& corpus)
{
    qputenv("WINDIR", p.windir.path().toLocal8Bit());
    qputenv("TEMP", p.spool.path().toLocal8Bit());
    qputenv("KV_PDF_DIR", p.pdf.path().toLocal8Bit());
    qputenv("KV_RESOURCE_DIR", QByteArray(KV_BUILD_DIR) + "/app");
    QDir::setCurrent(p.cwd.path());
    const auto writeText = [](const QString& file, const QByteArray& text) {
        QFile f(file);
        return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
    };
    if (!writeText(p.cwd.filePath("KORVELLE.INI"), "[General]\r\nMaximize=0\r\n")
        || !writeText(kv::handoffFilePath(), "[General]\r\nPath=" + p.spool.path().toLocal8Bit() + "\r\n"))
        return false;
    kv::setMessageHandler([](const kv::Message& m) { std::fprintf(stderr, "bench_pageflip: box: %s\n", m.text.c_str()); });
    const QDir emf(corpus + "/emf");
    QStringList pages;
    for (int round = 0; round < 2; ++round)
        for (const QString& name : emf.entryList({QStringLiteral("spool-*.emf")}, QDir::Files, QDir::Name)) {
            const QString copy = p.spool.filePath(QStringLiteral("tmp%1.emf").arg(pages.size() + 1, 4, 10, QLatin1Char('0')));
            if (!QFile::copy(emf.filePath(name), copy))
                return false;
            pages << copy;
        }
    if (pages.size() < 9)
        return false;
    p.device = std::make_unique<kv::TPrinter>(QStringLiteral("Flip benchmark"), false, false, QStringLiteral("PDF File"));
    if (p.device->hDC == 0)
        return false;
    p.device->SetPortrait();
    p.device->aMeta = pages;
    p.preview = kv::KORVELLE::New(p.device.get(), false);
    if (!p.preview)
        return false;
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        p.preview->KVShow();
        loop.quit();
    });
    loop.exec();
    if (!p.preview->oWnd)
        return false;
    QCoreApplication::processEvents();
    p.preview->oWnd->resize(1280, 1024);
    p.preview->oWnd->move(0, 0);
    QCoreApplication::processEvents();
    p.preview->PaintMeta();
    for (kv::KVMETAFILE* view : p.preview->aMeta)
        if (view)
            view->installEventFilter(&p.counter);
    settle();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString corpus = qEnvironmentVariable("KV_CORPUS_DIR", QStringLiteral(KV_SOURCE_DIR) + "/../shared/corpus");
    Preview p;
    if (!open(p, corpus)) {
        std::fprintf(stderr, "bench_pageflip: the preview could not be opened on the spool pages of %s/emf\n", qPrintable(corpus));
        return 1;
    }
    const std::pair<Between, const char*> kinds[] = {{Between::Idle, ""}, {Between::NoIdle, "_no_idle"}, {Between::Cold, "_cold"}};
    for (const int pages : {8, 1})
        for (const auto& [between, suffix] : kinds) {
            const std::string name = "flip_" + std::to_string(pages) + (pages == 1 ? "_page" : "_pages") + suffix;
            benchmark::RegisterBenchmark(name.c_str(), [&p, pages, between = between](benchmark::State& state) {
                flips(state, p, pages, between);
            })->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(100);
        }
    const std::pair<ZoomCase, const char*> zoomCases[] = {{ZoomCase::FirstPaint, "zoom_first_paint"},
                                                           {ZoomCase::ScrollStep, "zoom_scroll_step"}};
    for (const auto& [what, name] : zoomCases)
        benchmark::RegisterBenchmark(name, [&p, what = what](benchmark::State& state) { zoomed(state, p, what); })
            ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(what == ZoomCase::FirstPaint ? 20 : 200);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (p.preview && p.preview->oWnd)
        p.preview->oWnd->close();
    QCoreApplication::processEvents();
    return 0;
}
