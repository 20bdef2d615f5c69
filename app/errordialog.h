#pragma once
// The dialog of the error handler: the report, and the buttons Quit and (when the work can go
// on) Retry.
#include "app/errorhandler.h"

#include <QString>

namespace kv {

// Without a widget application (a fault before or after it lived) there is nobody to ask:
// the answer is Quit.
ErrorChoice showErrorDialog(const QString& report, bool canRetry);

} // namespace kv
