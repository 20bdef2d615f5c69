#pragma once
#include <QString>
#include <QTemporaryDir>
#include <optional>

namespace kvtest {

// The shared corpus lives beside the project (../shared/corpus); a fresh clone may not have it.
// Returns its path, or nothing (tests then GTEST_SKIP, saying so).
std::optional<QString> corpusDir();

// Path of a file under tests/data/ in the source tree.
QString dataFile(const QString& name);

// Path of a file in the build tree (for example the resource file).
QString buildFile(const QString& name);

} // namespace kvtest
