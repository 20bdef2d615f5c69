// Play times of metafile pages, measured as bench/gdi-play/gdiplay.c measures GDI's: each page
// read as kvconvert reads it, played onto a white image 1000 pixels wide (the frame's shape)
// several times, the image made and cleared outside the clock; prints the median of the play
// calls alone as
//     PLAY_MS <median ms> <file>
// Pages play on a thread of the batch pool, as kvconvert plays them.
// With --gdi-only pages with EMF+ records are drawn from their GDI records, as GDI draws them.
// Usage: bench_playtimes [--width PX] [--repeats N] [--gdi-only] FILE...
#include "gdi/player.h"
#include "gdi/render.h"
#include "gdi/text/fontmap.h"
#include "platform/parallel.h"

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

using namespace kv::gdi;

// The median in milliseconds, or a negative value for a page without a frame.
double timePage(const Picture& picture, int width, int repeats)
{
    const QRectF frame = pictureFrame(picture.header);
    if (frame.width() <= 0 || frame.height() <= 0)
        return -1;
    const int height = int(std::lround(width * frame.height() / frame.width()));
    if (height <= 0 || height > kMaxRenderSide)
        return -1;
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        image.fill(Qt::white);
        const auto start = std::chrono::steady_clock::now();
        playOnto(image, picture);
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The faces kvconvert and the corpus tests draw with.
    loadCompatibleFaces();
    int width = 1000, repeats = 9, failures = 0;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == "--width" && i + 1 < args.size()) {
            width = args[++i].toInt();
            continue;
        }
        if (args[i] == "--repeats" && i + 1 < args.size()) {
            repeats = args[++i].toInt();
            continue;
        }
        if (args[i] == "--gdi-only") {
            setEmfPlusPlayback(false);
            continue;
        }
        if (width <= 0 || width > kMaxRenderSide || repeats <= 0) {
            std::fprintf(stderr, "bench_playtimes: --width must be 1 to %d and --repeats at least 1\n", kMaxRenderSide);
            return 2;
        }
        const PicturePtr picture = readForRendering(args[i]);
        // Played on a thread of the batch pool, where kvconvert plays its pages.
        double ms = -1;
        if (picture)
            kv::runParallel(1, 1, [&](size_t) { ms = timePage(*picture, width, repeats); });
        if (ms < 0) {
            std::fprintf(stderr, "bench_playtimes: %s: %s\n", qPrintable(args[i]), picture ? "no page to play" : "not a metafile");
            ++failures;
            continue;
        }
        std::printf("PLAY_MS %.3f %s\n", ms, qPrintable(args[i]));
        std::fflush(stdout);
    }
    return failures ? 1 : 0;
}
