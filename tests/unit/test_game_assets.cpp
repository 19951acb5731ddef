// SPDX-License-Identifier: MIT
// The game's pictures: the committed files fit the catalogue, and loading them gives the textures
// the game draws, checked in a real Mesa context; and the program's main, which runs only natively.
#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "assets/pcx.h"
#include "draw/sprite.h"
#include "embedded.h"
#include "game/assets.h"
#include "game_fixture.h"
#include "gl_fixture.h"
#include "platform/gl.h"
#include "shell/presets.h"
#include "shell/window.h"

int zelmoMain(int argc, char** argv);  // game/main.cpp, built here without its main

namespace {

// The program as main runs it: help, version and a bad line end at once, without the game (a quit
// posted first still waits); a line that runs plays until that quit.
TEST(ZelmoMain, HelpVersionAndABadLineEndAtOnceAndOnlyARunPlays) {
    const std::pair<const char*, int> lines[] = {{"--help", 0}, {"--version", 0}, {"-x", 2}, {"-w", 7}};
    for (auto line : lines) {
        char* argv[] = {const_cast<char*>("zelmo"), const_cast<char*>(line.first), nullptr};
        platPostQuitMessage(7);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        int code = zelmoMain(2, argv);
        std::string said = testing::internal::GetCapturedStdout();  // the CommandLine test reads it
        said += testing::internal::GetCapturedStderr();
        EXPECT_EQ(code, line.second) << line.first;
        PlatMessage waiting;
        EXPECT_EQ(platPeekMessage(&waiting), line.second != 7) << line.first;
    }
}

struct CataloguePicture {
    const char* file;
    Texture* texture;
    int width, height;  // as stored
    int loadedWidth, loadedHeight;
    bool keyed;
};

const CataloguePicture pictures[] = {
    {"blast1.pcx", &texBlast1, 64, 64, 64, 64, true},
    {"charge_icon.pcx", &texChargeIcon, 32, 32, 32, 32, true},
    {"blast2.pcx", &texBlast2, 64, 64, 64, 64, true},
    {"blast3.pcx", &texBlast3, 64, 64, 64, 64, true},
    {"critter1.pcx", &texCritter1, 32, 32, 32, 32, true},
    {"critter2.pcx", &texCritter2, 32, 32, 32, 32, true},
    {"charge1.pcx", &texCharge1, 32, 32, 32, 32, true},
    {"charge2.pcx", &texCharge2, 32, 32, 32, 32, true},
    {"burnt1.pcx", &texBurnt1, 32, 32, 32, 32, true},
    {"burnt2.pcx", &texBurnt2, 32, 32, 32, 32, true},
    {"burnt3.pcx", &texBurnt3, 32, 32, 32, 32, true},
    {"hand_right.pcx", &texHandRight, 128, 128, 128, 128, true},
    {"hand_left.pcx", &texHandLeft, 128, 128, 128, 128, true},
    {"hand_idle.pcx", &texHandIdle, 128, 128, 128, 128, true},
    {"background.pcx", &texBackground, 400, 300, 512, 512, false},
    {"title.pcx", &texTitle, 400, 200, 512, 256, false},
    {"game_over.pcx", &texGameOver, 512, 64, 512, 64, true},
};

std::vector<uint8_t> readPicture(const std::string& name) {
    return readFileBytes(std::string(ZELMO_SOURCE_DIR "/game/pictures/") + name);
}

uint32_t u16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }

// Walks the run-length data line by line; false when a run crosses a line end or data is short.
bool runsStayInTheirLines(const std::vector<uint8_t>& file, int width, int height) {
    size_t at = 128, end = file.size() - 769;
    for (int y = 0; y < height; ++y) {
        int x = 0;
        while (x < width) {
            if (at >= end) return false;
            uint8_t code = file[at++];
            int count = 1;
            if (code >= 192) {
                count = code - 192;
                ++at;
            }
            x += count;
        }
        if (x != width) return false;
    }
    return at == end;
}

bool isMagenta(const uint8_t* p) { return p[0] == 255 && p[1] == 0 && p[2] == 255; }

TEST(GamePictures, EveryFileFitsTheCatalogue) {
    for (const CataloguePicture& picture : pictures) {
        SCOPED_TRACE(picture.file);
        std::vector<uint8_t> file = readPicture(picture.file);
        ASSERT_GT(file.size(), 128u + 769u);
        // Maker, version, run-length coding, bits per pixel, planes and the palette's marker.
        std::vector<uint8_t> marks = {file[0], file[1], file[2], file[3], file[65], file[file.size() - 769]};
        EXPECT_EQ(marks, (std::vector<uint8_t>{10, 5, 1, 8, 1, 12}));
        int width = (int)(u16(file, 8) - u16(file, 4) + 1), height = (int)(u16(file, 10) - u16(file, 6) + 1);
        EXPECT_EQ(std::make_pair(width, height), std::make_pair(picture.width, picture.height));
        EXPECT_EQ(width % 2, 0);
        EXPECT_EQ(u16(file, 66), (uint32_t)width);
        EXPECT_TRUE(runsStayInTheirLines(file, width, height));

        std::vector<uint8_t> record = makeEmbedded(file);
        Texture texture;
        ASSERT_TRUE(loadPcx(texture, record.data(), 0));
        size_t magenta = 0, count = (size_t)width * height;
        for (size_t i = 0; i < count; ++i) magenta += isMagenta(texture.image->pixels + 4 * i);
        if (picture.keyed) EXPECT_GT(magenta, count / 10);  // transparent around the sprite
        else EXPECT_EQ(magenta, 0u);
        freeImage(texture);
    }
}

