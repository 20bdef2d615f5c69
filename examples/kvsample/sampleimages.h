#pragma once
// Bitmaps of the sample report, drawn in memory: a company logo and a bar chart.
#include <QImage>
#include <QString>
#include <vector>

namespace kvsample {

struct ChartBar {
    QString label;
    double value;
};

// A round logo with the letter O, `size` pixels square.
QImage logoImage(int size);

// A bar chart of `bars` with a value axis, `width` x `height` pixels on white.
QImage barChartImage(const std::vector<ChartBar>& bars, int width, int height);

} // namespace kvsample
