// kvlang: the language table from the command line.
//   kvlang build <texts.tsv> <table.dbf>   write a table from the readable text list
//   kvlang dump <table.dbf>                print header, columns and records
//   kvlang collect <table.dbf> <prefix> <count>
//                                          look up <prefix>0 … <prefix><count-1> in collect
//                                          mode, as a running preview does (appends them);
//                                          exit code 2 when the table reported a problem
#include "lang/dbfbuilder.h"
#include "lang/dbftable.h"
#include "lang/kvgl.h"
#include "platform/savefile.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <cstdio>

namespace {

constexpr int kColumnWidth = 60;
constexpr kv::DbfDate kShippedDate{2026, 12, 8};  // fixed, so a rebuild gives the same bytes

int fail(const QString& message)
{
    std::fprintf(stderr, "kvlang: %s\n", message.toLocal8Bit().constData());
    return 1;
}

// One table row from one line of the text list; every blank becomes an underscore, the form
// in which the table stores texts.
std::optional<kv::DbfRow> parseRow(const QByteArray& line, QString* error)
{
    kv::DbfRow row;
    for (QByteArray field : line.split('\t')) {
        field.replace(' ', '_');
        if (field.size() > kColumnWidth) {
            *error = "text longer than " + QString::number(kColumnWidth) + " bytes: " + field;
            return std::nullopt;
        }
        row.values.push_back(field.toStdString());
    }
    return row;
}

int build(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return fail("cannot read " + source);
    std::vector<kv::DbfRow> rows;
    size_t columns = 0;
    for (int number = 1; !in.atEnd(); ++number) {
        QByteArray line = in.readLine();
        while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
        if (line.isEmpty() || line.startsWith('#')) continue;
        QString error;
        std::optional<kv::DbfRow> row = parseRow(line, &error);
        if (!row) return fail(QString("%1:%2: %3").arg(source).arg(number).arg(error));
        columns = std::max(columns, row->values.size());
        rows.push_back(std::move(*row));
    }
    std::vector<kv::DbfColumn> specs;
    for (size_t i = 1; i <= columns; ++i)
        specs.push_back({"LANGUAGE" + std::to_string(i), kColumnWidth});
    const std::vector<uint8_t> bytes = kv::buildDbf(specs, rows, kShippedDate);
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) return fail("cannot write " + target);
    out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    if (!kv::commitWhole(out)) return fail("cannot write " + target);
    std::printf("%zu records, %zu columns\n", rows.size(), columns);
    return 0;
}

int dump(const QString& path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return fail("cannot read " + path);
    const QByteArray data = in.readAll();
    const kv::DbfTable table = kv::DbfTable::parse(std::vector<uint8_t>(data.begin(), data.end()));
    const kv::DbfHeader& h = table.header();
    std::printf("version %u, date %04d-%02u-%02u, records %u (readable %u), header %u, record %u\n",
                h.version, 1900 + h.year, h.month, h.day, h.recordCount, table.recordCount(),
                h.headerLength, h.recordLength);
    for (const kv::DbfField& f : table.fields())
        std::printf("column %s %c %d\n", f.name.c_str(), f.type, f.width);
    for (uint32_t r = 0; r < table.recordCount(); ++r) {
        std::printf("%u%s", r + 1, table.isDeleted(r) ? " *" : "");
        for (size_t f = 0; f < table.fields().size(); ++f) {
            const std::string_view v = table.value(r, int(f));
            std::printf("\t%.*s", int(v.size()), v.data());
        }
        std::printf("\n");
    }
    return 0;
}

int collect(const QString& path, const QString& prefix, int count)
{
    kv::nLanguage = 0;
    kv::setLanguageLockWait(std::chrono::seconds(10));
    kv::openLanguageTable(path);
    for (int i = 0; i < count; ++i) kv::KV_GL(prefix + QString::number(i));
    kv::closeLanguageTable();
    return kv::languageProblems().isEmpty() ? 0 : 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args[0] == "build") return build(args[1], args[2]);
    if (args.size() == 2 && args[0] == "dump") return dump(args[1]);
    if (args.size() == 4 && args[0] == "collect") return collect(args[1], args[2], args[3].toInt());
    return fail("usage: kvlang build <texts.tsv> <table.dbf> | dump <table.dbf> | "
                "collect <table.dbf> <prefix> <count>");
}
