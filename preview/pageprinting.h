#pragma once
// One page onto a printer inside a job, by the placement rule: a page recorded for the printer
// at the rectangle it was drawn in, any other page at its frame's place on the sheet. Shared by
// the preview's print loop and printing from the command line.
#include "gdi/metafileapi.h"

#include <QString>

namespace kv {

// Plays an enhanced metafile onto the printer (nothing for handle 0).
void playPlaced(HDC hdc, HENHMETAFILE meta, const gdi::DeviceCaps& printer);
// One page from its file (a Windows metafile by its name): a sheet of its own, blank when the
// file cannot be read.
void printPageFile(HDC hdc, const QString& file, const gdi::DeviceCaps& printer);

} // namespace kv
