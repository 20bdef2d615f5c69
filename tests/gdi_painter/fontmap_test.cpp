// Windows fonts resolved to the installed stand-ins, GDI's height rules, ANSI code pages.
#include "gdi/text/codepages.h"
#include "gdi/text/fontmap.h"

#include <QFontInfo>
#include <cmath>
#include <gtest/gtest.h>

using namespace kv::gdi;

namespace {

LogFont logFont(const char16_t* face, int32_t height = -20)
{
    LogFont lf;
    lf.faceName = face;
    lf.height = height;
    return lf;
}

} // namespace

struct FaceCase {
    const char16_t* windowsFace;
    const char* family;
};

class FontFamilies : public ::testing::TestWithParam<FaceCase> {};

TEST_P(FontFamilies, WindowsFacesDrawWithTheirStandIns)
{
    const FaceCase fc = GetParam();
    EXPECT_EQ(substituteFamily(fc.windowsFace).toStdString(), fc.family);
    const ResolvedFontPtr f = resolveFont(logFont(fc.windowsFace), -20, 0);
    // Qt may add the foundry: "Standard Symbols PS [URW ]".
    EXPECT_TRUE(f->raw.familyName().startsWith(QLatin1String(fc.family))) << f->raw.familyName().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table, FontFamilies,
                         ::testing::Values(FaceCase{u"Arial", "Liberation Sans"},
                                           FaceCase{u"ARIAL", "Liberation Sans"},
                                           FaceCase{u"Times New Roman", "Liberation Serif"},
                                           FaceCase{u"Courier New", "Liberation Mono"},
                                           FaceCase{u"Calibri", "Carlito"},
                                           FaceCase{u"Cambria", "Caladea"},
                                           FaceCase{u"Verdana", "DejaVu Sans"},
                                           FaceCase{u"Segoe UI", "Liberation Sans"},
                                           FaceCase{u"@Arial", "Liberation Sans"},
                                           FaceCase{u"Symbol", "Standard Symbols PS"},
                                           FaceCase{u"Tahoma", "Tahoma"},
                                           FaceCase{u"Marlett", "Marlett"},
                                           FaceCase{u"Wingdings 2", "Marlett"}));

TEST(FontMap, AscentAndDescentAreTheWindowsOnesNotTheTypographicOnes)
{
    // Tahoma asks for its typographic metrics (ascent 1566 of 2048); GDI places text by
    // usWinAscent 2049 and usWinDescent 423.
    const ResolvedFontPtr em = resolveFont(logFont(u"Tahoma", -2048), -2048, 0);
    EXPECT_NEAR(em->ascent, 2049, 1);
    EXPECT_NEAR(em->descent, 423, 1);
    const ResolvedFontPtr cell = resolveFont(logFont(u"Tahoma", 2472), 2472, 0);
    EXPECT_NEAR(cell->raw.pixelSize(), 2048, 2);
}

TEST(FontMap, FacesThatAreNotInstalledTakeTheDefaultFaceOfTheirFamily)
{
    EXPECT_EQ(substituteFamily(u"Some Face Nobody Has").toStdString(), "Some Face Nobody Has");
    LogFont lf = logFont(u"Some Face Nobody Has");
    EXPECT_TRUE(resolveFont(lf, -20, 0)->raw.familyName().startsWith(QLatin1String("Liberation Sans")));
    lf.pitchAndFamily = 0x12;  // FF_ROMAN, VARIABLE_PITCH
    EXPECT_TRUE(resolveFont(lf, -20, 0)->raw.familyName().startsWith(QLatin1String("Liberation Serif")));
    // East Asian text keeps fontconfig's choice, which has its characters.
    LogFont chinese = logFont(u"\u5B8B\u4F53");
    chinese.charSet = GB2312_CHARSET;
    const ResolvedFontPtr f = resolveFont(chinese, -20, 0);
    EXPECT_TRUE(f->raw.isValid());
    EXPECT_TRUE(f->raw.supportsCharacter(QChar(0x6CD5)));
    EXPECT_GT(f->advance(u'\u6CD5'), 0);
}

