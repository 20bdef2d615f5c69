#include "printjob.h"

#include "printerdevice.h"

namespace kv {
namespace {

PrinterDevice* printerOf(HDC hdc)
{
    gdi::Dc* dc = dcFromHandle(hdc);
    return dc ? dynamic_cast<PrinterDevice*>(&dc->device()) : nullptr;
}

} // namespace

bool StartDoc(HDC hdc, const QString& document)
{
    PrinterDevice* printer = printerOf(hdc);
    return printer && !printer->jobActive() && printer->startDoc(document);
}

// The printer device starts the first sheet with the job; every later page is a new sheet.
bool StartPage(HDC hdc)
{
    PrinterDevice* printer = printerOf(hdc);
    return printer && printer->jobActive() && printer->startPage();
}

bool EndPage(HDC hdc)
{
    PrinterDevice* printer = printerOf(hdc);
    return printer && printer->jobActive();
}

bool EndDoc(HDC hdc)
{
    PrinterDevice* printer = printerOf(hdc);
    return printer && printer->jobActive() && printer->endDoc();
}

bool AbortDoc(HDC hdc)
{
    PrinterDevice* printer = printerOf(hdc);
    if (!printer || !printer->jobActive()) return false;
    printer->abortDoc();
    return true;
}

PrintJobOutcome JobOutcome(HDC hdc)
{
    const PrinterDevice* printer = printerOf(hdc);
    return printer ? printer->lastOutcome() : PrintJobOutcome{};
}

} // namespace kv
