#pragma once
// The corpus pages the gate renders: found in the shared corpus beside the project, or, for
// the files whose licence lets them travel with the project, in tests/data/corpus.
#include "scoretable.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace kvtest {

struct CorpusPage {
    QString name;       // "emf/x.emf", as in the score table
    QString file;       // the metafile; empty when neither place has it
    QString reference;  // its GDI rendering at the width asked for
};

// Where `name` ("folder/file") and its reference rendering `width` pixels wide are.
CorpusPage locatePage(const QString& name, int width);

// Every metafile of `folder` (emf or wmf) in the shared corpus, as table names; empty
// without the shared corpus.
QStringList sharedPages(const QString& folder);

struct PageScore {
    CorpusPage page;
    double score = -1;  // -1: not scored (see `problem`)
    QString problem;
};

// Whether the file is read as a page that the EMF+ road draws from its EMF+ records.
bool drawnThroughEmfPlus(const QString& file);

// Renders every page `width` pixels wide on `road` and scores it against its reference, on
// all cores. The engine's EMF+ playback switch is as before when it returns.
std::vector<PageScore> scorePages(const std::vector<CorpusPage>& pages, int width, Road road);

} // namespace kvtest
