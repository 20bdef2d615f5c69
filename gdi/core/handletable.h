#pragma once
// Integer handles for the metafile primitives: 0 is never a handle, and one counter serves
// every table, so a handle of one kind never names an object of another.
#include <cstdint>
#include <map>

namespace kv::gdi {

uint32_t nextHandle();

template <class T> class HandleTable {
public:
    uint32_t add(T value)
    {
        const uint32_t handle = nextHandle();
        items_.emplace(handle, std::move(value));
        return handle;
    }
    T* find(uint32_t handle)
    {
        auto it = items_.find(handle);
        return it == items_.end() ? nullptr : &it->second;
    }
    bool remove(uint32_t handle) { return items_.erase(handle) > 0; }

private:
    std::map<uint32_t, T> items_;
};

} // namespace kv::gdi
