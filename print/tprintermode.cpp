// TPrinter: the shared printer state (orientation, paper, copies, source, quality) and the
// device context remade from it.
#include "print/tprinter.h"

#include "print/printercontext.h"
#include "print/printerdialogs.h"
#include "print/printerstate.h"

namespace kv {

void TPrinter::changeState(const std::function<void(PrinterState&)>& change)
{
    change(sharedPrinterState());
    Rebuild();
}

void TPrinter::SetLandscape()
{
    changeState([](PrinterState& s) { s.orientation = kLandscape; });
}

void TPrinter::SetPortrait()
{
    changeState([](PrinterState& s) { s.orientation = kPortrait; });
}

int TPrinter::GetOrientation() const { return sharedPrinterState().orientation; }
QString TPrinter::GetModel() const { return sharedPrinterState().deviceName; }
QString TPrinter::GetDriver() const { return sharedPrinterState().driver; }
QString TPrinter::GetPort() const { return sharedPrinterState().port; }

void TPrinter::SetDuplex(int nDuplex)
{
    changeState([nDuplex](PrinterState& s) { s.duplex = nDuplex >= DMDUP_SIMPLEX && nDuplex <= DMDUP_HORIZONTAL ? nDuplex : 0; });
}

void TPrinter::SetCopies(int nCopies)
{
    changeState([nCopies](PrinterState& s) { s.copies = std::max(1, nCopies); });
}

void TPrinter::SetSize(int nWidth, int nLength)
{
    changeState([nWidth, nLength](PrinterState& s) {
        s.paperSize = DMPAPER_USER;
        s.paperWidth = nWidth;
        s.paperLength = nLength;
    });
}

void TPrinter::SetPage(int nPaper)
{
    changeState([nPaper](PrinterState& s) { s.paperSize = nPaper; });
}

void TPrinter::SetBin(int nBin)
{
    changeState([nBin](PrinterState& s) { s.defaultSource = nBin; });
}

void TPrinter::DraftMode(bool lOn)
{
    changeState([lOn](PrinterState& s) { s.printQuality = lOn ? DMRES_DRAFT : DMRES_HIGH; });
}

void TPrinter::Setup()
{
    PrinterState edited = sharedPrinterState();
    if (runPageSetup(edited)) sharedPrinterState() = edited;
    Rebuild();
}

void TPrinter::ResetDC()
{
    if (hDC == 0) return;
    context_->device().applyMode(sharedPrinterState());
}

} // namespace kv
