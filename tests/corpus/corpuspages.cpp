#include "corpuspages.h"

#include "similarity.h"
#include "testenv.h"

#include "gdi/emfplus/emfplusplayer.h"
#include "gdi/player.h"
#include "gdi/render.h"
#include "platform/parallel.h"

#include <QDir>
#include <QFileInfo>

namespace kvtest {

namespace {

// The reference renderings of a corpus root at a width: reference/ holds the 1000 px ones.
QString referenceFile(const QString& root, const QString& name, int width)
{
    const QString folder = width == 1000 ? QStringLiteral("reference") : QStringLiteral("reference-%1").arg(width);
    return root + '/' + folder + '/' + QString(name).replace('/', QStringLiteral("__")) + ".png";
}

PageScore scoreOne(const CorpusPage& page, int width)
{
    PageScore result{page, -1, {}};
    const kv::gdi::PicturePtr picture = kv::gdi::readForRendering(page.file);
    if (!picture) {
        result.problem = QStringLiteral("not read as a metafile");
        return result;
    }
    const QImage ours = kv::gdi::renderPicture(*picture, width);
    const QImage reference(page.reference);
    if (reference.isNull())
        result.problem = QStringLiteral("reference %1 unreadable").arg(page.reference);
    else if (ours.isNull())
        result.problem = QStringLiteral("rendered nothing (no picture size)");
    else
        result.score = pageSimilarity(reference, ours);
    return result;
}

} // namespace

CorpusPage locatePage(const QString& name, int width)
{
    QStringList roots;
    if (const auto shared = corpusDir())
        roots << *shared;
    roots << dataFile(QStringLiteral("corpus"));
    for (const QString& root : roots) {
        const QString file = root + '/' + name;
        const QString reference = referenceFile(root, name, width);
        if (QFileInfo(file).isFile() && QFileInfo(reference).isFile())
            return {name, file, reference};
    }
    return {name, {}, {}};
}

QStringList sharedPages(const QString& folder)
{
    QStringList names;
    if (const auto shared = corpusDir())
        for (const QString& file : QDir(*shared + '/' + folder).entryList(QDir::Files, QDir::Name))
            names << folder + '/' + file;
    return names;
}

bool drawnThroughEmfPlus(const QString& file)
{
    const kv::gdi::PicturePtr picture = kv::gdi::readForRendering(file);
    return picture && kv::gdi::plus::drawsThroughEmfPlus(*picture);
}

std::vector<PageScore> scorePages(const std::vector<CorpusPage>& pages, int width, Road road)
{
    // The switch is read when a page starts playing, so it is set before any worker starts.
    const bool playbackBefore = kv::gdi::emfPlusPlayback();
    kv::gdi::setEmfPlusPlayback(road == Road::EmfPlus);
    std::vector<PageScore> scores(pages.size());
    kv::runParallel(pages.size(), kv::batchThreads(), [&](size_t i) { scores[i] = scoreOne(pages[i], width); });
    kv::gdi::setEmfPlusPlayback(playbackBefore);
    return scores;
}

} // namespace kvtest
