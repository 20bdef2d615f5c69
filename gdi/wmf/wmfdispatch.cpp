// The WMF record table: which handler reads a record, how many parameter bytes it needs at
// least, and its name for statistics. Records shorter than that, and records not in the table,
// are skipped.
#include "gdi/readers.h"
#include "gdi/wmf/wmfparser.h"

#include <array>

namespace kv::gdi {

using namespace wmf;

std::span<const WmfParser::Entry> WmfParser::entries()
{
    static const std::array<Entry, 70> table{{
        {META_SETBKCOLOR & 0xFF, 4, &WmfParser::setBkColor, "SETBKCOLOR"},
        {META_SETBKMODE & 0xFF, 2, &WmfParser::setBkMode, "SETBKMODE"},
        {META_SETMAPMODE & 0xFF, 2, &WmfParser::setMapMode, "SETMAPMODE"},
        {META_SETROP2 & 0xFF, 2, &WmfParser::setRop2, "SETROP2"},
        {META_SETRELABS & 0xFF, 0, &WmfParser::skipRecord, "SETRELABS"},
        {META_SETPOLYFILLMODE & 0xFF, 2, &WmfParser::setPolyFillMode, "SETPOLYFILLMODE"},
        {META_SETSTRETCHBLTMODE & 0xFF, 2, &WmfParser::setStretchBltMode, "SETSTRETCHBLTMODE"},
        {META_SETTEXTCHAREXTRA & 0xFF, 2, &WmfParser::setTextCharExtra, "SETTEXTCHAREXTRA"},
        {META_SETTEXTCOLOR & 0xFF, 4, &WmfParser::setTextColor, "SETTEXTCOLOR"},
        {META_SETTEXTJUSTIFICATION & 0xFF, 4, &WmfParser::setTextJustification, "SETTEXTJUSTIFICATION"},
        {META_SETWINDOWORG & 0xFF, 4, &WmfParser::setWindowOrg, "SETWINDOWORG"},
        {META_SETWINDOWEXT & 0xFF, 4, &WmfParser::setWindowExt, "SETWINDOWEXT"},
        {META_SETVIEWPORTORG & 0xFF, 4, &WmfParser::setViewportOrg, "SETVIEWPORTORG"},
        {META_SETVIEWPORTEXT & 0xFF, 4, &WmfParser::setViewportExt, "SETVIEWPORTEXT"},
        {META_OFFSETWINDOWORG & 0xFF, 4, &WmfParser::offsetWindowOrg, "OFFSETWINDOWORG"},
        {META_SCALEWINDOWEXT & 0xFF, 8, &WmfParser::scaleWindowExt, "SCALEWINDOWEXT"},
        {META_OFFSETVIEWPORTORG & 0xFF, 4, &WmfParser::offsetViewportOrg, "OFFSETVIEWPORTORG"},
        {META_SCALEVIEWPORTEXT & 0xFF, 8, &WmfParser::scaleViewportExt, "SCALEVIEWPORTEXT"},
        {META_LINETO & 0xFF, 4, &WmfParser::lineTo, "LINETO"},
        {META_MOVETO & 0xFF, 4, &WmfParser::moveTo, "MOVETO"},
        {META_EXCLUDECLIPRECT & 0xFF, 8, &WmfParser::excludeClipRect, "EXCLUDECLIPRECT"},
        {META_INTERSECTCLIPRECT & 0xFF, 8, &WmfParser::intersectClipRect, "INTERSECTCLIPRECT"},
        {META_ARC & 0xFF, 16, &WmfParser::arc, "ARC"},
        {META_ELLIPSE & 0xFF, 8, &WmfParser::ellipse, "ELLIPSE"},
        {META_FLOODFILL & 0xFF, 8, &WmfParser::floodFill, "FLOODFILL"},
        {META_PIE & 0xFF, 16, &WmfParser::pie, "PIE"},
        {META_RECTANGLE & 0xFF, 8, &WmfParser::rectangle, "RECTANGLE"},
        {META_ROUNDRECT & 0xFF, 12, &WmfParser::roundRect, "ROUNDRECT"},
        {META_PATBLT & 0xFF, 12, &WmfParser::patBlt, "PATBLT"},
        {META_SAVEDC & 0xFF, 0, &WmfParser::saveDc, "SAVEDC"},
        {META_SETPIXEL & 0xFF, 8, &WmfParser::setPixel, "SETPIXEL"},
        {META_OFFSETCLIPRGN & 0xFF, 4, &WmfParser::offsetClipRgn, "OFFSETCLIPRGN"},
        {META_TEXTOUT & 0xFF, 2, &WmfParser::textOut, "TEXTOUT"},
        {META_BITBLT & 0xFF, 16, &WmfParser::bitBlt, "BITBLT"},
        {META_STRETCHBLT & 0xFF, 20, &WmfParser::stretchBlt, "STRETCHBLT"},
        {META_POLYGON & 0xFF, 2, &WmfParser::polygon, "POLYGON"},
        {META_POLYLINE & 0xFF, 2, &WmfParser::polyline, "POLYLINE"},
        {META_ESCAPE & 0xFF, 4, &WmfParser::escape, "ESCAPE"},
        {META_RESTOREDC & 0xFF, 2, &WmfParser::restoreDc, "RESTOREDC"},
        {META_FILLREGION & 0xFF, 4, &WmfParser::fillRegion, "FILLREGION"},
        {META_FRAMEREGION & 0xFF, 8, &WmfParser::frameRegion, "FRAMEREGION"},
        {META_INVERTREGION & 0xFF, 2, &WmfParser::invertRegion, "INVERTREGION"},
        {META_PAINTREGION & 0xFF, 2, &WmfParser::paintRegion, "PAINTREGION"},
        {META_SELECTCLIPREGION & 0xFF, 2, &WmfParser::selectClipRegion, "SELECTCLIPREGION"},
        {META_SELECTOBJECT & 0xFF, 2, &WmfParser::selectObject, "SELECTOBJECT"},
        {META_SETTEXTALIGN & 0xFF, 2, &WmfParser::setTextAlign, "SETTEXTALIGN"},
        {META_CHORD & 0xFF, 16, &WmfParser::chord, "CHORD"},
        {META_SETMAPPERFLAGS & 0xFF, 4, &WmfParser::setMapperFlags, "SETMAPPERFLAGS"},
        {META_EXTTEXTOUT & 0xFF, 8, &WmfParser::extTextOut, "EXTTEXTOUT"},
        {META_SETDIBTODEV & 0xFF, 18, &WmfParser::setDibToDev, "SETDIBTODEV"},
        {META_SELECTPALETTE & 0xFF, 2, &WmfParser::selectPalette, "SELECTPALETTE"},
        {META_REALIZEPALETTE & 0xFF, 0, &WmfParser::realizePalette, "REALIZEPALETTE"},
        {META_ANIMATEPALETTE & 0xFF, 0, &WmfParser::skipRecord, "ANIMATEPALETTE"},
        {META_SETPALENTRIES & 0xFF, 4, &WmfParser::setPalEntries, "SETPALENTRIES"},
        {META_POLYPOLYGON & 0xFF, 2, &WmfParser::polyPolygon, "POLYPOLYGON"},
        {META_RESIZEPALETTE & 0xFF, 2, &WmfParser::resizePalette, "RESIZEPALETTE"},
        {META_DIBBITBLT & 0xFF, 16, &WmfParser::dibBitBlt, "DIBBITBLT"},
        {META_DIBSTRETCHBLT & 0xFF, 20, &WmfParser::dibStretchBlt, "DIBSTRETCHBLT"},
        {META_DIBCREATEPATTERNBRUSH & 0xFF, 4, &WmfParser::dibCreatePatternBrush, "DIBCREATEPATTERNBRUSH"},
        {META_STRETCHDIB & 0xFF, 22, &WmfParser::stretchDib, "STRETCHDIB"},
        {META_EXTFLOODFILL & 0xFF, 10, &WmfParser::extFloodFill, "EXTFLOODFILL"},
        {META_SETLAYOUT & 0xFF, 0, &WmfParser::skipRecord, "SETLAYOUT"},
        {META_DELETEOBJECT & 0xFF, 2, &WmfParser::deleteObject, "DELETEOBJECT"},
        {META_CREATEPALETTE & 0xFF, 4, &WmfParser::createPalette, "CREATEPALETTE"},
        {META_CREATEPATTERNBRUSH & 0xFF, 32, &WmfParser::createPatternBrush, "CREATEPATTERNBRUSH"},
        {META_CREATEPENINDIRECT & 0xFF, 10, &WmfParser::createPenIndirect, "CREATEPENINDIRECT"},
        {META_CREATEFONTINDIRECT & 0xFF, 18, &WmfParser::createFontIndirect, "CREATEFONTINDIRECT"},
        {META_CREATEBRUSHINDIRECT & 0xFF, 8, &WmfParser::createBrushIndirect, "CREATEBRUSHINDIRECT"},
        {META_CREATEREGION & 0xFF, 20, &WmfParser::createRegion, "CREATEREGION"},
        {0xF8, 0, &WmfParser::createPlaceholder, "CREATEBRUSH"},  // META_CREATEBRUSH: an old record that still takes a slot
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

RecordFate WmfParser::dispatch(uint16_t function, ByteReader params)
{
    function_ = function;
    const Entry* entry = findEntry(uint8_t(function & 0xFF));
    if (entry && params.size() >= entry->minBytes) {
        if ((this->*entry->handler)(params))
            return RecordFate::Played;
        // Escapes other than the comment carrying an EMF are printer business, not damage.
        return (function & 0xFF) == (wmf::META_ESCAPE & 0xFF) ? RecordFate::Unknown : RecordFate::Unusable;
    }
    // A creation record that cannot be read still takes its slot, or every later object
    // index of the file would name the wrong object.
    if (createsObject(uint8_t(function & 0xFF)))
        createPlaceholder(params);
    return entry ? RecordFate::Short : RecordFate::Unknown;
}

const char* WmfParser::recordName(uint16_t function)
{
    const Entry* entry = findEntry(uint8_t(function & 0xFF));
    return entry ? entry->name : "UNKNOWN";
}

const char* wmfRecordName(uint16_t function)
{
    return WmfParser::recordName(function);
}

} // namespace kv::gdi
