#pragma once
// The one sequence by which a page file becomes an enhanced-metafile handle: a Windows
// metafile is converted against a reference device, an enhanced one is loaded as it is.
#include "gdi/metafileapi.h"

#include <QString>

namespace kv {

// True when a page file name's extension begins with "WMF" (any case).
bool isWmfPageFile(const QString& file);

// 0 when the file is missing or not a metafile of the kind asked for. `asWmf` says how to
// read it (the page view decides by the document's format, the print commands by the name).
HENHMETAFILE loadPageAsEmf(const QString& file, bool asWmf, HDC reference);

} // namespace kv
