// The text of a page: real Windows spool pages played into the text-collecting device give
// their words in reading order, each where the page draws its ink; the search over that text
// finds words without regard to case, whole words when asked, and phrases that wrap.
#include "testenv.h"

#include "gdi/pagetext/pagetext.h"
#include "gdi/readers.h"
#include "gdi/render.h"
#include "gdi/pagetext/textsearch.h"

#include <gtest/gtest.h>

namespace {

using kv::gdi::PageText;
using kv::gdi::PlacedGlyph;
using kv::gdi::PlacedRun;

// A page of the corpus by its path under it ("emf/…" or "wmf/…").
kv::gdi::PicturePtr corpusPage(const QString& path)
{
    const auto corpus = kvtest::corpusDir();
    if (!corpus)
        return nullptr;
    return kv::gdi::readMetafileFile(*corpus + QLatin1Char('/') + path, kv::gdi::DeviceCaps{1920, 1080, 508, 286});
}

kv::gdi::PicturePtr spoolPage(const QString& name)
{
    return corpusPage(QStringLiteral("emf/") + name);
}

// The box of the first place `word` stands as a whole word, in fractions of the page.
QRectF firstBoxOf(const PageText& text, const QString& word)
{
    const auto matches = kv::gdi::findText(text.text, word, true);
    EXPECT_FALSE(matches.empty()) << word.toStdString();
    if (matches.empty())
        return {};
    const auto boxes = kv::gdi::matchBoxes(text, matches.front());
    EXPECT_EQ(boxes.size(), 1u);
    return boxes.empty() ? QRectF() : boxes.front();
}

// Share of inked pixels of `image` inside the fraction box `box` of it.
double inkIn(const QImage& image, const QRectF& box)
{
    const QRect r = QRectF(box.x() * image.width(), box.y() * image.height(), box.width() * image.width(),
                           box.height() * image.height()).toAlignedRect() & image.rect();
    if (r.isEmpty())
        return 0;
    int dark = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            dark += qGray(image.pixel(x, y)) < 200;  // grey text is ink too
    return double(dark) / (r.width() * r.height());
}

struct KnownWord {
    const char* page;  // under the corpus
    const char* word;
};

// Words that begin a line of their page (the first time they occur), or stand alone on it:
// left of them is margin or little ink.
const KnownWord kKnownWords[] = {
    {"emf/spool-EMFSpool_0000.emf", "Hello World"},
    {"emf/spool-EMFSpool_0006.emf", "Listens"},
    {"emf/spool-EMFSpool_0012.emf", "headings"},
    {"emf/spool-EMFSpool_0014.emf", "Permission"},
    {"emf/spool-EMFSpool_0017.emf", "formatted"},
    {"emf/spool-EMFSpool_0001.emf", "Imports"},
    {"wmf/aspose-imaging-missing-font.wmf", "Some Text Goes Here"},  // a Windows metafile
};

TEST(PageTextTest, KnownWordsOfSpoolPagesLieOnTheirInk)
{
    if (!kvtest::corpusDir())
        GTEST_SKIP() << "no corpus beside the project (../shared/corpus)";
    for (const KnownWord& known : kKnownWords) {
        SCOPED_TRACE(known.page);
        const auto page = corpusPage(QString::fromLatin1(known.page));
        ASSERT_TRUE(page);
        const PageText text = kv::gdi::extractPageText(*page);
        ASSERT_EQ(text.boxes.size(), size_t(text.text.size()));
        const QRectF box = firstBoxOf(text, QString::fromLatin1(known.word));
        ASSERT_FALSE(box.isEmpty());
        const QImage image = kv::gdi::renderPicture(*page, 1200);
        ASSERT_FALSE(image.isNull());
        // Glyphs are ink on part of their cell: some in the word's box, far less in a box of
        // the same size just left of it.
        EXPECT_GT(inkIn(image, box), 0.05);
        const QRectF before = box.translated(-box.width(), 0);
        EXPECT_LT(inkIn(image, before), inkIn(image, box) / 3);
    }
}

TEST(PageTextTest, SpoolPagesReadInOrderWithBlanksBetweenSeparateRuns)
{
    if (!kvtest::corpusDir())
        GTEST_SKIP() << "no corpus beside the project (../shared/corpus)";
    const auto help = spoolPage(QStringLiteral("spool-EMFSpool_0006.emf"));
    ASSERT_TRUE(help);
    const QString text = kv::gdi::extractPageText(*help).text;
    // Two lines of one sentence, and a link drawn as a run of its own on the next line.
    const qsizetype first = text.indexOf(QStringLiteral("Listens to the file system"));
    const qsizetype second = text.indexOf(QStringLiteral("changes."));
    const qsizetype link = text.indexOf(QStringLiteral("see FileSystemWatcher Members"));
    ASSERT_GE(first, 0);
    EXPECT_GT(second, first);
    EXPECT_GT(link, second);

    // One word per record: the gaps between the records become blanks.
    const auto code = spoolPage(QStringLiteral("spool-EMFSpool_0014.emf"));
    ASSERT_TRUE(code);
    EXPECT_TRUE(kv::gdi::extractPageText(*code).text.contains(QStringLiteral("Copyright © Christoph Lindemann.")));

    // Glyph-index text, as spoolers write it, reads as the characters it shows.
    const auto glyphs = spoolPage(QStringLiteral("spool-EMFSpool_0001.emf"));
    ASSERT_TRUE(glyphs);
    EXPECT_TRUE(kv::gdi::extractPageText(*glyphs).text.contains(QStringLiteral("Imports")));
}

PlacedRun run(const QString& chars, double x, double baseline, double advance, double height = 10)
{
    PlacedRun out;
    for (QChar c : chars) {
        PlacedGlyph g;
        g.ch = c.unicode();
        g.baseline = {x, baseline};
        g.box = QRectF(x, baseline - height * 0.8, advance, height);
        out.push_back(g);
        x += advance;
    }
    return out;
}

TEST(PageTextTest, ReadingOrderIsTopToBottomThenLeftToRight)
{
    const QSizeF device(1000, 1000);
    struct Case {
        const char* what;
        std::vector<PlacedRun> runs;
        const char* expected;
    };
    const Case cases[] = {
        {"lines drawn bottom first", {run("world", 10, 200, 6), run("hello", 10, 100, 6)}, "hello\nworld"},
        {"runs of a line drawn right first", {run("two", 100, 100, 6), run("one", 10, 100, 6)}, "one two"},
        {"adjacent runs join without a blank", {run("ab", 10, 100, 6), run("cd", 22, 100, 6)}, "abcd"},
        {"a baseline off by a little stays on the line", {run("x", 10, 100, 6), run("y", 40, 102, 6)}, "x y"},
        {"the blank of the text is not doubled", {run("a ", 10, 100, 6), run("b", 40, 100, 6)}, "a b"},
        {"nothing drawn", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PageText text = kv::gdi::readingOrder(c.runs, device);
        EXPECT_EQ(text.text, QString::fromLatin1(c.expected));
        ASSERT_EQ(text.boxes.size(), size_t(text.text.size()));
    }
    // Boxes are fractions of the device.
    const PageText one = kv::gdi::readingOrder({run("a", 100, 500, 10)}, device);
    ASSERT_EQ(one.boxes.size(), 1u);
    EXPECT_DOUBLE_EQ(one.boxes[0].left(), 0.1);
    EXPECT_DOUBLE_EQ(one.boxes[0].width(), 0.01);
    EXPECT_DOUBLE_EQ(one.boxes[0].top(), 0.492);
}

TEST(PageTextTest, FindTextRespectsCaseWordsAndLineBreaks)
{
    const QString text = QStringLiteral("Total amount\ntotals: TOTAL_9 total");
    struct Case {
        const char* needle;
        bool wholeWord;
        std::vector<kv::gdi::TextMatch> expected;
    };
    const Case cases[] = {
        {"total", false, {{0, 5}, {13, 5}, {21, 5}, {29, 5}}},
        {"total", true, {{0, 5}, {29, 5}}},
        {"amount totals", false, {{6, 13}}},
        {"  amount   totals ", false, {{6, 13}}},
        {"missing", false, {}},
        {"   ", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.needle);
        EXPECT_EQ(kv::gdi::findText(text, QString::fromLatin1(c.needle), c.wholeWord), c.expected);
    }
    // Matches never overlap.
    EXPECT_EQ(kv::gdi::findText(QStringLiteral("aaaa"), QStringLiteral("aa"), false),
              (std::vector<kv::gdi::TextMatch>{{0, 2}, {2, 2}}));
}

TEST(PageTextTest, AMatchOverTwoLinesCoversABoxOnEach)
{
    const PageText text = kv::gdi::readingOrder({run("one", 10, 100, 6), run("two", 10, 200, 6)}, {1000, 1000});
    const auto matches = kv::gdi::findText(text.text, QStringLiteral("one two"), false);
    ASSERT_EQ(matches.size(), 1u);
    const auto boxes = kv::gdi::matchBoxes(text, matches[0]);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_LT(boxes[0].bottom(), boxes[1].top());
    EXPECT_NEAR(boxes[0].width(), 0.018, 1e-9);
}

} // namespace