TEST(FontMap, NegativeHeightIsTheEmAndPositiveTheCell)
{
    const ResolvedFontPtr em = resolveFont(logFont(u"Arial", -100), -100, 0);
    const ResolvedFontPtr cell = resolveFont(logFont(u"Arial", 100), 100, 0);
    EXPECT_NEAR(em->raw.pixelSize(), 100, 0.01);
    EXPECT_LT(cell->raw.pixelSize(), 95);
    EXPECT_NEAR(cell->ascent + cell->descent, 100, 1.5);
    EXPECT_NEAR(em->internalLeading, em->ascent + em->descent - 100, 0.01);
    EXPECT_NEAR(cell->internalLeading, 100 - cell->raw.pixelSize(), 1.5);
}

TEST(FontMap, ZeroHeightTakesADefaultSize)
{
    const ResolvedFontPtr f = resolveFont(logFont(u"Arial", 0), 0, 0);
    EXPECT_GT(f->raw.pixelSize(), 8);
    EXPECT_LT(f->raw.pixelSize(), 20);
}

TEST(FontMap, WeightItalicAndDecorationsAreKept)
{
    LogFont lf = logFont(u"Arial");
    lf.weight = 700;
    lf.italic = 1;
    lf.underline = 1;
    lf.strikeOut = 1;
    const ResolvedFontPtr f = resolveFont(lf, -20, 0);
    EXPECT_EQ(f->raw.weight(), QFont::Bold);
    EXPECT_EQ(f->raw.style(), QFont::StyleItalic);
    EXPECT_TRUE(f->underline && f->strikeOut);
    EXPECT_FALSE(resolveFont(logFont(u"Arial"), -20, 0)->underline);
}

TEST(FontMap, WidthStretchesTheAdvances)
{
    const ResolvedFontPtr natural = resolveFont(logFont(u"Arial", -40), -40, 0);
    LogFont wide = logFont(u"Arial", -40);
    wide.width = 40;
    const ResolvedFontPtr stretched = resolveFont(wide, -40, 40);
    EXPECT_GT(stretched->widthScale, 1.5);
    EXPECT_NEAR(stretched->advance(u'n') / natural->advance(u'n'), stretched->widthScale, 0.01);
    EXPECT_NEAR(natural->textWidth(u"nn"), 2 * natural->advance(u'n'), 1e-6);
}

TEST(FontMap, AWidthOfTheFacesOwnAverageDrawsItsNaturalWidth)
{
    // Arial's average character width is 904/2048 of the em; writers that store it as lfWidth
    // mean the natural width. Times New Roman's is 821/2048.
    struct Case { const char16_t* face; double averagePerEm; };
    for (const Case c : {Case{u"Arial", 904.0 / 2048}, Case{u"Times New Roman", 821.0 / 2048}}) {
        LogFont lf = logFont(c.face, -166);
        lf.width = int32_t(std::lround(166 * c.averagePerEm));
        const ResolvedFontPtr f = resolveFont(lf, -166, lf.width);
        EXPECT_NEAR(f->widthScale, 1.0, 0.01) << QString::fromStdU16String(c.face).toStdString();
    }
}

TEST(FontMap, TheSameRequestReturnsTheCachedFont)
{
    const ResolvedFontPtr a = resolveFont(logFont(u"Times New Roman", -33), -33, 0);
    const ResolvedFontPtr b = resolveFont(logFont(u"Times New Roman", -33), -33, 0);
    const ResolvedFontPtr other = resolveFont(logFont(u"Times New Roman", -33), -34, 0);
    EXPECT_EQ(a.get(), b.get());
    EXPECT_NE(a.get(), other.get());
}

struct AnsiCase {
    const char* bytes;
    uint8_t charSet;
    std::u16string expected;
};

class AnsiDecoding : public ::testing::TestWithParam<AnsiCase> {};

