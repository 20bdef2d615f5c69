#include "scoretable.h"

#include "testenv.h"

#include <QFile>
#include <QTextStream>

namespace kvtest {

std::optional<ScoreTable> readScoreTable(const QString& path, QString* problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    ScoreTable table;
    QTextStream in(&file);
    for (int line = 1; !in.atEnd(); ++line) {
        const QString text = in.readLine().trimmed();
        if (text.isEmpty() || text.startsWith('#'))
            continue;
        const QStringList fields = text.split('\t');
        bool ok = fields.size() == 2 && fields[0].contains('/');
        const double score = ok ? fields[1].toDouble(&ok) : 0;
        if (!ok || score < 0 || score > 1) {
            if (problem)
                *problem = QStringLiteral("%1:%2: expected \"folder/file<TAB>score\", got \"%3\"").arg(path).arg(line).arg(text);
            return std::nullopt;
        }
        table[fields[0]] = score;
    }
    return table;
}

QString scoreTablePath(Road road, int width)
{
    QString name = QStringLiteral("corpus-scores");
    if (road == Road::EmfPlus)
        name += QStringLiteral("-emfplus");
    if (width != 1000)
        name += QStringLiteral("-%1").arg(width);
    return dataFile(name + ".tsv");
}

} // namespace kvtest
