#pragma once
// A TIFF file written page by page: one directory per page, each with its own size,
// resolution and compression, so a whole report fits in one file without holding all its
// page images at once.
#include "encoders.h"

#include <memory>

typedef struct tiff TIFF;

namespace kv {

struct TiffTarget;

class TiffPages {
public:
    // Starts the file on `out`; `pageCount` (when above one) is written into each page as
    // its number of the whole.
    TiffPages(QIODevice& out, int pageCount);
    ~TiffPages();
    TiffPages(const TiffPages&) = delete;
    TiffPages& operator=(const TiffPages&) = delete;

    // False with `error` set when the page could not be written; the file is then unusable.
    bool addPage(const QImage& image, QPointF dpi, TiffCompression compression, QString& error);
    // Writes what is buffered and closes the file.
    bool finish(QString& error);
    int pagesWritten() const { return pagesWritten_; }

private:
    bool fail(const QString& fallback, QString& error) const;

    std::unique_ptr<TiffTarget> target_;
    TIFF* tif_ = nullptr;
    int pageCount_;
    int pagesWritten_ = 0;
};

} // namespace kv
