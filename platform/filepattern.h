#pragma once
// File-name patterns as the program matches them: without regard to case, the part before
// the last dot against one pattern and the part after it against another ("*" any run of
// characters, "?" any one character). A name without a dot matches nothing.
#include <QString>
#include <QStringList>

namespace kv {

bool wildcardMatch(const QString& text, const QString& pattern);

// `pattern` is "name.ext", for example "tmp*.*mf".
bool matchesFilePattern(const QString& fileName, const QString& pattern);

// Entries of a directory (files and directories, hidden ones left out) whose names match,
// sorted by name (a Linux listing is not in name order). Full paths.
QStringList listMatching(const QString& directory, const QString& pattern);

} // namespace kv
