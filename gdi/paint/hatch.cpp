#include "gdi/paint/hatch.h"
#include "gdi/core/types.h"

#include <array>
#include <unordered_map>
#include <vector>

namespace kv::gdi {

namespace {

// Rows top to bottom; bit 7 is the leftmost pixel.
constexpr std::array<std::array<uint8_t, 8>, 6> kHatchRows = {{
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // HS_HORIZONTAL
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // HS_FDIAGONAL: top left to bottom right
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // HS_BDIAGONAL: bottom left to top right
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},  // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // HS_DIAGCROSS
}};

constexpr size_t kMaxCachedTiles = 256;

struct TileKey {
    uint32_t hatch;
    QRgb line, background;
    bool opaque;
    bool operator==(const TileKey&) const = default;
};

struct TileKeyHash {
    size_t operator()(const TileKey& k) const
    {
        return std::hash<uint64_t>()(uint64_t(k.line) << 32 | k.background) ^ (k.hatch * 31 + k.opaque);
    }
};

QImage makeTile(uint32_t hatch, QRgb line, std::optional<QRgb> background)
{
    QImage tile(8, 8, QImage::Format_ARGB32_Premultiplied);
    const QRgb lineColour = qPremultiply(line);
    const QRgb gapColour = background ? qPremultiply(*background) : 0;
    for (int y = 0; y < 8; ++y) {
        auto* row = reinterpret_cast<QRgb*>(tile.scanLine(y));
        for (int x = 0; x < 8; ++x)
            row[x] = hatchBit(hatch, x, y) ? lineColour : gapColour;
    }
    return tile;
}

} // namespace

bool isPatternHatch(uint32_t hatch)
{
    return hatch <= HS_DIAGCROSS;
}

bool hatchBit(uint32_t hatch, int x, int y)
{
    if (!isPatternHatch(hatch))
        return true;
    return (kHatchRows[hatch][y & 7] >> (7 - (x & 7))) & 1;
}

QImage hatchTile(uint32_t hatch, QRgb line, std::optional<QRgb> background)
{
    // One cache per thread: pages render on several threads at once.
    static thread_local std::unordered_map<TileKey, QImage, TileKeyHash> tiles;
    const TileKey key{hatch, line, background.value_or(0), background.has_value()};
    if (auto it = tiles.find(key); it != tiles.end())
        return it->second;
    if (tiles.size() >= kMaxCachedTiles)
        tiles.clear();
    return tiles.emplace(key, makeTile(hatch, line, background)).first->second;
}

QRegion hatchRegion(uint32_t hatch, const QRect& area, QPoint origin)
{
    // Runs of line pixels, row by row: already in the banded y-x order QRegion keeps.
    std::vector<QRect> runs;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        int runStart = -1;
        for (int x = area.left(); x <= area.right() + 1; ++x) {
            const bool on = x <= area.right() && hatchBit(hatch, x - origin.x(), y - origin.y());
            if (on && runStart < 0)
                runStart = x;
            else if (!on && runStart >= 0) {
                runs.emplace_back(runStart, y, x - runStart, 1);
                runStart = -1;
            }
        }
    }
    QRegion region;
    region.setRects(runs.data(), int(runs.size()));
    return region;
}

} // namespace kv::gdi
