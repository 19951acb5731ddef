// SPDX-License-Identifier: MIT
// Builds PCX files byte by byte for decoder tests.
#pragma once
#include <stdint.h>

#include <vector>

struct PcxSpec {
    uint32_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    uint32_t bytesPerLine = 0;
    uint8_t encoding = 1;
    uint8_t bitsPerPixel = 8;
    uint8_t planes = 1;
    uint8_t paletteMarker = 12;
};

// Palette entry i is (i, 255 - i, i / 2) unless changed.
inline std::vector<uint8_t> testPalette() {
    std::vector<uint8_t> palette(768);
    for (int i = 0; i < 256; ++i) {
        palette[3 * i] = (uint8_t)i;
        palette[3 * i + 1] = (uint8_t)(255 - i);
        palette[3 * i + 2] = (uint8_t)(i / 2);
    }
    return palette;
}

inline std::vector<uint8_t> buildPcx(const PcxSpec& spec, const std::vector<uint8_t>& data,
                                     const std::vector<uint8_t>& palette = testPalette()) {
    std::vector<uint8_t> file(128, 0);
    auto put16 = [&](size_t at, uint32_t value) {
        file[at] = (uint8_t)value;
        file[at + 1] = (uint8_t)(value >> 8);
    };
    file[0] = 10;
    file[1] = 5;
    file[2] = spec.encoding;
    file[3] = spec.bitsPerPixel;
    put16(4, spec.xMin);
    put16(6, spec.yMin);
    put16(8, spec.xMax);
    put16(10, spec.yMax);
    file[65] = spec.planes;
    put16(66, spec.bytesPerLine);
    file.insert(file.end(), data.begin(), data.end());
    file.push_back(spec.paletteMarker);
    file.insert(file.end(), palette.begin(), palette.end());
    return file;
}

// The test palette's colour of an index as the decoder writes it.
inline std::vector<uint8_t> testColour(int index) {
    return {(uint8_t)index, (uint8_t)(255 - index), (uint8_t)(index / 2), 255};
}
