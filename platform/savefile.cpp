#include "platform/savefile.h"

namespace kv {

bool commitWhole(QSaveFile& file, QString* reason)
{
    const bool flushed = file.flush();
    const QString flushError = file.errorString();
    if (!flushed)
        file.cancelWriting();  // the commit below then only removes the temporary file
    if (file.commit() && flushed)
        return true;
    if (reason)
        *reason = flushed ? file.errorString() : flushError;
    return false;
}

} // namespace kv
