#pragma once
// The EMF+ reader's private parts: field helpers over the bounds-checked reader and the object
// parsers. Not for use outside gdi/emfplus/.
#include "gdi/emfplus/emfplusrecords.h"

#include "platform/bytereader.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kv::gdi::plus::read {

// Record flags shared by the drawing records.
inline constexpr uint16_t kSolidColor = 0x8000;  // S: the brush field is an ARGB colour
inline constexpr uint16_t kCompressed = 0x4000;  // C: 16-bit integer coordinates
inline constexpr uint16_t kRelative = 0x0800;    // P: points relative to the one before

// Caps on what a record may ask for: a few bytes must not become gigabytes.
inline constexpr uint32_t kMaxPoints = 1u << 22;
inline constexpr uint32_t kMaxImagePixels = 1u << 26;

QColor readColor(ByteReader& r);  // ARGB as GDI+ stores it (blue byte first)
QRectF readRectF(ByteReader& r);
QRectF readRect(ByteReader& r, bool compressed);
QTransform readMatrix(ByteReader& r);

// `count` points as the record's flags say: relative (7- or 15-bit steps), 16-bit integers
// or floats. Nothing when they do not fit.
std::optional<QPolygonF> readPoints(ByteReader& r, uint32_t count, uint16_t flags);

// The objects of the table. Each returns nothing for malformed data and says why in `problem`;
// `problem` also names parts read but not drawn (custom caps, compound lines), which do not
// make the object malformed.
std::optional<Brush> readBrush(ByteReader& r, std::string& problem);
std::optional<Pen> readPen(ByteReader& r, std::string& problem);
// A pen's custom cap after its byte count (emfpluscaps.cpp); nothing when malformed or too
// large for a cap, which the pen then draws without.
std::optional<CustomCap> readCustomCap(ByteReader& r, std::string& problem);
std::optional<QPainterPath> readPath(ByteReader& r, std::string& problem);
std::optional<Region> readRegion(ByteReader& r, std::string& problem);
std::optional<Image> readImage(ByteReader& r, std::string& problem);
std::optional<Font> readFont(ByteReader& r, std::string& problem);
std::optional<StringFormat> readStringFormat(ByteReader& r, std::string& problem);

// An object record's whole data, by ObjectType (1 brush ... 8 image attributes).
ObjectPtr readObject(uint32_t objectType, ByteReader& r, std::string& problem);

// The raster part of an image object: uncompressed pixels of the common formats, or a
// compressed file (PNG, JPEG, GIF, BMP, TIFF). A null image when it cannot be decoded.
QImage readBitmap(ByteReader& r, std::string& problem);

// Decoded image pixels the page being read may still hold, shared with the pictures nested in
// it: one PagePixels lives while the page's records are read (the outermost one counts), and
// takePixels asks for pixels before an image is decoded.
class PagePixels {
public:
    explicit PagePixels(uint64_t& left);
    ~PagePixels();
    PagePixels(const PagePixels&) = delete;
    PagePixels& operator=(const PagePixels&) = delete;

private:
    bool owner_ = false;
};
bool takePixels(uint64_t pixels);

// What replaying the records will cost, counted as they are read (emfpluscost.cpp): points of
// the geometry each record draws (a path or region object's on every use), characters of
// text, pixels of bitmaps and the work of nested pictures on every draw. A page that asks for
// more than kMaxPageWork is refused before anything of it is drawn.
inline constexpr uint64_t kMaxPageWork = uint64_t(1) << 22;
class WorkMeter {
public:
    void define(uint8_t id, const Object& object);
    // Adds the record's cost; false once the page's total is over kMaxPageWork.
    bool add(const rec::Record& record);
    uint64_t total() const { return total_; }

private:
    uint64_t shapeCost(const ShapeRef& shape) const;
    std::array<uint64_t, 256> objectCost_{};
    uint64_t total_ = 0;
};

// The record table. A handler gets a reader over the record's data and its flags, appends the
// records it makes and returns false for malformed data.
using Handler = bool (*)(ByteReader& r, uint16_t flags, std::vector<rec::Record>& out);
struct KnownRecord {
    uint16_t type;
    const char* name;
    Handler handler;  // null: known, and nothing to play (comments, hints without effect here)
};
std::span<const KnownRecord> drawingRecords();  // emfplusdrawing.cpp
std::span<const KnownRecord> stateRecords();    // emfplusstate.cpp

} // namespace kv::gdi::plus::read
