#pragma once
// The print-job calls on a printer device context handle, as GDI offers them: a job, pages
// inside it. They do nothing (and say false) for a handle that is not a printer's.
#include "gdi/metafileapi.h"

#include <QString>

namespace kv {

bool StartDoc(HDC hdc, const QString& document);
bool StartPage(HDC hdc);
bool EndPage(HDC hdc);
bool EndDoc(HDC hdc);

} // namespace kv
