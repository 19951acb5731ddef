// SPDX-License-Identifier: MIT
// The PCX decoder: exact decoding of the supported kind, against ImageMagick too, and safe rejection.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "assets/pcx.h"
#include "embedded.h"
#include "pcx_builder.h"

extern const EmbeddedFile testPlasmaPcx[];  // tests/data/plasma_34x17.pcx, embedded at build time

namespace {

struct Decoded {
    bool ok;
    int32_t width, height;
    std::vector<uint8_t> pixels;  // width * height + 1 pixels when ok
};

Decoded decode(const std::vector<uint8_t>& file, int32_t kind = 0) {
    std::vector<uint8_t> record = makeEmbedded(file);
    Texture texture;
    Decoded result = {loadPcx(texture, record.data(), kind), 0, 0, {}};
    if (texture.image) {
        result.width = texture.image->width;
        result.height = texture.image->height;
        size_t bytes = ((size_t)result.width * result.height + 1) * 4;  // the spare pixel must exist
        result.pixels.assign(texture.image->pixels, texture.image->pixels + bytes);
    }
    EXPECT_EQ(result.ok, texture.image != nullptr);
    freeImage(texture);
    return result;
}

std::vector<uint8_t> pixelAt(const Decoded& d, int index) {
    return std::vector<uint8_t>(d.pixels.begin() + 4 * index, d.pixels.begin() + 4 * index + 4);
}

// Colour indices of the test palette expected at pixels; -1 for a pixel the decoder never wrote.
const std::vector<uint8_t> unwritten = {0, 0, 0, 0};

void expectColours(const Decoded& d, std::initializer_list<std::pair<int, int>> indexAndColour) {
    for (const auto& [index, colour] : indexAndColour)
        EXPECT_EQ(pixelAt(d, index), colour < 0 ? unwritten : testColour(colour)) << "pixel " << index;
}

// The same for the pixels from the first on, in order.
void expectLine(const Decoded& d, const std::vector<int>& colours) {
    for (size_t i = 0; i < colours.size(); ++i) expectColours(d, {{(int)i, colours[i]}});
}

PcxSpec sized(uint32_t width, uint32_t height) {
    PcxSpec spec;
    spec.xMax = width - 1;
    spec.yMax = height - 1;
    spec.bytesPerLine = width;
    return spec;
}

// The spec with one field changed.
template <typename Field, typename Value>
PcxSpec changed(PcxSpec spec, Field PcxSpec::*field, Value value) {
    spec.*field = (Field)value;
    return spec;
}

TEST(Pcx, SizeComesFromTheMinimaAndMaxima) {
    Decoded d = decode(buildPcx(sized(64, 32), std::vector<uint8_t>(64 * 32, 5)));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, 64);
    EXPECT_EQ(d.height, 32);
    EXPECT_EQ(d.pixels.size(), (size_t)(64 * 32 + 1) * 4);
    EXPECT_EQ(pixelAt(d, 64 * 32 - 1), testColour(5));

    PcxSpec offset = sized(64, 32);
    offset.xMin = 10;
    offset.xMax = 73;
    offset.yMin = 3;
    offset.yMax = 34;
    d = decode(buildPcx(offset, std::vector<uint8_t>(64 * 32, 5)));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, 64);
    EXPECT_EQ(d.height, 32);
}

TEST(Pcx, RunLengthCodes) {
    PcxSpec spec = sized(8, 2);
    std::vector<uint8_t> data = {0xC5, 7, 0xC1, 200, 0xC0, 9, 0xBF, 3,  // line 0
                                 0xC8, 1};                              // line 1: one run of 8
    Decoded d = decode(buildPcx(spec, data));
    ASSERT_TRUE(d.ok);
    expectLine(d, {7, 7, 7, 7, 7, 200, 191, 3, 1, 1, 1, 1, 1, 1, 1, 1});
    for (uint8_t encoding : {2, 255})  // any non-zero encoding means run-length
        EXPECT_EQ(decode(buildPcx(changed(spec, &PcxSpec::encoding, encoding), data)).pixels, d.pixels);

    // The same codes where a line has room for more than eight pixels after each.
    d = decode(buildPcx(sized(16, 1), {0xC0, 9, 0xC4, 7, 0xBF, 0xC1, 200, 0xCA, 3}));
    ASSERT_TRUE(d.ok);
    expectLine(d, {7, 7, 7, 7, 191, 200, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3});
}

