#pragma once
// The selected printer and its device mode, kept once per process. Every printer device
// context is made from it; the orientation and paper methods of TPrinter change it, not one
// device alone. It is filled from the default printer on first use and can be reset, so that
// the next use fills it again. Selecting a printer by name never changes the user's default.
#include "print/papercodes.h"

#include <QString>

namespace kv {

inline constexpr int kPortrait = 1;
inline constexpr int kLandscape = 2;
inline constexpr int DMRES_DRAFT = -1;
inline constexpr int DMRES_HIGH = -4;
inline constexpr int DMDUP_SIMPLEX = 1;
inline constexpr int DMDUP_VERTICAL = 2;    // both sides, turned on the long edge
inline constexpr int DMDUP_HORIZONTAL = 3;  // both sides, turned on the short edge

struct PrinterState {
    QString deviceName, driver, port;
    int orientation = kPortrait;
    int copies = 1;
    int paperSize = DMPAPER_A4;           // DMPAPER_USER: paperWidth x paperLength
    int paperWidth = 0, paperLength = 0;  // tenths of a millimetre
    int defaultSource = 0;                // DMBIN_*; 0: the printer's choice
    int duplex = 0;                       // DMDUP_*; 0: the printer's choice
    int printQuality = 0;                 // DMRES_*; 0: the printer's default

    // The page size the paper fields describe (A4 when they describe nothing sound).
    QPageSize pageSize() const;
    // Sets the paper fields: the size's paper code, else user-defined with its size.
    void setPaper(const QPageSize& size);
};

// The process's state, filled from the default printer when empty.
PrinterState& sharedPrinterState();
// Empties the state; the next sharedPrinterState() fills it from the default printer again.
void resetSharedPrinterState();
// Fills the state with the named printer and its default device mode. False (state unchanged)
// when no such printer is there now.
bool selectPrinter(const QString& name);

} // namespace kv