TEST(GamePictures, TheIconIsSixteenColoursOfGreyOnBlack) {
    std::vector<uint8_t> file = readPicture("icon.pcx");
    std::vector<uint8_t> record = makeEmbedded(file);
    Texture icon;
    ASSERT_TRUE(loadPcx(icon, record.data(), 0));
    EXPECT_EQ(std::make_pair(icon.image->width, icon.image->height), std::make_pair(16, 16));
    std::set<uint32_t> colours;
    bool white = false;
    for (int i = 0; i < 256; ++i) {
        const uint8_t* p = icon.image->pixels + 4 * i;
        colours.insert(p[0] | p[1] << 8 | p[2] << 16);
        EXPECT_LE(std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}), 6);  // grey
        white = white || p[0] > 240;
    }
    EXPECT_LE(colours.size(), 16u);
    EXPECT_TRUE(white);
    EXPECT_TRUE(colours.count(0));  // the black ground
    freeImage(icon);
}

class GameAssetsTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        forgetGameTextures();
        loadGameAssets();
    }
    void TearDown() override {
        releaseGameAssets();
        forgetGameTextures();
        GlTest::TearDown();
    }
};

// The texture's min and mag filters, its wrap in s and t, and its width.
std::vector<GLint> textureSettings(const Texture& texture) {
    glBindTexture(GL_TEXTURE_2D, texture.name);
    std::vector<GLint> values(5);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &values[0]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &values[1]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &values[2]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &values[3]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &values[4]);
    return values;
}

TEST_F(GameAssetsTest, EveryTextureIsUploadedWithItsSizeAndFilterAndNoPixels) {
    std::set<uint32_t> names;
    for (const CataloguePicture& picture : pictures) {
        SCOPED_TRACE(picture.file);
        const Texture& texture = *picture.texture;
        EXPECT_NE(texture.name, 0u);
        names.insert(texture.name);
        ASSERT_NE(texture.image, nullptr);
        EXPECT_EQ(texture.image->pixels, nullptr);
        EXPECT_EQ(std::make_pair(texture.image->width, texture.image->height),
                  std::make_pair(picture.loadedWidth, picture.loadedHeight));
        GLint filter = &texture == &texGameOver ? GL_NEAREST : GL_LINEAR;
        EXPECT_EQ(textureSettings(texture),
                  (std::vector<GLint>{filter, filter, GL_CLAMP, GL_CLAMP, picture.loadedWidth}));
    }
    EXPECT_EQ(names.size(), (size_t)gamePictureCount);
    EXPECT_EQ(currentPreset, apply2dPreset);
}

TEST_F(GameAssetsTest, KeyedTexturesAreClearExactlyWhereThePictureIsMagenta) {
    for (const CataloguePicture& picture : pictures) {
        SCOPED_TRACE(picture.file);
        std::vector<uint8_t> record = makeEmbedded(readPicture(picture.file));
        Texture decoded;
        ASSERT_TRUE(loadPcx(decoded, record.data(), 0));
        std::vector<uint8_t> texels((size_t)picture.loadedWidth * picture.loadedHeight * 4);
        glBindTexture(GL_TEXTURE_2D, picture.texture->name);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        size_t mismatches = 0, clear = 0;
        for (size_t i = 0; i < texels.size() / 4; ++i) {
            uint8_t alpha = texels[4 * i + 3];
            clear += alpha == 0;
            bool keyedOut = picture.keyed && isMagenta(decoded.image->pixels + 4 * i);
            mismatches += alpha != (keyedOut ? 0 : 255);
        }
        EXPECT_EQ(mismatches, 0u);
        if (picture.keyed) {
            EXPECT_GT(clear, 0u);
        }
        freeImage(decoded);
    }
}

TEST_F(GameAssetsTest, CritterStandsOnItsFeetAndTheHandPointsWithItsRedCross) {
    clearToBlack();
    drawSpriteAtFlip(100, 100, texCritter1, false, false);
    // Near the bottom of the sprite the legs: three or four separate runs of pixels in one row.
    int runs = 0;
    bool inside = false;
    for (int x = 100; x < 132; ++x) {
        Rgba p = readPixel(x, 100 + 26);
        bool lit = p.r + p.g + p.b > 200;
        runs += lit && !inside;
        inside = lit;
    }
    EXPECT_GE(runs, 3);
    EXPECT_LE(readPixel(110, 101).r, 10);  // nothing above the ear

    clearToBlack();
    drawSpriteAtAlphaFlip(300, 200, texHandIdle, 255, false, true);
    Rgba corner = readPixel(301, 201);
    EXPECT_GT(corner.r, 180);
    EXPECT_LT(corner.g, 80);
    Rgba otherCorner = readPixel(301, 326);
    EXPECT_FALSE(otherCorner.r > 180 && otherCorner.g < 80);
}

TEST_F(GameAssetsTest, LoadingRaisesThePointerOnceAndReleasingDeletesEveryTexture) {
    std::vector<uint32_t> names;
    for (const CataloguePicture& picture : pictures) names.push_back(picture.texture->name);
    releaseGameAssets();
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_FALSE(glIsTexture(names[i])) << pictures[i].file;
        EXPECT_EQ(pictures[i].texture->name, names[i]);  // the names are kept, stale
    }
    forgetGameTextures();
    int32_t before = pointerCount();
    loadGameAssets();
    EXPECT_EQ(pointerCount(), before + 1);
    platShowCursor(false);
}

}  // namespace
