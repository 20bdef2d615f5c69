// Windows LOGFONTs resolved to the metric-compatible faces installed here, sized the way GDI
// reads lfHeight, and cached: the players resolve a font for every text record.
#include "gdi/text/fontmap.h"
#include "gdi/text/codepages.h"

#include <QDir>
#include <QFontDatabase>
#include <QSet>
#include <QVarLengthArray>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <optional>
#include <tuple>
#include <unordered_map>

namespace kv::gdi {

namespace {

// GDI's height for lfHeight 0 (a cell height, device pixels): what the reference renderer uses.
constexpr double kDefaultCellHeight = 16;
// Resolved fonts kept at most; zooming makes new sizes, so the cache is emptied when it is full.
constexpr size_t kMaxCachedFonts = 512;
// Pixel size at which a face's proportions are measured (large, so rounding does not matter).
constexpr double kMeasureSize = 1000;

enum class FaceKind : uint8_t { Text, AdobeSymbol, Wingdings, Dingbats };

struct FaceRule {
    std::u16string_view windowsFace;  // lower case
    const char* family;
    FaceKind kind = FaceKind::Text;
    // The face of the same name from the Windows-compatible font set (Debian's fonts-wine),
    // drawn instead of `family` when that set is installed: its glyphs sit at the code points
    // Windows programs write for these faces.
    const char* compatible = nullptr;
};

// Faces without a metric-compatible stand-in take the installed face whose advances come
// closest. Measured against the Dx arrays of the corpus (the writers' own advances, summed
// over regular-weight text): Segoe UI against Liberation Sans 1.00 (DejaVu Sans 1.15), Verdana
// against DejaVu Sans 0.98 (Liberation Sans 0.85). Tahoma's recorded text is small UI text,
// whose hinted advances run wide (DejaVu Sans 1.01, its condensed cut 0.91); at print sizes
// Tahoma is Verdana's narrow sibling, and text without Dx laid out with DejaVu Sans came out
// 16 % wider than the reference rendering: DejaVu Sans Condensed.
constexpr std::array kFaceRules = {
    FaceRule{u"arial", "Liberation Sans"},
    FaceRule{u"helvetica", "Liberation Sans"},
    FaceRule{u"ms sans serif", "Liberation Sans", FaceKind::Text, "MS Sans Serif"},
    FaceRule{u"microsoft sans serif", "Liberation Sans"},
    FaceRule{u"ms shell dlg", "Liberation Sans"},
    FaceRule{u"ms shell dlg 2", "Liberation Sans"},
    FaceRule{u"arial unicode ms", "Liberation Sans"},
    FaceRule{u"system", "Liberation Sans"},
    FaceRule{u"segoe ui", "Liberation Sans"},
    FaceRule{u"tahoma", "DejaVu Sans Condensed", FaceKind::Text, "Tahoma"},
    FaceRule{u"verdana", "DejaVu Sans"},
    FaceRule{u"times new roman", "Liberation Serif"},
    FaceRule{u"times", "Liberation Serif"},
    FaceRule{u"georgia", "Liberation Serif"},
    FaceRule{u"ms serif", "Liberation Serif"},
    FaceRule{u"courier new", "Liberation Mono"},
    FaceRule{u"courier", "Liberation Mono"},
    FaceRule{u"consolas", "Liberation Mono"},
    FaceRule{u"lucida console", "Liberation Mono"},
    FaceRule{u"fixedsys", "Liberation Mono"},
    FaceRule{u"terminal", "Liberation Mono"},
    FaceRule{u"calibri", "Carlito"},
    FaceRule{u"cambria", "Caladea"},
    FaceRule{u"cambria math", "Caladea"},
    FaceRule{u"small fonts", "Liberation Sans", FaceKind::Text, "Small Fonts"},
    FaceRule{u"symbol", "Standard Symbols PS", FaceKind::AdobeSymbol},
    FaceRule{u"wingdings", "DejaVu Sans", FaceKind::Wingdings},
    // No stand-in has these faces' symbols: an installed symbol face draws symbols at least,
    // where the letters of a text face would suggest words that are not there.
    FaceRule{u"wingdings 2", "DejaVu Sans", FaceKind::Dingbats, "Marlett"},
    FaceRule{u"wingdings 3", "DejaVu Sans", FaceKind::Dingbats, "Marlett"},
    FaceRule{u"webdings", "DejaVu Sans", FaceKind::Dingbats},
    FaceRule{u"marlett", "DejaVu Sans", FaceKind::Dingbats, "Marlett"},
};

// Where Debian's fonts-wine puts the Windows-compatible faces; they are not in fontconfig's path.
constexpr const char* kCompatibleFontDir = "/usr/share/wine/fonts";

// The families of that set that could be loaded, registered with Qt once per process.
const QSet<QString>& compatibleFamilies()
{
    static const QSet<QString> families = [] {
        QSet<QString> loaded;
        const QDir dir(QString::fromLatin1(kCompatibleFontDir));
        for (const QString& file : dir.entryList({QStringLiteral("*.ttf")}, QDir::Files)) {
            const int id = QFontDatabase::addApplicationFont(dir.filePath(file));
            if (id >= 0)
                for (const QString& family : QFontDatabase::applicationFontFamilies(id))
                    loaded.insert(family);
        }
        return loaded;
    }();
    return families;
}

QString familyOf(const FaceRule& rule)
{
    if (rule.compatible && compatibleFamilies().contains(QLatin1String(rule.compatible)))
        return QString::fromLatin1(rule.compatible);
    return QString::fromLatin1(rule.family);
}

// Vertical-writing faces ("@SimSun") name the same family.
std::u16string_view withoutVerticalMark(std::u16string_view face)
{
    return !face.empty() && face.front() == u'@' ? face.substr(1) : face;
}

bool equalsIgnoringCase(std::u16string_view face, std::u16string_view lower)
{
    return face.size() == lower.size()
        && std::equal(face.begin(), face.end(), lower.begin(), [](char16_t a, char16_t b) {
               return (a >= u'A' && a <= u'Z' ? char16_t(a + 32) : a) == b;
           });
}

const FaceRule* ruleFor(std::u16string_view windowsFace)
{
    const std::u16string_view face = withoutVerticalMark(windowsFace);
    for (const FaceRule& rule : kFaceRules)
        if (equalsIgnoringCase(face, rule.windowsFace))
            return &rule;
    return nullptr;
}

// LOGFONT pitch and family bits.
enum : uint8_t { FIXED_PITCH = 1, FF_ROMAN = 0x10, FF_SWISS = 0x20, FF_MODERN = 0x30, FF_SCRIPT = 0x40 };

QFont::StyleHint styleHintOf(uint8_t pitchAndFamily)
{
    switch (pitchAndFamily & 0xF0) {
    case FF_ROMAN: return QFont::Serif;
    case FF_MODERN: return QFont::Monospace;
    case FF_SCRIPT: return QFont::Cursive;
    case FF_SWISS: return QFont::SansSerif;
    default: return (pitchAndFamily & 3) == FIXED_PITCH ? QFont::Monospace : QFont::AnyStyle;
    }
}

// A face name GDI leaves to its mapper: pick by the pitch and family bits.
QString familyForEmptyFace(uint8_t pitchAndFamily)
{
    switch (styleHintOf(pitchAndFamily)) {
    case QFont::Serif: return QStringLiteral("Liberation Serif");
    case QFont::Monospace: return QStringLiteral("Liberation Mono");
    default: return QStringLiteral("Liberation Sans");
    }
}

QFont::Weight weightOf(int32_t lfWeight)
{
    return lfWeight <= 0 ? QFont::Normal : QFont::Weight(std::clamp(lfWeight, 100, 900));
}

std::optional<QFontDatabase::WritingSystem> eastAsianScript(uint8_t charSet)
{
    switch (charSet) {
    case SHIFTJIS_CHARSET: return QFontDatabase::Japanese;
    case HANGUL_CHARSET: case JOHAB_CHARSET: return QFontDatabase::Korean;
    case GB2312_CHARSET: return QFontDatabase::SimplifiedChinese;
    case CHINESEBIG5_CHARSET: return QFontDatabase::TraditionalChinese;
    default: return std::nullopt;
    }
}

// A face that is not installed goes, as with GDI's mapper, to the default face of its pitch and
// family (Arial's stand-in for most), not to whatever fontconfig likes best; East Asian text to
// an installed face that has its script.
QString familyFor(const LogFont& lf, std::u16string_view face)
{
    const QString family = face.empty() ? QString() : substituteFamily(face);
    if (!face.empty() && (ruleFor(face) || QFontDatabase::hasFamily(family)))
        return family;
    if (const auto script = eastAsianScript(lf.charSet)) {
        const QStringList withScript = QFontDatabase::families(*script);
        if (!withScript.isEmpty())
            return withScript.front();
    }
    return familyForEmptyFace(lf.pitchAndFamily);
}

QFont qtFontFor(const LogFont& lf)
{
    QFont font(familyFor(lf, withoutVerticalMark(lf.faceName)));
    font.setStyleHint(styleHintOf(lf.pitchAndFamily),
                      QFont::StyleStrategy(QFont::NoSubpixelAntialias | QFont::ForceOutline));
    font.setWeight(weightOf(lf.weight));
    font.setItalic(lf.italic != 0);
    // Hinted like GDI draws on screen: small text keeps thin, crisp stems (advances come from the
    // design metrics or the Dx arrays either way).
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    font.setPixelSize(int(kMeasureSize));
    return font;
}

// tmAveCharWidth of the face (OS/2 xAvgCharWidth), as a fraction of the em; 0 when absent.
double averageWidthPerEm(const QRawFont& raw)
{
    const QByteArray os2 = raw.fontTable("OS/2");
    if (os2.size() < 4 || raw.unitsPerEm() <= 0)
        return 0;
    const auto xAvg = qFromBigEndian<qint16>(os2.constData() + 2);
    return xAvg > 0 ? xAvg / raw.unitsPerEm() : 0;
}

// GDI's ascent and descent of a TrueType face (OS/2 usWinAscent/usWinDescent) per em; Qt
// reads hhea or, for faces that ask for it, the typographic values, which can be far smaller.
std::optional<std::pair<double, double>> windowsMetricsPerEm(const QRawFont& raw)
{
    const QByteArray os2 = raw.fontTable("OS/2");
    if (os2.size() < 78 || raw.unitsPerEm() <= 0)
        return std::nullopt;
    const auto ascent = qFromBigEndian<quint16>(os2.constData() + 74);
    const auto descent = qFromBigEndian<quint16>(os2.constData() + 76);
    if (ascent == 0)
        return std::nullopt;
    return std::make_pair(ascent / raw.unitsPerEm(), descent / raw.unitsPerEm());
}

// Liberation 2 recomputed xAvgCharWidth over all of its glyphs; Arial, Times New Roman and
// Courier New, whose advances it shares, carry the classic average (lowercase letters and the
// space weighted by their frequency in English), which GDI scales lfWidth by.
bool usesClassicAverage(const QRawFont& raw)
{
    return raw.familyName().startsWith(QLatin1String("Liberation "));
}

double classicAverageWidthPerEm(const QRawFont& raw)
{
    static constexpr std::array<int, 26> kWeights = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6, 35, 20,
                                                     56, 56, 17, 4, 49, 56, 71, 31, 10, 18, 3, 18, 2};
    static const QString chars = QStringLiteral("abcdefghijklmnopqrstuvwxyz ");
    const QList<quint32> glyphs = raw.glyphIndexesForString(chars);
    if (glyphs.size() != chars.size() || glyphs.contains(0u))
        return averageWidthPerEm(raw);
    const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
    double sum = advances[26].x() * 166;
    for (size_t i = 0; i < kWeights.size(); ++i)
        sum += advances[qsizetype(i)].x() * kWeights[i];
    return sum / 1000 / raw.pixelSize();
}

// The average width of lowercase letters, for faces without an OS/2 table.
double measuredAverageWidthPerEm(const QRawFont& raw)
{
    static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    const QList<quint32> glyphs = raw.glyphIndexesForString(letters);
    const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
    double sum = 0;
    for (const QPointF& a : advances)
        sum += a.x();
    return advances.isEmpty() ? 0.5 : sum / advances.size() / raw.pixelSize();
}

std::shared_ptr<ResolvedFont> makeResolvedFont(const LogFont& lf, double deviceHeight, double deviceWidth)
{
    auto resolved = std::make_shared<ResolvedFont>();
    QFont font = qtFontFor(lf);
    QRawFont raw = QRawFont::fromFont(font);

    // Cell height = ascent + descent; GDI's positive heights ask for that, negative for the em.
    double ascentPerEm = 0.9, descentPerEm = 0.25;
    if (const auto windows = raw.isValid() ? windowsMetricsPerEm(raw) : std::nullopt) {
        std::tie(ascentPerEm, descentPerEm) = *windows;
    } else if (raw.isValid()) {
        ascentPerEm = raw.ascent() / raw.pixelSize();
        descentPerEm = raw.descent() / raw.pixelSize();
    }
    const double cellPerEm = ascentPerEm + descentPerEm;
    double em = std::abs(deviceHeight);
    if (deviceHeight > 0)
        em = deviceHeight / cellPerEm;
    else if (deviceHeight == 0)
        em = kDefaultCellHeight / cellPerEm;
    em = std::clamp(em, 0.01, 100000.0);

    double avgPerEm = raw.isValid() ? (usesClassicAverage(raw) ? classicAverageWidthPerEm(raw) : averageWidthPerEm(raw)) : 0;
    if (avgPerEm <= 0)
        avgPerEm = raw.isValid() ? measuredAverageWidthPerEm(raw) : 0.5;
    if (raw.isValid())
        raw.setPixelSize(em);
    font.setPixelSize(std::max(1, int(std::lround(em))));

    resolved->averageWidth = avgPerEm * em;
    resolved->widthScale = deviceWidth != 0 ? std::clamp(std::abs(deviceWidth) / (avgPerEm * em), 0.02, 50.0) : 1;
    if (resolved->widthScale != 1)
        font.setStretch(std::clamp(int(std::lround(resolved->widthScale * 100)), 1, 4000));
    font.setUnderline(lf.underline != 0);
    font.setStrikeOut(lf.strikeOut != 0);

    resolved->ascent = ascentPerEm * em;
    resolved->descent = descentPerEm * em;
    resolved->internalLeading = std::max(0.0, resolved->ascent + resolved->descent - em);
    resolved->underline = lf.underline != 0;
    resolved->strikeOut = lf.strikeOut != 0;
    const FaceRule* rule = ruleFor(lf.faceName);
    // The Symbol stand-in may come as a Unicode face (Greek at U+03B1 …) or, like the OpenType
    // cut, with a symbol cmap whose byte codes draw the symbols as they are.
    resolved->adobeSymbol = rule && rule->kind == FaceKind::AdobeSymbol && raw.supportsCharacter(QChar(0x03B1));
    // The Windows-compatible Wingdings has its symbols where Windows has them: no mapping.
    const bool compatibleFace = rule && rule->compatible && raw.familyName().startsWith(QLatin1String(rule->compatible));
    resolved->wingdings = rule && rule->kind == FaceKind::Wingdings && !compatibleFace;
    resolved->symbol = lf.charSet == SYMBOL_CHARSET || (rule && rule->kind != FaceKind::Text);
    resolved->deviceLogFont = lf;
    resolved->deviceLogFont.height = int32_t(std::lround(std::clamp(deviceHeight, -1e9, 1e9)));
    resolved->deviceLogFont.width = int32_t(std::lround(std::clamp(deviceWidth, -1e9, 1e9)));
    resolved->font = font;
    resolved->raw = raw;
    return resolved;
}

struct FontKey {
    LogFont logFont;
    double height = 0, width = 0;
};

// Transparent hashing, so that a lookup compares against the caller's LOGFONT without copying it.
struct FontKeyRef {
    const LogFont& logFont;
    double height, width;
};

size_t hashOf(const LogFont& lf, double height, double width)
{
    size_t h = std::hash<std::u16string_view>()(lf.faceName);
    const auto mix = [&h](auto v) { h ^= std::hash<decltype(v)>()(v) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2); };
    mix(lf.height), mix(lf.width), mix(lf.weight), mix(lf.escapement), mix(lf.orientation);
    mix(uint32_t(lf.italic) | uint32_t(lf.underline) << 8 | uint32_t(lf.strikeOut) << 16 | uint32_t(lf.charSet) << 24);
    mix(uint32_t(lf.outPrecision) | uint32_t(lf.clipPrecision) << 8 | uint32_t(lf.quality) << 16
        | uint32_t(lf.pitchAndFamily) << 24);
    mix(height), mix(width);
    return h;
}

