#pragma once
// The corpus pages the gate renders: found in the shared corpus beside the project, or, for
// the files whose licence lets them travel with the project, in tests/data/corpus.
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

// Renders every page `width` pixels wide and scores it against its reference, on all cores.
std::vector<PageScore> scorePages(const std::vector<CorpusPage>& pages, int width);

} // namespace kvtest
