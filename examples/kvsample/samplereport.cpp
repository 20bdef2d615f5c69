#include "samplereport.h"

#include "sampleimages.h"

#include "gdi/core/objects.h"
#include "print/tprinter.h"

#include <QString>
#include <array>

namespace kvsample {

namespace {

using kv::PrinterFont;
using kv::gdi::ColorRef;

constexpr ColorRef rgb(int r, int g, int b) { return ColorRef(r | (g << 8) | (b << 16)); }

PrinterFont font(const char* face, double points, bool bold = false, bool italic = false)
{
    PrinterFont f;
    f.face = QString::fromLatin1(face);
    f.height = points;
    f.weight = bold ? 700 : 400;
    f.italic = italic;
    return f;
}

kv::gdi::ObjectPtr brush(ColorRef colour)
{
    kv::gdi::Brush b;
    b.color = colour;
    return kv::gdi::makeObject(b);
}

kv::gdi::ObjectPtr pen(ColorRef colour, int width)
{
    kv::gdi::Pen p;
    p.color = colour;
    p.width = width;
    return kv::gdi::makeObject(p);
}

struct RegionSales {
    const char* region;
    std::array<int, 4> quarters;
};

const RegionSales kSales[] = {
    {"North", {412, 455, 431, 502}},    {"North-East", {318, 296, 341, 377}}, {"East", {522, 548, 575, 611}},
    {"South-East", {274, 289, 262, 305}}, {"South", {388, 402, 419, 446}},   {"South-West", {201, 233, 245, 259}},
    {"West", {466, 472, 498, 530}},     {"North-West", {157, 171, 168, 190}}, {"Capital", {704, 731, 766, 802}},
    {"Islands", {96, 118, 131, 104}},   {"Export", {255, 301, 322, 349}},    {"Online", {188, 246, 309, 388}},
};

// Positions in millimetres from the printable corner, turned into device pixels.
class Page {
public:
    explicit Page(kv::TPrinter& device)
        : d(device), perMmX(double(device.nHorzRes()) / std::max(1, device.nHorzSize())),
          perMmY(double(device.nVertRes()) / std::max(1, device.nVertSize()))
    {
    }
    double x(double mm) const { return mm * perMmX; }
    double y(double mm) const { return mm * perMmY; }
    double widthMm() const { return d.nHorzSize(); }
    double heightMm() const { return d.nVertSize(); }

