// The image-export component on pages recorded as a save records them: every format read
// back by an independent reader, the raster equal to the engine's own rendering of the page
// at the export resolution, and failures that leave nothing behind.
#include "exporttestenv.h"
#include "common/imagereaders.h"

#include "export/encoders.h"
#include "export/exportformats.h"
#include "export/imageexport.h"
#include "gdi/render.h"
#include "platform/inifile.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

namespace kvtest {
namespace {

class ImageExportTest : public ExportTest {
protected:
    void SetUp() override
    {
        ExportTest::SetUp();
        if (HasFatalFailure())
            return;
        pages = makePages(1);
        ASSERT_EQ(pages.size(), 1);
        page = recordedPage(pages[0]);
        ASSERT_NE(page, 0u);
        expected = kv::gdi::renderPictureDpi(*kv::pictureOf(page), 150);
        ASSERT_FALSE(expected.isNull());
    }
    void TearDown() override
    {
        kv::DELETEENHMETAFILE(page);
        ExportTest::TearDown();
    }

    QStringList pages;
    kv::HENHMETAFILE page = 0;
    QImage expected;  // the engine's rendering of the recorded page at 150 dpi
};

TEST_F(ImageExportTest, LosslessRastersEqualTheEnginesRenderingAtTheExportResolution)
{
    EXPECT_EQ(kv::exportImage(page, out("p.png"), kv::kFormatPng, 0x0C1B, 0), 0);
    EXPECT_EQ(kv::exportImage(page, out("p.tif"), kv::kFormatTiff, 0, 0), 0);
    EXPECT_EQ(kv::exportImage(page, out("p.bmp"), kv::kFormatBmp, 0, 0), 0);
    EXPECT_EQ(kv::exportImage(page, out("p.pcx"), kv::kFormatPcx, 0, 0), 0);

    const auto png = readPng(out("p.png"));
    ASSERT_TRUE(png);
    EXPECT_TRUE(sameRgb(png->pixels, expected));
    EXPECT_EQ(png->ppmX, 5906u);
    const auto tiff = readTiff(out("p.tif"));
    ASSERT_TRUE(tiff);
    EXPECT_TRUE(sameRgb(tiff->pixels, expected));
    EXPECT_EQ(tiff->compression, 5);  // flag word 0: LZW
    EXPECT_FLOAT_EQ(tiff->resolutionX, 150);
    for (const char* name : {"p.bmp", "p.pcx"}) {
        QString error;
        const auto facts = readWithPillow(out(QString::fromLatin1(name)), &error);
        ASSERT_TRUE(facts) << name << ": " << error.toStdString();
        EXPECT_TRUE(sameRgb(facts->pixels, expected)) << name;
        EXPECT_NEAR(facts->dpiX, 150, 0.5) << name;
    }
}

// The option codes reach the encoder through IMAGSAVEAS's flag word.
TEST_F(ImageExportTest, OptionCodesChooseQualityCompressionAndInterlace)
{
    EXPECT_EQ(kv::IMAGSAVEAS(0, page, out("high.jpg"), kv::kFormatJpeg, 500), 0);
    EXPECT_EQ(kv::IMAGSAVEAS(0, page, out("low.jpg"), kv::kFormatJpeg, 600), 0);
    const auto high = readJpeg(out("high.jpg")), low = readJpeg(out("low.jpg"));
    ASSERT_TRUE(high && low);
    QBuffer reference;
    reference.open(QIODevice::WriteOnly);
    QString error;
    ASSERT_TRUE(kv::encodeJpeg(expected, QPointF(150, 150), 95, reference, error));
    QFile referenceFile(out("reference.jpg"));
    ASSERT_TRUE(referenceFile.open(QIODevice::WriteOnly));
    referenceFile.write(reference.data());
    referenceFile.close();
    const auto atNinetyFive = readJpeg(out("reference.jpg"));
    ASSERT_TRUE(atNinetyFive);
    EXPECT_EQ(high->luminanceTable, atNinetyFive->luminanceTable);
    EXPECT_GE(low->luminanceTable[0], 3 * high->luminanceTable[0]);
    EXPECT_EQ(high->densityX, 150);

    struct TiffCase {
        int32_t option;
        int tag;
    };
    for (const TiffCase& c : {TiffCase{101, 1}, TiffCase{102, 5}, TiffCase{106, 32773}}) {
        const QString file = out(QStringLiteral("t%1.tif").arg(c.option));
        EXPECT_EQ(kv::IMAGSAVEAS(0, page, file, kv::kFormatTiff, c.option), 0);
        const auto facts = readTiff(file);
        ASSERT_TRUE(facts);
        EXPECT_EQ(facts->compression, c.tag) << c.option;
    }

    EXPECT_EQ(kv::IMAGSAVEAS(0, page, out("plain.png"), kv::kFormatPng), 0);  // no option: flag word 0
    EXPECT_EQ(kv::IMAGSAVEAS(0, page, out("interlaced.png"), kv::kFormatPng, 11000), 0);
    const auto plain = readPng(out("plain.png")), interlaced = readPng(out("interlaced.png"));
    ASSERT_TRUE(plain && interlaced);
    EXPECT_FALSE(plain->interlaced);
    EXPECT_TRUE(interlaced->interlaced);
    // "None" stores: the file holds every pixel; compressed-interlaced packs them.
    const qint64 raw = qint64(expected.width()) * expected.height() * 3;
    EXPECT_GT(QFileInfo(out("plain.png")).size(), raw);
    EXPECT_LT(QFileInfo(out("interlaced.png")).size(), raw / 10);
}

TEST_F(ImageExportTest, TheResolutionKeyChangesTheRasterSize)
{
    const QString ini = out("KORVELLE.INI");
    struct Case {
        const char* value;  // nothing: no key
        double dpi;
    };
    for (const Case& c : {Case{nullptr, 150}, Case{"300", 300}, Case{"72", 72}, Case{"1200", 1200}, Case{"71", 150},
                          Case{"1201", 150}, Case{"high", 150}, Case{"", 150}}) {
        QFile::remove(ini);
        if (c.value) {
            ASSERT_TRUE(kv::IniFile(ini).writeString(QStringLiteral("Save2File"), QStringLiteral("Resolution"),
                                                     QString::fromLatin1(c.value)));
        }
        EXPECT_DOUBLE_EQ(kv::exportResolution(ini), c.dpi) << (c.value ? c.value : "(missing)");
    }
    ASSERT_EQ(kv::exportImage(page, out("p300.png"), kv::kFormatPng, 0x0C1B, 0, 300), 0);
    const auto facts = readPng(out("p300.png"));
    ASSERT_TRUE(facts);
    EXPECT_NEAR(facts->pixels.width(), 2 * expected.width(), 1);
    EXPECT_NEAR(facts->pixels.height(), 2 * expected.height(), 1);
    EXPECT_EQ(facts->ppmX, 11811u);
}

TEST_F(ImageExportTest, EmfIsTheRecordedMetafileAndOtherReadersAcceptIt)
{
    ASSERT_EQ(kv::exportImage(page, out("p.emf"), kv::kFormatEmf, 0, 0), 0);
    QFile file(out("p.emf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const std::vector<uint8_t> recorded = kv::enhMetaFileBytes(page);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), recorded);
    const kv::HENHMETAFILE back = kv::GETENHMETAFILE(out("p.emf"));
    ASSERT_NE(back, 0u);
    EXPECT_EQ(kv::ENHMETASIZE(back, 1), kv::ENHMETASIZE(page, 1));
    kv::DELETEENHMETAFILE(back);

    const QString tool = QStandardPaths::findExecutable(QStringLiteral("emf2svg-conv"));
    if (tool.isEmpty())
        GTEST_SKIP() << "emf2svg-conv (Debian package emf2svg) is not installed";
    QProcess conv;
    conv.start(tool, {QStringLiteral("-i"), out("p.emf"), QStringLiteral("-o"), out("p.svg")});
    ASSERT_TRUE(conv.waitForFinished(60000));
    EXPECT_EQ(conv.exitCode(), 0) << conv.readAllStandardError().toStdString();
    QFile svg(out("p.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("<svg"));
}

TEST_F(ImageExportTest, WmfHasAPlaceableHeaderAndOtherReadersAcceptIt)
{
    ASSERT_EQ(kv::exportImage(page, out("p.wmf"), kv::kFormatWmf, 0, 0), 0);
    QFile file(out("p.wmf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GT(bytes.size(), 22);
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData()), 0x9AC6CDD7u);
    const kv::HMETAFILE back = kv::GETMETAFILE(out("p.wmf"));
    EXPECT_NE(back, 0u);
    kv::DELETEMETAFILE(back);

    const QString tool = QStandardPaths::findExecutable(QStringLiteral("wmf2gd"));
    if (tool.isEmpty())
        GTEST_SKIP() << "wmf2gd (Debian package libwmf-bin) is not installed";
    QProcess conv;
    conv.start(tool, {QStringLiteral("-t"), QStringLiteral("png"), QStringLiteral("-o"), out("p-wmf.png"), out("p.wmf")});
    ASSERT_TRUE(conv.waitForFinished(60000));
    EXPECT_EQ(conv.exitCode(), 0) << conv.readAllStandardError().toStdString();
    const QImage drawn(out("p-wmf.png"));
    ASSERT_FALSE(drawn.isNull());
    // The placeable header gives the page's shape.
    EXPECT_NEAR(double(drawn.width()) / drawn.height(), double(expected.width()) / expected.height(), 0.02);
}

TEST_F(ImageExportTest, UnknownFormatsAndUnwritableTargetsFailLeavingNothing)
{
    EXPECT_NE(kv::exportImage(page, out("none.png"), kv::kFormatNone, 0, 0), 0);
    EXPECT_NE(kv::exportImage(page, out("odd.png"), 512, 0, 0), 0);
    EXPECT_NE(kv::exportImage(0, out("nothing.png"), kv::kFormatPng, 0, 0), 0);
    EXPECT_NE(kv::exportImage(page, out("missing/dir/p.png"), kv::kFormatPng, 0, 0), 0);
    EXPECT_NE(kv::exportImage(page, out("missing/dir/p.emf"), kv::kFormatEmf, 0, 0), 0);
    EXPECT_NE(kv::exportImage(page, out(QString(300, QLatin1Char('x')) + ".png"), kv::kFormatPng, 0, 0), 0);  // too long a name
    EXPECT_TRUE(allEntries(outDir.path()).isEmpty()) << allEntries(outDir.path()).join(' ').toStdString();
}

TEST_F(ImageExportTest, AFullDiskLeavesNoPartialFile)
{
    SmallDisk disk(256);
    if (!disk.mounted())
        GTEST_SKIP() << disk.reason().toStdString();
    const kv::PreparedExport job(page, disk.path(QStringLiteral("page.bmp")), kv::kFormatBmp, 0, 0);
    const kv::ExportResult result = job.run();
    EXPECT_FALSE(result.written());
    EXPECT_FALSE(result.reason.isEmpty());
    EXPECT_TRUE(allEntries(disk.path()).isEmpty()) << allEntries(disk.path()).join(' ').toStdString();
}

} // namespace
} // namespace kvtest
