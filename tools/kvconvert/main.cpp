// kvconvert: renders EMF and WMF files to images or PDF with the program's own engine, or
// writes them again as EMF or WMF.
//
//   kvconvert [--width N | --dpi D] [--stats] input output
//   kvconvert [--width N | --dpi D] [--stats] --outdir DIR input...
//
// With --outdir every input becomes DIR/<parent folder>__<file name>.png, all in one process.
// A file that cannot be converted is reported and the next one is tried; the exit status is
// non-zero when any failed.
#include "convert.h"

#include <QDir>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: kvconvert [--width N | --dpi D] [--stats] input output\n"
                         "       kvconvert [--width N | --dpi D] [--stats] --outdir DIR input...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    kvconvert::Options options;
    QString outdir;
    QStringList files;
    const QStringList args = app.arguments().mid(1);
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
        else if (a.startsWith("--"))
            return usage();
        else
            files.append(a);
        if (!ok || options.width < 0 || options.dpi < 0)
            return usage();
    }
    std::vector<std::pair<QString, QString>> jobs;
    if (!outdir.isEmpty()) {
        if (files.isEmpty() || !QDir().mkpath(outdir))
            return usage();
        for (const QString& f : files)
            jobs.emplace_back(f, QDir(outdir).filePath(kvconvert::outputNameFor(f)));
    } else {
        if (files.size() != 2)
            return usage();
        jobs.emplace_back(files[0], files[1]);
    }
    int failures = 0;
    for (const auto& [input, output] : jobs) {
        const QString error = kvconvert::convertFile(input, output, options);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "kvconvert: %s\n", qPrintable(error));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
