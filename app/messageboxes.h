#pragma once
// The real message boxes and tones behind platform/notify.h, for the program and for report
// applications that carry the preview.
namespace kv {

// Stop and alert boxes become modal QMessageBox boxes owned by the active window; a tone
// becomes the platform's beep (Linux desktops have no tone of a chosen pitch).
void installMessageBoxes();

} // namespace kv
