#pragma once
// The metafile primitives the rest of the program uses, with GDI's names and integer
// handles (0 = none or failure). They are thin functions over the engine: a handle names a
// parsed Picture, a DC handle names a Dc. Everything runs on the user-interface thread.
#include "gdi/dc/dc.h"
#include "gdi/core/records.h"

#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace kv {

using HENHMETAFILE = uint32_t;
using HMETAFILE = uint32_t;
using HDC = uint32_t;

// --- device-context handles ------------------------------------------------------------
// A Dc made elsewhere (a page view's paint context, a printer) gets a handle for the time it
// lives; the owner unregisters it before the Dc goes away.
HDC registerDc(gdi::Dc* dc);
void unregisterDc(HDC hdc);
gdi::Dc* dcFromHandle(HDC hdc);

// The reference surface that HDC 0 stands for: the primary screen's size and resolution, or
// a fixed 96-dpi 1920 x 1080 screen when there is none (offscreen, no display).
gdi::DeviceCaps displayCaps();
gdi::DeviceCaps capsOf(HDC hdc);  // displayCaps() for 0 or an unknown handle

// --- enhanced metafiles ------------------------------------------------------------------
HENHMETAFILE GETENHMETAFILE(const QString& file);
// The picture GETENHMETAFILE would hold for `file`, without a handle; unlike the primitives it
// may be called on any thread. Null when the file cannot be read or is no enhanced metafile.
gdi::PicturePtr readEnhMetaFilePicture(const QString& file);
// kind 1: rclBounds; any other kind: rclFrame. Four zeros for an unknown handle.
std::array<int32_t, 4> ENHMETASIZE(HENHMETAFILE hemf, int kind);
// The rectangle is left, top, right, bottom in the target's logical units, each truncated
// toward zero before use.
bool PLAYENHMETAFILE(HDC hdc, HENHMETAFILE hemf, const std::array<double, 4>& rect);
int DELETEENHMETAFILE(HENHMETAFILE hemf);
// A recording context; `file` absent: recorded in memory. 0 on failure (for example a file
// that cannot be created).
HDC CREATEENHMETAFILE(HDC reference, const std::optional<QString>& file, int unused = 0,
                      const QString& description = {});
HENHMETAFILE CLOSEENHMETAFILE(HDC hdc);
HENHMETAFILE WMF2EMF(HDC reference, HMETAFILE hmf);

// The parsed picture behind a handle (null when unknown): for callers inside the engine's
// users that need more than the primitives (the page view keeps it between paints).
gdi::PicturePtr pictureOf(HENHMETAFILE hemf);
HENHMETAFILE adoptPicture(gdi::PicturePtr picture);

// --- Windows metafiles -------------------------------------------------------------------
HMETAFILE GETMETAFILE(const QString& file);   // plain or placeable file
HMETAFILE GETPMETAFILE(const QString& file);  // the placeable loader (same reader)
int DELETEMETAFILE(HMETAFILE hmf);
bool PLAYMETAFILE(HDC hdc, HMETAFILE hmf);    // played without scaling, in the target's mapping

// The bytes of an enhanced metafile as a file holds them (as read or recorded, or recorded
// afresh for a converted picture), and the picture converted to a Windows metafile, with a
// placeable header that announces its frame when asked. Empty for an unknown handle.
std::vector<uint8_t> enhMetaFileBytes(HENHMETAFILE hemf);
std::vector<uint8_t> winMetaFileBytes(HENHMETAFILE hemf, bool placeable = false);

// Those bytes written as a file (whole under a temporary name, then renamed).
bool writeEnhMetaFile(HENHMETAFILE hemf, const QString& file);
bool writeWinMetaFile(HENHMETAFILE hemf, const QString& file);  // EMF -> WMF conversion, plain

} // namespace kv
