// TPrinter: page geometry of the device context and the unit conversions over it.
#include "print/tprinter.h"

#include "print/printercontext.h"

namespace kv {

gdi::DeviceCaps TPrinter::caps() const
{
    if (hDC == 0 || !context_) {
        gdi::DeviceCaps none;
        none.logPixelsX = none.logPixelsY = 0;
        return none;
    }
    return context_->caps();
}

PageGeometry TPrinter::geometry() const { return {caps(), nXOffset, nYOffset}; }

int TPrinter::nHorzRes() const { return caps().horzRes; }
int TPrinter::nVertRes() const { return caps().vertRes; }
int TPrinter::nHorzSize() const { return caps().horzSizeMm; }
int TPrinter::nVertSize() const { return caps().vertSizeMm; }
int TPrinter::nLogPixelX() const { return caps().logPixelsX; }
int TPrinter::nLogPixelY() const { return caps().logPixelsY; }

std::array<int, 2> TPrinter::GetPhysPageSize() const
{
    const auto c = caps();
    return {c.physicalWidth, c.physicalHeight};
}

std::array<int, 2> TPrinter::GetPrintingOffset() const
{
    const auto c = caps();
    return {c.offsetX, c.offsetY};
}

RowCol TPrinter::Cmtr2Pix(double& nRow, double& nCol) const
{
    const RowCol result = cmToPixels(geometry(), nRow, nCol);
    nRow = result[0];
    nCol = result[1];
    return result;
}

RowCol TPrinter::Inch2Pix(double& nRow, double& nCol) const
{
    const RowCol result = inchToPixels(geometry(), nRow, nCol);
    nRow = result[0];
    nCol = result[1];
    return result;
}

Rect4 TPrinter::CmRect2Pix(const Rect4& aRect) const { return cmRectToPixels(geometry(), aRect); }
Rect4 TPrinter::mmRect2Pix(const Rect4& aRect) const { return hundredthMmRectToPixels(geometry(), aRect); }
RowCol TPrinter::Pix2Mmtr(double nRow, double nCol) const { return pixelsToMm(geometry(), nRow, nCol); }
RowCol TPrinter::Pix2Inch(double nRow, double nCol) const { return pixelsToInch(geometry(), nRow, nCol); }
RowCol TPrinter::GetPhySize() const { return physicalSizeMm(geometry()); }

} // namespace kv
