#pragma once
// The output formats of Save as and the numbers that travel with them: the format code a
// format entry gives, the option list a format offers (GETOPTION), the option code an option's
// position gives, and the flag word the image-export component receives for it. Seven formats
// write one file per page; PDF and multi-page TIFF write all pages into one file.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace kv {

// Format codes of the image-export component. 0 stands for a format text that names none.
enum FormatCode : int32_t {
    kFormatNone = 0,
    kFormatWmf = 1,
    kFormatEmf = 2,
    kFormatBmp = 8,
    kFormatTiff = 16,
    kFormatPcx = 64,
    kFormatJpeg = 128,
    kFormatPng = 256,
    kFormatPdf = 512,        // all pages in one PDF file
    kFormatTiffPages = 1024, // all pages in one multi-page TIFF file
};

// True for the formats that write all pages of a save into one file.
bool isDocumentFormat(int32_t formatCode);

// The options offered for a format text (surrounding blanks ignored), each through the
// language lookup: JPEG, TIFF, PNG, PDF and multi-page TIFF have some, every other format
// none. A new list each call.
QStringList GETOPTION(const QString& format);

// The format code of a format entry: the first of the keys "multi-page" (multi-page TIFF,
// ahead of "TIF", which its text contains too), "BMP", "JP", "EMF", "PCX", "TIF", "PNG", "WMF",
// "PDF" that the text contains (case counts); kFormatNone when it contains none.
int32_t formatCode(const QString& format);

// The option code for the 1-based position of the chosen option (JPEG 500/600, TIFF
// 101/102/106, PNG 1000/10000/11000; PNG's first option "None" has none; multi-page TIFF
// 101/102/106/107, PDF 1200/1201). Nothing for a position outside the list and for formats
// without options.
std::optional<int32_t> optionCode(int32_t formatCode, int optionIndex);

// The flag word for an option code: 0x0C19 combined with the option's bits. Only the low 16
// bits of the code are compared; an unknown code, or none, gives 0.
uint32_t flagWord(std::optional<int32_t> optionCode);

} // namespace kv
