#pragma once
#include <cstdint>
#include <vector>

namespace kvtest {

// A valid PNG of width x height pixels (1-bit grey, all black), streamed through zlib row by
// row, so that a picture of gigabytes when decoded costs the test a few kilobytes to make.
std::vector<uint8_t> blankPng(uint32_t width, uint32_t height);

} // namespace kvtest
