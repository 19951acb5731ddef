// SPDX-License-Identifier: MIT
// Writes RGBA pictures as PNG files through libpng, deflated at zlib's highest level.
#pragma once
#include <stdint.h>

#include <vector>

// Encodes width x height pixels as an 8-bit RGBA PNG. rgba: 4 bytes a pixel (red, green, blue,
// alpha, not premultiplied), rows top first, no padding; the caller keeps it. The file holds no
// time or text chunk, so the same pixels and the same zlib give the same bytes. Returns the whole
// file, the caller's; empty if libpng fails (a width or height of 0 or above its limit of 1,000,000,
// out of memory).
std::vector<uint8_t> encodePng(int32_t width, int32_t height, const uint8_t* rgba);

// Whether png (the caller's, as encodePng returns it) decodes through libpng to exactly width x
// height of these rgba pixels, laid out as above. False for any difference or a file that fails.
bool pngHolds(const std::vector<uint8_t>& png, int32_t width, int32_t height, const uint8_t* rgba);
