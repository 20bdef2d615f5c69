// The command line as people run it: korvelle started as a process, its exit codes from real
// causes, page lists, printing to the built-in "PDF File" printer and to the CUPS "PDF" queue,
// export to every format, and outputs that exist.
#include "apptestenv.h"
#include "common/pdftools.h"
#include "common/testenv.h"

#include "app/commandline.h"
#include "app/commandrun.h"
#include "app/pagelist.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>

namespace kvtest {
namespace {

TEST(PageListText, PagesRangesAndOpenEnds)
{
    struct Case {
        const char* text;
        std::vector<int> pages;
    };
    const Case cases[] = {
        {"1,3-5,8-", {1, 3, 4, 5, 8, 9, 10}}, {"2", {2}}, {"10-", {10}}, {"5-5", {5}},
        {" 3 , 1 ", {1, 3}},                  {"4-6,5", {4, 5, 6}},
    };
    for (const Case& c : cases) {
        const kv::PageList list = kv::parsePageList(QString::fromLatin1(c.text), 10);
        EXPECT_TRUE(list.error.isEmpty()) << c.text << ": " << list.error.toStdString();
        EXPECT_EQ(list.pages, c.pages) << c.text;
    }
    for (const char* wrong : {"", "0", "11", "3-2", "1-11", "a", "1,,2", "-3", "+2", "1-2-3", "2.5"})
        EXPECT_FALSE(kv::parsePageList(QString::fromLatin1(wrong), 10).error.isEmpty()) << wrong;
    EXPECT_EQ(kv::everyOtherPage({1, 2, 3, 4, 7}, true), (std::vector<int>{1, 3, 7}));
    EXPECT_EQ(kv::everyOtherPage({1, 2, 3, 4, 7}, false), (std::vector<int>{2, 4}));
}

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pagesDir.isValid() && work.isValid() && windows.isValid() && temp.isValid());
        for (int i = 1; i <= 3; ++i) {
            const QString page = pagesDir.filePath(QStringLiteral("page%1.emf").arg(i));
            writePageFile(page, QStringLiteral("Command line page %1").arg(i));
            pages << page;
        }
    }

    struct Run {
        int code = -1;
        QString out, err;
    };

    Run korvelle(const QStringList& arguments, const QString& pdfDir = {})
    {
        QProcess process;
        start(process, arguments, pdfDir);
        Run run;
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
            return run;
        run.code = process.exitCode();
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    void start(QProcess& process, const QStringList& arguments, const QString& pdfDir = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));  // without a display it must need none
        env.insert(QStringLiteral("WINDIR"), windows.path());
        env.insert(QStringLiteral("KV_PDF_DIR"), pdfDir.isEmpty() ? work.filePath(QStringLiteral("pdf")) : pdfDir);
        env.insert(QStringLiteral("TMPDIR"), temp.path());
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(work.path());
        const rlim_t limit = fileSizeLimit;
        process.setChildProcessModifier([limit] {
            if (limit == 0)
                return;
            // A full disk as a file size limit makes one: writes fail instead of the signal.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit size{limit, limit};
            setrlimit(RLIMIT_FSIZE, &size);
        });
        process.start(buildFile(QStringLiteral("app/korvelle")), arguments);
    }

    QString out(const QString& name) const { return work.filePath(name); }
    QStringList outputs() const
    {
        return QDir(work.path()).entryList(QDir::Files, QDir::Name);
    }

    QTemporaryDir pagesDir, work, windows, temp;
    QStringList pages;
    rlim_t fileSizeLimit = 0;  // bytes a file of the child may have; 0: no limit
};