    void text(double rowMm, double colMm, const QString& s, const PrinterFont& f, ColorRef colour = 0, int align = 0)
    {
        d.Say(y(rowMm), x(colMm), s, f, 0, colour, kv::gdi::TRANSPARENT, align);
    }
    void fill(double top, double left, double bottom, double right, ColorRef colour)
    {
        d.FillRect({y(top), x(left), y(bottom), x(right)}, brush(colour));
    }
    void box(double top, double left, double bottom, double right, ColorRef colour = 0, double widthMm = 0.3)
    {
        d.Box(y(top), x(left), y(bottom), x(right), pen(colour, int(x(widthMm))));
    }
    void line(double top, double left, double bottom, double right, ColorRef colour = 0, double widthMm = 0.3)
    {
        d.Line(y(top), x(left), y(bottom), x(right), pen(colour, int(x(widthMm))));
    }
    void image(double top, double left, double widthMm, double heightMm, const QImage& img)
    {
        d.SayImage(y(top), x(left), img, int(x(widthMm)), int(y(heightMm)));
    }

private:
    kv::TPrinter& d;
    double perMmX, perMmY;
};

const ColorRef kNavy = rgb(16, 42, 92);
const ColorRef kGrey = rgb(96, 96, 96);

void runningHead(Page& p, int number)
{
    const double right = p.widthMm() - 12;
    p.text(8, 12, QStringLiteral("Orvanta Trading Company - Annual Sales Report 2026"), font("Arial", 9, false, true), kGrey);
    p.line(13, 12, 13, right, kGrey, 0.2);
    p.line(p.heightMm() - 14, 12, p.heightMm() - 14, right, kGrey, 0.2);
    p.text(p.heightMm() - 12, right, QStringLiteral("Page %1 of %2").arg(number).arg(kSamplePages),
           font("Arial", 9), kGrey, 1);
    p.text(p.heightMm() - 12, 12, QStringLiteral("Printed with the Orvanta preview"), font("Times New Roman", 9, false, true), kGrey);
}

void titlePage(Page& p)
{
    p.image(18, 14, 28, 28, logoImage(600));
    p.text(20, 48, QStringLiteral("Orvanta Trading Company"), font("Arial", 26, true), kNavy);
    p.text(34, 48, QStringLiteral("Annual Sales Report 2026"), font("Times New Roman", 20, false, true));
    const double right = p.widthMm() - 14;
    p.fill(56, 14, 84, right, rgb(222, 232, 247));
    p.box(56, 14, 84, right, kNavy, 0.5);
    p.text(61, 20, QStringLiteral("Prepared for the Board of Directors"), font("Arial", 14, true), kNavy);
    p.text(70, 20, QStringLiteral("All figures in thousands of euros, unaudited."), font("Times New Roman", 12, false, true));
    const char* paragraph[] = {
        "This report sums up the sales of the twelve regions over the four quarters of the year.",
        "Sales rose in every quarter; the Capital region and the online shop grew the most, while",
        "the Islands had a weak fourth quarter after the ferry strike in November. The table on the",
        "next page lists every region; the chart after it compares the yearly totals.",
    };
    double row = 98;
    for (const char* lineText : paragraph) {
        p.text(row, 16, QString::fromLatin1(lineText), font("Times New Roman", 12));
        row += 7;
    }
    p.text(row + 6, 16, QStringLiteral("Key figures"), font("Arial", 13, true, true));
    const char* figures[] = {"Total sales          17,873", "Growth on 2025         +8.4 %",
                             "Best region        Capital", "Best quarter            Q4"};
    row += 15;
    for (const char* figure : figures) {
        p.text(row, 20, QString::fromLatin1(figure), font("Courier New", 11));
        row += 6;
    }
    p.fill(row + 6, 14, row + 30, right, rgb(240, 240, 240));
    p.box(row + 6, 14, row + 30, right, kGrey, 0.3);
    p.text(row + 10, 20, QStringLiteral("Note"), font("Arial", 11, true));
    p.text(row + 17, 20, QStringLiteral("Bold, italic and bold italic text: "), font("Times New Roman", 11));
    p.text(row + 17, 82, QStringLiteral("bold"), font("Times New Roman", 11, true));
    p.text(row + 17, 95, QStringLiteral("italic"), font("Times New Roman", 11, false, true));
    p.text(row + 17, 110, QStringLiteral("bold italic"), font("Times New Roman", 11, true, true));
}

void tablePage(Page& p)
{
    p.text(20, 14, QStringLiteral("Sales by region and quarter"), font("Arial", 16, true), kNavy);
    const double columns[] = {14, 64, 90, 116, 142, 168, 196};
    const char* headers[] = {"Region", "Q1", "Q2", "Q3", "Q4", "Total"};
    const double rowHeight = 8;
    double top = 32;
    p.fill(top, columns[0], top + rowHeight, columns[6], rgb(190, 200, 215));
    for (int c = 0; c < 6; ++c)
        p.text(top + 2, c == 0 ? columns[c] + 2 : columns[c + 1] - 2, QString::fromLatin1(headers[c]),
               font("Arial", 10, true), 0, c == 0 ? 0 : 1);
    std::array<int, 5> sums{};
    int index = 0;
    for (const RegionSales& r : kSales) {
        top += rowHeight;
        if (index++ % 2 == 1)
            p.fill(top, columns[0], top + rowHeight, columns[6], rgb(242, 245, 250));
        p.text(top + 2, columns[0] + 2, QString::fromLatin1(r.region), font("Arial", 10));
        int total = 0;
        for (int q = 0; q < 4; ++q) {
            total += r.quarters[size_t(q)];
            sums[size_t(q)] += r.quarters[size_t(q)];
            p.text(top + 2, columns[q + 2] - 2, QString::number(r.quarters[size_t(q)]), font("Courier New", 10), 0, 1);
        }
        sums[4] += total;
        p.text(top + 2, columns[6] - 2, QString::number(total), font("Courier New", 10, true), 0, 1);
    }
    top += rowHeight;
    p.fill(top, columns[0], top + rowHeight, columns[6], rgb(215, 222, 232));
    p.text(top + 2, columns[0] + 2, QStringLiteral("Total"), font("Arial", 10, true));
    for (int q = 0; q < 5; ++q)
        p.text(top + 2, columns[q + 2] - 2, QString::number(sums[size_t(q)]), font("Courier New", 10, true), 0, 1);
    // The rules: every row and column, a heavier frame round the table.
    const double bottom = top + rowHeight;
    for (double rule = 32; rule <= bottom + 0.01; rule += rowHeight)
        p.line(rule, columns[0], rule, columns[6], kGrey, 0.15);
    for (double column : columns)
        p.line(32, column, bottom, column, kGrey, 0.15);
    p.box(32, columns[0], bottom, columns[6], 0, 0.5);
    p.text(bottom + 8, 14, QStringLiteral("Figures in thousands of euros. Online sales started in March."),
           font("Times New Roman", 10, false, true), kGrey);
}

void chartPage(Page& p)
{
    p.text(20, 14, QStringLiteral("Yearly totals of the largest regions"), font("Arial", 16, true), kNavy);
    std::vector<ChartBar> bars;
    for (const RegionSales& r : kSales) {
        const int total = r.quarters[0] + r.quarters[1] + r.quarters[2] + r.quarters[3];
        if (total > 1500)
            bars.push_back({QString::fromLatin1(r.region), double(total)});
    }
    p.image(32, 14, 180, 110, barChartImage(bars, 1800, 1100));
    p.box(32, 14, 142, 194, kGrey, 0.3);
    struct Note {
        const char* title;
        const char* text;
        ColorRef shade;
    };
    const Note notes[] = {
        {"Capital", "Strongest region for the third year running.", rgb(255, 244, 200)},
        {"East", "New warehouse opened in May; delivery times halved.", rgb(214, 240, 214)},
        {"Online", "Sales doubled since the shop opened in March.", rgb(250, 220, 225)},
    };
    double top = 152;
    for (const Note& n : notes) {
        p.fill(top, 14, top + 20, 194, n.shade);
        p.box(top, 14, top + 20, 194, kGrey, 0.3);
        p.text(top + 3, 18, QString::fromLatin1(n.title), font("Arial", 11, true));
        p.text(top + 10, 18, QString::fromLatin1(n.text), font("Times New Roman", 11));
        top += 26;
    }
}

void closingPage(Page& p)
{
    p.text(20, 14, QStringLiteral("Remarks and approval"), font("Arial", 16, true), kNavy);
    const char* remarks[] = {
        "1. The figures of the fourth quarter are provisional until the audit in February.",
        "2. Returns are booked in the quarter of the sale, not of the return.",
        "3. Export sales are converted at the rate of the day of invoicing.",
    };
    double row = 34;
    for (const char* remark : remarks) {
        p.text(row, 16, QString::fromLatin1(remark), font("Times New Roman", 12));
        row += 8;
    }
    p.text(row + 8, 24, QStringLiteral("\"A good year, and a better one to come.\""), font("Times New Roman", 14, false, true));
    p.text(row + 16, 110, QStringLiteral("- The Managing Director"), font("Times New Roman", 11, true, true));
    p.fill(row + 28, 14, row + 52, 194, rgb(236, 236, 236));
    p.text(row + 32, 18, QStringLiteral("REPORT SALES2026 FROM LEDGER"), font("Courier New", 10));
    p.text(row + 38, 18, QStringLiteral("  TO PRINTER PREVIEW   PAGES 4   CHECK 0x5A17"), font("Courier New", 10));
    p.text(row + 44, 18, QStringLiteral("  RUN 2026-12-31 18:04 BY ACCOUNTS"), font("Courier New", 10));
    const double signatures = row + 90;
    for (const double left : {14.0, 110.0}) {
        p.line(signatures, left, signatures, left + 80, 0, 0.3);
    }
    p.text(signatures + 3, 14, QStringLiteral("Managing Director"), font("Arial", 10));
    p.text(signatures + 3, 110, QStringLiteral("Chief Financial Officer"), font("Arial", 10));
}

} // namespace

void recordSampleReport(kv::TPrinter& device)
{
    void (*const pages[])(Page&) = {titlePage, tablePage, chartPage, closingPage};
    int number = 0;
    for (auto drawPage : pages) {
        device.StartPage();
        Page page(device);
        drawPage(page);
        runningHead(page, ++number);
        device.EndPage();
    }
}

} // namespace kvsample
