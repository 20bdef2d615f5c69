#include "app/commandline.h"

#include "preview/savechoices.h"

#include <QCommandLineParser>
#include <array>

namespace kv {

namespace {

// In the order of the Save as list.
constexpr std::array<const char*, 9> kExportNames{"bmp", "jpeg", "emf", "pcx", "tiff", "png", "wmf", "pdf", "tiff-multi"};

struct Options {
    QCommandLineOption print{QStringLiteral("print"), QStringLiteral("Print the files without a window.")};
    QCommandLineOption printer{QStringLiteral("printer"), QStringLiteral("Print on (or open the preview for) printer NAME."), QStringLiteral("NAME")};
    QCommandLineOption pages{QStringLiteral("pages"), QStringLiteral("Only these pages, e.g. 1,3-5,8- (printing and export)."), QStringLiteral("LIST")};
    QCommandLineOption copies{QStringLiteral("copies"), QStringLiteral("Print N copies (one job each)."), QStringLiteral("N")};
    QCommandLineOption sides{QStringLiteral("sides"), QStringLiteral("one-sided, two-sided-long-edge or two-sided-short-edge (CUPS names)."), QStringLiteral("SIDES")};
    QCommandLineOption odd{QStringLiteral("odd"), QStringLiteral("Only the odd pages.")};
    QCommandLineOption even{QStringLiteral("even"), QStringLiteral("Only the even pages.")};
    QCommandLineOption listPrinters{QStringLiteral("list-printers"), QStringLiteral("List the printers, the default one first marked with *.")};
    QCommandLineOption exportFormat{QStringLiteral("export"), QStringLiteral("Export without a window: bmp jpeg emf pcx tiff png wmf pdf tiff-multi."), QStringLiteral("FORMAT")};
    QCommandLineOption output{{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("The output name (as in Save as; %d or %04d stand for the page number)."), QStringLiteral("NAME")};
    QCommandLineOption dpi{QStringLiteral("dpi"), QStringLiteral("Raster resolution, 72 to 1200 (default 150)."), QStringLiteral("N")};
    QCommandLineOption option{QStringLiteral("option"), QStringLiteral("An option of the format, as Save as lists it (its beginning is enough)."), QStringLiteral("TEXT")};
    QCommandLineOption zip{QStringLiteral("zip"), QStringLiteral("Pack the exported files into one archive.")};
    QCommandLineOption overwrite{QStringLiteral("overwrite"), QStringLiteral("Replace outputs that exist.")};
    QCommandLineOption noClobber{QStringLiteral("no-clobber"), QStringLiteral("Fail before writing anything when an output exists (the default).")};
    QCommandLineOption quiet{{QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("No message boxes: errors go to standard error.")};
};

bool readNumber(const QCommandLineParser& parser, const QCommandLineOption& option, double low, double high, double& value,
                QString& error)
{
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    const double n = parser.value(option).toDouble(&ok);
    if (!ok || n < low || n > high) {
        error = QStringLiteral("--%1 wants a number from %2 to %3, not \"%4\"")
                    .arg(option.names().last()).arg(low).arg(high).arg(parser.value(option));
        return false;
    }
    value = n;
    return true;
}

} // namespace

std::optional<QString> exportFormatEntry(const QString& name)
{
    for (size_t i = 0; i < kExportNames.size(); ++i)
        if (name.compare(QLatin1String(kExportNames[i]), Qt::CaseInsensitive) == 0)
            return saveFormats().at(qsizetype(i));
    return std::nullopt;
}

CommandLine parseCommandLine(const QStringList& arguments)
{
    Options o;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Print preview of report pages (EMF and WMF files)."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({o.print, o.printer, o.pages, o.copies, o.sides, o.odd, o.even, o.listPrinters, o.exportFormat, o.output,
                       o.dpi, o.option, o.zip, o.overwrite, o.noClobber, o.quiet});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("EMF or WMF files, or folders of them (taken in name order)."),
                                 QStringLiteral("[FILE...]"));
    CommandLine line;
    line.helpText = parser.helpText();
    if (!parser.parse(arguments)) {
        line.error = parser.errorText();
        return line;
    }
    line.quiet = parser.isSet(o.quiet);
    line.files = parser.positionalArguments();
    line.printer = parser.value(o.printer);
    line.pages = parser.value(o.pages);
    line.output = parser.value(o.output);
    line.option = parser.value(o.option);
    line.zip = parser.isSet(o.zip);
    line.overwrite = parser.isSet(o.overwrite);
    line.parity = parser.isSet(o.odd) ? 1 : parser.isSet(o.even) ? 2 : 0;
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Help;
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
        return line;
    }
    if (parser.isSet(o.listPrinters)) {
        line.action = CommandLine::Action::ListPrinters;
        return line;
    }
    double copies = 1;
    if (!readNumber(parser, o.copies, 1, 9999, copies, line.error) || !readNumber(parser, o.dpi, 72, 1200, line.dpi, line.error))
        return line;
    line.copies = int(copies);
    if (parser.isSet(o.sides)) {
        const QStringList names{QStringLiteral("one-sided"), QStringLiteral("two-sided-long-edge"), QStringLiteral("two-sided-short-edge")};
        line.duplex = int(names.indexOf(parser.value(o.sides))) + 1;  // DMDUP_SIMPLEX, _VERTICAL, _HORIZONTAL
        if (line.duplex == 0) {
            line.error = QStringLiteral("--sides wants one of %1, not \"%2\"").arg(names.join(QStringLiteral(", ")), parser.value(o.sides));
            return line;
        }
    }
    if (parser.isSet(o.odd) && parser.isSet(o.even))
        line.error = QStringLiteral("--odd and --even exclude each other");
    else if (parser.isSet(o.overwrite) && parser.isSet(o.noClobber))
        line.error = QStringLiteral("--overwrite and --no-clobber exclude each other");
    else if (parser.isSet(o.print) && parser.isSet(o.exportFormat))
        line.error = QStringLiteral("--print and --export exclude each other");
    else if (line.files.isEmpty())
        line.error = QStringLiteral("no FILE given");
    if (!line.error.isEmpty())
        return line;
    if (parser.isSet(o.print)) {
        line.action = CommandLine::Action::Print;
    } else if (parser.isSet(o.exportFormat)) {
        line.action = CommandLine::Action::Export;
        const std::optional<QString> entry = exportFormatEntry(parser.value(o.exportFormat));
        if (!entry)
            line.error = QStringLiteral("unknown export format \"%1\"").arg(parser.value(o.exportFormat));
        else if (line.output.trimmed().isEmpty())
            line.error = QStringLiteral("--export needs -o/--output NAME");
        else
            line.format = *entry;
    }
    return line;
}

} // namespace kv
