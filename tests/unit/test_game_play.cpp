// SPDX-License-Identifier: MIT
// Scenarios of the real scene table through the real sequencer: the title, launching, homing,
// the fuse, contact, the blast, burning, toasting, bonuses, game over and the next round.
#include <gtest/gtest.h>
#include <math.h>

#include <algorithm>
#include <utility>
#include <vector>

#include <stdio.h>

#include "app/app.h"
#include "draw/sprite.h"
#include "game_fixture.h"
#include "platform/gl.h"
#include "shell/config.h"
#include "shell/input.h"
#include "shell/presets.h"
#include "shell/window.h"
#include "support/support.h"

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
    EXPECT_TRUE(tickAt(startClock + 1006));  // the title begins: the pictures are loaded
    EXPECT_EQ(sequencer.current, 1);
    EXPECT_NE(texTitle.name, 0u);
    EXPECT_EQ(currentPreset, apply2dPreset);
    EXPECT_TRUE(tickAt(startClock + 1016));
    EXPECT_EQ(sequencer.elapsed, 16u);  // the title's clock goes on from the pause's 1000 ms mark
    std::vector<uint8_t> shown = grabBlock(0, 0, 800, 600);
    fillScreen(0xFF000000);  // the title picture stretched over the band from 100 to 500, on black
    drawSpriteSized(0, 100, 800, 400, texTitle, 0, 0, 0, 0);
    EXPECT_TRUE(shown == grabBlock(0, 0, 800, 600));
    for (int32_t y : {99, 100, 499, 500}) EXPECT_EQ(isBlack(readPixel(400, y)), y == 99 || y == 500) << y;

    scriptMessage(WM_RBUTTONDOWN);  // the right button starts the game as well, with a tap shorter than a frame
    scriptMessage(WM_RBUTTONUP);
    uint32_t frames = sequencer.frameCount, swaps = platSwapCount();
    EXPECT_TRUE(tickAt(startClock + 1032));
    EXPECT_EQ(sequencer.frameCount, frames + 1);  // the frame that saw the click is presented
    EXPECT_EQ(platSwapCount(), swaps + 1);
    EXPECT_EQ(inputState.rightButton, 0);
    EXPECT_TRUE(tickAt(startClock + 1048));
    EXPECT_EQ(platSwapCount(), swaps + 1);  // leaving the title presents nothing
    EXPECT_EQ(sequencer.current, 2);
    EXPECT_EQ(sequencer.elapsed, 0u);
    EXPECT_TRUE(tickAfter(16));
    EXPECT_EQ(charges, 5u);
    EXPECT_EQ(chargeLive, 0);  // the click was not seen by the play frame
    EXPECT_EQ(toasted, 0);
    EXPECT_EQ(std::count(critterAlive, critterAlive + critterCount, 1), 20);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(iconShown(i)) << i;
    EXPECT_FALSE(iconShown(5));
    EXPECT_GT(textPixels(200, 300), 20);  // "Toasted:0"
    EXPECT_EQ(textPixels(600, 760), 0);   // no countdown without a charge
}

TEST_F(GameTest, LeftClickLaunchesFromTheCornerAndTheIconsCatchUpOnTheNextFrame) {
    enterEmptyPlay();
    scriptMessage(WM_MOUSEMOVE, 0, makeLParam(400, 300));
    scriptMessage(WM_LBUTTONDOWN);
    lastHomingStep = 0;  // from long ago: the launch itself starts the homing clock
    EXPECT_TRUE(tickAfter(20));
    EXPECT_EQ(chargeLive, 1);
    EXPECT_EQ(lastHomingStep, 20u);
    EXPECT_EQ(charges, 4u);
    EXPECT_EQ(xy(chargePos), std::make_pair(715.0f, 495.0f));
    EXPECT_EQ(launchTime, 20u);
    EXPECT_EQ(xy(aimPoint), std::make_pair(400.0f, 300.0f));
    EXPECT_EQ(chargeFacesLeft, 1);
    EXPECT_TRUE(iconShown(4));  // drawn before the launch
    EXPECT_EQ(textPixels(600, 760), 0);
    EXPECT_EQ(inputState.leftButton, 1);  // the launch does not take the button

    EXPECT_TRUE(tickAfter(36));
    EXPECT_EQ(chargePos.x, 715.0f);  // 16 ms after the launch: no homing step yet
    EXPECT_FALSE(iconShown(4));
    EXPECT_TRUE(iconShown(3));
    EXPECT_GT(textPixels(600, 760), 20);  // "Countdown:9"
}

