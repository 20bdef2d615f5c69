#include "gdi/core/handletable.h"

namespace kv::gdi {

uint32_t nextHandle()
{
    static uint32_t last = 0;
    if (++last == 0)  // after four billion handles: skip 0, which means none
        ++last;
    return last;
}

} // namespace kv::gdi
