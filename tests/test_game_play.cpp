// Scenarios of the real scene table through the real sequencer: the title, launching, homing,
// the fuse, contact, the blast, burning, toasting, bonuses, game over and the next round.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <math.h>

#include <string>
#include <vector>

#include "draw/sprite.h"
#include "game_fixture.h"
#include "shell/input.h"
#include "shell/presets.h"
#include "shell/window.h"

namespace {

bool isBlack(Rgba p) { return p.r == 0 && p.g == 0 && p.b == 0; }

// Pixels of the text colour (white at alpha 180) on the bottom plank in a region.
int textPixels(int32_t x0, int32_t x1) {
    std::vector<uint8_t> block = grabBlock(x0, 566, x1 - x0, 24);
    int count = 0;
    for (size_t i = 0; i < block.size(); i += 4) count += block[i + 2] > 150;
    return count;
}

bool iconShown(int index) {
    Rgba p = readPixel(10 + 37 * index + 24, 558 + 24);  // the orange disc, clear of its charge
    return p.r > 200 && p.b < 120;
}

TEST_F(GameTest, PauseThenTitleUntilEitherClickThenARoundWithTwentyCrittersAndFiveCharges) {
    EXPECT_TRUE(tickAt(startClock + 999));
    EXPECT_EQ(sequencer.current, 0);
    EXPECT_EQ(texTitle.name, 0u);
    EXPECT_TRUE(tickAt(startClock + 1000));  // the title begins: the pictures are loaded
    EXPECT_EQ(sequencer.current, 1);
    EXPECT_NE(texTitle.name, 0u);
    EXPECT_EQ(currentPreset, apply2dPreset);
    EXPECT_TRUE(tickAt(startClock + 1016));
    EXPECT_TRUE(isBlack(readPixel(400, 50)));
    EXPECT_FALSE(isBlack(readPixel(400, 300)));
    EXPECT_TRUE(isBlack(readPixel(400, 550)));
    EXPECT_EQ(sequencer.elapsed, 16u);  // the title's clock starts where the pause's 1000 ms ended

    scriptMessage(WM_RBUTTONDOWN);  // the right button starts the game as well
    uint32_t frames = sequencer.frameCount;
    EXPECT_TRUE(tickAt(startClock + 1032));
    EXPECT_EQ(sequencer.frameCount, frames + 1);  // the frame that saw the click is presented
    EXPECT_EQ(inputState.rightButton, 0);
    EXPECT_TRUE(tickAt(startClock + 1048));
    EXPECT_EQ(sequencer.current, 2);
    EXPECT_EQ(sequencer.elapsed, 0u);
    EXPECT_TRUE(tickAfter(16));
    EXPECT_EQ(charges, 5u);
    EXPECT_EQ(chargeLive, 0);  // the click was not seen by the play frame
    EXPECT_EQ(toasted, 0);
    int alive = 0;
    for (uint32_t i = 0; i < critterCount; ++i) alive += critterAlive[i];
    EXPECT_EQ(alive, 20);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(iconShown(i)) << i;
    EXPECT_FALSE(iconShown(5));
    EXPECT_GT(textPixels(200, 300), 20);  // "Toasted:0"
    EXPECT_EQ(textPixels(600, 760), 0);   // no countdown without a charge
}

TEST_F(GameTest, LeftClickLaunchesFromTheCornerAndTheIconsCatchUpOnTheNextFrame) {
    enterPlay();
    clearField();
    scriptMessage(WM_MOUSEMOVE, 0, makeLParam(400, 300));
    scriptMessage(WM_LBUTTONDOWN);
    EXPECT_TRUE(tickAfter(20));
    EXPECT_EQ(chargeLive, 1);
    EXPECT_EQ(charges, 4u);
    EXPECT_EQ(chargePos.x, 715.0f);
    EXPECT_EQ(chargePos.y, 495.0f);
    EXPECT_EQ(launchTime, 20u);
    EXPECT_EQ(aimPoint.x, 400.0f);
    EXPECT_EQ(aimPoint.y, 300.0f);
    EXPECT_EQ(chargeFacesLeft, 1);
    EXPECT_TRUE(iconShown(4));  // drawn before the launch
    EXPECT_EQ(textPixels(600, 760), 0);
    EXPECT_EQ(inputState.leftButton, 1);  // the launch does not take the button

    EXPECT_TRUE(tickAfter(36));
    EXPECT_FALSE(iconShown(4));
    EXPECT_TRUE(iconShown(3));
    EXPECT_GT(textPixels(600, 760), 20);  // "Countdown:9"
}

TEST_F(GameTest, ChargeHomesAboutTwoPixelsAtMostEveryTwentyMillisecondsAndHoldsStillWhenClose) {
    enterPlay();
    clearField();
    flyChargeAt(715, 495, 100);
    aimPoint = {400, 300};
    Point before = chargePos;
    EXPECT_TRUE(tickAfter(116));
    EXPECT_TRUE(tickAfter(120));  // 20 ms: not yet, more must pass
    EXPECT_EQ(chargePos.x, before.x);
    EXPECT_TRUE(tickAfter(121));
    double step = hypot(chargePos.x - before.x, chargePos.y - before.y);
    EXPECT_NEAR(step, 2.0, 0.01);
    EXPECT_LT(chargePos.x, before.x);
    EXPECT_LT(chargePos.y, before.y);
    EXPECT_EQ(lastHomingStep, 121u);
    for (uint32_t t = 137; t < 400; t += 16) EXPECT_TRUE(tickAfter(t));  // at 60 frames a second
    double travelled = hypot(chargePos.x - 715.0, chargePos.y - 495.0);
    EXPECT_NEAR(travelled, 2.0 * 9, 0.1);  // a step every second frame: 9 more in 279 ms

    aimPoint = {chargePos.x + 2.9f, chargePos.y};  // rounded distance 3: holds still
    before = chargePos;
    EXPECT_TRUE(tickAfter(500));
    EXPECT_EQ(chargePos.x, before.x);
    EXPECT_EQ(lastHomingStep, 500u);
}

TEST_F(GameTest, HeldLeftButtonSteersTheAimWithinTheField) {
    enterPlay();
    clearField();
    flyChargeAt(400, 300, 0);
    scriptMessage(WM_MOUSEMOVE, 0, makeLParam(799, 5));
    scriptMessage(WM_LBUTTONDOWN);
    EXPECT_TRUE(tickAfter(16));
    EXPECT_EQ(aimPoint.x, 710.0f);
    EXPECT_EQ(aimPoint.y, 35.0f);
    EXPECT_EQ(chargeFacesLeft, 0);
    scriptMessage(WM_LBUTTONUP);
    scriptMessage(WM_MOUSEMOVE, 0, makeLParam(100, 100));
    EXPECT_TRUE(tickAfter(32));
    EXPECT_EQ(aimPoint.x, 710.0f);  // released: the aim stays
}

TEST_F(GameTest, FuseRunsTenSecondsAndThenTheChargeBlastsByItself) {
    enterPlay();
    clearField();
    flyChargeAt(400, 300, 50);
    EXPECT_TRUE(tickAfter(10050));
    EXPECT_EQ(blasting, 0);
    EXPECT_EQ(countdownFigure(10050), 0);
    EXPECT_GT(textPixels(600, 760), 20);  // "Countdown:0" still shows
    EXPECT_TRUE(tickAfter(10051));
    EXPECT_EQ(blasting, 1);
    EXPECT_EQ(blastStart, 10051u);
}

TEST_F(GameTest, RightButtonHeldAtLaunchBlastsOnTheFirstFlyingFrame) {
    enterPlay();
    clearField();
    scriptMessage(WM_MOUSEMOVE, 0, makeLParam(100, 100));
    scriptMessage(WM_LBUTTONDOWN);
    scriptMessage(WM_RBUTTONDOWN);
    EXPECT_TRUE(tickAfter(20));
    EXPECT_EQ(chargeLive, 1);
    EXPECT_EQ(blasting, 0);
    EXPECT_TRUE(tickAfter(45));
    EXPECT_EQ(blasting, 1);
    EXPECT_EQ(blastStart, 45u);
    EXPECT_LE(hypot(chargePos.x - 715.0, chargePos.y - 495.0), 2.01);
}

TEST_F(GameTest, ContactBelowTwelvePixelsSetsTheChargeOff) {
    enterPlay();
    clearField();
    flyChargeAt(400, 300, 0);
    critterAlive[3] = 1;
    critterPos[3] = {412, 300};  // exactly 12 away
    critterLastStep[3] = 30;     // no step check on this frame
    EXPECT_TRUE(tickAfter(30));
    EXPECT_EQ(blasting, 0);
    critterPos[3] = {411, 304};  // about 11.7 away
    critterLastStep[3] = 46;
    EXPECT_TRUE(tickAfter(46));
    EXPECT_EQ(blasting, 1);
}

TEST_F(GameTest, BlastCatchesCrittersStrictlyInsideEightyPixels) {
    enterPlay();
    clearField();
    blastAt(300, 300, 1000);
    critterAlive[0] = critterAlive[1] = 1;
    critterPos[0] = {380, 300};  // exactly 80: not caught
    critterPos[1] = {348, 363};  // about 79.2: caught
    critterLastStep[0] = 2351;
    EXPECT_TRUE(tickAfter(2351));
    EXPECT_EQ(critterAlive[0], 1);
    EXPECT_EQ(critterAlive[1], 0);
    EXPECT_EQ(toasted, 1);
}

// The 32 x 32 block where a critter stands, against the field with the given picture on it.
void expectCritterShows(const Texture* picture, bool mirrored, int32_t x, int32_t y, const char* what) {
    std::vector<uint8_t> shown = grabBlock(x, y, 32, 32);
    drawBackgroundOnly();
    if (picture) drawSpriteAtFlip(x, y, *picture, mirrored, false);
    EXPECT_EQ(shown, grabBlock(x, y, 32, 32)) << what;
}

TEST_F(GameTest, CaughtCritterBurnsInThreeStagesAndIsToastedAfter1350Milliseconds) {
    enterPlay();
    clearField();
    blastAt(400, 300, 2000);  // the critter stands at the blast: no smoke ring covers it after 750 ms
    critterAlive[0] = 1;
    critterPos[0] = {400, 300};
    critterDir[0].movingLeft = 1;
    struct Moment {
        uint32_t t;
        const Texture* picture;
    } moments[] = {{900, &texCritter2}, {901, &texBurnt1}, {1050, &texBurnt1}, {1051, &texBurnt2},
                   {1200, &texBurnt2},  {1201, &texBurnt3}, {1350, &texBurnt3}, {1351, nullptr}};
    for (const Moment& moment : moments) {
        EXPECT_TRUE(tickAfter(2000 + moment.t));
        bool walking = moment.picture == &texCritter2;  // 2900 ms: the second walking picture
        expectCritterShows(moment.picture, walking, 400, 300, std::to_string(moment.t).c_str());
        EXPECT_EQ(critterPos[0].x, 400.0f);  // caught: it neither moves nor turns
        EXPECT_EQ(critterDir[0].movingLeft, 1);
    }
    EXPECT_EQ(critterAlive[0], 0);
    EXPECT_EQ(toasted, 1);
}

TEST_F(GameTest, ToastsOnTheFrameThatEndsTheBlastCountBeforeItIsCleared) {
    enterPlay();
    clearField();
    charges = 0;
    blastAt(400, 300, 100);
    critterAlive[0] = 1;
    critterPos[0] = {420, 310};
    EXPECT_TRUE(tickAfter(1601));  // the first frame after 1500 ms (a long pause, too)
    EXPECT_EQ(toasted, 1);
    EXPECT_EQ(chargeLive, 0);
    EXPECT_EQ(blasting, 0);
    EXPECT_EQ(gameOver, 1);
}

TEST_F(GameTest, EveryFifthToastEarnsAChargeEvenWhenAllComeOnOneFrame) {
    enterPlay();
    charges = 0;
    blastAt(400, 300, 100);
    for (uint32_t i = 0; i < critterCount; ++i) critterPos[i] = {400.0f + i, 300.0f - i};
    EXPECT_TRUE(tickAfter(1451));
    EXPECT_EQ(toasted, 20);
    EXPECT_EQ(charges, 4u);  // the 5th, 10th, 15th and 20th
    EXPECT_EQ(toastedAtLastBonus, 20);
    EXPECT_TRUE(tickAfter(1601));
    EXPECT_EQ(gameOver, 0);  // the bonus came during the last charge's blast
    EXPECT_EQ(chargeLive, 0);

    scriptMessage(WM_LBUTTONDOWN);  // and the next charge can go
    EXPECT_TRUE(tickAfter(1617));
    EXPECT_EQ(chargeLive, 1);
    EXPECT_EQ(charges, 3u);
}

TEST_F(GameTest, HeldButtonLaunchesTheNextChargeOnTheFrameAfterTheBlastEnds) {
    enterPlay();
    clearField();
    blastAt(400, 300, 100);
    scriptMessage(WM_LBUTTONDOWN);
    EXPECT_TRUE(tickAfter(1601));  // ends the blast; the launch check came before
    EXPECT_EQ(chargeLive, 0);
    EXPECT_TRUE(tickAfter(1617));
    EXPECT_EQ(chargeLive, 1);
    EXPECT_EQ(charges, 4u);
}

// The smoke of each stage against a reference drawn from the ring table.
TEST_F(GameTest, SmokeRingsSpreadInSixStages) {
    struct Sprite {
        int32_t dx, dy;
    };
    const std::vector<Sprite> rings[4] = {
        {{0, 0}},
        {{32, 0}, {-32, 0}, {0, 32}, {0, -32}},
        {{32, 32}, {32, -32}, {-32, 32}, {-32, -32}, {64, 0}, {-64, 0}, {0, 64}, {0, -64}},
        {{64, 32}, {64, -32}, {-64, 32}, {-64, -32}, {32, 64}, {32, -64}, {-32, 64}, {-32, -64}}};
    const Texture* pictures[3] = {&texBlast1, &texBlast2, &texBlast3};
    struct Stage {
        uint32_t t;
        int stage;
        int firstRing, lastRing;  // the rings drawn; ring r shows picture stage - r
        size_t sprites;
    } stages[] = {{0, 0, 0, 0, 1},    {150, 0, 0, 0, 1},  {151, 1, 0, 1, 5},  {300, 1, 0, 1, 5},
                  {301, 2, 0, 2, 13}, {450, 2, 0, 2, 13}, {451, 3, 1, 3, 20}, {600, 3, 1, 3, 20},
                  {601, 4, 2, 3, 16}, {750, 4, 2, 3, 16}, {751, 5, 3, 3, 8},  {900, 5, 3, 3, 8},
                  {901, 6, 1, 0, 0}};
    enterPlay();
    clearField();
    blastAt(400, 300, 5000);
    for (const Stage& stage : stages) {
        SCOPED_TRACE(stage.t);
        EXPECT_TRUE(tickAfter(5000 + stage.t));
        std::vector<uint8_t> shown = grabBlock(320, 220, 224, 224);
        drawBackgroundOnly();
        size_t sprites = 0;
        for (int r = stage.firstRing; r <= stage.lastRing; ++r)
            for (const Sprite& s : rings[r]) {
                drawSpriteAt(400 + s.dx, 300 + s.dy, *pictures[stage.stage - r]);
                ++sprites;
            }
        EXPECT_EQ(sprites, stage.sprites);
        EXPECT_EQ(shown, grabBlock(320, 220, 224, 224));
    }
}

TEST_F(GameTest, GameOverShowsTheBannerWithoutCursorAndAClickStartsAFreshRoundOnTheThirdTick) {
    enterPlay();
    scriptMessage(WM_MOUSEMOVE, 0, makeLParam(500, 100));
    EXPECT_TRUE(tickAfter(16));
    charges = 0;
    toasted = 7;
    blastAt(100, 520, 20);
    critterAlive[0] = 0;
    EXPECT_TRUE(tickAfter(1521));
    EXPECT_EQ(gameOver, 1);
    Rgba banner = readPixel(400, 300);
    EXPECT_GT(banner.r, 200);
    EXPECT_LT(banner.b, 120);
    Rgba crossSpot = readPixel(502, 102);  // where the hand's red cross would be
    EXPECT_FALSE(crossSpot.r > 180 && crossSpot.g < 60);

    Point before[critterCount];
    std::copy(critterPos, critterPos + critterCount, before);
    for (uint32_t t = 1537; t < 2000; t += 16) EXPECT_TRUE(tickAfter(t));
    int moved = 0;
    for (uint32_t i = 0; i < critterCount; ++i) moved += before[i].x != critterPos[i].x || before[i].y != critterPos[i].y;
    EXPECT_GT(moved, 5);  // the critters go on wandering behind the banner

    scriptMessage(WM_LBUTTONDOWN);
    uint32_t frames = sequencer.frameCount;
    EXPECT_TRUE(tickAfter(2016));  // the frame that sees the click
    EXPECT_EQ(gameScenes[2].done, 1);
    EXPECT_EQ(inputState.leftButton, 0);
    uint32_t clickTick = sequencer.startTime + 2016;
    EXPECT_TRUE(tickAt(clickTick + 16));  // into the replay scene
    EXPECT_EQ(sequencer.current, 1);
    EXPECT_TRUE(tickAt(clickTick + 32));  // through the title, without its frame, into a new round
    EXPECT_EQ(sequencer.current, 2);
    EXPECT_EQ(sequencer.frameCount, frames + 1);
    EXPECT_EQ(charges, 5u);
    EXPECT_EQ(toasted, 0);
    EXPECT_EQ(gameOver, 0);
    EXPECT_TRUE(tickAt(clickTick + 48));  // the new round's first frame
    EXPECT_EQ(sequencer.frameCount, frames + 2);
    EXPECT_FALSE(isBlack(readPixel(400, 50)));  // the field, not the title on black
    int alive = 0;
    for (uint32_t i = 0; i < critterCount; ++i) alive += critterAlive[i];
    EXPECT_EQ(alive, 20);
    EXPECT_EQ(chargeLive, 0);  // the click that left the banner launches nothing
}

TEST_F(GameTest, CritterAtTheFarRightTurnsBackInsteadOfLeavingTheField) {
    enterPlay();
    clearField();
    critterAlive[0] = 1;
    critterPos[0] = {745, 300};
    critterDir[0].movingLeft = 0;
    float largest = 0;
    bool turned = false;
    for (uint32_t t = 20; t < 4000; t += 20) {
        EXPECT_TRUE(tickAfter(t));
        largest = fmaxf(largest, critterPos[0].x);
        turned = turned || critterDir[0].movingLeft;
    }
    EXPECT_EQ(largest, 745.0f);
    EXPECT_TRUE(turned);
    EXPECT_LT(critterPos[0].x, 745.0f);
}

TEST_F(GameTest, AWindowWithoutClientAreaKeepsTheLastMouseMapping) {
    enterPlay();
    scriptMessage(WM_MOUSEMOVE, 0, makeLParam(400, 300));
    EXPECT_TRUE(tickAfter(16));
    EXPECT_EQ(virtualMouse.x, 400u);
    currentRect.width = 0;
    currentRect.height = 0;
    EXPECT_TRUE(tickAfter(32));
    EXPECT_EQ(virtualMouse.x, 400u);
    EXPECT_EQ(virtualMouse.y, 300u);
    currentRect.width = 400;  // a window half as large: the mouse maps to twice its position
    currentRect.height = 300;
    EXPECT_TRUE(tickAfter(48));
    EXPECT_EQ(virtualMouse.x, 800u);
    EXPECT_EQ(virtualMouse.y, 600u);
}

}  // namespace