TEST_F(GameTest, TapsShorterThanAFrameLaunchAtThePressPointAndBlast) {
    enterEmptyPlay();
    scriptMessage(WM_MOUSEMOVE, 0, makeLParam(400, 300));
    scriptMessage(WM_LBUTTONDOWN);
    scriptMessage(WM_LBUTTONUP);
    EXPECT_TRUE(tickAfter(20));
    EXPECT_EQ(chargeLive, 1);
    EXPECT_EQ(charges, 4u);
    EXPECT_EQ(xy(aimPoint), std::make_pair(400.0f, 300.0f));
    EXPECT_EQ(inputState.leftButton, 0);  // released once a frame has seen it
    scriptMessage(WM_MOUSEMOVE, 0, makeLParam(600, 200));
    EXPECT_TRUE(tickAfter(40));
    EXPECT_EQ(aimPoint.x, 400.0f);  // not held: the aim stays
    EXPECT_EQ(blasting, 0);
    scriptMessage(WM_RBUTTONDOWN);
    scriptMessage(WM_RBUTTONUP);
    EXPECT_TRUE(tickAfter(60));
    EXPECT_EQ(blasting, 1);
    EXPECT_EQ(blastStart, 60u);
    EXPECT_EQ(inputState.rightButton, 0);
    EXPECT_EQ(charges, 4u);  // and no second launch
}

TEST_F(GameTest, ChargeHomesAboutTwoPixelsAtMostEveryTwentyMillisecondsAndHoldsStillWhenClose) {
    enterEmptyPlay();
    flyChargeAt(715, 495, 100);
    aimPoint = {400, 300};
    Point before = chargePos;
    EXPECT_TRUE(tickAfter(116));
    EXPECT_TRUE(tickAfter(120));  // 20 ms: not yet, more must pass
    EXPECT_EQ(chargePos.x, before.x);
    EXPECT_TRUE(tickAfter(121));
    EXPECT_NEAR(hypot(chargePos.x - before.x, chargePos.y - before.y), 2.0, 0.01);
    EXPECT_LT(chargePos.x, before.x);
    EXPECT_LT(chargePos.y, before.y);
    EXPECT_EQ(lastHomingStep, 121u);
    for (uint32_t t = 137; t < 400; t += 16) EXPECT_TRUE(tickAfter(t));          // at 60 frames a second
    EXPECT_NEAR(hypot(chargePos.x - 715.0, chargePos.y - 495.0), 2.0 * 9, 0.1);  // a step every second frame: 9 more

    aimPoint = {chargePos.x + 2.9f, chargePos.y};  // rounded distance 3: holds still
    before = chargePos;
    EXPECT_TRUE(tickAfter(500));
    EXPECT_EQ(chargePos.x, before.x);
    EXPECT_EQ(lastHomingStep, 500u);
}

TEST_F(GameTest, HeldLeftButtonSteersTheAimWithinTheField) {
    enterEmptyPlay();
    flyChargeAt(400, 300, 0);
    scriptMessage(WM_MOUSEMOVE, 0, makeLParam(799, 5));
    scriptMessage(WM_LBUTTONDOWN);
    EXPECT_TRUE(tickAfter(16));
    EXPECT_EQ(xy(aimPoint), std::make_pair(710.0f, 35.0f));
    EXPECT_EQ(chargeFacesLeft, 0);
    scriptMessage(WM_LBUTTONUP);
    scriptMessage(WM_MOUSEMOVE, 0, makeLParam(100, 100));
    EXPECT_TRUE(tickAfter(32));
    EXPECT_EQ(aimPoint.x, 710.0f);  // released: the aim stays
}

