// The WMF record table: which handler reads a record and how many parameter bytes it needs
// at least. Records shorter than that, and records not in the table, are skipped.
#include "wmfparser.h"

#include <array>

namespace kv::gdi {

using namespace wmf;

std::span<const WmfParser::Entry> WmfParser::entries()
{
    static const std::array<Entry, 70> table{{
        {META_SETBKCOLOR & 0xFF, 4, &WmfParser::setBkColor},
        {META_SETBKMODE & 0xFF, 2, &WmfParser::setBkMode},
        {META_SETMAPMODE & 0xFF, 2, &WmfParser::setMapMode},
        {META_SETROP2 & 0xFF, 2, &WmfParser::setRop2},
        {META_SETRELABS & 0xFF, 0, &WmfParser::skipRecord},
        {META_SETPOLYFILLMODE & 0xFF, 2, &WmfParser::setPolyFillMode},
        {META_SETSTRETCHBLTMODE & 0xFF, 2, &WmfParser::setStretchBltMode},
        {META_SETTEXTCHAREXTRA & 0xFF, 2, &WmfParser::setTextCharExtra},
        {META_SETTEXTCOLOR & 0xFF, 4, &WmfParser::setTextColor},
        {META_SETTEXTJUSTIFICATION & 0xFF, 4, &WmfParser::setTextJustification},
        {META_SETWINDOWORG & 0xFF, 4, &WmfParser::setWindowOrg},
        {META_SETWINDOWEXT & 0xFF, 4, &WmfParser::setWindowExt},
        {META_SETVIEWPORTORG & 0xFF, 4, &WmfParser::setViewportOrg},
        {META_SETVIEWPORTEXT & 0xFF, 4, &WmfParser::setViewportExt},
        {META_OFFSETWINDOWORG & 0xFF, 4, &WmfParser::offsetWindowOrg},
        {META_SCALEWINDOWEXT & 0xFF, 8, &WmfParser::scaleWindowExt},
        {META_OFFSETVIEWPORTORG & 0xFF, 4, &WmfParser::offsetViewportOrg},
        {META_SCALEVIEWPORTEXT & 0xFF, 8, &WmfParser::scaleViewportExt},
        {META_LINETO & 0xFF, 4, &WmfParser::lineTo},
        {META_MOVETO & 0xFF, 4, &WmfParser::moveTo},
        {META_EXCLUDECLIPRECT & 0xFF, 8, &WmfParser::excludeClipRect},
        {META_INTERSECTCLIPRECT & 0xFF, 8, &WmfParser::intersectClipRect},
        {META_ARC & 0xFF, 16, &WmfParser::arc},
        {META_ELLIPSE & 0xFF, 8, &WmfParser::ellipse},
        {META_FLOODFILL & 0xFF, 0, &WmfParser::skipRecord},
        {META_PIE & 0xFF, 16, &WmfParser::pie},
        {META_RECTANGLE & 0xFF, 8, &WmfParser::rectangle},
        {META_ROUNDRECT & 0xFF, 12, &WmfParser::roundRect},
        {META_PATBLT & 0xFF, 12, &WmfParser::patBlt},
        {META_SAVEDC & 0xFF, 0, &WmfParser::saveDc},
        {META_SETPIXEL & 0xFF, 8, &WmfParser::setPixel},
        {META_OFFSETCLIPRGN & 0xFF, 4, &WmfParser::offsetClipRgn},
        {META_TEXTOUT & 0xFF, 2, &WmfParser::textOut},
        {META_BITBLT & 0xFF, 16, &WmfParser::bitBlt},
        {META_STRETCHBLT & 0xFF, 20, &WmfParser::stretchBlt},
        {META_POLYGON & 0xFF, 2, &WmfParser::polygon},
        {META_POLYLINE & 0xFF, 2, &WmfParser::polyline},
        {META_ESCAPE & 0xFF, 4, &WmfParser::escape},
        {META_RESTOREDC & 0xFF, 2, &WmfParser::restoreDc},
        {META_FILLREGION & 0xFF, 4, &WmfParser::fillRegion},
        {META_FRAMEREGION & 0xFF, 8, &WmfParser::frameRegion},
        {META_INVERTREGION & 0xFF, 2, &WmfParser::invertRegion},
        {META_PAINTREGION & 0xFF, 2, &WmfParser::paintRegion},
        {META_SELECTCLIPREGION & 0xFF, 2, &WmfParser::selectClipRegion},
        {META_SELECTOBJECT & 0xFF, 2, &WmfParser::selectObject},
        {META_SETTEXTALIGN & 0xFF, 2, &WmfParser::setTextAlign},
        {META_CHORD & 0xFF, 16, &WmfParser::chord},
        {META_SETMAPPERFLAGS & 0xFF, 4, &WmfParser::setMapperFlags},
        {META_EXTTEXTOUT & 0xFF, 8, &WmfParser::extTextOut},
        {META_SETDIBTODEV & 0xFF, 18, &WmfParser::setDibToDev},
        {META_SELECTPALETTE & 0xFF, 2, &WmfParser::selectPalette},
        {META_REALIZEPALETTE & 0xFF, 0, &WmfParser::realizePalette},
        {META_ANIMATEPALETTE & 0xFF, 0, &WmfParser::skipRecord},
        {META_SETPALENTRIES & 0xFF, 4, &WmfParser::setPalEntries},
        {META_POLYPOLYGON & 0xFF, 2, &WmfParser::polyPolygon},
        {META_RESIZEPALETTE & 0xFF, 2, &WmfParser::resizePalette},
        {META_DIBBITBLT & 0xFF, 16, &WmfParser::dibBitBlt},
        {META_DIBSTRETCHBLT & 0xFF, 20, &WmfParser::dibStretchBlt},
        {META_DIBCREATEPATTERNBRUSH & 0xFF, 4, &WmfParser::dibCreatePatternBrush},
        {META_STRETCHDIB & 0xFF, 22, &WmfParser::stretchDib},
        {META_EXTFLOODFILL & 0xFF, 0, &WmfParser::skipRecord},
        {META_SETLAYOUT & 0xFF, 0, &WmfParser::skipRecord},
        {META_DELETEOBJECT & 0xFF, 2, &WmfParser::deleteObject},
        {META_CREATEPALETTE & 0xFF, 4, &WmfParser::createPalette},
        {META_CREATEPATTERNBRUSH & 0xFF, 32, &WmfParser::createPatternBrush},
        {META_CREATEPENINDIRECT & 0xFF, 10, &WmfParser::createPenIndirect},
        {META_CREATEFONTINDIRECT & 0xFF, 18, &WmfParser::createFontIndirect},
        {META_CREATEBRUSHINDIRECT & 0xFF, 8, &WmfParser::createBrushIndirect},
        {META_CREATEREGION & 0xFF, 20, &WmfParser::createRegion},
        {0xF8, 0, &WmfParser::createPlaceholder},  // META_CREATEBRUSH: an old record that still takes a slot
    }};
    return table;
}

bool WmfParser::createsObject(uint8_t function)
{
    return function >= (META_CREATEPALETTE & 0xFF) || function == (META_DIBCREATEPATTERNBRUSH & 0xFF);
}

const WmfParser::Entry* WmfParser::findEntry(uint8_t function)
{
    for (const Entry& e : entries())
        if (e.function == function)
            return &e;
    return nullptr;
}

bool WmfParser::dispatch(uint16_t function, ByteReader params)
{
    function_ = function;
    const Entry* entry = findEntry(uint8_t(function & 0xFF));
    if (entry && params.size() >= entry->minBytes)
        return (this->*entry->handler)(params);
    // A creation record that cannot be read still takes its slot, or every later object
    // index of the file would name the wrong object.
    if (createsObject(uint8_t(function & 0xFF)))
        createPlaceholder(params);
    return false;
}

} // namespace kv::gdi
