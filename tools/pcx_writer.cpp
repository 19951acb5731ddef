// SPDX-License-Identifier: MIT
// The PCX writer used by the picture tool and the benchmarks.
#include "tools/pcx_writer.h"

#include <stddef.h>

static void put16(std::vector<uint8_t>& file, size_t at, uint32_t value) {
    file[at] = (uint8_t)value;
    file[at + 1] = (uint8_t)(value >> 8);
}

static void encodeLine(std::vector<uint8_t>& out, const uint8_t* line, int32_t width) {
    for (int32_t x = 0; x < width;) {
        uint8_t value = line[x];
        int32_t run = 1;
        while (x + run < width && run < 63 && line[x + run] == value) ++run;
        if (run > 1 || value >= 192) {
            out.push_back((uint8_t)(192 + run));
            out.push_back(value);
        } else {
            out.push_back(value);
        }
        x += run;
    }
}

std::vector<uint8_t> encodePcx(int32_t width, int32_t height, const uint8_t* indices, const uint8_t* palette) {
    std::vector<uint8_t> file(128, 0);
    file[0] = 10;  // manufacturer
    file[1] = 5;   // version
    file[2] = 1;   // run-length encoding
    file[3] = 8;   // bits per pixel
    put16(file, 8, (uint32_t)width - 1);
    put16(file, 10, (uint32_t)height - 1);
    put16(file, 12, 72);
    put16(file, 14, 72);
    file[65] = 1;  // planes
    put16(file, 66, (uint32_t)width);
    put16(file, 68, 1);  // colour palette
    for (int32_t y = 0; y < height; ++y) encodeLine(file, indices + (size_t)y * width, width);
    file.push_back(12);
    file.insert(file.end(), palette, palette + 768);
    return file;
}