TEST_F(GameTest, FuseRunsTenSecondsAndThenTheChargeBlastsByItself) {
    enterEmptyPlay();
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
    enterEmptyPlay();
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
    enterEmptyPlay();
    flyChargeAt(400, 300, 0);
    placeCritter(3, {412, 300, 0, 0, 30});  // exactly 12 away; no step check on this frame
    EXPECT_TRUE(tickAfter(30));
    EXPECT_EQ(blasting, 0);
    placeCritter(3, {411, 304, 0, 0, 46});  // about 11.7 away
    EXPECT_TRUE(tickAfter(46));
    EXPECT_EQ(blasting, 1);
}

TEST_F(GameTest, BlastCatchesCrittersStrictlyInsideEightyPixels) {
    enterEmptyPlay();
    blastAt(300, 300, 1000);
    placeCritter(0, {380, 300, 0, 0, 2351});  // exactly 80: not caught
    placeCritter(1, {348, 363, 0, 0, 2351});  // about 79.2: caught
    EXPECT_TRUE(tickAfter(2351));
    EXPECT_EQ(critterAlive[0], 1);
    EXPECT_EQ(critterAlive[1], 0);
    EXPECT_EQ(toasted, 1);
}

TEST_F(GameTest, CaughtCritterBurnsInThreeStagesAndIsToastedAfter1350Milliseconds) {
    enterEmptyPlay();
    blastAt(400, 300, 2000);  // the critter stands at the blast: no smoke ring covers it after 750 ms
    placeCritter(0, {399.5f, 300.5f, 1, 0, 0});  // drawn at the rounded position, halves to even: 400, 300
    struct Moment {
        uint32_t t;
        const Texture* picture;
    } moments[] = {{900, &texCritter2}, {901, &texBurnt1},  {1050, &texBurnt1}, {1051, &texBurnt2},
                   {1200, &texBurnt2},  {1201, &texBurnt3}, {1350, &texBurnt3}, {1351, nullptr}};
    for (const Moment& moment : moments) {
        SCOPED_TRACE(moment.t);
        EXPECT_TRUE(tickAfter(2000 + moment.t));
        std::vector<uint8_t> shown = grabBlock(400, 300, 32, 32);  // against the field with the picture on it
        drawBackgroundOnly();
        bool walking = moment.picture == &texCritter2;  // 2900 ms: the second walking picture, mirrored
        if (moment.picture) drawSpriteAtFlip(400, 300, *moment.picture, walking, false);
        EXPECT_EQ(shown, grabBlock(400, 300, 32, 32));
        EXPECT_EQ(critterPos[0].x, 399.5f);  // caught: it neither moves nor turns
        EXPECT_EQ(critterDir[0].movingLeft, 1);
    }
    EXPECT_EQ(critterAlive[0], 0);
    EXPECT_EQ(toasted, 1);
}

