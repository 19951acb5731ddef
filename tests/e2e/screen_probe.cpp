// SPDX-License-Identifier: MIT
// Test helper: reads facts off a screenshot (binary PPM) fast enough to poll while a game runs.
//
//   screen_probe FILE pixel X Y                 prints "r,g,b"
//   screen_probe FILE mean WxH+X+Y TEST         prints the share (0..1) of the region's pixels that pass
//                                               TEST: lit (r+g+b > 0.1), blue (b > 0.6), red (r > 0.7,
//                                               g < 0.3, b < 0.3), smoke (grey: spread of the channels
//                                               below 0.08, mean between 0.4 and 0.88); channels 0..1
//   screen_probe FILE differs OTHER             exit 0 when the two pictures differ anywhere
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
};

int readNumber(FILE* file) {
    int c = fgetc(file);
    while (c == '#' || c == ' ' || c == '\n' || c == '\r' || c == '\t') {
        if (c == '#')
            while (c != '\n' && c != EOF) c = fgetc(file);
        c = fgetc(file);
    }
    int value = 0;
    for (; c >= '0' && c <= '9'; c = fgetc(file)) value = value * 10 + (c - '0');
    return value;
}

bool load(const char* path, Picture& picture) {
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    bool ok = fgetc(file) == 'P' && fgetc(file) == '6';
    if (ok) {
        picture.width = readNumber(file);
        picture.height = readNumber(file);
        ok = readNumber(file) == 255 && picture.width > 0 && picture.height > 0 && picture.width < 16384 &&
             picture.height < 16384;
    }
    if (ok) {
        picture.rgb.resize((size_t)picture.width * picture.height * 3);
        ok = fread(picture.rgb.data(), 1, picture.rgb.size(), file) == picture.rgb.size();
    }
    fclose(file);
    return ok;
}

bool passes(const char* test, const unsigned char* p) {
    float r = p[0] / 255.0f, g = p[1] / 255.0f, b = p[2] / 255.0f;
    if (!strcmp(test, "lit")) return r + g + b > 0.1f;
    if (!strcmp(test, "blue")) return b > 0.6f;
    if (!strcmp(test, "red")) return r > 0.7f && g < 0.3f && b < 0.3f;
    if (!strcmp(test, "smoke")) {
        float spread = std::max(r, std::max(g, b)) - std::min(r, std::min(g, b)), mean = (r + g + b) / 3;
        return spread < 0.08f && mean > 0.4f && mean < 0.88f;
    }
    fprintf(stderr, "screen_probe: unknown test %s\n", test);
    exit(2);
}

int usage() {
    fprintf(stderr, "usage: screen_probe FILE (pixel X Y | mean WxH+X+Y TEST | differs OTHER)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return usage();
    Picture picture;
    if (!load(argv[1], picture)) {
        fprintf(stderr, "screen_probe: cannot read %s\n", argv[1]);
        return 1;
    }
    if (!strcmp(argv[2], "pixel") && argc == 5) {
        int x = atoi(argv[3]), y = atoi(argv[4]);
        if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) return 1;
        const unsigned char* p = &picture.rgb[((size_t)y * picture.width + x) * 3];
        printf("%d,%d,%d\n", p[0], p[1], p[2]);
        return 0;
    }
    if (!strcmp(argv[2], "mean") && argc == 5) {
        int w = 0, h = 0, x = 0, y = 0;
        if (sscanf(argv[3], "%dx%d+%d+%d", &w, &h, &x, &y) != 4 || w <= 0 || h <= 0) return usage();
        int x1 = std::min(x + w, picture.width), y1 = std::min(y + h, picture.height);
        long count = 0, passed = 0;
        for (int row = std::max(y, 0); row < y1; ++row)
            for (int column = std::max(x, 0); column < x1; ++column, ++count)
                passed += passes(argv[4], &picture.rgb[((size_t)row * picture.width + column) * 3]);
        printf("%.6f\n", count ? (double)passed / count : 0.0);
        return 0;
    }
    if (!strcmp(argv[2], "differs") && argc == 4) {
        Picture other;
        if (!load(argv[3], other)) return 1;
        return other.width == picture.width && other.height == picture.height && other.rgb == picture.rgb;
    }
    return usage();
}
