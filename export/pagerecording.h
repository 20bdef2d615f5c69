#pragma once
// A page recorded afresh for export: played into a memory enhanced metafile made against the
// printer device's context, so that its frame and resolution are the printer's.
#include "gdi/metafileapi.h"

#include <QString>

namespace kv {

class TPrinter;

// The page file's picture in a new memory metafile (the caller deletes it): a Windows
// metafile played unscaled, an enhanced one at the place the page takes on the printer (a page
// of another program clipped to its frame there), then
// a one-blank text at (0, 0) in the context's font and colours. The recording context stands
// in the device's hDCOut while the page is recorded; hDCOut is given back afterwards. A page
// file that cannot be read leaves only the blank in the recording. 0 when no recording could
// be made.
HENHMETAFILE recordPageForExport(TPrinter& device, const QString& pageFile, bool wmfPage);

} // namespace kv