TEST_F(GameTest, ToastsOnTheFrameThatEndsTheBlastCountBeforeItIsCleared) {
    enterEmptyPlay();
    charges = 0;
    blastAt(400, 300, 100);
    placeCritter(0, {420, 310, 0, 0, 0});
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
    enterEmptyPlay();
    charges = 1;  // one left: the blast's end is not the game's
    blastAt(400, 300, 100);
    scriptMessage(WM_LBUTTONDOWN);
    EXPECT_TRUE(tickAfter(1601));  // ends the blast; the launch check came before
    EXPECT_EQ(chargeLive, 0);
    EXPECT_EQ(gameOver, 0);
    EXPECT_TRUE(tickAfter(1617));
    EXPECT_EQ(chargeLive, 1);
    EXPECT_EQ(charges, 0u);
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
    } stages[] = {{0, 0, 0, 0, 1},    {150, 0, 0, 0, 1},  {151, 1, 0, 1, 5},  {300, 1, 0, 1, 5},  {301, 2, 0, 2, 13},
                  {450, 2, 0, 2, 13}, {451, 3, 1, 3, 20}, {600, 3, 1, 3, 20}, {601, 4, 2, 3, 16}, {750, 4, 2, 3, 16},
                  {751, 5, 3, 3, 8},  {900, 5, 3, 3, 8},  {901, 6, 1, 0, 0}};
    enterEmptyPlay();
    blastAt(400.6f, 299.6f, 5000);  // drawn at the rounded position: 401, 300
    for (const Stage& stage : stages) {
        SCOPED_TRACE(stage.t);
        EXPECT_TRUE(tickAfter(5000 + stage.t));
        std::vector<uint8_t> shown = grabBlock(320, 220, 224, 224);
        drawBackgroundOnly();
        size_t sprites = 0;
        for (int r = stage.firstRing; r <= stage.lastRing; ++r)
            for (const Sprite& s : rings[r]) {
                drawSpriteAt(401 + s.dx, 300 + s.dy, *pictures[stage.stage - r]);
                ++sprites;
            }
        EXPECT_EQ(sprites, stage.sprites);
        EXPECT_EQ(shown, grabBlock(320, 220, 224, 224));
    }
    EXPECT_TRUE(tickAfter(5000 + 1500));  // the blast's last moment
    EXPECT_EQ(blasting + chargeLive, 2);
    EXPECT_TRUE(tickAfter(5000 + 1501));  // and past it
    EXPECT_EQ(blasting + chargeLive, 0);
}

