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

// The table the gate uses at `width` pixels: tests/data/corpus-scores.tsv at 1000,
// tests/data/corpus-scores-<width>.tsv otherwise.
QString scoreTablePath(int width);

} // namespace kvtest
