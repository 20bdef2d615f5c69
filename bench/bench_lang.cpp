// KV_GL on the shipped language table: a translated hit (every label refresh pays it) and a
// collected miss (a new text appended under the file lock).
#include "lang/kvgl.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A private copy of the shipped table, opened as the process's language table.
class TableCopy {
public:
    TableCopy()
    {
        path_ = dir_.filePath("KORVELLE.DBF");
        QFile::copy(QStringLiteral(KV_SOURCE_DIR) + "/data/KORVELLE.DBF", path_);
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner);
        kv::closeLanguageTable();
        kv::openLanguageTable(path_);
    }
    ~TableCopy()
    {
        kv::closeLanguageTable();
        kv::nLanguage = 1;
    }
    bool ok() const { return QFile::exists(path_); }

private:
    QTemporaryDir dir_;
    QString path_;
};

void BM_TranslateHit(benchmark::State& state)
{
    TableCopy table;
    if (!table.ok()) return state.SkipWithError("shipped table missing");
    kv::nLanguage = 2;
    const QString text = QStringLiteral("Page number: ");
    for (auto _ : state) benchmark::DoNotOptimize(kv::KV_GL(text));
}
BENCHMARK(BM_TranslateHit);

void BM_SourceLanguage(benchmark::State& state)
{
    TableCopy table;
    kv::nLanguage = 1;
    const QString text = QStringLiteral("Page number: ");
    for (auto _ : state) benchmark::DoNotOptimize(kv::KV_GL(text));
}
BENCHMARK(BM_SourceLanguage);

void BM_CollectMiss(benchmark::State& state)
{
    TableCopy table;
    if (!table.ok()) return state.SkipWithError("shipped table missing");
    kv::nLanguage = 0;
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString text = QStringLiteral("new text %1").arg(n++);
        state.ResumeTiming();
        benchmark::DoNotOptimize(kv::KV_GL(text));
    }
}
BENCHMARK(BM_CollectMiss);

} // namespace

BENCHMARK_MAIN();
