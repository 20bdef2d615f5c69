#include "pageloader.h"

#include <QFileInfo>

namespace kv {

bool isWmfPageFile(const QString& file)
{
    return QFileInfo(file).suffix().toUpper().startsWith(QLatin1String("WMF"));
}

HENHMETAFILE loadPageAsEmf(const QString& file, bool asWmf, HDC reference)
{
    if (!asWmf)
        return GETENHMETAFILE(file);
    const HMETAFILE wmf = GETMETAFILE(file);
    if (wmf == 0)
        return 0;
    const HENHMETAFILE emf = WMF2EMF(reference, wmf);
    DELETEMETAFILE(wmf);
    return emf;
}

} // namespace kv