bool sameLogFont(const LogFont& a, const LogFont& b)
{
    return a.height == b.height && a.width == b.width && a.escapement == b.escapement
        && a.orientation == b.orientation && a.weight == b.weight && a.italic == b.italic
        && a.underline == b.underline && a.strikeOut == b.strikeOut && a.charSet == b.charSet
        && a.outPrecision == b.outPrecision && a.clipPrecision == b.clipPrecision && a.quality == b.quality
        && a.pitchAndFamily == b.pitchAndFamily && a.faceName == b.faceName;
}

struct FontKeyHash {
    using is_transparent = void;
    size_t operator()(const FontKey& k) const { return hashOf(k.logFont, k.height, k.width); }
    size_t operator()(const FontKeyRef& k) const { return hashOf(k.logFont, k.height, k.width); }
};

struct FontKeyEqual {
    using is_transparent = void;
    template <class A, class B> bool operator()(const A& a, const B& b) const
    {
        return a.height == b.height && a.width == b.width && sameLogFont(a.logFont, b.logFont);
    }
};

using FontCache = std::unordered_map<FontKey, ResolvedFontPtr, FontKeyHash, FontKeyEqual>;

// One cache per thread: Qt's font engines, which QRawFont shares, belong to the thread that
// made them, so threads that render pages side by side each resolve their own.
FontCache& fontCache()
{
    thread_local FontCache cache;
    return cache;
}

} // namespace

