#pragma once
// File-name patterns as the program matches them: without regard to case, the part before
// the last dot against one pattern and the part after it against another ("*" any run of
// characters, "?" any one character). A name without a dot matches nothing.
#include <QString>

namespace kv {

bool wildcardMatch(const QString& text, const QString& pattern);

// `pattern` is "name.ext", for example "tmp*.*mf".
bool matchesFilePattern(const QString& fileName, const QString& pattern);

} // namespace kv
