#include "print/papercodes.h"

#include <array>
#include <utility>

namespace kv {

namespace {

constexpr std::array<std::pair<int, QPageSize::PageSizeId>, 22> kPaperCodes{{
    {1, QPageSize::Letter}, {3, QPageSize::Tabloid}, {4, QPageSize::Ledger},
    {5, QPageSize::Legal}, {7, QPageSize::Executive}, {8, QPageSize::A3},
    {9, QPageSize::A4}, {11, QPageSize::A5}, {12, QPageSize::B4}, {13, QPageSize::B5},
    {14, QPageSize::Folio}, {19, QPageSize::Envelope9}, {20, QPageSize::Envelope10},
    {27, QPageSize::EnvelopeDL}, {28, QPageSize::EnvelopeC5}, {29, QPageSize::EnvelopeC3},
    {30, QPageSize::EnvelopeC4}, {31, QPageSize::EnvelopeC6}, {34, QPageSize::EnvelopeB5},
    {37, QPageSize::EnvelopeMonarch}, {66, QPageSize::A2}, {70, QPageSize::A6},
}};

constexpr std::array<std::pair<int, QPrinter::PaperSource>, 13> kBins{{
    {1, QPrinter::Upper}, {2, QPrinter::Lower}, {3, QPrinter::Middle}, {4, QPrinter::Manual},
    {5, QPrinter::Envelope}, {6, QPrinter::EnvelopeManual}, {7, QPrinter::Auto},
    {8, QPrinter::Tractor}, {9, QPrinter::SmallFormat}, {10, QPrinter::LargeFormat},
    {11, QPrinter::LargeCapacity}, {14, QPrinter::Cassette}, {15, QPrinter::FormSource},
}};

} // namespace

QPageSize pageSizeForPaperCode(int code)
{
    for (const auto& [paper, id] : kPaperCodes)
        if (paper == code) return QPageSize(id);
    return {};
}

int paperCodeForPageSize(const QPageSize& size)
{
    for (const auto& [paper, id] : kPaperCodes)
        if (id == size.id()) return paper;
    return 0;
}

QPageSize userPageSize(int widthTenthsMm, int lengthTenthsMm)
{
    if (widthTenthsMm <= 0 || lengthTenthsMm <= 0) return {};
    return QPageSize(QSizeF(widthTenthsMm / 10.0, lengthTenthsMm / 10.0), QPageSize::Millimeter,
                     QString(), QPageSize::ExactMatch);
}

std::optional<QPrinter::PaperSource> paperSourceForBin(int bin)
{
    for (const auto& [code, source] : kBins)
        if (code == bin) return source;
    return std::nullopt;
}

} // namespace kv
