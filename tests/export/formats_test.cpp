// Format codes, option lists, option codes, flag words and the names Save as writes.
#include "export/exportformats.h"
#include "export/outputnames.h"

#include <gtest/gtest.h>

namespace kvtest {
namespace {

TEST(ExportFormats, EveryFormatEntryGivesItsCode)
{
    const std::pair<const char*, int32_t> cases[] = {
        {"BMP - Windows Bitmap", 8},
        {"JPEG - jpg, jpeg", 128},
        {"EMF - Windows Enhanced Metafile", kv::kFormatEmf},
        {"PCX - Zsoft Publisher's Paintbrush", 64},
        {"TIFF - TIFF Revision 6", 16},
        {"PNG - Portable Network Graphic", 256},
        {"WMF - Windows Metafile", 1},
        {"jpeg - lower case", 0},   // the keys are case-sensitive
        {"GIF", 0},
        {"", 0},
        {"WMF or BMP", 8},          // the first key of the table's order decides
        {"PDF - Portable Document Format", kv::kFormatPdf},
        {"TIFF - multi-page (one file)", kv::kFormatTiffPages},  // ahead of the "TIF" it contains
        {"pdf", 0},
    };
    for (const auto& [format, code] : cases)
        EXPECT_EQ(kv::formatCode(QString::fromLatin1(format)), code) << format;
    for (int32_t other : {8, 128, 64, 16, 256, 1, 0})
        EXPECT_NE(kv::kFormatEmf, other);
    const int32_t seven[] = {kv::kFormatWmf, kv::kFormatEmf, kv::kFormatBmp, kv::kFormatTiff,
                             kv::kFormatPcx, kv::kFormatJpeg, kv::kFormatPng, kv::kFormatNone};
    for (int32_t code : seven) {
        EXPECT_NE(code, kv::kFormatPdf);
        EXPECT_NE(code, kv::kFormatTiffPages);
        EXPECT_FALSE(kv::isDocumentFormat(code)) << code;
    }
    EXPECT_NE(kv::kFormatPdf, kv::kFormatTiffPages);
    EXPECT_TRUE(kv::isDocumentFormat(kv::kFormatPdf));
    EXPECT_TRUE(kv::isDocumentFormat(kv::kFormatTiffPages));
}

TEST(ExportFormats, OptionListsFollowTheBeginningOfTheFormatText)
{
    const QStringList jpeg{"Quality", "Low Quality"};
    const QStringList tiff{"Uncompressed", "LZW Compression", "Packbits Compression"};
    const QStringList png{"None", "Write compressed", "Write in interlaced mode", "Write compressed in interlaced mode"};
    const std::pair<const char*, QStringList> cases[] = {
        {"JPEG - jpg, jpeg", jpeg}, {"  JPEG", jpeg}, {"TIFF - TIFF Revision 6", tiff}, {"PNG - Portable", png},
        {" PNG ", png}, {"BMP - Windows Bitmap", {}}, {"EMF - Windows Enhanced Metafile", {}}, {"JPG", {}},
        {"", {}},
        {"PDF - Portable Document Format", {"Standard", "PDF/A-1b (archive)"}},
        {"TIFF - multi-page (one file)", tiff + QStringList{"CCITT Group 4 (black and white, fax)"}},
    };
    for (const auto& [format, options] : cases)
        EXPECT_EQ(kv::GETOPTION(QString::fromLatin1(format)), options) << format;
}

TEST(ExportFormats, OptionIndexesBecomeCodesAndCodesFlagWords)
{
    struct Case {
        int32_t format;
        int index;
        uint32_t flags;
    };
    const Case cases[] = {
        {kv::kFormatJpeg, 1, 0xFC19}, {kv::kFormatJpeg, 2, 0x3C19}, {kv::kFormatTiff, 1, 0x0C39},
        {kv::kFormatTiff, 2, 0x0C59}, {kv::kFormatTiff, 3, 0x0CD9}, {kv::kFormatPng, 1, 0},
        {kv::kFormatPng, 2, 0x0C1B},  {kv::kFormatPng, 3, 0x10C19}, {kv::kFormatPng, 4, 0x10C1B},
        // A stale index (0) or one beyond the list, and formats without options: flag word 0.
        {kv::kFormatJpeg, 0, 0},      {kv::kFormatTiff, 0, 0},      {kv::kFormatPng, 0, 0},
        {kv::kFormatJpeg, 3, 0},      {kv::kFormatPng, 5, 0},       {kv::kFormatBmp, 1, 0},
        {kv::kFormatPcx, 1, 0},       {kv::kFormatWmf, 1, 0},       {kv::kFormatEmf, 1, 0},
        // The multi-page TIFF shares TIFF's compression bits and adds Group 4; PDF/A is bit 17.
        {kv::kFormatTiffPages, 1, 0x0C39}, {kv::kFormatTiffPages, 2, 0x0C59}, {kv::kFormatTiffPages, 3, 0x0CD9},
        {kv::kFormatTiffPages, 4, 0x0CF9}, {kv::kFormatTiffPages, 5, 0},      {kv::kFormatPdf, 1, 0x0C19},
        {kv::kFormatPdf, 2, 0x20C19},      {kv::kFormatPdf, 3, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kv::flagWord(kv::optionCode(c.format, c.index)), c.flags) << c.format << " option " << c.index;
    EXPECT_EQ(kv::optionCode(kv::kFormatJpeg, 1), 500);
    EXPECT_EQ(kv::optionCode(kv::kFormatPng, 4), 11000);
    // Only the low 16 bits of a code are compared.
    EXPECT_EQ(kv::flagWord(0x10000 + 500), 0xFC19u);
    EXPECT_EQ(kv::flagWord(0x70000 + 106), 0x0CD9u);
    EXPECT_EQ(kv::flagWord(501), 0u);
    EXPECT_EQ(kv::flagWord(std::nullopt), 0u);
}

TEST(OutputNames, EachPageGetsItsNumberBeforeTheExtension)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/out/report.jpg", "/spool/korvelle/E0010003.emf", "/out/report0003.jpg"},
        {"/out/report.jpg   ", "/spool/korvelle/E0010005.emf", "/out/report0005.jpg"},
        {"/my.reports/out.png", "/s/E0020012.emf", "/my.reports/out0012.png"},
        {"/out/report.final.tif", "/s/E0010001.emf", "/out/report.final0001.tif"},
        {"/out/report", "/s/E0010003.emf", "/out/report0003"},
        {"/my.reports/report", "/s/E0010004.emf", "/my.reports/report0004"},
        {"report.bmp", "tmp0007.emf", "report007.bmp"},  // the first four characters go, whatever they are
    };
    for (const auto& [name, page, expected] : cases)
        EXPECT_EQ(kv::outputFileName(QString::fromLatin1(name), QString::fromLatin1(page)), QString::fromLatin1(expected))
            << name << " + " << page;
}

TEST(OutputNames, TheArchiveIsNamedAfterTheOutputName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/out/report.jpg", "/out/REPORT.ZIP"},   {"/out/report.JPG", "/out/REPORT.ZIP"},
        {"/out/report.jpeg  ", "/out/REPORT.ZIP"}, {"/out/jpg/report.jpg", "/out/jpg/REPORT.ZIP"},
        {"/out/report", "/out/REPORT.zip"},        {"/my.reports/report", "/my.reports/REPORT"},
        {"report.x.png", "REPORT.X.ZIP"},
    };
    for (const auto& [name, archive] : cases)
        EXPECT_EQ(kv::archiveName(QString::fromLatin1(name)), QString::fromLatin1(archive)) << name;
}

} // namespace
} // namespace kvtest
