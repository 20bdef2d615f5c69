#pragma once
// Inside the WMF reader: one pass over a Windows metafile's records, each translated into
// its EMF equivalent. Kept private to the reader's source files.
#include "gdi/dib/dib.h"
#include "platform/bytereader.h"
#include "gdi/core/records.h"
#include "gdi/wmf/wmfformat.h"

#include <optional>
#include <span>
#include <vector>

namespace kv::gdi {

class WmfParser {
public:
    WmfParser(Picture& out, const DeviceCaps& reference) : out_(out), reference_(reference) {}

    // Handles one record's parameters (the bytes after its size and function).
    RecordFate dispatch(uint16_t function, ByteReader params);

    // The EMF carried by MFCOMMENT escapes, once all of it has been met.
    const std::vector<uint8_t>* embeddedEmf() const { return emfComplete_ ? &emfChunks_ : nullptr; }
    // Object slots the file used (for the header's handle count).
    size_t slotCount() const { return slots_.size(); }

    // The name of a record function ("TEXTOUT"), or "UNKNOWN".
    static const char* recordName(uint16_t function);

private:
    using Handler = bool (WmfParser::*)(ByteReader&);
    struct Entry { uint8_t function; uint16_t minBytes; Handler handler; const char* name; };
    static const Entry* findEntry(uint8_t function);
    static std::span<const Entry> entries();

    template <class R> void push(R record) { out_.records.emplace_back(std::move(record)); }

    // Object table: a WMF object takes the lowest free slot; slot n is EMF index n + 1.
    struct Slot {
        enum class Kind : uint8_t { Free, Object, Region } kind = Kind::Free;
        RegionData region;
    };
    uint32_t addObject(ObjectPtr object);   // emits CreateObject, returns the slot
    void addRegion(RegionData region);
    uint32_t takeSlot();
    const RegionData* regionAt(uint16_t slot) const;
    bool objectAt(uint16_t slot) const;

    // state
    bool setBkColor(ByteReader& p);
    bool setBkMode(ByteReader& p);
    bool setMapMode(ByteReader& p);
    bool setRop2(ByteReader& p);
    bool setRelAbs(ByteReader& p);
    bool setPolyFillMode(ByteReader& p);
    bool setStretchBltMode(ByteReader& p);
    bool setTextCharExtra(ByteReader& p);
    bool setTextColor(ByteReader& p);
    bool setTextJustification(ByteReader& p);
    bool setTextAlign(ByteReader& p);
    bool setMapperFlags(ByteReader& p);
    bool setWindowOrg(ByteReader& p);
    bool setWindowExt(ByteReader& p);
    bool setViewportOrg(ByteReader& p);
    bool setViewportExt(ByteReader& p);
    bool offsetWindowOrg(ByteReader& p);
    bool offsetViewportOrg(ByteReader& p);
    bool scaleWindowExt(ByteReader& p);
    bool scaleViewportExt(ByteReader& p);
    bool saveDc(ByteReader& p);
    bool restoreDc(ByteReader& p);
    bool excludeClipRect(ByteReader& p);
    bool intersectClipRect(ByteReader& p);
    bool offsetClipRgn(ByteReader& p);
    bool skipRecord(ByteReader& p);
    bool escape(ByteReader& p);

    // drawing
    bool lineTo(ByteReader& p);
    bool moveTo(ByteReader& p);
    bool arc(ByteReader& p);
    bool chord(ByteReader& p);
    bool pie(ByteReader& p);
    bool arcShape(ByteReader& p, rec::ArcKind kind);
    bool ellipse(ByteReader& p);
    bool rectangle(ByteReader& p);
    bool roundRect(ByteReader& p);
    bool setPixel(ByteReader& p);
    bool floodFill(ByteReader& p);
    bool extFloodFill(ByteReader& p);
    bool polygon(ByteReader& p);
    bool polyline(ByteReader& p);
    bool polyPolygon(ByteReader& p);
    bool textOut(ByteReader& p);
    bool extTextOut(ByteReader& p);

    // objects
    bool selectObject(ByteReader& p);
    bool deleteObject(ByteReader& p);
    bool selectPalette(ByteReader& p);
    bool realizePalette(ByteReader& p);
    bool createPenIndirect(ByteReader& p);
    bool createBrushIndirect(ByteReader& p);
    bool createFontIndirect(ByteReader& p);
    bool createPalette(ByteReader& p);
    bool setPalEntries(ByteReader& p);
    bool resizePalette(ByteReader& p);
    bool createPatternBrush(ByteReader& p);
    bool dibCreatePatternBrush(ByteReader& p);
    bool createRegion(ByteReader& p);
    bool createPlaceholder(ByteReader& p);
    static bool createsObject(uint8_t function);
    bool selectClipRegion(ByteReader& p);
    bool fillRegion(ByteReader& p);
    bool frameRegion(ByteReader& p);
    bool paintRegion(ByteReader& p);
    bool invertRegion(ByteReader& p);
    bool regionDraw(uint16_t regionSlot, rec::RegionOp op, uint16_t brushSlot, SizeL frame);

    // bitmaps
    bool patBlt(ByteReader& p);
    bool bitBlt(ByteReader& p);
    bool stretchBlt(ByteReader& p);
    bool dibBitBlt(ByteReader& p);
    bool dibStretchBlt(ByteReader& p);
    bool stretchDib(ByteReader& p);
    bool setDibToDev(ByteReader& p);
    bool bltWithSource(ByteReader& p, bool stretch, bool dib);
    BitmapPtr readDib(ByteReader& p, uint32_t usage, uint32_t decodeFlags = 0);
    bool pushWithDib(rec::Blt blt, ByteReader& p, uint32_t usage);

    Picture& out_;
    DeviceCaps reference_;
    std::vector<Slot> slots_;
    std::optional<uint32_t> selectedPalette_;  // EMF index
    std::vector<uint8_t> emfChunks_;
    uint32_t emfSize_ = 0;
    bool emfComplete_ = false;
    uint16_t function_ = 0;  // the record being handled
    uint64_t pixelsLeft_ = kPagePixelBudget;  // decoded bitmap pixels the page may still hold
};

} // namespace kv::gdi
