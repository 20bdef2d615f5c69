// EMR_COMMENT: a comment draws nothing in GDI, but one that carries EMF+ records is handed to
// the EMF+ reader together with its place among the GDI records.
#include "gdi/emf/emfparse.h"

#include "gdi/emfplus/emfplusreader.h"

namespace kv::gdi::emfread {

bool comment(ByteReader& r, Context& ctx)
{
    const uint32_t size = r.u32();
    const auto data = r.bytes(std::min<size_t>(size, r.remaining()));
    if (!ctx.plus || data.size() < 4)
        return true;
    ByteReader id(data);
    if (id.u32() == plus::kCommentId)
        ctx.plus->addComment(data.subspan(4), ctx.out.size());
    return true;
}

} // namespace kv::gdi::emfread
