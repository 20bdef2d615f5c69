#include "platform/inivalues.h"

#include <QStringList>
#include <cmath>
#include <limits>

namespace kv {

namespace {

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

// A colour from arithmetic on arbitrary numbers: fractions drop, absurd sizes saturate instead
// of overflowing.
long long toColor(double value)
{
    constexpr double kLimit = double(std::numeric_limits<long long>::max());
    if (std::isnan(value)) return 0;
    if (value >= kLimit) return std::numeric_limits<long long>::max();
    if (value <= -kLimit) return std::numeric_limits<long long>::min();
    return static_cast<long long>(value);
}

} // namespace

bool iniFlag(const QString& value)
{
    return value.startsWith(QLatin1Char('1'));
}

double iniNumber(const QString& value)
{
    qsizetype i = 0;
    while (i < value.size() && isBlank(value[i])) ++i;
    QString number;
    if (i < value.size() && (value[i] == QLatin1Char('-') || value[i] == QLatin1Char('+')))
        number += value[i++];
    bool digits = false;
    bool point = false;
    for (; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digits = true;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
        number += c;
    }
    if (!digits) return 0.0;
    // "5." and ".5" are complete numbers for us; give the converter a digit on each side.
    if (number.endsWith(QLatin1Char('.'))) number += QLatin1Char('0');
    return number.replace(QLatin1String("-."), QLatin1String("-0."))
        .replace(QLatin1String("+."), QLatin1String("+0."))
        .toDouble();
}

long long GetColor(const QString& cText, long long nDefault)
{
    if (cText.trimmed().isEmpty()) return nDefault;
    if (!cText.contains(QLatin1Char(','))) return toColor(iniNumber(cText));
    const QStringList fields = cText.split(QLatin1Char(','));
    auto field = [&](int i) { return i < fields.size() ? iniNumber(fields[i]) : 0.0; };
    return toColor(field(0) + field(1) * 256.0 + field(2) * 65536.0);
}

} // namespace kv
