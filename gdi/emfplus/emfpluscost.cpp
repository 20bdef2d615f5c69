// The price of an EMF+ page, known before it is played: a few kilobytes must not ask the player
// for billions of points (a path object filled thousands of times, a nested picture drawn
// over and over, each nesting another) or gigabytes of decoded images.
#include "gdi/emfplus/emfplusparse.h"

#include "gdi/player.h"

#include <algorithm>

namespace kv::gdi::plus::read {

namespace {

thread_local uint64_t* pixelsLeft = nullptr;

// What a stroke costs over a fill of the same outline: the stroker's outline of each segment.
constexpr uint64_t kStrokeFactor = 4;
// A character laid out, shaped and rasterised, in points' worth of work.
constexpr uint64_t kCharacterCost = 64;
// Pixels of a bitmap transformed and blended per point's worth of work.
constexpr uint64_t kPixelsPerUnit = 16;
// A path gradient is drawn into an image of up to 512 x 512 pixels for every fill.
constexpr uint64_t kPathGradientCost = uint64_t(1) << 12;

uint64_t pictureCost(const Picture& picture)
{
    return picture.records.size() + (picture.plus ? picture.plus->work : 0);
}

} // namespace

PagePixels::PagePixels(uint64_t& left)
{
    if (!pixelsLeft) {
        pixelsLeft = &left;
        owner_ = true;
    }
}

PagePixels::~PagePixels()
{
    if (owner_)
        pixelsLeft = nullptr;
}

bool takePixels(uint64_t pixels)
{
    if (!pixelsLeft)
        return true;  // a reader outside any page: the per-image caps hold alone
    if (pixels > *pixelsLeft)
        return false;
    *pixelsLeft -= pixels;
    return true;
}

void WorkMeter::define(uint8_t id, const Object& object)
{
    uint64_t cost = 1;
    if (const Path* path = std::get_if<Path>(&object))
        cost += uint64_t(path->path.elementCount());
    else if (const Region* region = std::get_if<Region>(&object))
        cost += uint64_t(region->area.elementCount());
    else if (const Brush* brush = std::get_if<Brush>(&object); brush && brush->kind == Brush::Kind::PathGradient)
        cost += kPathGradientCost;
    else if (const Pen* pen = std::get_if<Pen>(&object)) {
        for (const auto* cap : {&pen->startCap, &pen->endCap})
            if (*cap)
                cost += uint64_t((*cap)->fill.elementCount() + (*cap)->line.elementCount());
    } else if (const Image* image = std::get_if<Image>(&object))
        cost += image->metafile ? pictureCost(*image->metafile)
                                : uint64_t(image->bitmap.width()) * uint64_t(image->bitmap.height()) / kPixelsPerUnit;
    objectCost_[id] = cost;
}

uint64_t WorkMeter::shapeCost(const ShapeRef& shape) const
{
    uint64_t cost = uint64_t(shape.shape.elementCount());
    if (shape.pathId)
        cost += objectCost_[*shape.pathId];
    if (shape.regionId)
        cost += objectCost_[*shape.regionId];
    return cost;
}

bool WorkMeter::add(const rec::Record& record)
{
    uint64_t cost = 1;
    if (const auto* fill = std::get_if<rec::Fill>(&record))
        cost += shapeCost(fill->shape) + (fill->brush.solid ? 0 : objectCost_[fill->brush.id]);
    else if (const auto* stroke = std::get_if<rec::Stroke>(&record))
        cost += (kStrokeFactor + objectCost_[stroke->penId] - 1) * shapeCost(stroke->shape);  // caps at each end
    else if (const auto* image = std::get_if<rec::DrawImage>(&record))
        cost += objectCost_[image->imageId];
    else if (const auto* text = std::get_if<rec::DrawString>(&record))
        cost += kCharacterCost * text->text.size();
    else if (const auto* glyphs = std::get_if<rec::DrawDriverString>(&record))
        cost += kCharacterCost * glyphs->text.size();
    else if (const auto* clip = std::get_if<rec::Clip>(&record); clip && (clip->op == rec::ClipOp::Path || clip->op == rec::ClipOp::Region))
        cost += objectCost_[clip->id];
    else if (const auto* object = std::get_if<rec::DefineObject>(&record))
        define(object->id, *object->object);
    total_ = std::min(total_ + cost, kMaxPageWork + 1);
    return total_ <= kMaxPageWork;
}

} // namespace kv::gdi::plus::read
