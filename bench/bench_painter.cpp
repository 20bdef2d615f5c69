// The painter device's hot paths, as every page paint takes them: positioned text runs, hatch
// fills, dashed lines and raster-operation blits onto a page-sized image.
#include "guibenchmain.h"
#include "gdi/paint/painterdevice.h"

#include <QPainter>
#include <benchmark/benchmark.h>

using namespace kv::gdi;

namespace {

struct Page {
    QImage image{1000, 1400, QImage::Format_RGB32};
    QPainter painter;
    std::unique_ptr<PainterDevice> device;
    Page()
    {
        image.fill(Qt::white);
        painter.begin(&image);
        device = std::make_unique<PainterDevice>(painter, DeviceCaps{});
    }
};

TextRun lineOfText(double y)
{
    LogFont lf;
    lf.faceName = u"Arial";
    lf.height = -14;
    TextRun run;
    run.font = resolveFont(lf, -14, 0);
    run.text = u"The quick brown fox jumps over the lazy dog, 0123456789 times a day.";
    run.color = Qt::black;
    double x = 20;
    for (char16_t c : run.text) {
        run.origins.emplace_back(x, y);
        x += run.font->advance(c);
    }
    return run;
}

void textRuns(benchmark::State& state)
{
    Page page;
    std::vector<TextRun> runs;
    for (int line = 0; line < 80; ++line)
        runs.push_back(lineOfText(20 + line * 16));
    for (auto _ : state)
        for (const TextRun& run : runs)
            page.device->drawText(run);
    state.SetItemsProcessed(state.iterations() * int64_t(runs.size()));
}
BENCHMARK(textRuns);

void resolveCachedFont(benchmark::State& state)
{
    LogFont lf;
    lf.faceName = u"Times New Roman";
    lf.height = -40;
    for (auto _ : state)
        benchmark::DoNotOptimize(resolveFont(lf, -40, 0));
}
BENCHMARK(resolveCachedFont);

void hatchFill(benchmark::State& state)
{
    Page page;
    DrawBrush brush;
    brush.kind = DrawBrush::Kind::Hatch;
    brush.hatch = HS_DIAGCROSS;
    brush.color = Qt::blue;
    QPainterPath box;
    box.addRect(50, 50, 500, 500);
    for (auto _ : state)
        page.device->fillPath(box, Qt::OddEvenFill, brush);
}
BENCHMARK(hatchFill);

void dashedPolyline(benchmark::State& state)
{
    Page page;
    DrawPen pen;
    pen.color = Qt::black;
    pen.style = Qt::CustomDashLine;
    pen.dashes = {9, 6, 3, 6};
    QPainterPath zigzag(QPointF(0, 0));
    for (int i = 1; i < 200; ++i)
        zigzag.lineTo(i * 5, (i % 2) * 900);
    for (auto _ : state)
        page.device->strokePath(zigzag, pen);
}
BENCHMARK(dashedPolyline);

void srcAndBlit(benchmark::State& state)
{
    Page page;
    QImage source(600, 800, QImage::Format_RGB32);
    source.fill(qRgb(200, 220, 240));
    ImageDraw blit;
    blit.source = source;
    blit.rop3 = SRCAND;
    blit.toDevice = QTransform::fromScale(1.2, 1.2);
    blit.deviceQuad = blit.toDevice.map(QPolygonF(QRectF(0, 0, 600, 800)));
    for (auto _ : state)
        page.device->drawImage(blit);
}
BENCHMARK(srcAndBlit);

} // namespace

KV_GUI_BENCHMARK_MAIN()
