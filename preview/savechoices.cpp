#include "savechoices.h"

#include "export/exportformats.h"
#include "platform/inifile.h"
#include "platform/inivalues.h"
#include "platform/settings.h"

#include <algorithm>

namespace kv {

namespace {

const QString kSection = QStringLiteral("Save2File");

// The value of a Save2File key, its default taken from the settings table.
QString readKey(const IniFile& ini, const char* key)
{
    const SettingKey* row = findSettingKey(kSection, QString::fromLatin1(key));
    return ini.readString(kSection, QString::fromLatin1(key), QString::fromLatin1(row ? row->defaultText : ""));
}

QString flagText(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

} // namespace

const QStringList& saveFormats()
{
    static const QStringList formats{
        QStringLiteral("BMP - Windows Bitmap"),
        QStringLiteral("JPEG - jpg, jpeg"),
        QStringLiteral("EMF - Windows Enhanced Metafile"),
        QStringLiteral("PCX - Zsoft Publisher's Paintbrush"),
        QStringLiteral("TIFF - TIFF Revision 6"),
        QStringLiteral("PNG - Portable Network Graphic"),
        QStringLiteral("WMF - Windows Metafile"),
        QStringLiteral("PDF - Portable Document Format"),
        QStringLiteral("TIFF - multi-page (one file)"),
    };
    return formats;
}

QString padOutputName(const QString& name)
{
    return name.left(kOutputNameLength).leftJustified(kOutputNameLength, QLatin1Char(' '));
}

SaveChoices readSaveChoices(const QString& iniPath, int totalPages)
{
    const IniFile ini(iniPath);
    SaveChoices choices;
    choices.outputName = padOutputName(readKey(ini, "FileName"));
    choices.overwrite = iniFlag(readKey(ini, "Overwrite"));
    choices.zip = iniFlag(readKey(ini, "ZipFiles"));
    choices.format = readKey(ini, "Format");
    choices.options = GETOPTION(choices.format);
    if (!choices.options.isEmpty())
        choices.option = ini.readString(kSection, QStringLiteral("Option"), choices.options.first());
    choices.toPage = totalPages;
    return choices;
}

bool writeSaveChoices(const QString& iniPath, const SaveChoices& choices)
{
    IniFile ini(iniPath);
    // Every key is written even when an earlier one failed: each write stands on its own.
    bool written = ini.writeString(kSection, QStringLiteral("FileName"), choices.outputName.trimmed());
    written = ini.writeString(kSection, QStringLiteral("Format"), choices.format.trimmed()) && written;
    written = ini.writeString(kSection, QStringLiteral("Overwrite"), flagText(choices.overwrite)) && written;
    written = ini.writeString(kSection, QStringLiteral("ZipFiles"), flagText(choices.zip)) && written;
    written = ini.writeString(kSection, QStringLiteral("Option"), choices.option.trimmed()) && written;
    return written;
}

int optionIndex(const QStringList& options, const QString& option)
{
    for (qsizetype i = 0; i < options.size(); ++i)
        if (options[i].startsWith(option))
            return int(i) + 1;
    return 0;
}

QStringList pagesToSave(const SaveChoices& choices, const QStringList& pageFiles, int currentPage)
{
    const auto page = [&](int number) { return pageFiles.value(number - 1); };
    const auto exists = [&](int number) { return number >= 1 && number <= pageFiles.size(); };
    QStringList pages;
    switch (choices.rangeMode) {
    case 1:
        pages = pageFiles;
        break;
    case 2:
        if (exists(currentPage))
            pages << page(currentPage);
        break;
    case 3:
        for (int n = std::max(1, choices.fromPage); n <= choices.toPage && exists(n); ++n)
            pages << page(n);
        break;
    case 4: {
        QList<int> numbers = choices.selectedPages;
        std::sort(numbers.begin(), numbers.end());
        for (int n : numbers)
            if (exists(n))
                pages << page(n);
        break;
    }
    default:
        break;
    }
    return pages;
}

QStringList pageNames(const QString& pageWord, int totalPages)
{
    QStringList names;
    for (int n = 1; n <= totalPages; ++n)
        names << pageWord + QLatin1Char(' ') + QString::number(n);
    return names;
}

QString browseMask(const QString& format)
{
    return QStringLiteral("*.") + format.left(4).trimmed();
}

} // namespace kv
