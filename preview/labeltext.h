#pragma once
// Texts of the zoom list, the zoom-factor menu and the page-number label. The language lookup
// lives elsewhere: callers pass the looked-up pieces ("%", "Page number: "), so these stay pure.
#include <QList>
#include <QString>
#include <QStringList>

namespace kv {

// A number the way the labels show it: rounded to the nearest whole number (halves away from
// zero), without blanks. The original field of four characters is only padding that is trimmed
// again; wider numbers (10000 and up) are shown in full rather than as a row of stars.
QString wholeNumberText(double value);

// Zoom-list entry: percentage + " " + percent sign, e.g. 2 -> "200 %", 2.5 -> "250 %".
QString factorLabel(double factor, const QString& percentSign);

// The labels of a whole factor list, in order.
QStringList factorLabels(const QList<double>& factors, const QString& percentSign);

// Factor menu caption: "&" + percentage + " " + percent sign, e.g. 1.5 -> "&150 %",
// 0.75 -> "&75 %" (the first digit becomes the mnemonic).
QString factorMenuCaption(double factor, const QString& percentSign);

// Page label: prefix + page + " / " + total, e.g. "Page number: 3 / 12".
QString pageLabel(const QString& pageNumberPrefix, int page, int totalPages);

// A caption as a tooltip or drop-down entry shows it: every "&" removed.
QString withoutAmpersands(QString text);

} // namespace kv
