#include "preview/labeltext.h"

#include <cmath>

namespace kv {

QString wholeNumberText(double value)
{
    // Beyond what llround can hold (a broken setting), print the value as it is.
    if (!std::isfinite(value) || std::abs(value) >= 1e15)
        return QString::number(value, 'f', 0);
    return QString::number(static_cast<long long>(std::llround(value)));
}

QString factorLabel(double factor, const QString& percentSign)
{
    return wholeNumberText(factor * 100) + u' ' + percentSign;
}

QStringList factorLabels(const QList<double>& factors, const QString& percentSign)
{
    QStringList labels;
    labels.reserve(factors.size());
    for (double f : factors)
        labels << factorLabel(f, percentSign);
    return labels;
}

QString factorMenuCaption(double factor, const QString& percentSign)
{
    return u'&' + factorLabel(factor, percentSign);
}

QString pageLabel(const QString& pageNumberPrefix, int page, int totalPages)
{
    return pageNumberPrefix + QString::number(page) + QStringLiteral(" / ") + QString::number(totalPages);
}

QString withoutAmpersands(QString text)
{
    return text.remove(QLatin1Char('&'));
}

} // namespace kv
