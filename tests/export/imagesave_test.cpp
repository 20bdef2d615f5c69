// Saving pages: names, messages, the early stop at an existing file, the archive and the
// deletion after it, failing pages, a full disk, cancelling, and real report pages.
#include "exporttestenv.h"
#include "common/imagereaders.h"

#include "export/encoders.h"
#include "export/imagesave.h"
#include "export/ziparchive.h"
#include "gdi/readers.h"
#include "gdi/render.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <zip.h>

namespace kvtest {
namespace {

const QString kPng = QStringLiteral("PNG - Portable Network Graphic");
const QString kJpeg = QStringLiteral("JPEG - jpg, jpeg");

struct ZipEntry {
    QString name;
    int method;
    QByteArray data;
};

std::vector<ZipEntry> zipEntries(const QString& archive)
{
    std::vector<ZipEntry> entries;
    int error = 0;
    zip_t* za = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &error);
    if (!za)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(za, zip_uint64_t(i), 0, &st);
        QByteArray data(qsizetype(st.size), '\0');
        zip_file_t* f = zip_fopen_index(za, zip_uint64_t(i), 0);
        if (f) {
            zip_fread(f, data.data(), st.size);
            zip_fclose(f);
        }
        entries.push_back({QString::fromUtf8(st.name), int(st.comp_method), data});
    }
    zip_close(za);
    return entries;
}

