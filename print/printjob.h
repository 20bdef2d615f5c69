#pragma once
// The print-job calls on a printer device context handle, as GDI offers them: a job, pages
// inside it. They do nothing (and say false) for a handle that is not a printer's.
#include "gdi/metafileapi.h"
#include "print/joboutcome.h"

#include <QString>

namespace kv {

bool StartDoc(HDC hdc, const QString& document);
bool StartPage(HDC hdc);
bool EndPage(HDC hdc);
bool EndDoc(HDC hdc);
// Drops the job begun by StartDoc: nothing of it is printed or written.
bool AbortDoc(HDC hdc);
// What became of the last job started or ended on this printer (State::None for a handle
// that is not a printer's).
PrintJobOutcome JobOutcome(HDC hdc);

} // namespace kv
