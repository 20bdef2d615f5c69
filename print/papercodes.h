#pragma once
// Windows device-mode codes for paper sizes and paper sources, and their Qt counterparts.
// Report applications pass these numbers to SetPage and SetBin, so they are kept as they are.
#include <QPageSize>
#include <QPrinter>
#include <optional>

namespace kv {

inline constexpr int DMPAPER_LETTER = 1;
inline constexpr int DMPAPER_A4 = 9;
inline constexpr int DMPAPER_USER = 256;  // width and length given in tenths of a millimetre

// The Qt page size for a paper code; an invalid QPageSize for codes we do not know.
QPageSize pageSizeForPaperCode(int code);
// The paper code for a Qt page size; 0 when it has none (then the size is given as user-defined).
int paperCodeForPageSize(const QPageSize& size);
// A page size from width and length in tenths of a millimetre.
QPageSize userPageSize(int widthTenthsMm, int lengthTenthsMm);

// DMBIN_* source code -> QPrinter's paper source; nothing for unknown codes (the printer's choice).
std::optional<QPrinter::PaperSource> paperSourceForBin(int bin);

} // namespace kv
