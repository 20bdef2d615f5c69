// The raster encoders, each read back by a reader that is not ours: the pixels come back as
// they went in (JPEG: close to them), and every file carries the resolution and the
// compression it was asked for.
#include "common/imagereaders.h"

#include "export/encoders.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QtEndian>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>
#include <functional>

namespace kvtest {
namespace {

// Odd width (row padding), flat areas (runs), a gradient (no runs) and bytes of 0xC0 and
// above (PCX escapes them).
QImage testImage()
{
    QImage image(301, 203, QImage::Format_ARGB32);
    image.fill(Qt::white);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, (x + y) % 256, 255 - y));
    QPainter p(&image);
    p.fillRect(20, 80, 120, 60, QColor(200, 30, 40));
    p.fillRect(160, 90, 100, 90, QColor(0xC3, 0xC1, 0xFF));
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(10, 190, 290, 150);
    return image;
}

struct Written {
    QTemporaryDir dir;
    QString path;
    qint64 size = 0;
};

std::unique_ptr<Written> writeWith(const std::function<bool(QIODevice&, QString&)>& encode, const char* name)
{
    auto w = std::make_unique<Written>();
    w->path = w->dir.filePath(QString::fromLatin1(name));
    QFile file(w->path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    QString error;
    EXPECT_TRUE(encode(file, error)) << error.toStdString();
    file.close();
    w->size = QFileInfo(w->path).size();
    return w;
}

const QPointF kDpi(150, 150);

TEST(Encoders, PngModesReadBackWithTheirInterlaceCompressionAndResolution)
{
    const QImage image = testImage();
    const qint64 raw = qint64(image.width()) * image.height() * 3;
    struct Case {
        kv::PngOptions options;
        bool interlaced;
        bool stored;
    };
    for (const Case& c : {Case{{0, false}, false, true}, Case{{6, false}, false, false}, Case{{0, true}, true, true},
                          Case{{6, true}, true, false}}) {
        const auto w = writeWith([&](QIODevice& d, QString& e) { return kv::encodePng(image, kDpi, c.options, d, e); },
                                 "page.png");
        const auto facts = readPng(w->path);
        ASSERT_TRUE(facts);
        EXPECT_EQ(facts->interlaced, c.interlaced);
        EXPECT_TRUE(sameRgb(facts->pixels, image));
        ASSERT_TRUE(facts->hasPhys);
        EXPECT_EQ(facts->physUnit, 1);  // per metre
        EXPECT_EQ(facts->ppmX, 5906u);  // 150 dpi
        EXPECT_EQ(facts->ppmY, 5906u);
        // Stored deflate keeps every byte; compressed packs this picture to well under half.
        if (c.stored)
            EXPECT_GT(w->size, raw);
        else
            EXPECT_LT(w->size, raw / 2);
    }
}

TEST(Encoders, JpegQualitiesGiveDifferentTablesAndSizesAndKeepTheDensity)
{
    const QImage image = testImage();
    const auto high = writeWith([&](QIODevice& d, QString& e) { return kv::encodeJpeg(image, kDpi, 95, d, e); }, "h.jpg");
    const auto low = writeWith([&](QIODevice& d, QString& e) { return kv::encodeJpeg(image, kDpi, 35, d, e); }, "l.jpg");
    const auto h = readJpeg(high->path), l = readJpeg(low->path);
    ASSERT_TRUE(h && l);
    EXPECT_EQ(h->densityUnit, 1);
    EXPECT_EQ(h->densityX, 150);
    EXPECT_EQ(h->densityY, 150);
    ASSERT_EQ(h->luminanceTable.size(), 64u);
    ASSERT_EQ(l->luminanceTable.size(), 64u);
    // Low quality quantises at least three times coarser, and the file is clearly smaller.
    EXPECT_GE(l->luminanceTable[0], 3 * h->luminanceTable[0]);
    EXPECT_LT(low->size * 3, high->size * 2);
    // Close to the picture: the mean error of the high-quality file is small.
    ASSERT_EQ(h->pixels.size(), image.size());
    const QImage in = image.convertToFormat(QImage::Format_RGB888);
    double error = 0;
    for (int y = 0; y < in.height(); ++y)
        for (int x = 0; x < in.width() * 3; ++x)
            error += std::abs(int(in.constScanLine(y)[x]) - int(h->pixels.constScanLine(y)[x]));
    EXPECT_LT(error / (in.width() * in.height() * 3), 3.0);
}

TEST(Encoders, TiffCarriesTheCompressionAskedForAndItsResolution)
{
    const QImage image = testImage();
    struct Case {
        kv::TiffCompression compression;
        int tag;
    };
    for (const Case& c : {Case{kv::TiffCompression::None, 1}, Case{kv::TiffCompression::Lzw, 5},
                          Case{kv::TiffCompression::PackBits, 32773}}) {
        const auto w = writeWith(
            [&](QIODevice& d, QString& e) { return kv::encodeTiff(image, QPointF(300, 200), c.compression, d, e); },
            "page.tif");
        const auto facts = readTiff(w->path);
        ASSERT_TRUE(facts);
        EXPECT_EQ(facts->compression, c.tag);
        EXPECT_TRUE(sameRgb(facts->pixels, image));
        EXPECT_EQ(facts->resolutionUnit, 2);  // inch
        EXPECT_FLOAT_EQ(facts->resolutionX, 300);
        EXPECT_FLOAT_EQ(facts->resolutionY, 200);
    }
}

TEST(Encoders, BmpAndPcxReadBackInPillowWithTheirResolution)
{
    const QImage image = testImage();
    struct Case {
        const char* name;
        const char* format;
        std::function<bool(QIODevice&, QString&)> encode;
    };
    const Case cases[] = {
        {"page.bmp", "BMP", [&](QIODevice& d, QString& e) { return kv::encodeBmp(image, kDpi, d, e); }},
        {"page.pcx", "PCX", [&](QIODevice& d, QString& e) { return kv::encodePcx(image, kDpi, d, e); }},
    };
    for (const Case& c : cases) {
        const auto w = writeWith(c.encode, c.name);
        QString error;
        const auto facts = readWithPillow(w->path, &error);
        ASSERT_TRUE(facts) << c.name << ": " << error.toStdString();
        EXPECT_EQ(facts->format, QLatin1String(c.format));
        EXPECT_TRUE(sameRgb(facts->pixels, image)) << c.name;
        EXPECT_NEAR(facts->dpiX, 150, 0.5) << c.name;
        EXPECT_NEAR(facts->dpiY, 150, 0.5) << c.name;
    }
}

TEST(Encoders, BmpIsBottomUpWith24BitRows)
{
    const auto w = writeWith([&](QIODevice& d, QString& e) { return kv::encodeBmp(testImage(), kDpi, d, e); }, "a.bmp");
    QFile f(w->path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_GE(bytes.size(), 54);
    const auto i32 = [&](int at) { return qFromLittleEndian<qint32>(bytes.constData() + at); };
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(bytes.constData() + at); };
    EXPECT_EQ(i32(22), 203);   // positive height: bottom-up
    EXPECT_EQ(u16(28), 24);
    EXPECT_EQ(i32(30), 0);     // BI_RGB
    EXPECT_EQ(bytes.size(), 54 + 904 * 203);  // 301 * 3 = 903, padded to 904
}

// A device that refuses to take the bytes: every encoder says so, none claims success.
TEST(Encoders, ARefusingDeviceIsReportedByEveryEncoder)
{
    const QImage image = testImage();
    const std::function<bool(QIODevice&, QString&)> encoders[] = {
        [&](QIODevice& d, QString& e) { return kv::encodeBmp(image, kDpi, d, e); },
        [&](QIODevice& d, QString& e) { return kv::encodePcx(image, kDpi, d, e); },
        [&](QIODevice& d, QString& e) { return kv::encodePng(image, kDpi, {6, false}, d, e); },
        [&](QIODevice& d, QString& e) { return kv::encodeJpeg(image, kDpi, 75, d, e); },
        [&](QIODevice& d, QString& e) { return kv::encodeTiff(image, kDpi, kv::TiffCompression::Lzw, d, e); },
    };
    for (const auto& encode : encoders) {
        QBuffer readOnly;
        readOnly.open(QIODevice::ReadOnly);
        QString error;
        EXPECT_FALSE(encode(readOnly, error));
        EXPECT_FALSE(error.isEmpty());
    }
}

} // namespace
} // namespace kvtest