TEST(Pcx, UncompressedBytesAreAllPlainIndices) {
    Decoded d = decode(buildPcx(changed(sized(4, 1), &PcxSpec::encoding, 0), {0xC5, 7, 0xFF, 0}));
    ASSERT_TRUE(d.ok);
    expectLine(d, {197, 7, 255});
}

TEST(Pcx, OddWidthPaddingLandsInTheNextLineAndFinallyTheSparePixel) {
    PcxSpec spec = sized(33, 3);
    spec.bytesPerLine = 34;
    std::vector<uint8_t> data;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 33; ++x) data.push_back((uint8_t)(y * 40 + x));
        data.push_back(190);  // the padding byte
    }
    Decoded d = decode(buildPcx(spec, data));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, 33);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 33; ++x) ASSERT_EQ(pixelAt(d, y * 33 + x), testColour(y * 40 + x)) << x << "," << y;
    EXPECT_EQ(pixelAt(d, 99), testColour(190));  // the spare pixel
}

TEST(Pcx, PaletteIsTheLast768BytesAndDecodingNeverKeys) {
    std::vector<uint8_t> palette = testPalette();
    palette[3 * 9] = 255;
    palette[3 * 9 + 1] = 0;
    palette[3 * 9 + 2] = 255;
    PcxSpec spec = sized(2, 1);
    Decoded d = decode(buildPcx(spec, {9, 9}, palette));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(pixelAt(d, 0), (std::vector<uint8_t>{255, 0, 255, 255}));

    // The marker byte is not looked at.
    EXPECT_EQ(decode(buildPcx(changed(spec, &PcxSpec::paletteMarker, 77), {9, 9}, palette)).pixels, d.pixels);
}

TEST(Pcx, PicturesOutsideTheSupportedKindAreRejected) {
    std::vector<uint8_t> data(16, 1);
    auto rejected = [&](PcxSpec spec) { return !decode(buildPcx(spec, data)).ok; };
    EXPECT_FALSE(rejected(sized(4, 4)));
    EXPECT_TRUE(rejected(changed(sized(4, 4), &PcxSpec::planes, 3)));
    EXPECT_TRUE(rejected(changed(sized(4, 4), &PcxSpec::bitsPerPixel, 1)));
    EXPECT_TRUE(rejected(changed(sized(4, 4), &PcxSpec::xMin, 5)));  // xMax below xMin
    EXPECT_TRUE(rejected(changed(sized(4, 4), &PcxSpec::yMin, 9)));
    EXPECT_TRUE(rejected(changed(sized(4, 4), &PcxSpec::bytesPerLine, 3)));
    EXPECT_TRUE(rejected(changed(sized(4, 4), &PcxSpec::bytesPerLine, 6)));
    EXPECT_TRUE(rejected(sized(20000, 1)));
    EXPECT_TRUE(rejected(sized(1, 65535)));
    // Each side alone at the limit and one past it, with data that could fill every one of them.
    std::vector<uint8_t> runs;
    for (int i = 0; i < 261; ++i) runs.insert(runs.end(), {0xFF, 1});  // 261 x 63 pixels
    struct Side {
        uint32_t width, height;
        bool ok;
    } sides[] = {{16384, 1, true}, {16385, 1, false}, {1, 16384, true}, {1, 16385, false}};
    for (const Side& s : sides) {
        Decoded d = decode(buildPcx(sized(s.width, s.height), runs));
        ASSERT_EQ(d.ok, s.ok) << s.width << "x" << s.height;
        if (s.ok) expectColours(d, {{0, 1}});
    }
    EXPECT_EQ(pixelAt(decode(buildPcx(sized(16384, 1), runs)), 16383), testColour(1));
    // Header and palette alone (no marker, no data) are the smallest file: a line needs no data.
    std::vector<uint8_t> bare = buildPcx(sized(4, 1), {});
    bare.erase(bare.begin() + 128);
    Decoded smallest = decode(bare);
    ASSERT_TRUE(smallest.ok);
    expectColours(smallest, {{3, -1}});
    bare.pop_back();
    EXPECT_FALSE(decode(bare).ok);                                // one byte short of header and palette
    EXPECT_FALSE(decode(std::vector<uint8_t>(128 + 767, 0)).ok);  // short, and 0 bits a pixel besides
    streamOps = {};
    EXPECT_FALSE(decode(buildPcx(sized(4, 4), data), 1).ok);  // no backend: nothing to read with
    selectStreamBackend(0);
}

