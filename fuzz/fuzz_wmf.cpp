// libFuzzer target over the WMF reader: the bytes as a Windows metafile, played onto an
// image and into both recorders.
#include "fuzzplay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kvfuzz::ensureApplication();
    const kv::gdi::PicturePtr picture = kv::gdi::readWmf(std::span(data, size), kvfuzz::smallCaps());
    if (picture)
        kvfuzz::playEverywhere(*picture);
    return 0;
}
