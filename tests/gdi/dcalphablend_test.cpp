// AlphaBlend stretches as COLORONCOLOR whatever the DC's stretch mode: a HALFTONE DC smooths a
// StretchBlt but not an AlphaBlend.
#include "canvas.h"

#include <gtest/gtest.h>

using namespace kv::gdi;
using kvtest::Canvas;

namespace {

// Greys across a black | white pair of source pixels stretched over 40 device pixels.
int greysAcrossStretch(rec::BltKind kind, int32_t stretchMode)
{
    QImage pair(2, 1, QImage::Format_RGB32);
    pair.setPixel(0, 0, qRgb(0, 0, 0));
    pair.setPixel(1, 0, qRgb(255, 255, 255));
    auto bitmap = std::make_shared<Bitmap>();
    bitmap->image = pair;
    rec::Blt blt;
    blt.kind = kind;
    blt.xDest = 0, blt.yDest = 0, blt.cxDest = 40, blt.cyDest = 10;
    blt.cxSrc = 2, blt.cySrc = 1;
    blt.source = bitmap;
    blt.blendFunction = 0x00FF0000;  // AC_SRC_OVER, constant alpha 255
    Canvas c(40, 10);
    c.dc().setStretchBltMode(stretchMode);
    c.dc().blt(blt);
    int greys = 0;
    for (int x = 0; x < 40; ++x)
        greys += c.pixel(x, 5) != 0x000000 && c.pixel(x, 5) != 0xFFFFFF;
    return greys;
}

} // namespace

TEST(DcAlphaBlend, StretchesWithoutSmoothingEvenInHalftoneMode)
{
    EXPECT_GT(greysAcrossStretch(rec::BltKind::Stretch, HALFTONE), 0);
    EXPECT_EQ(greysAcrossStretch(rec::BltKind::Alpha, HALFTONE), 0);
    EXPECT_EQ(greysAcrossStretch(rec::BltKind::Alpha, COLORONCOLOR), 0);
}
