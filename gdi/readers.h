#pragma once
// Metafile readers: bytes in, a parsed Picture out. Every byte goes through kv::ByteReader;
// a record that lies, overruns or names a missing object is skipped (or ends the walk), never
// read out of bounds. Unknown records are counted and skipped.
#include "gdi/core/records.h"

#include <QString>
#include <span>

namespace kv::gdi {

// An enhanced metafile. Null when the bytes do not start with an EMF header.
PicturePtr readEmf(std::span<const uint8_t> bytes);

// A Windows metafile, plain or placeable, translated into EMF-equivalent records. The header
// of the result describes the picture as SetWinMetaFileBits would with no picture
// description: anisotropic, filling the reference surface `referenceCaps` (the display when
// it is the default). Null when the bytes are not a WMF.
PicturePtr readWmf(std::span<const uint8_t> bytes, const DeviceCaps& referenceCaps);

// The name of an EMF record type ("EXTTEXTOUTW") or of a WMF function ("TEXTOUT"), or
// "UNKNOWN" (for statistics).
const char* emfRecordName(uint32_t type);
const char* wmfRecordName(uint16_t function);

// Reads a file and dispatches on its signature; null when missing or not a metafile.
// A Windows metafile goes onto the reference surface, or, with WmfSurface::PictureSize, onto
// a surface of its own picture size when it states one (see wmfpicture.h).
enum class WmfSurface : uint8_t { Reference, PictureSize };
PicturePtr readMetafileFile(const QString& path, const DeviceCaps& wmfReferenceCaps,
                            WmfSurface wmfSurface = WmfSurface::Reference);

} // namespace kv::gdi
