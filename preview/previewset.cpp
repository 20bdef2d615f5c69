#include "previewset.h"

#include "platform/filepattern.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace kv {
namespace {

const QString kSetPattern = QStringLiteral("E???????.*mf");

int setNumberOf(const QString& fileName)
{
    static const QRegularExpression re(QStringLiteral("^E(\\d{3})\\d{4}\\."),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(fileName);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

} // namespace

int nextSetNumber(const QString& setDirectory)
{
    int highest = 0;
    for (const QString& path : listMatching(setDirectory, kSetPattern))
        highest = std::max(highest, setNumberOf(QFileInfo(path).fileName()));
    return highest + 1;
}

QString previewSetFileName(int set, int page, const QString& oldFile)
{
    const bool emf = QFileInfo(oldFile).suffix().toUpper().startsWith(QLatin1String("EMF"));
    return QStringLiteral("E%1%2%3")
        .arg(set, 3, 10, QLatin1Char('0'))
        .arg(page, 4, 10, QLatin1Char('0'))
        .arg(emf ? QStringLiteral(".emf") : QStringLiteral(".wmf"));
}

MovedPages movePagesIntoSet(const QString& spoolPath, const QStringList& pages)
{
    MovedPages result;
    const QString setDir = spoolPath + QStringLiteral("/korvelle");
    QDir().mkpath(setDir);  // a failure shows up as failed moves below
    const int set = nextSetNumber(setDir);
    if (set > 999) {
        result.refusal = QStringLiteral("The preview directory %1 holds 999 preview sets; "
                                        "close other previews or empty it.").arg(setDir);
        return result;
    }
    if (pages.size() > 9999) {
        result.refusal = QStringLiteral("A report of more than 9999 pages cannot be previewed.");
        return result;
    }
    if (set == 1) {
        // Leftovers of previews that never closed; only set files are ours to remove.
        for (const QString& stale : listMatching(setDir, kSetPattern))
            if (QFileInfo(stale).isFile())
                QFile::remove(stale);
    }
    for (int i = 0; i < pages.size(); ++i) {
        const QString target = setDir + u'/' + previewSetFileName(set, i + 1, pages[i]);
        // rename(2) would replace an existing file silently: never clobber, never follow.
        if (QFileInfo::exists(target) || !QDir().rename(pages[i], target))
            result.failedMoves << pages[i];
        result.files << target;
    }
    return result;
}

} // namespace kv
