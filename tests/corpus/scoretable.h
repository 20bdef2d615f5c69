#pragma once
// The table of corpus scores the pixel gate holds pages to: one line a page, "folder/file",
// a tab, the score it reached when the table was last written. '#' starts a comment.
#include <QString>
#include <map>
#include <optional>

namespace kvtest {

using ScoreTable = std::map<QString, double>;  // "emf/x.emf" -> score

// Null when the file cannot be read; a malformed line makes `problem` name it.
std::optional<ScoreTable> readScoreTable(const QString& path, QString* problem);

// How the gate draws the pages: from their GDI records, as the references were drawn, or a
// page that carries EMF+ records through those.
enum class Road { Gdi, EmfPlus };

// The table the gate uses on a road at `width` pixels: tests/data/corpus-scores.tsv for the GDI
// road at 1000, tests/data/corpus-scores-<width>.tsv at other widths; the EMF+ road's tables
// are corpus-scores-emfplus.tsv and corpus-scores-emfplus-<width>.tsv.
QString scoreTablePath(Road road, int width);

} // namespace kvtest
