#pragma once
// korvelle [OPTIONS] [FILE...]: what the command line asks for. With no argument at all the
// program takes the hand-off road as ever; with files it opens them in the preview, prints
// them (--print) or exports them (--export) without a window.
#include <QString>
#include <QStringList>
#include <optional>

namespace kv {

// Exit codes, as sysexits.h names them.
enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 64,         // EX_USAGE: the command line is wrong
    kExitDataError = 65,     // EX_DATAERR: an input is not a metafile
    kExitNoInput = 66,       // EX_NOINPUT: an input cannot be opened
    kExitUnavailable = 69,   // EX_UNAVAILABLE: no such printer, or it refused the job
    kExitSoftware = 70,      // EX_SOFTWARE: an internal error
    kExitCantCreate = 73,    // EX_CANTCREAT: an output exists or cannot be created
    kExitIoError = 74,       // EX_IOERR: writing an output failed
};

struct CommandLine {
    enum class Action { Preview, Print, Export, ListPrinters, Help, Version };
    Action action = Action::Preview;
    QStringList files;
    QString printer;        // empty: the default printer
    QString pages;          // empty: all pages
    int copies = 1;
    int duplex = 0;         // --sides as DMDUP_*; 0: the printer's choice
    int parity = 0;         // 1 odd pages only, 2 even pages only
    QString format;         // the Save as format entry of --export
    QString output;
    double dpi = 150;
    QString option;         // empty: the format's first option
    bool zip = false;
    bool overwrite = false;
    bool quiet = false;
    QString helpText;
    QString error;          // non-empty: a usage error (exit 64)
};

// The program's arguments (the first being the program) read with QCommandLineParser.
CommandLine parseCommandLine(const QStringList& arguments);

// The --export names and the format entries they stand for.
std::optional<QString> exportFormatEntry(const QString& name);

} // namespace kv
