// SPDX-License-Identifier: MIT
// The game scenario harness and the reset of the game's state.
#include "game_fixture.h"

#include <tuple>

#include "app/app.h"
#include "draw/sprite.h"
#include "platform/gl.h"
#include "platform/platform.h"
#include "shell/input.h"
#include "shell/window.h"

void forgetGameTextures() {
#define FORGET_TEXTURE(picture, ...) \
    tex##picture.name = 0;           \
    freeImage(tex##picture);         \
    tex##picture.linear = 1;
    GAME_PICTURES(FORGET_TEXTURE)
#undef FORGET_TEXTURE
}

void resetGameState() {
    for (Scene* scene = gameScenes;; ++scene) {  // through the end record
        scene->active = scene->done = 0;
        if (!scene->frame) break;
    }
    charges = 0;
    toasted = toastedAtLastBonus = 0;
    gameOver = chargeLive = blasting = 0;
    forgetGameTextures();
}

void GameTest::SetUp() {
    GlTest::SetUp();  // resets the framework's state too
    resetGameState();
    buildGlyphFont("Arial", 120, 600, &programFont);
    setClock(startClock);
    sequencer.scenes = gameScenes;
    startSequencer(sequencer);
}

void GameTest::TearDown() {
    releaseGameAssets();
    forgetGameTextures();
    freeGlyphFont(programFont.listBase);
    GlTest::TearDown();
}

bool GameTest::tickAt(uint32_t clock) {
    setClock(clock);
    PlatMessage message;
    while (platPeekMessage(&message)) platDispatchMessage(&message);
    return tickSequencer(sequencer);
}

void GameTest::enterPlay() {
    tickAt(startClock + 1000);  // into the title
    scriptMessage(WM_LBUTTONDOWN);
    tickAt(startClock + 1016);  // the title frame takes the click
    tickAt(startClock + 1032);  // into play: the round is set up, the clock restarts
    ASSERT_EQ(sequencer.current, 2);
    ASSERT_EQ(sequencer.startTime, startClock + 1032);
}

void GameTest::clearField() {
    for (uint32_t i = 0; i < critterCount; ++i) critterAlive[i] = 0;
}

void GameTest::flyChargeAt(float x, float y, uint32_t launchedAt) {
    chargeLive = 1;
    blasting = 0;
    chargePos = {x, y};
    aimPoint = chargePos;
    launchTime = launchedAt;
    lastHomingStep = launchedAt;
}

void GameTest::blastAt(float x, float y, uint32_t blastAtTime) {
    chargeLive = 1;
    blasting = 1;
    chargePos = {x, y};
    blastStart = blastAtTime;
}

std::vector<uint8_t> grabBlock(int32_t x, int32_t y, int32_t width, int32_t height) {
    std::vector<uint8_t> flipped((size_t)width * height * 4), block(flipped.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, 600 - y - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE, flipped.data());
    for (int32_t row = 0; row < height; ++row)
        std::copy(flipped.begin() + (size_t)(height - 1 - row) * width * 4,
                  flipped.begin() + (size_t)(height - row) * width * 4, block.begin() + (size_t)row * width * 4);
    return block;
}

void drawBackgroundOnly() {
    fillScreen(0xFF000000);
    drawSpriteSized(0, 0, 800, 600, texBackground, 0, 0, 0, 0);
}

CritterRecord critterRecord(uint32_t i) {
    return {critterPos[i].x, critterPos[i].y, critterDir[i].movingLeft, critterDir[i].movingUp, critterLastStep[i]};
}

void placeCritter(uint32_t i, const CritterRecord& record) {
    critterAlive[i] = 1;
    critterPos[i] = {record.x, record.y};
    critterDir[i] = {record.left, record.up};
    critterLastStep[i] = record.lastStep;
}

bool operator==(const CritterRecord& a, const CritterRecord& b) {
    return std::tie(a.x, a.y, a.left, a.up, a.lastStep) == std::tie(b.x, b.y, b.left, b.up, b.lastStep);
}

void PrintTo(const CritterRecord& critter, std::ostream* out) {
    out->precision(9);  // enough for any float to show apart from its neighbours
    *out << "{x " << critter.x << ", y " << critter.y << ", left " << +critter.left << ", up " << +critter.up
         << ", lastStep " << critter.lastStep << "}";
}

int32_t pointerCount() {
    platShowCursor(true);
    return platShowCursor(false);
}
