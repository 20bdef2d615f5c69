// The stock objects of a fresh DC, made once per process and shared read-only.
#include "gdi/core/objects.h"

#include "gdi/dib/dib.h"

#include <array>

namespace kv::gdi {

namespace {

ObjectPtr solidBrush(ColorRef c) { return makeObject(Brush{BS_SOLID, c, 0, nullptr, false}); }

ObjectPtr pen(uint32_t style, ColorRef c)
{
    Pen p;
    p.style = style;
    p.color = c;
    return makeObject(std::move(p));
}

ObjectPtr font(int32_t height, int32_t weight, uint8_t pitchAndFamily, const char16_t* face)
{
    LogFont lf;
    lf.height = height;
    lf.weight = weight;
    lf.pitchAndFamily = pitchAndFamily;
    lf.faceName = face;
    return makeObject(Font{lf});
}

ObjectPtr defaultPalette()
{
    Palette p;
    for (QRgb c : defaultSystemPalette())
        p.entries.push_back(fromQRgb(c));
    return makeObject(std::move(p));
}

std::array<ObjectPtr, DC_PEN + 1> makeStock()
{
    std::array<ObjectPtr, DC_PEN + 1> s{};
    s[WHITE_BRUSH] = solidBrush(0xFFFFFF);
    s[LTGRAY_BRUSH] = solidBrush(0xC0C0C0);
    s[GRAY_BRUSH] = solidBrush(0x808080);
    s[DKGRAY_BRUSH] = solidBrush(0x404040);
    s[BLACK_BRUSH] = solidBrush(0x000000);
    s[NULL_BRUSH] = makeObject(Brush{BS_NULL, 0, 0, nullptr, false});
    s[WHITE_PEN] = pen(PS_SOLID, 0xFFFFFF);
    s[BLACK_PEN] = pen(PS_SOLID, 0x000000);
    s[NULL_PEN] = pen(PS_NULL, 0x000000);
    s[OEM_FIXED_FONT] = font(12, 400, 0x31, u"Terminal");
    s[ANSI_FIXED_FONT] = font(12, 400, 0x31, u"Courier");
    s[ANSI_VAR_FONT] = font(12, 400, 0x22, u"MS Sans Serif");
    s[SYSTEM_FONT] = font(16, 700, 0x22, u"System");
    s[DEVICE_DEFAULT_FONT] = s[SYSTEM_FONT];
    s[DEFAULT_PALETTE] = defaultPalette();
    s[SYSTEM_FIXED_FONT] = font(16, 400, 0x31, u"Fixedsys");
    s[DEFAULT_GUI_FONT] = font(-11, 400, 0x22, u"MS Shell Dlg");
    s[DC_BRUSH] = s[WHITE_BRUSH];
    s[DC_PEN] = s[BLACK_PEN];
    return s;
}

} // namespace

ObjectPtr stockObject(uint32_t index)
{
    static const std::array<ObjectPtr, DC_PEN + 1> stock = makeStock();
    return index < stock.size() ? stock[index] : nullptr;
}

} // namespace kv::gdi