TEST(Pcx, PicturesTheirDataCouldNeverFillAreRejectedBeforeAllocating) {
    // The data runs up to the palette, so the builder's marker byte counts: {0xFF, 1} and the marker
    // are a pair (63 pixels) and a lone byte (1), plus a line of slack. 8 x 9 is exactly that bound.
    Decoded d = decode(buildPcx(sized(8, 9), {0xFF, 1}));
    ASSERT_TRUE(d.ok);
    expectColours(d, {{8, 12}, {62, 1}, {63, -1}});  // the marker starts line 1 afresh
    EXPECT_FALSE(decode(buildPcx(sized(8, 10), {0xFF, 1})).ok);
    EXPECT_FALSE(decode(buildPcx(sized(9, 9), {0xFF, 1})).ok);
    EXPECT_FALSE(decode(buildPcx(sized(5, 14), {0xFF, 1})).ok);  // 70: one more than 64 + 5
    // Uncompressed, one pixel a byte: 4 x 4 needs 12 data bytes with the slack line.
    PcxSpec raw = changed(sized(4, 4), &PcxSpec::encoding, 0);
    d = decode(buildPcx(raw, std::vector<uint8_t>(11, 3)));
    ASSERT_TRUE(d.ok);
    expectColours(d, {{11, 12}, {12, -1}});  // the twelfth byte, the marker, is the last pixel
    EXPECT_FALSE(decode(buildPcx(raw, std::vector<uint8_t>(10, 3))).ok);
    // The largest sides on a file of header and palette alone: no gigabyte is asked for.
    EXPECT_FALSE(decode(buildPcx(sized(16384, 16384), {})).ok);
    raw = changed(sized(16384, 16384), &PcxSpec::encoding, 0);
    EXPECT_FALSE(decode(buildPcx(raw, std::vector<uint8_t>(4096, 1))).ok);
}

TEST(Pcx, RejectedPictureLeavesTheTextureWithoutAnImage) {
    std::vector<uint8_t> good = makeEmbedded(buildPcx(sized(2, 2), {1, 2, 3, 4}));
    std::vector<uint8_t> bad = makeEmbedded(buildPcx(changed(sized(2, 2), &PcxSpec::planes, 2), {1, 2, 3, 4}));
    Texture texture;
    ASSERT_TRUE(loadPcx(texture, good.data(), 0));
    ASSERT_TRUE(loadPcx(texture, good.data(), 0));  // decoding again replaces the image (no leak)
    EXPECT_FALSE(loadPcx(texture, bad.data(), 0));
    EXPECT_EQ(texture.image, nullptr);
}

