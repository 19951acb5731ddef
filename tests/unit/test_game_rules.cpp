// SPDX-License-Identifier: MIT
// The game's rules: distances, aiming, the countdown, the smoke stages, the round set-up.
#include <gtest/gtest.h>
#include <math.h>

#include <utility>

#include "game/rules.h"
#include "game_fixture.h"
#include "platform/platform.h"
#include "shell/config.h"
#include "support/support.h"

namespace {

TEST(PixelDistance, RoundsEachDifferenceTiesToEven) {
    EXPECT_EQ(pixelDistance({0, 0}, {0.5f, 0}), 0.0);
    EXPECT_EQ(pixelDistance({0, 0}, {1.5f, 0}), 2.0);
    EXPECT_EQ(pixelDistance({100, 100}, {112, 100}), 12.0);
    EXPECT_NEAR(pixelDistance({100, 100}, {111, 104}), 11.705, 0.001);
    EXPECT_EQ(pixelDistance({0, 0}, {80, 0}), 80.0);
    EXPECT_NEAR(pixelDistance({0, 0}, {48, 63}), 79.202, 0.001);
    EXPECT_EQ(pixelDistance({10.5f, 0}, {0, 0}), 10.0);  // 10.5 rounds to 10
    EXPECT_EQ(pixelDistance({0, 2.75f}, {0, 0}), 3.0);   // each difference rounded, not cut
    EXPECT_EQ(pixelDistance({2.75f, 0}, {0, 0}), 3.0);
    // The exact difference is rounded once: 79.4999962 gives 79 (a float subtraction would round it
    // to 79.5 first, and that to 80), so such a critter is inside the blast radius.
    const float justAbove35 = 35.0f + ldexpf(1.0f, -18);
    EXPECT_EQ(pixelDistance({justAbove35, 0}, {114.5f, 0}), 79.0);
    EXPECT_EQ(pixelDistance({0, justAbove35}, {0, 114.5f}), 79.0);
    EXPECT_EQ(pixelDistance({114.5f, 0}, {justAbove35, 0}), 79.0);
}

TEST(AimAtMouse, ClampsToTheFieldAndFacesTheAimPoint) {
    chargePos = {715, 495};
    virtualMouse = {800, 0};
    aimAtMouse();
    EXPECT_EQ(xy(aimPoint), std::make_pair(710.0f, 35.0f));
    EXPECT_EQ(chargeFacesLeft, 1);  // from the launch point the aim is always to the left
    virtualMouse = {20, 599};
    aimAtMouse();
    EXPECT_EQ(xy(aimPoint), std::make_pair(35.0f, 510.0f));
    chargePos = {100, 100};
    virtualMouse = {300, 300};
    aimAtMouse();
    EXPECT_EQ(chargeFacesLeft, 0);
    chargePos = {300, 100};  // straight above or below: facing right, as stored
    aimAtMouse();
    EXPECT_EQ(chargeFacesLeft, 0);
}

TEST(Countdown, ReadsWholeSecondsLeftTruncatedTowardsZero) {
    launchTime = 4294967000u;  // across the clock's wrap
    uint32_t expected[][2] = {{0, 10}, {1, 9}, {1000, 9}, {1001, 8}, {9999, 0}, {10000, 0}, {10999, 0}};
    for (auto& pair : expected) EXPECT_EQ(countdownFigure(launchTime + pair[0]), (int32_t)pair[1]) << pair[0];
}

TEST(BlastStage, SixStagesOf150Milliseconds) {
    uint32_t expected[][2] = {{0, 0},   {150, 0}, {151, 1}, {300, 1}, {301, 2}, {450, 2},
                              {451, 3}, {600, 3}, {601, 4}, {750, 4}, {751, 5}, {900, 5}};
    for (auto& pair : expected) EXPECT_EQ(blastStage(pair[0]), pair[1]) << pair[0];
}

TEST(SetUpRound, HidesThePointerOnceMoreEachRoundOnlyInFullscreen) {
    displayConfig.fullscreen = 1;
    int32_t before = pointerCount();
    toasted = toastedAtLastBonus = 15, gameOver = chargeLive = blasting = 1, charges = 0;  // a round over
    setUpRound();
    EXPECT_EQ(toastedAtLastBonus, 0);
    EXPECT_EQ(gameOver, 0);
    EXPECT_EQ(chargeLive + blasting, 2);  // the charge is the play frame's, not touched here
    chargeLive = blasting = 0;
    EXPECT_EQ(pointerCount(), before - 1);
    setUpRound();
    EXPECT_EQ(pointerCount(), before - 2);
    displayConfig.fullscreen = 0;
    setUpRound();
    EXPECT_EQ(pointerCount(), before - 2);
    platShowCursor(true);
    platShowCursor(true);

    EXPECT_EQ(charges, 5u);
    EXPECT_EQ(toasted, 0);
    for (uint32_t i = 0; i < critterCount; ++i) {
        EXPECT_EQ(critterAlive[i], 1);
        EXPECT_GE(critterPos[i].x, 35.0f);
        EXPECT_LE(critterPos[i].x, 745.0f);
        EXPECT_GE(critterPos[i].y, 35.0f);
        EXPECT_LE(critterPos[i].y, 545.0f);
        EXPECT_LE(sequencer.elapsed - critterLastStep[i], 19u);
    }
}

}  // namespace
