// Writes RGBA pictures as PNG files (deflate's stored blocks: larger than compressed, no zlib needed).
#pragma once
#include <stdint.h>

#include <vector>

// rgba: width x height pixels, rows top first. Returns the whole file.
std::vector<uint8_t> encodePng(int32_t width, int32_t height, const uint8_t* rgba);
