// libFuzzer target over the EMF reader: the bytes as an enhanced metafile, played onto an
// image and into both recorders.
#include "fuzzplay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kvfuzz::ensureApplication();
    const kv::gdi::PicturePtr picture = kv::gdi::readEmf(std::span(data, size));
    if (picture)
        kvfuzz::playEverywhere(*picture);
    return 0;
}
