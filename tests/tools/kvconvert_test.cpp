// The converter as people run it: one file to an image, PDF or metafile, a folder of pages in
// one go, the record statistics, and inputs it cannot read.
#include "common/testenv.h"

#include "gdi/dc/dc.h"
#include "gdi/emf/emfrecorder.h"
#include "gdi/text/fontmap.h"
#include "gdi/readers.h"
#include "gdi/render.h"
#include "gdi/wmf/wmfformat.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kv::gdi;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out, err;
};

ToolRun kvconvert(const QStringList& args)
{
    QProcess p;
    p.start(kvtest::buildFile("tools/kvconvert"), args);
    ToolRun run;
    if (!p.waitForFinished(60000))
        return run;
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

bool write(const QString& path, const std::vector<uint8_t>& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly)
        && f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) == qint64(bytes.size());
}

// A 200 x 100 pixel page at 10 pixels a millimetre: a black box over its left half.
std::vector<uint8_t> halfBlackPage()
{
    DeviceCaps ref;
    ref.horzRes = 200, ref.vertRes = 100, ref.horzSizeMm = 20, ref.vertSizeMm = 10;
    EmfRecorder recorder(ref, RectL{0, 0, 2000, 1000});
    {
        Dc dc(recorder);
        dc.selectStockObject(BLACK_BRUSH);
        dc.selectStockObject(NULL_PEN);
        dc.rectangle(RectL{0, 0, 101, 101});
    }
    return recorder.finish();
}

// A plain WMF: a window of 100 x 50 units and one rectangle.
std::vector<uint8_t> smallWmf()
{
    std::vector<uint8_t> bytes;
    const auto u16 = [&bytes](uint16_t v) { bytes.push_back(uint8_t(v)); bytes.push_back(uint8_t(v >> 8)); };
    const auto u32 = [&](uint32_t v) { u16(uint16_t(v)); u16(uint16_t(v >> 16)); };
    u16(1), u16(9), u16(0x0300), u32(0), u16(0), u32(7), u16(0);  // header; sizes are not trusted
    u32(5), u16(wmf::META_SETWINDOWEXT), u16(50), u16(100);
    u32(7), u16(wmf::META_RECTANGLE), u16(40), u16(90), u16(10), u16(10);
    u32(3), u16(wmf::META_EOF);
    return bytes;
}

class KvConvert : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo(kvtest::buildFile("tools/kvconvert")).isExecutable())
            FAIL() << "build the kvconvert tool first";
        ASSERT_TRUE(dir_.isValid());
        emf_ = dir_.filePath("page.emf");
        wmf_ = dir_.filePath("small.wmf");
        ASSERT_TRUE(write(emf_, halfBlackPage()));
        ASSERT_TRUE(write(wmf_, smallWmf()));
    }
    QTemporaryDir dir_;
    QString emf_, wmf_;
};

} // namespace

TEST_F(KvConvert, RendersThePageFrameOntoTheWholeImage)
{
    const QString png = dir_.filePath("page.png");
    const ToolRun run = kvconvert({emf_, png, "--width", "400"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QImage image(png);
    ASSERT_EQ(image.size(), QSize(400, 200));
    EXPECT_LT(qGray(image.pixel(100, 100)), 64);   // the box
    EXPECT_GT(qGray(image.pixel(300, 100)), 192);  // the empty half
}

TEST_F(KvConvert, ResolutionSetsTheImageSizeFromThePicturesMillimetres)
{
    const QString png = dir_.filePath("page.png");
    ASSERT_EQ(kvconvert({"--dpi", "254", emf_, png}).exitCode, 0);
    EXPECT_EQ(QImage(png).size(), QSize(200, 100));  // 20 x 10 mm at 10 pixels a millimetre
}

TEST_F(KvConvert, WritesPdfAndMetafilesThatReadBack)
{
    const QString pdf = dir_.filePath("page.pdf"), emf = dir_.filePath("again.emf"), wmf = dir_.filePath("again.wmf");
    ASSERT_EQ(kvconvert({emf_, pdf}).exitCode, 0);
    ASSERT_EQ(kvconvert({emf_, emf}).exitCode, 0);
    ASSERT_EQ(kvconvert({emf_, wmf}).exitCode, 0);
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5).startsWith("%PDF-"));
    EXPECT_TRUE(readMetafileFile(emf, DeviceCaps{}));
    EXPECT_TRUE(readMetafileFile(wmf, DeviceCaps{}));
}

