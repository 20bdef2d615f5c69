// The printer list, name matching and the built-in printer's file naming.
#include "print/pdfoutput.h"
#include "print/printerlist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QStringList kSimilar{
    QStringLiteral("Office-LaserJet-4200"), QStringLiteral("laserjet_home"), QStringLiteral("HP LASERJET Color"),
    QStringLiteral("Canon iP4200"), QStringLiteral("PDF"), QStringLiteral("PDF File")};

TEST(PrinterNameMatching, FirstContainingEntryInListOrderWhateverTheCase)
{
    struct Case { QString wanted; int want; };  // -1: no entry
    for (const Case& c : {Case{QStringLiteral("laserjet"), 0}, Case{QStringLiteral("LASERJET"), 0},
                          Case{QStringLiteral("LaserJet_Home"), 1}, Case{QStringLiteral("color"), 2},
                          Case{QStringLiteral("4200"), 0}, Case{QStringLiteral("canon"), 3},
                          Case{QStringLiteral("pdf"), 4}, Case{QStringLiteral("pdf file"), 5},
                          Case{QStringLiteral("epson"), -1}, Case{QString(), -1},
                          Case{QStringLiteral("jet; rm -rf /"), -1}, Case{QStringLiteral("*"), -1}}) {
        const auto got = kv::matchPrinterName(kSimilar, c.wanted);
        EXPECT_EQ(got ? int(*got) : -1, c.want) << c.wanted.toStdString();
    }
}

TEST(PrinterNameMatching, PositionsCountFromOne)
{
    struct Case { long long position; int want; };
    for (const Case& c : {Case{1, 0}, Case{6, 5}, Case{3, 2}, Case{0, -1}, Case{-1, -1}, Case{7, -1},
                          Case{1LL << 40, -1}}) {
        const auto got = kv::printerAtPosition(kSimilar, c.position);
        EXPECT_EQ(got ? int(*got) : -1, c.want) << c.position;
    }
}

TEST(PrinterList, TheSystemListEndsWithTheBuiltInPrinter)
{
    const kv::PrinterList list = kv::systemPrinterList();
    ASSERT_FALSE(list.names.isEmpty());
    EXPECT_EQ(list.names.back(), kv::kPdfFilePrinter);
    EXPECT_EQ(list.names.count(kv::kPdfFilePrinter), 1);
    EXPECT_TRUE(list.names.contains(list.defaultName)) << list.defaultName.toStdString();
}

TEST(PdfFileNames, DocumentNamesAreMadeSafe)
{
    struct Case { QString document, want; };
    for (const Case& c : {Case{QStringLiteral("Report"), QStringLiteral("Report")},
                          Case{QStringLiteral("Sales 2026/Q1: \"North\""), QStringLiteral("Sales 2026_Q1_ _North_")},
                          Case{QStringLiteral("../../etc/passwd"), QStringLiteral("_.._etc_passwd")},
                          Case{QStringLiteral("a\tb\nc"), QStringLiteral("a_b_c")},
                          Case{QStringLiteral("  . "), QStringLiteral("Document")},
                          Case{QString(), QStringLiteral("Document")},
                          Case{QStringLiteral("Bericht über Wärme"), QStringLiteral("Bericht über Wärme")}}) {
        EXPECT_EQ(kv::pdfFileStem(c.document), c.want) << c.document.toStdString();
    }
    EXPECT_LE(kv::pdfFileStem(QString(500, QLatin1Char('x'))).size(), 120);
}

TEST(PdfFileNames, AnEarlierFileIsNeverOverwritten)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile earlier(dir.filePath(QStringLiteral("Report.pdf")));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();
    const QString second = kv::reservePdfFile(dir.path(), QStringLiteral("Report"));
    const QString third = kv::reservePdfFile(dir.path(), QStringLiteral("Report"));
    EXPECT_EQ(QFileInfo(second).fileName(), QStringLiteral("Report (2).pdf"));
    EXPECT_EQ(QFileInfo(third).fileName(), QStringLiteral("Report (3).pdf"));
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), QByteArray("earlier"));
}

TEST(PdfFileNames, FolderIsMadeWhenMissingAndRefusedWhenImpossible)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString nested = dir.filePath(QStringLiteral("a/b"));
    EXPECT_EQ(kv::reservePdfFile(nested, QStringLiteral("X")), QDir(nested).filePath(QStringLiteral("X.pdf")));
    // A folder below an ordinary file can never be made.
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_TRUE(kv::reservePdfFile(dir.filePath(QStringLiteral("file/sub")), QStringLiteral("X")).isEmpty());
}

TEST(PdfFileNames, OutputFolderComesFromTheEnvironment)
{
    const QByteArray saved = qgetenv("KV_PDF_DIR");
    qputenv("KV_PDF_DIR", "/some/where/");
    EXPECT_EQ(kv::pdfOutputDirectory(), QStringLiteral("/some/where"));
    qunsetenv("KV_PDF_DIR");
    EXPECT_FALSE(kv::pdfOutputDirectory().isEmpty());
    if (!saved.isNull()) qputenv("KV_PDF_DIR", saved);
}

} // namespace
