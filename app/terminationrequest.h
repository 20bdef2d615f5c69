#pragma once
// A polite end on SIGTERM, SIGINT and SIGHUP: the request closes the program's windows the
// same way the user would, so the preview's close handler runs and its page files are deleted.
// A box shown during start-up is closed too, and start-up then ends (platform/terminationflag.h).
namespace kv {

// Needs the application object; call once after making it.
void closeWindowsOnTerminationRequest();

} // namespace kv
