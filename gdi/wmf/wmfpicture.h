#pragma once
// The size a Windows metafile gives its own picture, for callers that want the picture rather
// than GDI's conversion onto a whole reference surface (the image converter sizes its output
// from it, as a METAFILEPICT would).
#include "gdi/core/records.h"

#include <optional>
#include <span>

namespace kv::gdi {

// In 0.01 mm: a placeable header's bounding box at its units per inch; otherwise the first
// SetWindowExt counted at 96 units per inch; otherwise the extent of the drawing from the
// origin at 96 units per inch. Nothing when the file draws nothing either.
std::optional<SizeL> wmfPictureSize(std::span<const uint8_t> bytes);

// The file converted onto a surface of its own picture size (as a METAFILEPICT carrying that
// size would ask) rather than the whole screen, its frame exactly that size; an embedded EMF
// is ignored (its WMF drawing is played). Nothing when the file gives no size.
PicturePtr readWmfAtPictureSize(std::span<const uint8_t> bytes);

// The file's records as PlayMetaFile applies them: no mapping of its own added, and a header
// under which playing into (0, 0, kWmfUnitRect, kWmfUnitRect) of a Dc maps one picture unit
// onto one logical unit of that Dc. An embedded EMF is ignored (its WMF drawing is played).
inline constexpr int32_t kWmfUnitRect = 1000;
PicturePtr readWmfUnscaled(std::span<const uint8_t> bytes);

} // namespace kv::gdi