TEST_F(CommandLineTest, HelpVersionAndUsageErrors)
{
    const Run help = korvelle({"--help"});
    EXPECT_EQ(help.code, 0);
    for (const char* option : {"--print", "--export", "--pages", "--no-clobber", "--list-printers", "--quiet"})
        EXPECT_TRUE(help.out.contains(QLatin1String(option))) << option;
    const Run version = korvelle({"-v"});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(version.out.startsWith("korvelle ")) << version.out.toStdString();
    const QStringList usage[] = {
        {"--bogus"},
        {"--export", "gif", "-o", "x.gif", pages[0]},
        {"--export", "png", pages[0]},
        {"--export", "png", "-o", "x.png", "--dpi", "5", pages[0]},
        {"--print", "--copies", "0", pages[0]},
        {"--print", "--odd", "--even", pages[0]},
        {"--print", "--sides", "duplex", pages[0]},
        {"--print"},
        {"--print", "--pages", "2-1", pages[0], pages[1]},
        {"--print", "--pages", "4", pages[0], pages[1], pages[2]},
        {"--export", "jpeg", "-o", "x.jpg", "--option", "Medium", pages[0]},
    };
    for (const QStringList& arguments : usage) {
        const Run run = korvelle(arguments);
        EXPECT_EQ(run.code, 64) << arguments.join(' ').toStdString() << "\n" << run.err.toStdString();
        EXPECT_FALSE(run.err.isEmpty());
    }
    EXPECT_TRUE(outputs().isEmpty()) << "a usage error writes nothing";
}

TEST_F(CommandLineTest, InputsThatCannotBeReadGiveTheirCodes)
{
    QFile text(pagesDir.filePath("notes.emf"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("these are notes, not a metafile");
    text.close();
    EXPECT_EQ(korvelle({"-q", "--export", "png", "-o", "a.png", pagesDir.filePath("missing.emf")}).code, 66);
    EXPECT_EQ(korvelle({"-q", "--export", "png", "-o", "b.png", text.fileName()}).code, 65);
    // Several files: the good ones are done, the first failure's code comes back.
    const Run mixed = korvelle({"-q", "--export", "png", "-o", "c.png", text.fileName(), pages[0], "missing.emf"});
    EXPECT_EQ(mixed.code, 65) << mixed.err.toStdString();
    EXPECT_TRUE(mixed.err.contains("notes.emf"));
    EXPECT_EQ(outputs(), QStringList{"c0001.png"}) << "the one metafile is the only page";
    // A missing printer.
    const Run printer = korvelle({"-q", "--print", "--printer", "No Such Printer", pages[0]});
    EXPECT_EQ(printer.code, 69) << printer.err.toStdString();
}

TEST_F(CommandLineTest, ListsThePrintersWithTheBuiltInOneLast)
{
    const Run run = korvelle({"--list-printers"});
    EXPECT_EQ(run.code, 0);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.last().startsWith("PDF File"));
    EXPECT_EQ(run.out.count(" *"), 1) << "one default printer";
}

TEST_F(CommandLineTest, PrintsToThePdfFilePrinterWithPagesAndCopies)
{
    const QString pdfDir = work.filePath("pdf");
    Run run = korvelle({"--print", "--printer", "pdf file", pages[0], pagesDir.path()}, pdfDir);
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QString first = QDir(pdfDir).filePath("page1.pdf");
    EXPECT_EQ(run.out.trimmed(), first);
    EXPECT_EQ(pdfPageCount(first), 4) << "a file and a folder of three";
    EXPECT_TRUE(pdfText(first, 4).contains("Command line page 3"));

    run = korvelle({"--print", "--printer", "PDF File", "--pages", "2-", "--even", "--copies", "2", pagesDir.path()}, pdfDir);
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QStringList jobs = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(jobs.size(), 2) << "one job a copy";
    for (const QString& job : jobs) {
        EXPECT_EQ(pdfPageCount(job), 1) << job.toStdString();
        EXPECT_TRUE(pdfText(job).contains("Command line page 2"));
    }
    // A folder for the PDF that cannot be made.
    QFile blocker(work.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(korvelle({"-q", "--print", "--printer", "PDF File", pages[0]}, blocker.fileName() + "/pdf").code, 73);
}

TEST_F(CommandLineTest, PrintsToTheCupsPdfQueue)
{
    const QString spool = QStringLiteral("/var/spool/cups-pdf/ci");
    QProcess lpstat;
    lpstat.start("lpstat", {"-p", "PDF"});
    if (!lpstat.waitForFinished(10000) || lpstat.exitCode() != 0)
        GTEST_SKIP() << "no CUPS queue \"PDF\" (scripts/setup --cups adds it)";
    const QDateTime started = QDateTime::currentDateTime().addSecs(-1);
    const Run run = korvelle({"--print", "--printer", "PDF", "--pages", "1,3", "--sides", "two-sided-long-edge", pagesDir.path()});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("PDF job ")) << run.out.toStdString();
    QString written;
    for (int wait = 0; wait < 60 && written.isEmpty(); ++wait) {
        for (const QFileInfo& f : QDir(spool).entryInfoList({"*.pdf"}, QDir::Files))
            if (f.lastModified() >= started && pdfPageCount(f.filePath()) > 0)
                written = f.filePath();
        if (written.isEmpty())
            QThread::msleep(500);
    }
    ASSERT_FALSE(written.isEmpty()) << "the queue wrote no PDF";
    EXPECT_EQ(pdfPageCount(written), 2);
}

TEST_F(CommandLineTest, ExportsToEveryFormat)
{
    const char* formats[][2] = {{"bmp", "b.bmp"}, {"jpeg", "j.jpg"}, {"emf", "e.emf"}, {"pcx", "p.pcx"},
                                {"tiff", "t.tif"}, {"png", "n.png"}, {"wmf", "w.wmf"}};
    for (const auto& [format, name] : formats) {
        const Run run = korvelle({"-q", "--export", format, "-o", name, "--pages", "1,3", pagesDir.path()});
        EXPECT_EQ(run.code, 0) << format << ": " << run.err.toStdString();
        const QString stem = QFileInfo(name).completeBaseName(), ext = QFileInfo(name).suffix();
        for (const char* number : {"0001", "0003"})
            EXPECT_GT(QFileInfo(out(stem + number + "." + ext)).size(), 0) << format << " page " << number;
    }
    Run run = korvelle({"-q", "--export", "pdf", "-o", "all.pdf", "--option", "PDF/A", pagesDir.path()});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(pdfPageCount(out("all.pdf")), 3);
    EXPECT_TRUE(pdfInfo(out("all.pdf")).contains("page1")) << "titled after the first file";
    run = korvelle({"-q", "--export", "tiff-multi", "-o", "all.tif", "--option", "CCITT", pagesDir.path()});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_GT(QFileInfo(out("all.tif")).size(), 0);
    // A page-number pattern, a resolution, and an archive.
    run = korvelle({"-q", "--export", "png", "-o", "scan-%03d.png", "--dpi", "72", "--zip", pagesDir.path()});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(out("SCAN-%03D.ZIP"))) << outputs().join(' ').toStdString();
    run = korvelle({"-q", "--export", "png", "-o", "page-%d.png", "--pages", "2", pagesDir.path()});
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(QFile::exists(out("page-2.png"))) << outputs().join(' ').toStdString();
    EXPECT_EQ(QImage(out("page-2.png")).dotsPerMeterX(), QImage(out("n0001.png")).dotsPerMeterX());
}