TEST_P(AnsiDecoding, BytesBecomeTheCharsetsCharacters)
{
    const AnsiCase ac = GetParam();
    EXPECT_EQ(decodeAnsi(ac.bytes, ac.charSet), ac.expected) << int(ac.charSet);
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, AnsiDecoding,
    ::testing::Values(AnsiCase{"A\x80\x99\xE9", ANSI_CHARSET, u"A\u20AC\u2122\u00E9"},
                      AnsiCase{"\x93q\x94", DEFAULT_CHARSET, u"\u201Cq\u201D"},
                      AnsiCase{"a\xB7", SYMBOL_CHARSET, u"\uF061\uF0B7"},
                      AnsiCase{"\x8A\xB9", EASTEUROPE_CHARSET, u"\u0160\u0105"},
                      AnsiCase{"\xC0\xFF", RUSSIAN_CHARSET, u"\u0410\u044F"},
                      AnsiCase{"\xE1", GREEK_CHARSET, u"\u03B1"},
                      AnsiCase{"\xF0", TURKISH_CHARSET, u"\u011F"},
                      AnsiCase{"\xE0", BALTIC_CHARSET, u"\u0105"},
                      AnsiCase{"\xB0\xC9", OEM_CHARSET, u"\u2591\u2554"},
                      AnsiCase{"\x82\xA0", SHIFTJIS_CHARSET, u"\u3042"},
                      AnsiCase{"\xC4\xE3", GB2312_CHARSET, u"\u4F60"},
                      AnsiCase{"\xB0\xA1", HANGUL_CHARSET, u"\uAC00"},
                      AnsiCase{"\xA4\x40", CHINESEBIG5_CHARSET, u"\u4E00"}));

TEST(AnsiDecodingErrors, InvalidBytesBecomeReplacementCharactersAndDecodingGoesOn)
{
    const std::u16string text = decodeAnsi("\x82" "A", SHIFTJIS_CHARSET);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), u'A');
    EXPECT_EQ(decodeAnsi("", RUSSIAN_CHARSET), u"");
}

TEST(AdobeSymbol, GreekAndMathsSitAtTheirEncodingPositions)
{
    EXPECT_EQ(adobeSymbolToUnicode('a'), u'\u03B1');
    EXPECT_EQ(adobeSymbolToUnicode('W'), u'\u03A9');
    EXPECT_EQ(adobeSymbolToUnicode(0xA5), u'\u221E');
    EXPECT_EQ(adobeSymbolToUnicode(0xB7), u'\u2022');
    EXPECT_EQ(adobeSymbolToUnicode('1'), u'1');
    EXPECT_EQ(adobeSymbolToUnicode(0x85), u'\0');
}

TEST(SymbolFaces, WingdingsBulletsAndChecksBecomeTheirUnicodeSymbols)
{
    LogFont lf = logFont(u"Wingdings");
    lf.charSet = SYMBOL_CHARSET;
    const ResolvedFontPtr f = resolveFont(lf, -20, 0);
    EXPECT_TRUE(f->symbol && f->wingdings);
    EXPECT_FALSE(f->adobeSymbol);
    EXPECT_EQ(f->drawnChar(u'\uF06C'), u'\u25CF');  // round bullet
    EXPECT_EQ(f->drawnChar(u'\u00A7'), u'\u25AA');  // square bullet, written as the plain byte
    EXPECT_EQ(f->drawnChar(u'\uF0FC'), u'\u2714');  // check mark
    EXPECT_TRUE(f->raw.supportsCharacter(QChar(0x2714)));
    EXPECT_EQ(f->drawnChar(u'\uF041'), u'A');  // no equivalent: the byte it was written as
}

TEST(SymbolFaces, OtherSymbolFacesDrawTheBytesTheTextWasWrittenAs)
{
    LogFont lf = logFont(u"Webdings");
    lf.charSet = SYMBOL_CHARSET;
    const ResolvedFontPtr f = resolveFont(lf, -20, 0);
    EXPECT_TRUE(f->symbol);
    EXPECT_FALSE(f->wingdings || f->adobeSymbol);
    EXPECT_EQ(f->drawnChar(u'\uF06C'), u'l');
}
