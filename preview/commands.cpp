// The commands of the File menu that are not about viewing: Send to, Save as.
#include "korvelle.h"

#include "platform/notify.h"

namespace kv {

void KORVELLE::Email()
{
    stopBox("Not ready");
}

void KORVELLE::PrViewSave()
{
    stopBox("Saving pages is not available in this version of the preview.");
}

} // namespace kv
