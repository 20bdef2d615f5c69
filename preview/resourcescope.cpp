#include "resourcescope.h"

#include "resourcelib.h"

namespace kv {

ResourceScope::ResourceScope()
    : m_saved(currentResourceSource())
{
}

ResourceScope::ResourceScope(const QString& fileName)
    : m_saved(currentResourceSource())
    , m_selected(selectResourceLibrary(fileName))
{
}

ResourceScope::~ResourceScope()
{
    restoreResourceSource(m_saved);
}

} // namespace kv
