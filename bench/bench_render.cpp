// Parse and play times of every corpus page: parsing from memory, and playing onto a white
// image 1000 pixels wide and at 150 dpi. Run with --benchmark_format=json and summarise with
// bench/compare.sh (median and 90th percentile per kind).
#include "gdi/readers.h"
#include "gdi/render.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {

using namespace kv::gdi;

DeviceCaps screenCaps() { return DeviceCaps{1920, 1080, 508, 286}; }

PicturePtr parse(const QByteArray& bytes)
{
    const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    PicturePtr p = readEmf(data);
    return p ? p : readWmf(data, screenCaps());
}

void registerFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    const PicturePtr picture = parse(bytes);
    if (!picture)
        return;
    const std::string name = (QFileInfo(path).dir().dirName() + "/" + QFileInfo(path).fileName()).toStdString();
    benchmark::RegisterBenchmark(("parse/" + name).c_str(), [bytes](benchmark::State& state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(parse(bytes));
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("play1000/" + name).c_str(), [picture](benchmark::State& state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(renderPicture(*picture, 1000));
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("play150dpi/" + name).c_str(), [picture](benchmark::State& state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(renderPictureDpi(*picture, 150));
    })->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString corpus = qEnvironmentVariable("KV_CORPUS_DIR", QStringLiteral(KV_SOURCE_DIR) + "/../shared/corpus");
    for (const char* folder : {"emf", "wmf"}) {
        const QDir dir(corpus + "/" + folder);
        for (const QString& name : dir.entryList({"*.emf", "*.wmf"}, QDir::Files))
            registerFile(dir.filePath(name));
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
