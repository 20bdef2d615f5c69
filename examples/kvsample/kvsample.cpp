// kvsample: a small report application. It records a four-page sales report through the
// printer device's spooling (a page file per page in the spool directory), writes the hand-off
// file and starts the preview program korvelle on it, as a report application does.
//
//   kvsample [--no-start] [--dir DIR]
//     --no-start  only make the pages and the hand-off file
//     --dir DIR   spool into DIR instead of $TEMP
#include "samplereport.h"

#include "app/handoff.h"
#include "app/messageboxes.h"
#include "print/tprinter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <cstdio>

namespace {

// korvelle beside this program, or in the build tree's app folder, or on the PATH;
// $KV_KORVELLE overrides them all.
QString findKorvelle()
{
    const QString chosen = qEnvironmentVariable("KV_KORVELLE");
    if (!chosen.isEmpty())
        return chosen;
    const QDir here(QCoreApplication::applicationDirPath());
    for (const QString& candidate : {here.filePath(QStringLiteral("korvelle")), here.filePath(QStringLiteral("../app/korvelle")),
                                     here.filePath(QStringLiteral("../../app/korvelle"))})
        if (QFileInfo(candidate).isExecutable())
            return QDir::cleanPath(candidate);
    return QStandardPaths::findExecutable(QStringLiteral("korvelle"));
}

int fail(const QString& text)
{
    std::fprintf(stderr, "kvsample: %s\n", qPrintable(text));
    return 1;
}

// The spool directory is where the device spools: $TEMP. --dir points it elsewhere.
bool useSpoolDirectory(const QString& directory)
{
    if (!QDir().mkpath(directory))
        return false;
    qputenv("TEMP", QFileInfo(directory).absoluteFilePath().toLocal8Bit());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Records a sample report and shows it in korvelle."));
    options.addHelpOption();
    options.addOption({QStringLiteral("no-start"), QStringLiteral("Only make the pages and the hand-off file.")});
    options.addOption({QStringLiteral("dir"), QStringLiteral("Spool the pages into DIR."), QStringLiteral("DIR")});
    options.process(app);
    kv::installMessageBoxes();

    if (options.isSet(QStringLiteral("dir")) && !useSpoolDirectory(options.value(QStringLiteral("dir"))))
        return fail(QStringLiteral("cannot use the spool directory ") + options.value(QStringLiteral("dir")));

    kv::TPrinter device(QStringLiteral("Orvanta Sample Report"), false, true, QStringLiteral("PDF File"));
    if (device.hDC == 0)
        return fail(QStringLiteral("no printer device could be made"));
    kvsample::recordSampleReport(device);
    const QStringList pages = device.aMeta;
    if (pages.size() != kvsample::kSamplePages)
        return fail(QStringLiteral("the pages could not be spooled into ") + device.cDir);

    const kv::HandoffFile handoff;
    if (!handoff.write(device.GetModel(), device.cDir, device.cDocument, device.GetOrientation()))
        return fail(QStringLiteral("cannot write the hand-off file ") + handoff.filePath());
    // The pages now belong to the preview: ending the device must not delete them.
    device.aMeta.clear();
    device.End();
    for (const QString& page : pages)
        std::printf("page: %s\n", qPrintable(page));
    std::printf("hand-off file: %s\n", qPrintable(handoff.filePath()));

    if (options.isSet(QStringLiteral("no-start")))
        return 0;
    const QString korvelle = findKorvelle();
    if (korvelle.isEmpty())
        return fail(QStringLiteral("korvelle not found (set KV_KORVELLE)"));
    // korvelle looks for its settings and language table in its current directory: its own.
    // It gets no standard output of ours, so a caller reading ours to its end is not held up
    // for as long as the preview stays open.
    QProcess process;
    process.setProgram(korvelle);
    process.setWorkingDirectory(QFileInfo(korvelle).absolutePath());
    process.setStandardOutputFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return fail(QStringLiteral("cannot start ") + korvelle);
    std::printf("korvelle started: pid %lld\n", static_cast<long long>(pid));
    return 0;
}
