#pragma once
// The entry points of the preview module for a report application that carries it, and the
// one the program's own start-up uses.
namespace kv {

class TPrinter;

// Opens the preview for a device whose page list aMeta is filled. Returns true once the
// preview object has been made and has returned: after the window closed (stand-alone program,
// modal preview) or right after showing it (modeless preview inside a running application).
bool ORVANTA(TPrinter* oDevice);

// The in-process hand-off: a device that spooled pages and has a printer device context gets
// the hand-off file written from it and the preview opened; any other device is ended (which
// deletes what it spooled). Returns true in every case.
bool RPREVIEW(TPrinter* oDevice);

// Makes the printer device's Preview (and so PRINTEND of a spooling device) open the preview
// through RPREVIEW. Called once when the program or a report application using the module
// starts.
void installPreviewRoad();

} // namespace kv
