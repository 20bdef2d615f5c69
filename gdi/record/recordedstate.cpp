#include "gdi/record/recordedstate.h"

namespace kv::gdi {

void RecordedState::reset()
{
    values_[size_t(Field::Rop2)] = R2_COPYPEN;
    values_[size_t(Field::BkMode)] = OPAQUE;
    values_[size_t(Field::PolyFillMode)] = ALTERNATE;
    values_[size_t(Field::BkColor)] = 0xFFFFFF;
    values_[size_t(Field::TextColor)] = 0;
    values_[size_t(Field::TextAlign)] = 0;
}

void RecordedState::set(Field field, uint32_t value)
{
    uint32_t& current = values_[size_t(field)];
    if (value == current)
        return;
    current = value;
    write_(field, value);
}

} // namespace kv::gdi
