#pragma once
// One conversion of kvconvert: a metafile read, rendered and written in the format its
// output name asks for.
#include <QString>

namespace kvconvert {

struct Options {
    int width = 0;      // output width in pixels; 0 with dpi 0: 1000
    double dpi = 0;     // pixels per inch of the frame's size
    bool stats = false; // print the record types met and skipped
    bool gdiOnly = false;  // pages with EMF+ records drawn from their GDI records
};

// Converts `input` into `output` (png, bmp, jpg, pdf, emf, wmf; the extension decides). Returns an
// empty string on success, else the reason it failed.
QString convertFile(const QString& input, const QString& output, const Options& options);

// The corpus reference's name for an output of `input` in a folder: "<parent>__<file>.png".
QString outputNameFor(const QString& input);

} // namespace kvconvert
