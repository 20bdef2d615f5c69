#pragma once
// Completing a file written through QSaveFile. QSaveFile::commit() renames the temporary file
// into place even when the flush of its last buffered bytes failed (a full disk): a short file
// replaces the old one and the caller hears of success. Every save goes through this instead.
#include <QSaveFile>
#include <QString>

namespace kv {

// Flushes, then commits; after a failed flush the temporary file is dropped and the target
// left as it was. False with the reason in `reason` when given.
bool commitWhole(QSaveFile& file, QString* reason = nullptr);

} // namespace kv