void loadCompatibleFaces()
{
    compatibleFamilies();
}

QString substituteFamily(std::u16string_view windowsFace)
{
    if (const FaceRule* rule = ruleFor(windowsFace))
        return familyOf(*rule);
    const std::u16string_view face = withoutVerticalMark(windowsFace);
    return QString::fromUtf16(face.data(), qsizetype(face.size()));
}

ResolvedFontPtr resolveFont(const LogFont& logFont, double deviceHeight, double deviceWidth)
{
    if (!std::isfinite(deviceHeight))
        deviceHeight = 0;
    if (!std::isfinite(deviceWidth))
        deviceWidth = 0;
    FontCache& cache = fontCache();
    if (auto it = cache.find(FontKeyRef{logFont, deviceHeight, deviceWidth}); it != cache.end())
        return it->second;
    if (cache.size() >= kMaxCachedFonts)
        cache.clear();
    ResolvedFontPtr resolved = makeResolvedFont(logFont, deviceHeight, deviceWidth);
    cache.emplace(FontKey{logFont, deviceHeight, deviceWidth}, resolved);
    return resolved;
}

char16_t ResolvedFont::drawnChar(char16_t c) const
{
    const bool privateUse = c >= 0xF020 && c <= 0xF0FF;
    if (adobeSymbol && (privateUse || (c >= 0x20 && c <= 0xFF))) {
        const char16_t u = adobeSymbolToUnicode(uint8_t(c & 0xFF));
        return u ? u : c;
    }
    if (wingdings && (privateUse || (c >= 0x20 && c <= 0xFF))) {
        if (const char16_t u = wingdingsToUnicode(uint8_t(c & 0xFF)))
            return u;
    }
    // Symbol-font text in a face without those code points: draw the byte it was written as.
    if (privateUse && !raw.supportsCharacter(QChar(c)))
        return char16_t(c - 0xF000);
    return c;
}

double ResolvedFont::advance(char16_t c) const
{
    return textWidth(std::u16string_view(&c, 1));
}

double ResolvedFont::textWidth(std::u16string_view text) const
{
    if (!raw.isValid() || text.empty())
        return 0;
    QVarLengthArray<QChar, 256> chars(qsizetype(text.size()));
    for (size_t i = 0; i < text.size(); ++i)
        chars[qsizetype(i)] = QChar(drawnChar(text[i]));
    QVarLengthArray<quint32, 256> glyphs(chars.size());
    int count = int(glyphs.size());
    if (!raw.glyphIndexesForChars(chars.constData(), int(chars.size()), glyphs.data(), &count))
        return 0;
    QVarLengthArray<QPointF, 256> advances(count);
    raw.advancesForGlyphIndexes(glyphs.constData(), advances.data(), count, QRawFont::UseDesignMetrics);
    double width = 0;
    for (const QPointF& a : advances)
        width += a.x();
    return width * widthScale;
}

} // namespace kv::gdi