QByteArray contents(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeContents(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The luminance table libjpeg uses at a quality (the picture does not matter).
std::vector<uint16_t> tableAtQuality(int quality, const QString& scratch)
{
    QImage tiny(16, 16, QImage::Format_RGB32);
    tiny.fill(Qt::gray);
    QFile file(scratch);
    QString error;
    if (!file.open(QIODevice::WriteOnly) || !kv::encodeJpeg(tiny, QPointF(72, 72), quality, file, error))
        return {};
    file.close();
    const auto facts = readJpeg(scratch);
    return facts ? facts->luminanceTable : std::vector<uint16_t>{};
}

class SaveTest : public ExportTest {
protected:
    kv::SaveRequest request(const QStringList& pages, const QString& name, const QString& format = kPng)
    {
        kv::SaveRequest r;
        r.pages = pages;
        r.outputName = name;
        r.format = format;
        r.optionIndex = format == kPng ? 2 : 1;
        r.device = device.get();
        return r;
    }
};

// Stops before a chosen page.
class CancelAt : public kv::SaveProgress {
public:
    explicit CancelAt(int page) : page_(page) {}
    void pageStarted(int index, int count, const QString& file) override
    {
        started << QStringLiteral("%1/%2 %3").arg(index).arg(count).arg(QFileInfo(file).fileName());
        next_ = index + 1;
    }
    bool cancelRequested() override { return next_ >= page_; }
    void finished(const kv::SaveReport& report) override { reports.push_back(report); }
    QStringList started;
    std::vector<kv::SaveReport> reports;  // as told at the end

private:
    int page_;
    int next_ = 1;
};

TEST_F(SaveTest, PagesThreeToFiveAsHighQualityJpegGetTheirNumbers)
{
    const QStringList pages = makePages(5).mid(2, 3);
    const kv::SaveReport report = kv::saveImages(request(pages, out("report.jpg") + "   ", kJpeg));
    EXPECT_EQ(report.outcome, kv::SaveOutcome::Done);
    const QStringList expected{out("report0003.jpg"), out("report0004.jpg"), out("report0005.jpg")};
    EXPECT_EQ(report.outputFiles, expected);
    EXPECT_EQ(report.written, 3);
    EXPECT_TRUE(shown().isEmpty()) << shown().join('\n').toStdString();
    const std::vector<uint16_t> quality95 = tableAtQuality(95, out("q.jpg"));
    ASSERT_FALSE(quality95.empty());
    for (const QString& file : expected) {
        const auto facts = readJpeg(file);
        ASSERT_TRUE(facts) << file.toStdString();
        EXPECT_EQ(facts->luminanceTable, quality95);  // flag word 0xFC19
        EXPECT_EQ(facts->densityX, 150);
    }
}

TEST_F(SaveTest, AnExistingFileStopsTheSaveWhenOverwriteIsOff)
{
    const QStringList pages = makePages(3);
    writeContents(out("report0002.png"), "older file");
    kv::SaveRequest r = request(pages, out("report.png"));
    r.overwrite = false;
    r.zip = true;
    const kv::SaveReport report = kv::saveImages(r);
    EXPECT_EQ(report.outcome, kv::SaveOutcome::StoppedAtExisting);
    EXPECT_TRUE(readPng(out("report0001.png")));
    EXPECT_EQ(contents(out("report0002.png")), "older file");
    EXPECT_FALSE(QFile::exists(out("report0003.png")));
    EXPECT_FALSE(QFile::exists(out("REPORT.ZIP")));
    EXPECT_EQ(shown(), QStringList{"Stop|" + out("report0002.png") + " exists."});
}

TEST_F(SaveTest, ZipPacksThePagesInOrderUnderBareNamesAndDeletesThem)
{
    const QStringList pages = makePages(2);
    writeContents(out("REPORT.ZIP"), "an older archive");
    kv::SaveRequest r = request(pages, out("report.png"));
    r.zip = true;
    r.overwrite = false;  // an existing archive is replaced all the same
    const kv::SaveReport report = kv::saveImages(r);
    EXPECT_EQ(report.outcome, kv::SaveOutcome::Done);
    EXPECT_EQ(report.archive, out("REPORT.ZIP"));
    EXPECT_TRUE(shown().isEmpty()) << shown().join('\n').toStdString();
    const std::vector<ZipEntry> entries = zipEntries(out("REPORT.ZIP"));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, QStringLiteral("report0001.png"));
    EXPECT_EQ(entries[1].name, QStringLiteral("report0002.png"));
    for (const ZipEntry& e : entries) {
        EXPECT_EQ(e.method, ZIP_CM_DEFLATE);
        EXPECT_TRUE(e.data.startsWith("\x89PNG"));
    }
    EXPECT_EQ(allEntries(outDir.path()), QStringList{"REPORT.ZIP"});
}

TEST_F(SaveTest, ARefusedOrFailedArchiveStillLeavesNoOutputFile)
{
    const QStringList pages = makePages(2);
    {
        // The output name itself exists and overwrite is off: refused.
        writeContents(out("report.png"), "x");
        kv::SaveRequest r = request(pages, out("report.png"));
        r.zip = true;
        r.overwrite = false;
        EXPECT_EQ(kv::saveImages(r).outcome, kv::SaveOutcome::Done);
        EXPECT_EQ(shown(), QStringList{"Stop|" + out("report.png") + " exists!"});
        EXPECT_EQ(allEntries(outDir.path()), QStringList{"report.png"});
    }
    messages.messages.clear();
    {
        // The archive's name is taken by a directory: zipping fails.
        ASSERT_TRUE(QDir(outDir.path()).mkdir(QStringLiteral("PAGES.ZIP")));
        kv::SaveRequest r = request(pages, out("pages.png"));
        r.zip = true;
        EXPECT_EQ(kv::saveImages(r).outcome, kv::SaveOutcome::Done);
        ASSERT_EQ(shown().size(), 1);
        EXPECT_TRUE(shown()[0].startsWith("Alert|Error Zipping\n")) << shown()[0].toStdString();
        EXPECT_EQ(allEntries(outDir.path()), (QStringList{"PAGES.ZIP", "report.png"}));
    }
}

TEST_F(SaveTest, AnEmptySelectionLeavesAnExistingArchiveAlone)
{
    writeContents(out("REPORT.ZIP"), "kept");
    kv::SaveRequest r = request({}, out("report.png"));
    r.zip = true;
    const kv::SaveReport report = kv::saveImages(r);
    EXPECT_EQ(report.outcome, kv::SaveOutcome::Done);
    EXPECT_EQ(contents(out("REPORT.ZIP")), "kept");
    EXPECT_TRUE(shown().isEmpty());
}

TEST_F(SaveTest, EachFailingPageGetsOneMessageInPageOrderAndTheOthersAreWritten)
{
    const QStringList pages = makePages(4);
    ASSERT_TRUE(QDir(outDir.path()).mkdir(QStringLiteral("report0002.png")));
    ASSERT_TRUE(QDir(outDir.path()).mkdir(QStringLiteral("report0004.png")));
    const kv::SaveReport report = kv::saveImages(request(pages, out("report.png")));
    EXPECT_EQ(report.outcome, kv::SaveOutcome::Done);
    EXPECT_EQ(report.written, 2);
    ASSERT_EQ(shown().size(), 2);
    EXPECT_TRUE(shown()[0].startsWith("Stop|Error while saving file.\n" + out("report0002.png")));
    EXPECT_TRUE(shown()[1].startsWith("Stop|Error while saving file.\n" + out("report0004.png")));
    EXPECT_TRUE(readPng(out("report0001.png")));
    EXPECT_TRUE(readPng(out("report0003.png")));
}

TEST_F(SaveTest, AFullDiskLeavesNoPartialFileAndTheOldArchive)
{
    SmallDisk disk(512);
    if (!disk.mounted())
        GTEST_SKIP() << disk.reason().toStdString();
    const QStringList pages = makePages(2);
    writeContents(disk.path("REPORT.ZIP"), "the older archive");
    kv::SaveRequest r = request(pages, disk.path("report.bmp"), QStringLiteral("BMP - Windows Bitmap"));
    r.zip = true;
    kv::saveImages(r);
    ASSERT_EQ(shown().size(), 3);  // each page, then the archive
    EXPECT_TRUE(shown()[0].startsWith("Stop|Error while saving file."));
    EXPECT_TRUE(shown()[2].startsWith("Alert|Error Zipping"));
    EXPECT_EQ(allEntries(disk.path()), QStringList{"REPORT.ZIP"});
    EXPECT_EQ(contents(disk.path("REPORT.ZIP")), "the older archive");
}

// The archive itself does not fit: libzip's temporary file fails, the older archive stays.
TEST_F(SaveTest, AnArchiveThatDoesNotFitLeavesTheOlderOne)
{
    SmallDisk disk(256);
    if (!disk.mounted())
        GTEST_SKIP() << disk.reason().toStdString();
    QByteArray noise(400 * 1024, '\0');
    for (char& c : noise)
        c = char(QRandomGenerator::global()->generate());
    writeContents(out("noise.bin"), noise);
    writeContents(disk.path("OLD.ZIP"), "the older archive");
    const kv::ZipResult result = kv::writeZipArchive(disk.path("OLD.ZIP"), {out("noise.bin")}, 5);
    EXPECT_FALSE(result.written);
    EXPECT_FALSE(result.reason.isEmpty());
    EXPECT_EQ(allEntries(disk.path()), QStringList{"OLD.ZIP"});
    EXPECT_EQ(contents(disk.path("OLD.ZIP")), "the older archive");
}

TEST_F(SaveTest, CancellingKeepsTheWrittenPagesOrWithZipRemovesThem)
{
    const QStringList pages = makePages(4);
    CancelAt atThird(3);
    const kv::SaveReport report = kv::saveImages(request(pages, out("plain.png")), &atThird);
    EXPECT_EQ(report.outcome, kv::SaveOutcome::Cancelled);
    EXPECT_EQ(atThird.started, (QStringList{"1/4 plain0001.png", "2/4 plain0002.png"}));
    EXPECT_EQ(allEntries(outDir.path()), (QStringList{"plain0001.png", "plain0002.png"}));
    ASSERT_EQ(atThird.reports.size(), 1u);
    EXPECT_EQ(atThird.reports[0].written, 2);
    EXPECT_EQ(atThird.reports[0].outputFiles, report.outputFiles);

    CancelAt again(3);
    kv::SaveRequest zipped = request(pages, out("packed.png"));
    zipped.zip = true;
    EXPECT_EQ(kv::saveImages(zipped, &again).outcome, kv::SaveOutcome::Cancelled);
    EXPECT_EQ(allEntries(outDir.path()), (QStringList{"plain0001.png", "plain0002.png"}));
    EXPECT_TRUE(shown().isEmpty());
}

// Real print-job pages export as the whole sheet they carry, placed as on paper.
TEST_F(SaveTest, SpoolPagesExportAsTheirWholeSheet)
{
    const QStringList pages = spoolPages();
    if (pages.isEmpty())
        GTEST_SKIP() << "the shared corpus (../shared/corpus or $KV_CORPUS_DIR) is not here";
    const kv::SaveReport report = kv::saveImages(request(pages, out("spool.png")));
    ASSERT_EQ(report.written, pages.size()) << shown().join('\n').toStdString();
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const kv::gdi::PicturePtr original = kv::gdi::readMetafileFile(pages[i], kv::displayCaps());
        ASSERT_TRUE(original);
        const QImage own = kv::gdi::renderPictureDpi(*original, 150);
        const auto saved = readPng(report.outputFiles[i]);
        ASSERT_TRUE(saved) << report.outputFiles[i].toStdString();
        // The recording's frame comes from its bounds in the printer's whole millimetres, as
        // GDI derives it: within half a per cent of the page's own frame.
        EXPECT_NEAR(saved->pixels.width(), own.width(), 0.005 * own.width()) << pages[i].toStdString();
        EXPECT_NEAR(saved->pixels.height(), own.height(), 0.005 * own.height()) << pages[i].toStdString();
        EXPECT_GT(darkCovered(own, saved->pixels), 0.95) << pages[i].toStdString();
        EXPECT_GT(darkCovered(saved->pixels, own), 0.95) << pages[i].toStdString();
    }
}