TEST_F(CommandLineTest, AnExistingTargetStopsTheExportBeforeAnythingIsWritten)
{
    QFile old(out("r0002.png"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("older");
    old.close();
    for (const QStringList& extra : {QStringList{}, QStringList{"--no-clobber"}}) {
        const Run run = korvelle(QStringList{"-q", "--export", "png", "-o", "r.png"} + extra + QStringList{pagesDir.path()});
        EXPECT_EQ(run.code, 73) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("r0002.png"));
        EXPECT_EQ(outputs(), QStringList{"r0002.png"}) << "page 1 was not written either";
    }
    const Run replaced = korvelle({"-q", "--export", "png", "-o", "r.png", "--overwrite", pagesDir.path()});
    EXPECT_EQ(replaced.code, 0);
    EXPECT_EQ(outputs(), (QStringList{"r0001.png", "r0002.png", "r0003.png"}));
    EXPECT_FALSE(QImage(out("r0002.png")).isNull());
    // A folder that is not there: nothing can be created.
    EXPECT_EQ(korvelle({"-q", "--export", "pdf", "-o", "no/such/dir/r.pdf", pagesDir.path()}).code, 73);
}

TEST_F(CommandLineTest, AWriteThatFailsGivesTheWriteErrorCode)
{
    fileSizeLimit = 4096;  // room for the page copies, not for an A4 bitmap or the PDF
    for (const char* format : {"bmp", "pdf"}) {
        const QString name = QStringLiteral("full.") + QLatin1String(format);
        const Run run = korvelle({"-q", "--export", format, "-o", name, pagesDir.path()});
        EXPECT_EQ(run.code, 74) << format << ": " << run.err.toStdString();
        EXPECT_FALSE(run.err.isEmpty()) << format;
    }
    fileSizeLimit = 1;  // not even the private copy of a page can be written
    const Run copies = korvelle({"-q", "--export", "png", "-o", "c.png", pages[0]});
    EXPECT_EQ(copies.code, 74) << copies.err.toStdString();
    EXPECT_TRUE(copies.err.contains("page1.emf")) << copies.err.toStdString();
    EXPECT_TRUE(outputs().isEmpty()) << outputs().join(' ').toStdString();
}

TEST_F(CommandLineTest, AFaultEndsWithTheInternalErrorCodeAndAReport)
{
    QProcess process;
    start(process, {"--printer", "PDF File", pages[0]});
    ASSERT_TRUE(process.waitForStarted(10000));
    // The fault handlers are in place once the private copy of the page exists (first as the
    // copy, then moved into the preview set); the fault comes after that.
    bool copied = false;
    for (int wait = 0; wait < 300 && !copied; ++wait) {
        QDirIterator it(temp.path(), {"*.emf"}, QDir::Files, QDirIterator::Subdirectories);
        copied = it.hasNext();
        if (!copied)
            QThread::msleep(100);
    }
    ASSERT_TRUE(copied) << "the preview did not start";
    ::kill(pid_t(process.processId()), SIGSEGV);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 70);
    EXPECT_TRUE(QFile::exists(out("Error.log")));
    EXPECT_TRUE(QString::fromLocal8Bit(process.readAllStandardError()).contains("fatal error"));
}

