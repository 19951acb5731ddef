// SPDX-License-Identifier: MIT
// The picture tool: paints every picture of the game and writes them as the PCX files the game
// embeds. Deterministic: the same build writes the same bytes.
//
// Usage: make_pictures OUTPUT_DIR [ICON_DIR]
// With ICON_DIR it also writes the desktop launcher's icon, the same swirl on a round black disc with
// a transparent surround, as zelmo-SIZE.png at the icon theme's sizes 16 to 256.
#include <stdio.h>

#include <string>
#include <vector>

#include "tools/pcx_writer.h"
#include "tools/pictures/palette.h"
#include "tools/pictures/pictures.h"
#include "tools/pictures/png_writer.h"

namespace {

struct Entry {
    const char* file;
    Picture (*paint)(int);
    int variant;
    bool topRowFirst;  // the hands; every other picture is stored bottom row first
};

Picture field(int) { return fieldPicture(); }
Picture title(int) { return titlePicture(); }
Picture gameOver(int) { return gameOverPicture(); }
Picture chargeIcon(int) { return chargeIconPicture(); }
Picture icon(int size) { return iconPicture(size); }

const Entry entries[] = {
    {"blast1.pcx", blastPicture, 0, false},     {"charge_icon.pcx", chargeIcon, 0, false},
    {"blast2.pcx", blastPicture, 1, false},     {"blast3.pcx", blastPicture, 2, false},
    {"critter1.pcx", critterPicture, 0, false}, {"critter2.pcx", critterPicture, 1, false},
    {"charge1.pcx", chargePicture, 0, false},   {"charge2.pcx", chargePicture, 1, false},
    {"burnt1.pcx", burntPicture, 0, false},     {"burnt2.pcx", burntPicture, 1, false},
    {"burnt3.pcx", burntPicture, 2, false},     {"hand_right.pcx", handPicture, 2, true},
    {"hand_left.pcx", handPicture, 1, true},    {"hand_idle.pcx", handPicture, 0, true},
    {"background.pcx", field, 0, false},        {"title.pcx", title, 0, false},
    {"game_over.pcx", gameOver, 0, false},      {"icon.pcx", icon, 16, true},
};

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

std::vector<uint8_t> encode(const Picture& picture, bool topRowFirst) {
    const Canvas& canvas = picture.canvas;
    std::vector<uint8_t> indices = quantise(canvas);
    if (!topRowFirst) {  // the file's first scan line is the bottom row of the picture
        std::vector<uint8_t> flipped(indices.size());
        for (int y = 0; y < canvas.height; ++y)
            std::copy(indices.begin() + (size_t)y * canvas.width, indices.begin() + (size_t)(y + 1) * canvas.width,
                      flipped.begin() + (size_t)(canvas.height - 1 - y) * canvas.width);
        indices.swap(flipped);
    }
    return encodePcx(canvas.width, canvas.height, indices.data(), sharedPalette().data());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        fprintf(stderr, "usage: make_pictures OUTPUT_DIR [ICON_DIR]\n");
        return 2;
    }
    for (const Entry& entry : entries) {
        std::string path = std::string(argv[1]) + "/" + entry.file;
        if (!writeFile(path, encode(entry.paint(entry.variant), entry.topRowFirst))) {
            fprintf(stderr, "make_pictures: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    for (int size : {16, 32, 48, 64, 128, 256}) {
        if (argc != 3) break;
        std::string path = std::string(argv[2]) + "/zelmo-" + std::to_string(size) + ".png";
        std::vector<uint8_t> pixels = launcherIconPixels(size);
        std::vector<uint8_t> png = encodePng(size, size, pixels.data());
        // Read back, so that a fault in how the pixels are handed to libpng cannot reach the icons.
        if (!pngHolds(png, size, size, pixels.data())) {
            fprintf(stderr, "make_pictures: %s would not read back as the icon's pixels\n", path.c_str());
            return 1;
        }
        if (!writeFile(path, png)) {
            fprintf(stderr, "make_pictures: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
