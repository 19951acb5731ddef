// SPDX-License-Identifier: MIT
// The shared palette: ramps of the colours the pictures are painted in, plus black and magenta.
#include "tools/pictures/palette.h"

#include <math.h>

namespace {

struct Ramp {
    Colour dark, middle, light;
    int shades;
};

// Grass, rope, panel, banner, flame, skin, metal, smoke and soot: what the pictures are made of.
const Ramp ramps[] = {
    {{12, 12, 14}, {128, 128, 132}, {252, 252, 252}, 24},    // greys: smoke, metal, outlines
    {{18, 42, 10}, {70, 140, 40}, {200, 235, 130}, 21},      // grass
    {{8, 30, 20}, {36, 96, 56}, {150, 200, 150}, 21},        // deep green
    {{42, 22, 8}, {140, 94, 48}, {240, 210, 160}, 21},       // rope and wood
    {{90, 66, 0}, {236, 200, 32}, {255, 250, 196}, 21},      // yellow
    {{90, 28, 0}, {238, 122, 22}, {255, 220, 160}, 21},      // orange
    {{70, 0, 0}, {212, 32, 26}, {255, 176, 164}, 21},        // red
    {{0, 14, 70}, {40, 92, 224}, {176, 214, 255}, 21},       // blue
    {{84, 42, 26}, {222, 162, 122}, {255, 232, 212}, 21},    // skin
    {{118, 108, 96}, {226, 220, 206}, {255, 255, 250}, 21},  // critter white
    {{24, 14, 40}, {92, 72, 132}, {204, 194, 232}, 20},      // violet shadow
    {{16, 10, 8}, {62, 52, 46}, {152, 142, 132}, 20},        // soot
};

std::vector<uint8_t> buildPalette() {
    std::vector<uint8_t> palette(768, 0);
    int index = 1;  // 0 stays black
    for (const Ramp& ramp : ramps)
        for (int i = 0; i < ramp.shades && index < paletteKey; ++i, ++index) {
            float t = (float)i / (float)(ramp.shades - 1) * 2.0f;
            Colour c = t < 1 ? mix(ramp.dark, ramp.middle, t) : mix(ramp.middle, ramp.light, t - 1);
            palette[3 * index] = (uint8_t)lroundf(c.r);
            palette[3 * index + 1] = (uint8_t)lroundf(c.g);
            palette[3 * index + 2] = (uint8_t)lroundf(c.b);
        }
    palette[3 * paletteKey] = 255;
    palette[3 * paletteKey + 1] = 0;
    palette[3 * paletteKey + 2] = 255;
    return palette;
}

float distance2(const uint8_t* entry, float r, float g, float b) {
    float dr = entry[0] - r, dg = entry[1] - g, db = entry[2] - b;
    return 2 * dr * dr + 4 * dg * dg + 3 * db * db;  // the eye weighs green most
}

uint8_t nearest(float r, float g, float b) {
    const std::vector<uint8_t>& palette = sharedPalette();
    uint8_t best = 0;
    float bestDistance = 1e30f;
    for (int i = 0; i < paletteKey; ++i) {  // never the key: only transparency becomes magenta
        float d = distance2(&palette[3 * i], r, g, b);
        if (d < bestDistance) {
            bestDistance = d;
            best = (uint8_t)i;
        }
    }
    return best;
}

}  // namespace

const std::vector<uint8_t>& sharedPalette() {
    static const std::vector<uint8_t> palette = buildPalette();
    return palette;
}

std::vector<uint8_t> quantise(const Canvas& canvas) {
    static std::vector<int16_t> cache(1 << 18, -1);  // 6 bits a channel
    std::vector<uint8_t> indices((size_t)canvas.width * canvas.height);
    for (size_t i = 0; i < indices.size(); ++i) {
        if (!canvas.solid[i]) {
            indices[i] = paletteKey;
            continue;
        }
        Colour c = canvas.rgb[i];
        int r = (int)fminf(fmaxf(c.r, 0), 255), g = (int)fminf(fmaxf(c.g, 0), 255), b = (int)fminf(fmaxf(c.b, 0), 255);
        int key = (r >> 2) << 12 | (g >> 2) << 6 | (b >> 2);
        if (cache[key] < 0) cache[key] = nearest((float)(r | 2), (float)(g | 2), (float)(b | 2));
        indices[i] = (uint8_t)cache[key];
    }
    return indices;
}
