#include "app/commandrun.h"

#include "app/errorhandler.h"
#include "app/fatalsignals.h"
#include "app/handoff.h"
#include "app/mainentry.h"
#include "app/pagelist.h"
#include "export/exportformats.h"
#include "export/imagesave.h"
#include "export/outputnames.h"
#include "export/ziparchive.h"
#include "gdi/metafileapi.h"
#include "gdi/readers.h"
#include "platform/notify.h"
#include "preview/pageprinting.h"
#include "preview/savechoices.h"
#include "print/printerlist.h"
#include "print/printjob.h"
#include "print/tprinter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>
#include <unistd.h>

namespace kv {

namespace {

void say(const QString& text) { std::fprintf(stderr, "korvelle: %s\n", qPrintable(text)); }

// Messages of the lower layers go to standard error; `stops` counts the failures among them.
struct QuietMessages {
    int stops = 0;
    QuietMessages()
    {
        setMessageHandler([this](const Message& m) {
            if (m.kind == BoxKind::Stop)
                ++stops;
            say(QString::fromStdString(m.text));
        });
        setToneHandler([](int, int) {});
    }
};

// The inputs, each a page: files as given, folders as their metafiles in name order.
struct Inputs {
    QStringList pages;
    QStringList wmf;  // those of `pages` that are Windows metafiles
    int firstFailure = kExitOk;
    void fail(int code, const QString& why)
    {
        say(why);
        if (firstFailure == kExitOk)
            firstFailure = code;
    }
};

void takeFile(Inputs& in, const QString& file)
{
    const QFileInfo info(file);
    if (!info.exists() || !info.isFile() || !info.isReadable()) {
        in.fail(kExitNoInput, QStringLiteral("%1: cannot be opened").arg(file));
        return;
    }
    if (const HENHMETAFILE emf = GETENHMETAFILE(file); emf != 0) {
        DELETEENHMETAFILE(emf);
        in.pages << info.absoluteFilePath();
        return;
    }
    if (const HMETAFILE wmf = GETMETAFILE(file); wmf != 0) {
        DELETEMETAFILE(wmf);
        in.pages << info.absoluteFilePath();
        in.wmf << info.absoluteFilePath();
        return;
    }
    in.fail(kExitDataError, QStringLiteral("%1: not a metafile (EMF or WMF)").arg(file));
}

Inputs gatherInputs(const QStringList& files)
{
    Inputs in;
    for (const QString& file : files) {
        const QFileInfo info(file);
        if (!info.isDir()) {
            takeFile(in, file);
            continue;
        }
        const QDir dir(file);
        if (!dir.isReadable()) {
            in.fail(kExitNoInput, QStringLiteral("%1: cannot be opened").arg(file));
            continue;
        }
        for (const QString& name : dir.entryList({QStringLiteral("*.emf"), QStringLiteral("*.wmf")},
                                                 QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase))
            takeFile(in, dir.filePath(name));
    }
    return in;
}

// The chosen pages copied into `dir` as <prefix><nnnn>.emf (nnnn: the page's number in the
// whole input), Windows metafiles converted, so nothing of the user's is moved or deleted.
QStringList copyPages(const Inputs& in, const std::vector<int>& chosen, const QString& dir, const QString& prefix)
{
    QStringList copies;
    for (int number : chosen) {
        const QString source = in.pages[number - 1];
        const QString copy = QDir(dir).filePath(prefix + QStringLiteral("%1.emf").arg(number, 4, 10, QLatin1Char('0')));
        bool ok = false;
        if (in.wmf.contains(source)) {
            // A file named on the command line was drawn for no printer of ours: it keeps
            // its picture's own shape, as kvconvert draws it, instead of being stretched over
            // a reference screen.
            const HENHMETAFILE emf = adoptPicture(gdi::readMetafileFile(source, {}, gdi::WmfSurface::PictureSize));
            ok = emf != 0 && writeEnhMetaFile(emf, copy);
            if (emf != 0)
                DELETEENHMETAFILE(emf);
        } else {
            ok = QFile::copy(source, copy);
        }
        if (ok)
            copies << copy;
        else
            say(QStringLiteral("%1: could not be copied into %2").arg(source, dir));
    }
    return copies;
}

QString documentName(const Inputs& in) { return QFileInfo(in.pages.first()).completeBaseName(); }

// The printer the line names (any case), the default one without a name; empty when none.
QString findPrinter(const QString& wanted)
{
    const PrinterList list = printerList();
    if (wanted.isEmpty())
        return list.defaultName;
    for (const QString& name : list.names)
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    return {};
}

std::optional<std::vector<int>> choosePages(const CommandLine& line, int count)
{
    std::vector<int> pages;
    if (line.pages.isEmpty()) {
        for (int p = 1; p <= count; ++p)
            pages.push_back(p);
    } else {
        PageList list = parsePageList(line.pages, count);
        if (!list.error.isEmpty()) {
            say(QStringLiteral("--pages: ") + list.error);
            return std::nullopt;
        }
        pages = std::move(list.pages);
    }
    if (line.parity != 0)
        pages = everyOtherPage(pages, line.parity == 1);
    return pages;
}

class TerminalProgress : public SaveProgress {
public:
    explicit TerminalProgress(bool show) : show_(show) {}
    void pageStarted(int index, int count, const QString& file) override
    {
        if (show_)
            std::fprintf(stderr, "korvelle: page %d of %d: %s\n", index, count, qPrintable(file));
    }
    void wait() override {}

private:
    bool show_;
};

// %d or %0Nd in an output name: the page number goes there instead of before the extension.
QString patternName(const QString& output, const QString& page)
{
    static const QRegularExpression pattern(QStringLiteral("%(0([1-9]))?d"));
    const QRegularExpressionMatch m = pattern.match(output);
    if (!m.hasMatch())
        return {};
    const int number = pageNumberPart(page).toInt();
    const int width = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
    QString name = output;
    return name.replace(m.capturedStart(), m.capturedLength(), QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0')));
}

int exportPages(const CommandLine& line, const Inputs& in, const std::vector<int>& chosen, TPrinter& device)
{
    const int32_t format = formatCode(line.format);
    const QStringList options = GETOPTION(line.format);
    const int option = optionIndex(options, line.option);
    if (!line.option.isEmpty() && option == 0) {
        say(QStringLiteral("--option: \"%1\" is none of: %2").arg(line.option, options.join(QStringLiteral(", "))));
        return kExitUsage;
    }
    QTemporaryDir set;
    const QStringList pages = copyPages(in, chosen, set.path(), QStringLiteral("E001"));
    if (pages.size() != qsizetype(chosen.size()))
        return kExitIoError;
    const QString output = line.output.trimmed();
    const bool patterned = !isDocumentFormat(format) && !patternName(output, pages.value(0)).isEmpty();
    // Every name this export would write, checked before anything is written.
    QStringList targets;
    if (isDocumentFormat(format))
        targets << output;
    else
        for (const QString& page : pages)
            targets << (patterned ? patternName(output, page) : outputFileName(output, page));
    if (line.zip)
        targets << archiveName(output);
    for (const QString& target : targets) {
        const QFileInfo where(QFileInfo(target).absolutePath());
        if (!where.isDir() || !where.isWritable()) {
            say(QStringLiteral("%1: cannot be created (no writable folder %2)").arg(target, where.filePath()));
            return kExitCantCreate;
        }
        if (!line.overwrite && QFileInfo::exists(target)) {
            say(QStringLiteral("%1 exists: nothing was written (--overwrite replaces it)").arg(target));
            return kExitCantCreate;
        }
    }
    QuietMessages messages;
    TerminalProgress progress(!line.quiet && isatty(STDERR_FILENO));
    int written = 0;
    // A name pattern is one save per page, each named as the pattern says.
    const QList<QStringList> runs = patterned ? [&] { QList<QStringList> one; for (const QString& p : pages) one << QStringList{p}; return one; }()
                                              : QList<QStringList>{pages};
    QStringList files;
    for (const QStringList& run : runs) {
        SaveRequest request;
        request.pages = run;
        request.outputName = patterned ? patternName(output, run.first()) : output;
        request.format = line.format;
        request.optionIndex = option == 0 ? 1 : option;
        request.zip = line.zip && !patterned;
        request.nameAsGiven = patterned;
        request.device = &device;
        request.dpi = line.dpi;
        request.document = documentName(in);
        const SaveReport report = saveImages(request, &progress);
        written += report.written;
        files << report.outputFiles;
    }
    if (patterned && line.zip && zipOutputFiles(files, output))
        for (const QString& file : files)
            QFile::remove(file);
    const int expected = isDocumentFormat(format) ? 1 : int(pages.size());
    if (written < expected || messages.stops > 0)
        return kExitIoError;
    return kExitOk;
}

int printPages(const CommandLine& line, const Inputs& in, const std::vector<int>& chosen, TPrinter& device)
{
    QTemporaryDir set;
    const QStringList pages = copyPages(in, chosen, set.path(), QStringLiteral("E001"));
    if (pages.size() != qsizetype(chosen.size()))
        return kExitIoError;
    if (line.duplex != 0)
        device.SetDuplex(line.duplex);
    const HDC hdc = device.hDC;
    const gdi::DeviceCaps caps = device.caps();
    const QString document = documentName(in);
    for (int copy = 1; copy <= line.copies; ++copy) {
        bool ok = StartDoc(hdc, document);
        for (qsizetype i = 0; ok && i < pages.size(); ++i)
            printPageFile(hdc, pages[i], caps);
        ok = ok && EndDoc(hdc);
        const PrintJobOutcome outcome = JobOutcome(hdc);
        if (!ok) {
            say(QStringLiteral("%1: %2").arg(outcome.target, outcome.problem));
            return outcome.toFile ? kExitCantCreate : kExitUnavailable;
        }
        if (!line.quiet)
            std::printf("%s\n", qPrintable(outcome.toFile ? outcome.target
                                                          : QStringLiteral("%1 job %2").arg(outcome.target).arg(outcome.queueJob)));
    }
    std::fflush(stdout);
    return kExitOk;
}

// The preview of a private copy of the files: a hand-off of their own in a private Windows
// directory, so the preview moves and deletes only the copies.
int openPreview(const CommandLine& line, const Inputs& in, const QString& printer)
{
    QTemporaryDir windows;
    const QString spool = QDir(windows.path()).filePath(QStringLiteral("spool"));
    QDir().mkpath(spool);
    std::vector<int> all;
    for (int p = 1; p <= int(in.pages.size()); ++p)
        all.push_back(p);
    if (copyPages(in, all, spool, QStringLiteral("tmp")).size() != in.pages.size())
        return kExitIoError;
    const HENHMETAFILE first = GETENHMETAFILE(QDir(spool).filePath(QStringLiteral("tmp0001.emf")));
    const gdi::PicturePtr picture = pictureOf(first);
    const bool landscape = picture && picture->header.frame.right - picture->header.frame.left
                                          > picture->header.frame.bottom - picture->header.frame.top;
    if (first != 0)
        DELETEENHMETAFILE(first);
    const QString handoff = QDir(windows.path()).filePath(QStringLiteral("KORVELLE.TMP"));
    if (!HandoffFile(handoff).write(printer, spool, documentName(in), landscape ? 2 : 1)) {
        say(QStringLiteral("%1: cannot be created").arg(handoff));
        return kExitCantCreate;
    }
    const QByteArray previous = qgetenv("WINDIR");
    qputenv("WINDIR", QFile::encodeName(windows.path()));
    MAIN();
    qputenv("WINDIR", previous);
    Q_UNUSED(line);
    return in.firstFailure;
}

int listPrinters()
{
    const PrinterList list = printerList();
    for (const QString& name : list.names)
        std::printf("%s%s\n", qPrintable(name), name == list.defaultName ? " *" : "");
    std::fflush(stdout);
    return kExitOk;
}

} // namespace

bool wantsCommandLine(int argc) { return argc > 1; }

void chooseOffscreenWhenHeadless()
{
    const bool headless = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

int runCommandLine(const CommandLine& line)
{
    using Action = CommandLine::Action;
    if (!line.error.isEmpty()) {
        say(line.error + QStringLiteral(" (korvelle --help lists the options)"));
        return kExitUsage;
    }
    switch (line.action) {
    case Action::Help: std::printf("%s", qPrintable(line.helpText)); return kExitOk;
    case Action::Version:
        std::printf("korvelle %s\n", qPrintable(QCoreApplication::applicationVersion()));
        return kExitOk;
    case Action::ListPrinters: return listPrinters();
    default: break;
    }
    std::optional<QuietMessages> quiet;
    setFaultExitCode(kExitSoftware);
    if (line.quiet || line.action != Action::Preview) {
        quiet.emplace();
        // No one may be there to press Quit: the report on standard error and Error.log is all.
        setErrorDialogHandler([](const QString&, bool) { return ErrorChoice::Quit; });
    }
    const Inputs in = gatherInputs(line.files);
    if (in.pages.isEmpty())
        return in.firstFailure != kExitOk ? in.firstFailure : kExitNoInput;
    const QString printer = findPrinter(line.printer);
    if (printer.isEmpty()) {
        say(QStringLiteral("no printer \"%1\" (korvelle --list-printers lists them)").arg(line.printer));
        return kExitUnavailable;
    }
    if (line.action == Action::Preview)
        return openPreview(line, in, printer);
    const std::optional<std::vector<int>> chosen = choosePages(line, int(in.pages.size()));
    if (!chosen)
        return kExitUsage;
    TPrinter device(documentName(in), false, false, printer);
    if (device.hDC == 0) {
        say(QStringLiteral("%1: the printer cannot be used now").arg(printer));
        return kExitUnavailable;
    }
    const int code = line.action == Action::Print ? printPages(line, in, *chosen, device)
                                                  : exportPages(line, in, *chosen, device);
    return code != kExitOk ? code : in.firstFailure;
}

} // namespace kv
