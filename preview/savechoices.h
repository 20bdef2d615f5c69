#pragma once
// The choices of the Save as dialog and the rules around them that need no window: where
// they start (section Save2File of the settings file), where they are kept, which page files
// they pick, and the option index the export receives.
#include <QList>
#include <QString>
#include <QStringList>

namespace kv {

// The output name is held padded with blanks to this width and never grows beyond it.
inline constexpr int kOutputNameLength = 200;

// The format entries in the order the dialog lists them: the seven one-file-per-page formats,
// then PDF and multi-page TIFF, which write all pages into one file. They are shown, stored and
// examined as they stand: they are not translated.
const QStringList& saveFormats();

struct SaveChoices {
    QString outputName;         // padded with blanks to kOutputNameLength
    QString format;             // one of saveFormats() as stored (any text read from a file)
    QStringList options;        // GETOPTION(format)
    QString option;             // empty when the format has no options
    bool overwrite = true;
    bool zip = false;
    int rangeMode = 1;          // 1 all pages, 2 the current page, 3 from .. to, 4 the selected ones
    int fromPage = 1;
    int toPage = 1;
    QList<int> selectedPages;   // 1-based, ascending
};

// `name` cut to kOutputNameLength characters and padded with blanks to that width.
QString padOutputName(const QString& name);

// The choices a dialog opens with, read from the settings file in the order FileName,
// Overwrite, ZipFiles, Format, then the format's options, then Option (only for a format that
// has options; default its first option). The pages start at 1 to totalPages, all of them.
SaveChoices readSaveChoices(const QString& iniPath, int totalPages);

// Keeps the choices in section Save2File in the order FileName, Format, Overwrite, ZipFiles,
// Option, texts without surrounding blanks and flags as "1" or "0". False when the file could
// not be written.
bool writeSaveChoices(const QString& iniPath, const SaveChoices& choices);

// The 1-based position of the first option that begins with `option` (so an empty option
// gives 1), 0 when none does (always so for an empty list).
int optionIndex(const QStringList& options, const QString& option);

// The page files the choices pick from the preview's page list, in saving order. Page numbers
// outside the list pick nothing.
QStringList pagesToSave(const SaveChoices& choices, const QStringList& pageFiles, int currentPage);

// The entries of the page list: pageWord (the looked-up "&Page" without its "&"), a blank
// and the number, for pages 1 to totalPages.
QStringList pageNames(const QString& pageWord, int totalPages);

// The file-name mask the save-file dialog offers for a format entry: "*." and the entry's
// first four characters without surrounding blanks ("*.BMP", "*.JPEG", ...).
QString browseMask(const QString& format);

} // namespace kv