TEST(Pcx, RunsAreCutAtTheBufferEndAndShortDataEndsThePicture) {
    // The last line's run of 63 would pass the end of the buffer by far.
    Decoded d = decode(buildPcx(sized(4, 2), {0xC4, 3, 0xFF, 6}));
    ASSERT_TRUE(d.ok);
    expectColours(d, {{4, 6}, {8, 6}});  // the last: the spare pixel, and no further

    d = decode(buildPcx(sized(4, 4), {0xC6, 2}));  // six pixels, then the data ends
    ASSERT_TRUE(d.ok);
    expectColours(d, {{5, 2}, {6, -1}, {15, -1}});

    // A run spills into line 1, whose data then ends (the palette marker is its last byte): the
    // spilled pixel stays, and nothing of line 1 reaches past what its codes wrote.
    d = decode(buildPcx(sized(16, 2), {0xD4, 5, 0xC2, 6}));
    ASSERT_TRUE(d.ok);
    expectColours(d, {{17, 6}, {18, 12}, {19, 5}, {20, -1}, {25, -1}});

    // The marker as the colour byte of a pair that ends the data (written), and as a count whose
    // colour byte would lie past the data (nothing written for it).
    struct Tail {
        std::vector<uint8_t> data;
        uint8_t marker;
        int written;
    } tails[] = {{{0xC2, 4, 0xC3}, 5, 5}, {{0xC2, 4}, 0xC3, 2}};
    for (const Tail& t : tails) {
        SCOPED_TRACE(t.written);
        d = decode(buildPcx(changed(sized(8, 1), &PcxSpec::paletteMarker, t.marker), t.data));
        ASSERT_TRUE(d.ok);
        for (int i = 0; i < 9; ++i) expectColours(d, {{i, i >= t.written ? -1 : i < 2 ? 4 : t.marker}});
    }
}

std::string tempDir() {
    char pattern[] = "/tmp/zelmo-pcx-XXXXXX";
    const char* dir = mkdtemp(pattern);
    return dir ? dir : "/tmp";
}

TEST(Pcx, DecodesWhatImageMagickWritesExactlyAsImageMagickReadsIt) {
    std::string dir = tempDir();
    struct Case {
        int width, height;
        const char* compression;
    } cases[] = {{1, 1, "RLE"},    {2, 3, "RLE"},     {33, 17, "RLE"},  {64, 32, "RLE"},
                 {101, 75, "RLE"}, {400, 300, "RLE"}, {257, 3, "None"}, {34, 9, "None"}};
    for (const Case& c : cases) {
        std::string pcx = dir + "/picture.pcx", raw = dir + "/picture.rgba";
        std::string command = "convert -size " + std::to_string(c.width) + "x" + std::to_string(c.height) +
                              " -seed 3 plasma:fractal -colors 200 -type Palette -compress " + c.compression + " " +
                              pcx + " && convert " + pcx + " -depth 8 rgba:" + raw;
        ASSERT_EQ(system(command.c_str()), 0) << command;
        std::vector<uint8_t> file = readFileBytes(pcx), expected = readFileBytes(raw);
        ASSERT_EQ(expected.size(), (size_t)c.width * c.height * 4);
        Decoded d = decode(file);
        ASSERT_TRUE(d.ok) << c.width << "x" << c.height;
        EXPECT_EQ(d.width, c.width);
        EXPECT_EQ(d.height, c.height);
        d.pixels.resize(expected.size());  // without the spare pixel
        EXPECT_EQ(d.pixels, expected) << c.width << "x" << c.height << " " << c.compression;
    }
    EXPECT_EQ(system(("rm -rf " + dir).c_str()), 0);
}

TEST(Pcx, EmbeddedRecordHoldsTheFileItWasBuiltFrom) {
    std::vector<uint8_t> file = readFileBytes(ZELMO_SOURCE_DIR "/tests/data/plasma_34x17.pcx");
    ASSERT_FALSE(file.empty());
    ASSERT_EQ(embeddedFileSize(testPlasmaPcx), file.size());
    EXPECT_EQ(memcmp(testPlasmaPcx + 4, file.data(), file.size()), 0);
    Texture texture;
    ASSERT_TRUE(loadPcx(texture, testPlasmaPcx, 0));
    EXPECT_EQ(texture.image->width, 34);
    EXPECT_EQ(texture.image->height, 17);
    freeImage(texture);
}

}  // namespace
