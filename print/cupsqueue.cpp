#include "print/cupsqueue.h"

#include <QFile>
#include <cups/cups.h>
#include <memory>

namespace kv {

namespace {

struct DestDeleter {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
struct InfoDeleter {
    void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};

// The queue's "printer-resolution-default", which CUPS takes from the PPD's DefaultResolution.
int defaultResolution(cups_dest_t* dest)
{
    std::unique_ptr<cups_dinfo_t, InfoDeleter> info(cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest));
    if (!info) return 0;
    ipp_attribute_t* attr = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info.get(), "printer-resolution");
    if (!attr || ippGetValueTag(attr) != IPP_TAG_RESOLUTION) return 0;
    int yres = 0;
    ipp_res_t units = IPP_RES_PER_INCH;
    int xres = ippGetResolution(attr, 0, &yres, &units);
    if (units == IPP_RES_PER_CM) xres = int(xres * 2.54 + 0.5);
    return xres > 0 ? xres : 0;
}

} // namespace

std::optional<CupsQueueDetails> queryCupsQueue(const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    std::unique_ptr<cups_dest_t, DestDeleter> dest(cupsGetNamedDest(CUPS_HTTP_DEFAULT, utf8.constData(), nullptr));
    if (!dest) return std::nullopt;
    CupsQueueDetails details;
    auto option = [&](const char* key) {
        return QString::fromUtf8(cupsGetOption(key, dest->num_options, dest->options));
    };
    details.makeAndModel = option("printer-make-and-model");
    details.deviceUri = option("device-uri");
    details.defaultDpi = defaultResolution(dest.get());
    return details;
}

CupsSubmission submitToCupsQueue(const QString& queue, const QString& pdfFile, const QString& title,
                                 const CupsJobOptions& options)
{
    int count = 0;
    cups_option_t* list = nullptr;
    if (!options.media.isEmpty()) count = cupsAddOption("media", options.media.toUtf8().constData(), count, &list);
    if (options.copies > 1)
        count = cupsAddOption("copies", QByteArray::number(options.copies).constData(), count, &list);
    // A landscape job says so, as Qt's own CUPS printing does: the queue's filters turn it onto the sheet.
    if (options.landscape) count = cupsAddOption("landscape", "", count, &list);
    if (!options.sides.isEmpty()) count = cupsAddOption("sides", options.sides.toUtf8().constData(), count, &list);
    const int job = cupsPrintFile(queue.toUtf8().constData(), QFile::encodeName(pdfFile).constData(),
                                  title.toUtf8().constData(), count, list);
    cupsFreeOptions(count, list);
    CupsSubmission result;
    result.jobId = job;
    if (job <= 0) {
        result.jobId = 0;
        result.problem = QString::fromUtf8(cupsLastErrorString());
    }
    return result;
}

} // namespace kv
