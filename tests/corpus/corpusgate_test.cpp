// The pixel gate: every corpus page rendered at 1000 px keeps the agreement with its GDI
// reference that the score table records, within 0.01. Pages without the shared corpus are
// gated only when their files travel with the project (tests/data/corpus).
// The references show what GDI draws, so the tables of all pages hold the GDI road's scores;
// the pages that carry EMF+ records are gated once more drawn through those, against a table
// of their own, so that a fault of the EMF+ player on real pages fails too.
// KV_CORPUS_WIDTH=2480 gates the print-resolution renderings against their own table instead.
#include "corpuspages.h"
#include "scoretable.h"
#include "testenv.h"

#include "gdi/text/fontmap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using kvtest::Road;

constexpr double kAllowedDrop = 0.01;

int gateWidth()
{
    bool ok = false;
    const int width = qEnvironmentVariableIntValue("KV_CORPUS_WIDTH", &ok);
    return ok && width > 0 ? width : 1000;
}

// Whether a page of the shared corpus belongs in the road's table.
bool belongsOnRoad(const kvtest::CorpusPage& page, Road road)
{
    return !page.file.isEmpty() && (road == Road::Gdi || kvtest::drawnThroughEmfPlus(page.file));
}

void gateFolder(const QString& folder, Road road, int width)
{
    const QString tablePath = kvtest::scoreTablePath(road, width);
    QString problem;
    const auto table = kvtest::readScoreTable(tablePath, &problem);
    ASSERT_TRUE(table) << "cannot read the score table " << qPrintable(tablePath) << ' ' << qPrintable(problem);
    for (const QString& name : kvtest::sharedPages(folder)) {
        if (!belongsOnRoad(kvtest::locatePage(name, width), road))
            continue;
        EXPECT_TRUE(table->contains(name)) << qPrintable(name) << " has no score in "
                                           << qPrintable(QFileInfo(tablePath).fileName())
                                           << "; scripts/corpus-score --write records it";
    }
    std::vector<kvtest::CorpusPage> pages;
    QStringList absent;
    for (const auto& [name, score] : *table) {
        if (!name.startsWith(folder + '/'))
            continue;
        kvtest::CorpusPage page = kvtest::locatePage(name, width);
        if (page.file.isEmpty())
            absent << name;
        else if (!belongsOnRoad(page, road))
            ADD_FAILURE() << qPrintable(name) << " is no longer drawn through its EMF+ records";
        else
            pages.push_back(page);
    }
    if (!absent.isEmpty())
        std::printf("%lld %s pages not gated: not in tests/data/corpus and no shared corpus at ../shared/corpus\n",
                    qlonglong(absent.size()), qPrintable(folder));
    if (pages.empty())
        GTEST_SKIP() << "no " << qPrintable(folder) << " page of the table is at hand";
    kv::gdi::loadCompatibleFaces();
    const std::vector<kvtest::PageScore> scores = kvtest::scorePages(pages, width, road);
    // KV_CORPUS_SCORES=FILE appends "score page" lines, to compare with the corpus scorer's.
    QFile listing(qEnvironmentVariable("KV_CORPUS_SCORES"));
    if (!listing.fileName().isEmpty() && listing.open(QIODevice::Append | QIODevice::Text))
        for (const kvtest::PageScore& s : scores)
            listing.write(QStringLiteral("%1 %2\n").arg(s.score, 0, 'f', 4).arg(s.page.name).toUtf8());
    for (const kvtest::PageScore& s : scores) {
        const double recorded = table->at(s.page.name);
        if (s.score < 0) {
            ADD_FAILURE() << qPrintable(s.page.name) << ": " << qPrintable(s.problem);
            continue;
        }
        EXPECT_GE(s.score, recorded - kAllowedDrop)
            << qPrintable(QStringLiteral("%1 scores %2, %3 records %4")
                              .arg(s.page.name).arg(s.score, 0, 'f', 4)
                              .arg(QFileInfo(tablePath).fileName()).arg(recorded, 0, 'f', 4));
    }
}

TEST(CorpusGate, EmfPagesKeepTheirScores)
{
    gateFolder(QStringLiteral("emf"), Road::Gdi, gateWidth());
}

TEST(CorpusGate, WmfPagesKeepTheirScores)
{
    gateFolder(QStringLiteral("wmf"), Road::Gdi, gateWidth());
}

TEST(CorpusGate, EmfPlusPagesKeepTheirScoresDrawnThroughEmfPlus)
{
    if (gateWidth() != 1000)
        GTEST_SKIP() << "the EMF+ road is gated at 1000 px only";
    gateFolder(QStringLiteral("emf"), Road::EmfPlus, 1000);
}

// What travels with the project is the shared corpus' own bytes, with a reference and a score.
TEST(CorpusGate, BundledPagesAreCorpusCopiesWithReferencesAndScores)
{
    const auto table = kvtest::readScoreTable(kvtest::scoreTablePath(Road::Gdi, 1000), nullptr);
    ASSERT_TRUE(table);
    const QString bundled = kvtest::dataFile(QStringLiteral("corpus"));
    const auto shared = kvtest::corpusDir();
    int count = 0;
    for (const QString& folder : {QStringLiteral("emf"), QStringLiteral("wmf")}) {
        for (const QString& file : QDir(bundled + '/' + folder).entryList(QDir::Files)) {
            const QString name = folder + '/' + file;
            ++count;
            EXPECT_TRUE(table->contains(name)) << qPrintable(name);
            EXPECT_TRUE(QFile::exists(bundled + "/reference/" + folder + "__" + file + ".png")) << qPrintable(name);
            if (!shared)
                continue;
            QFile mine(bundled + '/' + name), theirs(*shared + '/' + name);
            ASSERT_TRUE(mine.open(QIODevice::ReadOnly) && theirs.open(QIODevice::ReadOnly)) << qPrintable(name);
            EXPECT_EQ(mine.readAll(), theirs.readAll()) << qPrintable(name) << " differs from the shared corpus";
        }
    }
    EXPECT_GT(count, 10);
}

} // namespace
