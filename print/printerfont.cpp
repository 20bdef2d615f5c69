#include "print/printerfont.h"

#include <cmath>

namespace kv {

gdi::LogFont toLogFont(const PrinterFont& font, int logPixelsY)
{
    gdi::LogFont lf;
    lf.height = -int32_t(std::lround(font.height * logPixelsY / 72.0));
    lf.weight = font.weight;
    lf.italic = font.italic;
    lf.underline = font.underline;
    lf.strikeOut = font.strikeOut;
    lf.faceName = font.face.toStdU16String();
    return lf;
}

} // namespace kv
