// SPDX-License-Identifier: MIT
// The one palette all the game's pictures share, and quantising painted pictures to it.
#pragma once
#include <stdint.h>

#include <vector>

#include "tools/pictures/canvas.h"

enum : uint8_t { paletteBlack = 0, paletteKey = 255 };  // index 255 is magenta, the transparent colour

// 256 entries of red, green, blue.
const std::vector<uint8_t>& sharedPalette();
// Nearest palette index for every pixel, rows top first; pixels that are not solid get the key.
// Only keyed pictures may have non-solid pixels.
std::vector<uint8_t> quantise(const Canvas& canvas);
