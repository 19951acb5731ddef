// SPDX-License-Identifier: MIT
// Writes 8-bit, one-plane, run-length encoded PCX files (version 5, palette at the end).
#pragma once
#include <stdint.h>

#include <vector>

// indices: width x height palette indices, row 0 first (the file's first scan line).
// palette: 256 entries of red, green, blue. width must be even (bytesPerLine equals it);
// runs never cross a line end. Returns the whole file.
std::vector<uint8_t> encodePcx(int32_t width, int32_t height, const uint8_t* indices, const uint8_t* palette);
