// kvconvert: renders EMF and WMF files to images or PDF with the program's own engine, or
// writes them again as EMF or WMF.
//
//   kvconvert [--width N | --dpi D] [--stats] [--gdi-only] input output
//   kvconvert [--width N | --dpi D] [--stats] [--gdi-only] --outdir DIR input...
//
// --gdi-only draws pages that carry EMF+ records from their GDI records, as Windows' GDI
// would (the settings key EmfPlus=0).
// With --outdir every input becomes DIR/<parent folder>__<file name>.png, all in one process,
// one file per processor core at a time (one after the other with --stats, so that the
// reports do not mix). A file that cannot be converted is reported and the next one is tried;
// the exit status is non-zero when any failed.
#include "convert.h"

#include "gdi/text/fontmap.h"
#include "gdi/player.h"
#include "platform/parallel.h"

#include <QDir>
#include <QGuiApplication>
#include <QStringList>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <optional>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: kvconvert [--width N | --dpi D] [--stats] [--gdi-only] input output\n"
                         "       kvconvert [--width N | --dpi D] [--stats] [--gdi-only] --outdir DIR input...\n");
    return 2;
}

using Job = std::pair<QString, QString>;  // input, output

// The conversions the arguments ask for; nothing when they are wrong.
std::optional<std::vector<Job>> parseArguments(const QStringList& args, kvconvert::Options& options)
{
    QString outdir;
    QStringList files;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (a == "--width" && hasValue)
            options.width = args[++i].toInt(&ok);
        else if (a == "--dpi" && hasValue)
            options.dpi = args[++i].toDouble(&ok);
        else if (a == "--outdir" && hasValue)
            outdir = args[++i];
        else if (a == "--stats")
            options.stats = true;
        else if (a == "--gdi-only")
            options.gdiOnly = true;
        else if (a.startsWith("--"))
            return std::nullopt;
        else
            files.append(a);
        if (!ok || options.width < 0 || options.dpi < 0)
            return std::nullopt;
    }
    std::vector<Job> jobs;
    if (outdir.isEmpty()) {
        if (files.size() != 2)
            return std::nullopt;
        jobs.emplace_back(files[0], files[1]);
        return jobs;
    }
    if (files.isEmpty() || !QDir().mkpath(outdir))
        return std::nullopt;
    for (const QString& f : files)
        jobs.emplace_back(f, QDir(outdir).filePath(kvconvert::outputNameFor(f)));
    return jobs;
}

// Runs the jobs on one thread per core (one thread with --stats, so that the statistics of
// one file stay together); the number that failed.
int runJobs(const std::vector<Job>& jobs, const kvconvert::Options& options)
{
    std::atomic<int> failures = 0;
    std::mutex reportLock;
    kv::runParallel(jobs.size(), options.stats ? 1 : kv::batchThreads(), [&](size_t i) {
        const QString error = kvconvert::convertFile(jobs[i].first, jobs[i].second, options);
        if (!error.isEmpty()) {
            const std::lock_guard guard(reportLock);
            std::fprintf(stderr, "kvconvert: %s\n", qPrintable(error));
            ++failures;
        }
    });
    return failures;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    kvconvert::Options options;
    const std::optional<std::vector<Job>> jobs = parseArguments(app.arguments().mid(1), options);
    if (!jobs)
        return usage();
    if (options.gdiOnly)
        kv::gdi::setEmfPlusPlayback(false);
    kv::gdi::loadCompatibleFaces();
    return runJobs(*jobs, options) == 0 ? 0 : 1;
}