// Windows metafile pages play unscaled into the recording and come out with their drawing.
TEST_F(SaveTest, WindowsMetafilePagesExportTheirDrawing)
{
    const std::optional<QString> corpus = corpusDir();
    if (!corpus)
        GTEST_SKIP() << "the shared corpus (../shared/corpus or $KV_CORPUS_DIR) is not here";
    // Pages drawn in device units, as report programs write them (a picture that leaves its
    // scale to the player comes out at that scale, unscaled).
    const QStringList pages{*corpus + "/wmf/libwmf-sample.wmf", *corpus + "/wmf/poi-santa.wmf"};
    kv::SaveRequest r = request(pages, out("wmf.png"));
    r.wmfPages = true;
    const kv::SaveReport report = kv::saveImages(r);
    ASSERT_EQ(report.written, 2) << shown().join('\n').toStdString();
    for (const QString& file : report.outputFiles) {
        const auto saved = readPng(file);
        ASSERT_TRUE(saved) << file.toStdString();
        int ink = 0;
        for (int y = 0; y < saved->pixels.height(); ++y)
            for (int x = 0; x < saved->pixels.width(); ++x)
                ink += saved->pixels.pixel(x, y) != qRgb(255, 255, 255);
        EXPECT_GT(ink, 100) << file.toStdString();
    }
}

} // namespace
} // namespace kvtest

namespace kvtest {
namespace {

// Damaged pages (truncated, mis-sized, fuzzer-found) and a missing one: each still gives a
// file, holding what could be played or only the blank, and nothing crashes.
TEST_F(SaveTest, DamagedAndMissingPagesStillGiveTheirFiles)
{
    const std::optional<QString> corpus = corpusDir();
    if (!corpus)
        GTEST_SKIP() << "the shared corpus (../shared/corpus or $KV_CORPUS_DIR) is not here";
    QStringList pages;
    const QDir corrupt(*corpus + "/corrupt");
    for (const QString& name : corrupt.entryList({"*.emf"}, QDir::Files, QDir::Name))
        pages << corrupt.filePath(name);
    pages << pageDir.filePath(QStringLiteral("E0019999.emf"));  // not there
    const kv::SaveReport report = kv::saveImages(request(pages, out("damaged.png")));
    EXPECT_EQ(report.outcome, kv::SaveOutcome::Done);
    EXPECT_EQ(report.written, pages.size()) << shown().join('\n').toStdString();
    for (const QString& file : report.outputFiles)
        EXPECT_TRUE(readPng(file)) << file.toStdString();
}

} // namespace
} // namespace kvtest