TEST_F(CommandLineTest, RealSpoolPagesExportAsOnePdf)
{
    const auto corpus = corpusDir();
    if (!corpus)
        GTEST_SKIP() << "no shared corpus (../shared/corpus)";
    const QString emf = *corpus + "/emf/";
    const Run run = korvelle({"-q", "--export", "pdf", "-o", "spool.pdf", emf + "spool-EMFSpool_0001.emf",
                              emf + "spool-EMFSpool_0012.emf"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(pdfPageCount(out("spool.pdf")), 2);
    const QSizeF turned = pdfPageSizePoints(out("spool.pdf"), 2);
    EXPECT_GT(turned.width(), turned.height()) << "the turned spool page keeps its orientation";
}

// A Windows metafile without a placeable header (its picture size is its first window
// extent) keeps that shape when saved from the command line, as the reference rendering has it.
TEST_F(CommandLineTest, APlainWindowsMetafileKeepsItsPictureShape)
{
    const auto corpus = corpusDir();
    if (!corpus)
        GTEST_SKIP() << "no shared corpus (../shared/corpus)";
    const Run run = korvelle({"-q", "--export", "png", "-o", "cell.png", "--dpi", "72", *corpus + "/wmf/libwmf-cell.wmf"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QImage saved(out("cell0001.png"));
    const QImage reference(*corpus + "/reference/wmf__libwmf-cell.wmf.png");
    ASSERT_FALSE(saved.isNull()) << outputs().join(' ').toStdString();
    ASSERT_FALSE(reference.isNull());
    EXPECT_NEAR(double(saved.width()) / saved.height(), double(reference.width()) / reference.height(), 0.02);
}

using CommandLinePreviewTest = AppRoadTest;

TEST_F(CommandLinePreviewTest, FilesOpenInThePreviewFromAPrivateCopy)
{
    const QStringList files = writePages(2);
    const QByteArray windowsBefore = qgetenv("WINDIR");
    int code = -1;
    const SeenPreview seen = runPreviewAndClose([&] {
        code = kv::runCommandLine(kv::parseCommandLine({"korvelle", "--printer", "PDF File", files[1], files[0]}));
    }, spool.path());
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.title, QStringLiteral("tmp0002")) << "named after the first file given";
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(stopTexts().empty());
    // The user's files are where they were, nothing was moved beside them, and the user's own
    // hand-off place was neither read nor written.
    EXPECT_EQ(entryNames(spool.path()), (QStringList{"tmp0001.emf", "tmp0002.emf"}));
    EXPECT_FALSE(QFileInfo::exists(handoffPath()));
    EXPECT_EQ(qgetenv("WINDIR"), windowsBefore);
}

} // namespace
} // namespace kvtest