TEST_F(GameTest, EachHomingStepIsTheRuleInDoublePrecision) {
    enterEmptyPlay();
    // From the corner towards the top, and from near the top-left towards the far corner, where a
    // float subtraction of the positions would round.
    const Point legs[2][2] = {{{715, 495}, {360, 54}}, {{35.0547943f, 36.5330048f}, {700, 500}}};
    for (const auto& leg : legs) {
        flyChargeAt(leg[0].x, leg[0].y, 100);
        aimPoint = leg[1];
        Point p = chargePos;
        for (uint32_t t = 121; t < 600; t += 21) {  // a step every frame
            ASSERT_TRUE(tickAfter(t));
            double dx = (double)aimPoint.x - p.x, dy = (double)aimPoint.y - p.y;
            long steps = lrint(sqrt(rint(dx) * rint(dx) + rint(dy) * rint(dy)));  // both rounded to even
            p = {(float)(p.x + 2.0 * dx / (double)steps), (float)(p.y + 2.0 * dy / (double)steps)};
            ASSERT_EQ(xy(chargePos), xy(p)) << t;
        }
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
    for (uint32_t i = 0; i < critterCount; ++i)
        moved += before[i].x != critterPos[i].x || before[i].y != critterPos[i].y;
    EXPECT_GT(moved, 5);  // the critters go on wandering behind the banner

    scriptMessage(WM_LBUTTONDOWN);  // a tap, with the right button held: one click, taken whole
    scriptMessage(WM_LBUTTONUP);
    scriptMessage(WM_RBUTTONDOWN);
    uint32_t frames = sequencer.frameCount;
    EXPECT_TRUE(tickAfter(2016));  // the frame that sees the click
    EXPECT_EQ(gameScenes[2].done, 1);
    EXPECT_EQ(inputState.leftButton, 0);
    EXPECT_EQ(inputState.rightButton, 0);
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
    EXPECT_EQ(std::count(critterAlive, critterAlive + critterCount, 1), 20);
    EXPECT_EQ(chargeLive, 0);  // the click that left the banner launches nothing
}

// The state a session starts from, as GameTest's set-up leaves it, every part a checkpoint reads zeroed.
void freshStart() {
    releaseGameAssets();
    resetState();
    resetGameState();
    for (const StatePart* part = gameStateParts; part->name; ++part)
        for (uint32_t i = 0; i < part->fieldCount; ++i) memset((void*)part->fields[i].data, 0, part->fields[i].size);
    setClock(10000);  // GameTest::startClock
    sequencer.scenes = gameScenes;
    appFlags.active = 1;
}

// Replays the record through the main loop; plants a pixel's move of a critter once plantAfter
// checkpoints have matched (0: none). Returns the exit code; fills fifthTick with the idle pass of
// the fifth checkpoint.
uint32_t replaySession(const char* path, uint32_t plantAfter, uint32_t* fifthTick) {
    freshStart();
    sessionOptions = {nullptr, path, true, "test"};
    EXPECT_TRUE(sessionPrepare(gameStateParts));
    sessionBegin();
    startSequencer(sequencer);
    for (uint32_t ticks = 0; mainLoopPass(); ticks = replayReport.ticks) {  // a checkpoint comes before its pass
        if (replayReport.checkpoints == 5 && !*fifthTick) *fifthTick = ticks;
        if (replayReport.checkpoints == plantAfter) critterPos[7].x += 1, plantAfter = 0;
    }
    return sessionEnd(0);
}

// A session of uneven ticks, scripted through the seams: the title's click, a launch steered and
// blasted, the window resized to half (the pointer then maps at twice its client pixels), both
// buttons held through every charge to the game over, and the click into the next round.
TEST_F(GameTest, ASessionRecordedThroughTheSeamsReplaysExactlyAndAPlantedChangeShowsAtTheNextCheckpoint) {
    const char* path = "/tmp/zelmo_game_tests_session.zrec";
    freshStart();
    sessionOptions = {path, nullptr, false, "test"};
    ASSERT_TRUE(sessionPrepare(gameStateParts));
    sessionBegin();
    startSequencer(sequencer);
    const struct {
        uint32_t tick, message, lParam;
    } inputs[] = {{40, WM_LBUTTONDOWN, 0},
                  {41, WM_LBUTTONUP, 0},
                  {55, WM_MOUSEMOVE, makeLParam(300, 200)},
                  {56, WM_LBUTTONDOWN, 0},
                  {90, WM_LBUTTONUP, 0},
                  {95, WM_SIZE, makeLParam(400, 300)},
                  {96, WM_MOUSEMOVE, makeLParam(100, 60)},
                  {110, WM_RBUTTONDOWN, 0},
                  {111, WM_RBUTTONUP, 0},
                  {160, WM_LBUTTONDOWN, 0},
                  {160, WM_RBUTTONDOWN, 0},
                  {460, WM_LBUTTONUP, 0},
                  {460, WM_RBUTTONUP, 0},
                  {480, WM_LBUTTONDOWN, 0},
                  {481, WM_LBUTTONUP, 0}};
    uint32_t next = 0, clock = startClock;
    for (uint32_t tick = 0; tick < 500; ++tick) {
        for (; next < sizeof inputs / sizeof inputs[0] && inputs[next].tick == tick; ++next)
            scriptMessage(inputs[next].message, 0, inputs[next].lParam);
        clock += 29 + tick % 3;
        ASSERT_TRUE(tickAt(clock));
    }
    EXPECT_EQ(xy(virtualMouse), xy(VirtualMouse{200, 120}));
    EXPECT_EQ(gameScenes[3].active, 1);  // a round was over, and another begun
    EXPECT_EQ(sessionEnd(0), 0u);

    uint32_t fifthTick = 0, unused = 1;
    EXPECT_EQ(replaySession(path, 0, &fifthTick), 0u);
    EXPECT_EQ(replayReport.ticks, 500u);
    EXPECT_GE(replayReport.checkpoints, 2u + 15000u / checkpointIntervalMs);
    EXPECT_EQ(replayReport.differingPart, nullptr);
    EXPECT_FALSE(replayReport.cut);
    EXPECT_EQ(xy(virtualMouse), xy(VirtualMouse{200, 120}));  // mapped through the recorded window

    EXPECT_EQ(replaySession(path, 4, &unused), 1u);
    EXPECT_STREQ(replayReport.differingPart, "critters");
    EXPECT_EQ(replayReport.differingTick, fifthTick);
    EXPECT_EQ(replayReport.checkpoints, 5u);  // a check stops at the first difference
    remove(path);
}

TEST_F(GameTest, CritterAtTheFarRightTurnsBackInsteadOfLeavingTheField) {
    enterEmptyPlay();
    placeCritter(0, {745, 300, 0, 0, 0});
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

TEST_F(GameTest, TheMouseMapsThroughTheShownBoxAndAWindowWithoutClientAreaKeepsTheLastMapping) {
    enterPlay();
    struct {
        uint8_t fullscreen;
        uint32_t width, height, mouseX, mouseY, x, y;
    } cases[] = {
        {0, 800, 600, 400, 300, 400, 300},   {0, 0, 0, 10, 10, 400, 300},  // no client area: the last mapping
        {0, 400, 300, 200, 150, 400, 300},                                 // a window half as large: twice its position
        {0, 1600, 300, 800, 150, 400, 300},                                // a window stretches, whatever its shape
        {1, 1920, 1080, 960, 540, 400, 300},  // fullscreen 16:9: the box is 1440 x 1080 at x 240
        {1, 1920, 1080, 100, 1079, 0, 599},   // the left bar maps to the box's edge
        {1, 1920, 1080, 1800, 0, 799, 0},     // the right one, and the bottom one below, to theirs
        {1, 1024, 768, 1023, 0, 799, 0},      // 4:3: the whole screen
        {1, 800, 1000, 400, 500, 400, 300},   // tall: bars above and below, the box at y 200
        {1, 800, 1000, 0, 950, 0, 599},
    };
    uint32_t t = 16;
    for (const auto& c : cases) {
        displayConfig.fullscreen = c.fullscreen;
        resizeViewport(c.width, c.height);
        scriptMessage(WM_MOUSEMOVE, 0, makeLParam(c.mouseX, c.mouseY));
        EXPECT_TRUE(tickAfter(t += 16));
        EXPECT_EQ(xy(virtualMouse), std::make_pair(c.x, c.y)) << c.width << "x" << c.height << " " << c.mouseX;
    }
    displayConfig.fullscreen = 0;
    resizeViewport(800, 600);
}

// The whole frame against a reference drawn from the layout: field, charge icons, the two displays
// in white at alpha 180 at scale 0.5, critters and charge at their rounded places, and the cursor
// (alpha 208, mirrored top to bottom) or the banner.
struct Situation {
    const char* what;
    uint32_t t;  // play-scene time of the frame
    uint32_t charges;
    int32_t toasted;
    bool flying, gameOver;
    uint32_t message;  // a button message before the frame, or 0
    int32_t mouseX, mouseY;
    const Texture* hand;  // the cursor expected, null for none
};

void drawReference(const Situation& s) {
    drawBackgroundOnly();
    for (uint32_t i = 0; i < s.charges; ++i) drawSpriteAt(10 + 37 * (int32_t)i, 558, texChargeIcon);
    glColor4ub(255, 255, 255, 180);
    printText(200, 570, 0.5f, programFont.listBase, "Toasted:%d", s.toasted);
    bool first = s.t % 600 < 300;
    for (uint32_t i = 0; i < critterCount; ++i)
        if (critterAlive[i])
            drawSpriteAtFlip((int32_t)lrintf(critterPos[i].x), (int32_t)lrintf(critterPos[i].y),
                             first ? texCritter1 : texCritter2, critterDir[i].movingLeft, false);
    if (s.flying) {
        drawSpriteAtFlip((int32_t)lrintf(chargePos.x), (int32_t)lrintf(chargePos.y), first ? texCharge1 : texCharge2,
                         chargeFacesLeft, false);
        glColor4ub(255, 255, 255, 180);
        printText(600, 570, 0.5f, programFont.listBase, "Countdown:%d", (int32_t)(10000 - (s.t - launchTime)) / 1000);
    }
    if (s.gameOver) drawSpriteSized(0, 160, 800, 256, texGameOver, 0, 0, 0, 0);
    if (s.hand) drawSpriteAtAlphaFlip(s.mouseX, s.mouseY, *s.hand, 208, false, true);
}

TEST_F(GameTest, EveryPartOfThePlayFrameIsWhereTheLayoutPutsIt) {
    const Situation situations[] = {
        {"steering a charge", 1234, 3, 7, true, false, WM_LBUTTONDOWN, 300, 200, &texHandLeft},
        {"second walking pictures, right button", 1500, 5, 12, false, false, WM_RBUTTONDOWN, 500, 400, &texHandRight},
        {"no button", 2110, 1, 0, false, false, 0, 640, 120, &texHandIdle},
        {"game over", 2900, 0, 19, false, true, 0, 100, 100, nullptr},
    };
    enterPlay();
    for (const Situation& s : situations) {
        SCOPED_TRACE(s.what);
        clearField();
        placeCritter(0, {120.4f, 80.6f, 1, 0, s.t});   // no step on this frame
        placeCritter(7, {650.5f, 300.5f, 0, 1, s.t});  // ties go to even: 650, 300
        charges = s.charges;
        toasted = s.toasted;
        toastedAtLastBonus = s.toasted;
        gameOver = s.gameOver;
        if (s.flying) flyChargeAt(420.5f, 333.4f, s.t - 2345);
        else chargeLive = blasting = 0;
        chargeFacesLeft = 1;
        inputState.leftButton = inputState.rightButton = 0;
        scriptMessage(WM_MOUSEMOVE, 0, makeLParam((uint32_t)s.mouseX, (uint32_t)s.mouseY));
        if (s.message) scriptMessage(s.message);
        EXPECT_TRUE(tickAfter(s.t));
        if (s.flying) {
            ASSERT_EQ(chargePos.x, 420.5f);  // aimed at itself: it holds still
        }
        std::vector<uint8_t> shown = grabBlock(0, 0, 800, 600);
        drawReference(s);
        EXPECT_TRUE(shown == grabBlock(0, 0, 800, 600));
        inputState.leftButton = inputState.rightButton = 0;
    }
}

// The critters' wandering against an independent replay of the generator and the rules: two turn
// draws a frame, and on a step check (20 ms or more since the last) two step draws, with the turns
// at the field's bounds.
void replayAxis(float& position, uint8_t& back, float low, float high) {
    if (back) {
        if (position > low) position -= 1.0f;
        else back = 0;
    } else {
        if (position < high) position += 1.0f;
        else back = 1;
    }
}

TEST_F(GameTest, CrittersWanderAsTheGeneratorAndTheRulesSay) {
    enterEmptyPlay();
    CritterRecord replay[4] = {{35.0f, 200.0f, 1, 0, 0},     // at the left bound, going left
                               {709.5f, 509.0f, 0, 0, 7},    // near the right and bottom bounds
                               {400.0f, 35.5f, 0, 1, 13},    // near the top
                               {745.0f, 545.0f, 0, 0, 19}};  // beyond both, as a round may place one
    const uint32_t index[4] = {2, 5, 11, 19};
    for (int k = 0; k < 4; ++k) placeCritter(index[k], replay[k]);
    uint32_t state = (uint32_t)random15();  // the draw is the generator's whole state
    auto draw = [&state] {
        state = (state * 15625u + 1u) & 0x7FFFu;
        return state;
    };
    int turns = 0, steps = 0;
    const uint32_t gaps[] = {20, 7, 13, 20, 16, 4, 21, 19, 20, 3, 40};  // exactly 20 among them
    uint32_t gap = 0;
    for (uint32_t t = 16; t <= 2400; t += gaps[gap++ % (sizeof gaps / sizeof gaps[0])]) {
        ASSERT_TRUE(tickAfter(t));
        for (int k = 0; k < 4; ++k) {
            CritterRecord& c = replay[k];
            if (draw() < 200) c.left = 1 - c.left, ++turns;
            if (draw() < 200) c.up = 1 - c.up, ++turns;
            if (t - c.lastStep >= 20) {
                c.lastStep = t;
                if (draw() < 16384) replayAxis(c.x, c.left, 35, 710), ++steps;
                if (draw() < 16384) replayAxis(c.y, c.up, 35, 510);
            }
            ASSERT_EQ(critterRecord(index[k]), c) << "critter " << index[k] << " at " << t;
        }
    }
    EXPECT_GT(turns, 1);  // the replay went through turns and steps, not only straight lines
    EXPECT_GT(steps, 60);
    EXPECT_LE(replay[3].x, 745.0f);
}

}  // namespace