TEST_F(KvConvert, AFolderOfPagesIsNamedLikeTheReferenceRenderingsAndBadInputsAreReported)
{
    const QString out = dir_.filePath("out");
    const QString missing = dir_.filePath("missing.emf");
    const QString notAMetafile = dir_.filePath("notes.emf");
    ASSERT_TRUE(write(notAMetafile, {'h', 'e', 'l', 'l', 'o'}));
    const ToolRun run = kvconvert({"--outdir", out, emf_, missing, notAMetafile, wmf_});
    EXPECT_EQ(run.exitCode, 1);  // some failed; the others were still converted
    const QString folder = QFileInfo(emf_).absoluteDir().dirName();
    EXPECT_TRUE(QFileInfo::exists(out + "/" + folder + "__page.emf.png"));
    EXPECT_TRUE(QFileInfo::exists(out + "/" + folder + "__small.wmf.png"));
    EXPECT_TRUE(run.err.contains("missing.emf: no such file")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("notes.emf: not an EMF or WMF file")) << run.err.toStdString();
    // A WMF without a placeable header is drawn at its window's shape.
    EXPECT_EQ(QImage(out + "/" + folder + "__small.wmf.png").size(), QSize(1000, 500));
}

TEST_F(KvConvert, StatisticsNameTheRecordsOfBothFormats)
{
    const ToolRun emf = kvconvert({"--stats", emf_, dir_.filePath("a.png")});
    EXPECT_TRUE(emf.out.contains("RECTANGLE(43)") || emf.out.contains("POLYGON16(86)")) << emf.out.toStdString();
    const ToolRun wmf = kvconvert({"--stats", wmf_, dir_.filePath("b.png")});
    EXPECT_TRUE(wmf.out.contains("RECTANGLE(0x041B)=1")) << wmf.out.toStdString();
    EXPECT_TRUE(wmf.out.contains("SETWINDOWEXT(0x020C)=1")) << wmf.out.toStdString();
    EXPECT_FALSE(wmf.out.contains("UNKNOWN")) << wmf.out.toStdString();
    EXPECT_FALSE(wmf.out.contains("faults:")) << "a sound file has none";
}

// A page cut short still converts; its statistics say how much was lost and where.
TEST_F(KvConvert, StatisticsGradeTheFaultsOfADamagedPage)
{
    QFile whole(emf_);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QByteArray bytes = whole.readAll();
    bytes.chop(10);  // into the end-of-file record
    const QString cut = dir_.filePath("cut.emf");
    ASSERT_TRUE(write(cut, std::vector<uint8_t>(bytes.begin(), bytes.end())));
    const ToolRun run = kvconvert({"--stats", cut, dir_.filePath("cut.png")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("truncated")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("faults: 0 skipped, 1 clipped, 0 stopped")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("clipped at offset %1 (14): EOF record runs 10 bytes past the end")
                                     .arg(bytes.size() - 10)))
        << run.out.toStdString();
}

// Images come out as opaque 24-bit PNG whose pixels are the rendering's, for a real spool
// page (text, rules, bitmaps) as for a drawn one.
TEST_F(KvConvert, PngPagesAreOpaqueRgbWithTheRenderedPixels)
{
    const auto corpus = kvtest::corpusDir();
    if (!corpus)
        GTEST_SKIP() << "no corpus";
    const QString spool = *corpus + "/emf/spool-EMFSpool_0001.emf";
    ASSERT_TRUE(QFileInfo::exists(spool));
    loadCompatibleFaces();  // as the tool does, so that text draws in the same faces
    for (const QString& input : {emf_, spool}) {
        const QString png = dir_.filePath("rgb.png");
        ASSERT_EQ(kvconvert({"--width", "620", input, png}).exitCode, 0);
        QFile file(png);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray head = file.read(26);
        ASSERT_EQ(head.size(), 26);
        EXPECT_EQ(head.mid(12, 4), QByteArray("IHDR"));
        EXPECT_EQ(int(head[24]), 8);  // bits a sample
        EXPECT_EQ(int(head[25]), 2);  // colour type: RGB, no alpha
        const PicturePtr picture = readMetafileFile(input, DeviceCaps{1920, 1080, 508, 286});
        ASSERT_TRUE(picture);
        const QImage expected = renderPicture(*picture, 620).convertToFormat(QImage::Format_RGB32);
        const QImage written = QImage(png).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(written.size(), expected.size()) << input.toStdString();
        EXPECT_TRUE(written == expected) << input.toStdString();
    }
}

TEST_F(KvConvert, AnOutputThatCannotBeWrittenIsReported)
{
    const QString png = dir_.filePath("no-such-folder/page.png");
    const ToolRun run = kvconvert({emf_, png});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("no-such-folder/page.png")) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(png));
}
