#include "print/procedural.h"

#include "lang/kvgl.h"
#include "platform/notify.h"
#include "print/printerlist.h"

namespace kv {

namespace {

// Never destroyed: a device still current at exit must not be ended while the process tears
// down its statics (Qt's printing objects may be gone by then).
std::shared_ptr<TPrinter>& currentSlot()
{
    static auto* current = new std::shared_ptr<TPrinter>;
    return *current;
}

constexpr int kNoMatchToneHz = 100;
constexpr int kNoMatchToneMs = 150;

std::optional<qsizetype> findPrinter(const QStringList& names, const PrinterSelector& selector)
{
    if (const auto* position = std::get_if<long long>(&selector)) return printerAtPosition(names, *position);
    return matchPrinterName(names, std::get<QString>(selector));
}

// The chooser's title when the printer asked for is not there.
QString whyChoose(const PrinterSelector& selector)
{
    if (const auto* position = std::get_if<long long>(&selector))
        return KV_GL(QStringLiteral("There is no printer number %1: choose a printer")).arg(*position);
    const QString& name = std::get<QString>(selector);
    if (name.isEmpty())
        return KV_GL(QStringLiteral("No printer was named: choose a printer"));
    return KV_GL(QStringLiteral("The printer \"%1\" was not found: choose a printer")).arg(name);
}

} // namespace

std::shared_ptr<TPrinter> PRINTBEGIN(const std::optional<QString>& cDocument, bool lUser, bool lPreview,
                                     const PrinterSelector& xModel, bool lModal)
{
    std::shared_ptr<TPrinter> device;
    if (std::holds_alternative<std::monostate>(xModel)) {
        device = std::make_shared<TPrinter>(cDocument, lUser, lPreview, std::nullopt, lModal);
    } else {
        const QStringList names = printerList().names;
        if (const auto index = findPrinter(names, xModel)) {
            device = std::make_shared<TPrinter>(cDocument, false, lPreview, names[*index], lModal);
        } else {
            tone(kNoMatchToneHz, kNoMatchToneMs);
            device = std::make_shared<TPrinter>(cDocument, true, lPreview, std::nullopt, lModal, whyChoose(xModel));
        }
    }
    currentSlot() = device;
    return device;
}

void PAGEBEGIN()
{
    if (const auto device = currentSlot()) device->StartPage();
}

void PAGEEND()
{
    if (const auto device = currentSlot()) device->EndPage();
}

void PRINTEND()
{
    const auto device = currentSlot();
    if (!device) return;
    if (device->lMeta) device->Preview();
    else device->End();
    if (currentSlot() == device) currentSlot().reset();
}

std::shared_ptr<TPrinter> currentPrinter() { return currentSlot(); }

std::shared_ptr<TPrinter> releaseCurrentPrinter(const TPrinter* device)
{
    auto& current = currentSlot();
    if (!device || current.get() != device) return nullptr;
    return std::exchange(current, nullptr);
}

} // namespace kv
