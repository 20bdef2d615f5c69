// The pixel gate: every corpus page rendered at 1000 px keeps the agreement with its GDI
// reference that the score table records, within 0.01. Pages without the shared corpus are
// gated only when their files travel with the project (tests/data/corpus).
// KV_CORPUS_WIDTH=2480 gates the print-resolution renderings against their own table instead.
#include "corpuspages.h"
#include "scoretable.h"
#include "testenv.h"

#include "gdi/text/fontmap.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

constexpr double kAllowedDrop = 0.01;

int gateWidth()
{
    bool ok = false;
    const int width = qEnvironmentVariableIntValue("KV_CORPUS_WIDTH", &ok);
    return ok && width > 0 ? width : 1000;
}

void gateFolder(const QString& folder)
{
    const int width = gateWidth();
    QString problem;
    const auto table = kvtest::readScoreTable(kvtest::scoreTablePath(width), &problem);
    ASSERT_TRUE(table) << "cannot read the score table " << qPrintable(kvtest::scoreTablePath(width)) << ' '
                       << qPrintable(problem);
    for (const QString& name : kvtest::sharedPages(folder))
        if (!kvtest::locatePage(name, width).file.isEmpty())  // a page with a reference at this width
            EXPECT_TRUE(table->contains(name)) << qPrintable(name)
                                               << " has no score in the table; scripts/corpus-score --write records it";
    std::vector<kvtest::CorpusPage> pages;
    QStringList absent;
    for (const auto& [name, score] : *table) {
        if (!name.startsWith(folder + '/'))
            continue;
        kvtest::CorpusPage page = kvtest::locatePage(name, width);
        if (page.file.isEmpty())
            absent << name;
        else
            pages.push_back(page);
    }
    if (!absent.isEmpty())
        std::printf("%lld %s pages not gated: not in tests/data/corpus and no shared corpus at ../shared/corpus\n",
                    qlonglong(absent.size()), qPrintable(folder));
    if (pages.empty())
        GTEST_SKIP() << "no " << qPrintable(folder) << " page of the table is at hand";
    kv::gdi::loadCompatibleFaces();
    const std::vector<kvtest::PageScore> scores = kvtest::scorePages(pages, width);
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
            << qPrintable(QStringLiteral("%1 scores %2, the table records %3")
                              .arg(s.page.name).arg(s.score, 0, 'f', 4).arg(recorded, 0, 'f', 4));
    }
}

TEST(CorpusGate, EmfPagesKeepTheirScores)
{
    gateFolder(QStringLiteral("emf"));
}

TEST(CorpusGate, WmfPagesKeepTheirScores)
{
    gateFolder(QStringLiteral("wmf"));
}

// What travels with the project is the shared corpus' own bytes, with a reference and a score.
TEST(CorpusGate, BundledPagesAreCorpusCopiesWithReferencesAndScores)
{
    const auto table = kvtest::readScoreTable(kvtest::scoreTablePath(1000), nullptr);
    ASSERT_TRUE(table);
    const QString bundled = kvtest::dataFile(QStringLiteral("corpus"));
    const auto shared = kvtest::corpusDir();
    int count = 0;
    for (const QString folder : {QStringLiteral("emf"), QStringLiteral("wmf")}) {
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
