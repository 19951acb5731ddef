// SPDX-License-Identifier: MIT
// The sequencer's timing rules, driven by the scripted clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scripted.h"
#include "sequencer/sequencer.h"
#include "shell/window.h"

namespace {

std::vector<std::string> calls;      // what ran, in order
std::vector<uint32_t> frameElapsed;  // sequencer.elapsed seen by each frame
bool frameResult = false;

void enterA() { calls.push_back("enterA"); }
void enterB() { calls.push_back("enterB"); }
bool frameA() {
    calls.push_back("frameA");
    frameElapsed.push_back(sequencer.elapsed);
    return frameResult;
}
bool frameB() {
    calls.push_back("frameB");
    frameElapsed.push_back(sequencer.elapsed);
    return false;
}
void rewindTwo() {
    calls.push_back("rewind");
    sequencer.current -= 2;
}
bool restartRecorded() {
    calls.push_back("restart");
    return true;
}

class SequencerTest : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        frameElapsed.clear();
        frameResult = false;
        sequencer = {0, 0, 0, 0, 0, 0, nullptr};
        useScriptedClock(50000);
    }
    void TearDown() override { useSystemSeams(); }

    void start(Scene* table) {
        sequencer.scenes = table;
        startSequencer(sequencer);
    }
    bool tickAt(uint32_t sinceStart) {
        setClock(50000 + sinceStart);
        return tickSequencer(sequencer);
    }
};

TEST_F(SequencerTest, TimedSceneRunsItsFrameUntilItsDurationIsReached) {
    Scene table[] = {
        {1000, -1, -1, enterA, alwaysTrue, frameA, 0, 0},
        {-1, -1, -1, enterB, alwaysFalse, frameB, 0, 0},
        {0, -1, -1, nullptr, nullptr, nullptr, 0, 0},
    };
    start(table);
    EXPECT_EQ(sequencer.elapsed, 0u);
    EXPECT_EQ(sequencer.startTime, 50000u);
    EXPECT_TRUE(tickAt(999));
    EXPECT_EQ(calls.back(), "frameA");
    EXPECT_EQ(sequencer.frameCount, 1u);
    EXPECT_EQ(sequencer.frameDelta, 999u);

    EXPECT_TRUE(tickAt(1000));  // advances: no frame, no present
    EXPECT_EQ(sequencer.current, 1);
    EXPECT_EQ(calls.back(), "enterB");
    EXPECT_EQ(sequencer.frameCount, 1u);
    EXPECT_EQ(table[0].done, 1);
    EXPECT_EQ(table[1].active, 1);
}

TEST_F(SequencerTest, ZeroDurationSceneNeverRunsItsFrame) {
    Scene table[] = {
        {0, -1, -1, enterA, nullptr, frameA, 0, 0},
        {-1, -1, -1, enterB, nullptr, frameB, 0, 0},
        {0, -1, -1, nullptr, nullptr, nullptr, 0, 0},
    };
    start(table);
    EXPECT_TRUE(tickAt(0));
    EXPECT_TRUE(tickAt(1));
    EXPECT_EQ(calls, (std::vector<std::string>{"enterA", "enterB", "frameB"}));
}

TEST_F(SequencerTest, NextClockStartsExactlyDurationAfterTheOldStart) {
    Scene table[] = {
        {1000, -1, -1, nullptr, alwaysTrue, frameA, 0, 0},
        {-1, -1, -1, nullptr, alwaysFalse, frameB, 0, 0},
        {0, -1, -1, nullptr, nullptr, nullptr, 0, 0},
    };
    start(table);
    EXPECT_TRUE(tickAt(1016));            // 16 ms past the mark: advances
    EXPECT_EQ(sequencer.elapsed, 1016u);  // kept until the next tick
    EXPECT_EQ(sequencer.startTime, 51000u);
    EXPECT_TRUE(tickAt(1020));
    ASSERT_EQ(frameElapsed.size(), 1u);
    EXPECT_EQ(frameElapsed[0], 20u);  // the 16 ms overrun plus the 4 ms to this tick
}

TEST_F(SequencerTest, RestartingSceneGetsAFreshClock) {
    Scene table[] = {
        {100, -1, -1, nullptr, nullptr, frameA, 0, 0},
        {-1, -1, -1, nullptr, restartRecorded, frameB, 0, 0},
        {0, -1, -1, nullptr, nullptr, nullptr, 0, 0},
    };
    start(table);
    EXPECT_TRUE(tickAt(130));
    EXPECT_EQ(sequencer.startTime, 50130u);
    EXPECT_EQ(sequencer.elapsed, 0u);
    EXPECT_TRUE(tickAt(135));
    EXPECT_EQ(frameElapsed.back(), 5u);
}

TEST_F(SequencerTest, DoneFrameIsPresentedThenLeftOnTheNextTick) {
    Scene table[] = {
        {-1, -1, -1, nullptr, nullptr, frameA, 0, 0},
        {-1, -1, -1, enterB, nullptr, frameB, 0, 0},
        {0, -1, -1, nullptr, nullptr, nullptr, 0, 0},
    };
    start(table);
    frameResult = true;
    EXPECT_TRUE(tickAt(10));  // tick N: frame returns true, still presented
    EXPECT_EQ(sequencer.frameCount, 1u);
    EXPECT_EQ(table[0].done, 1);
    EXPECT_TRUE(tickAt(20));  // tick N+1: advances without drawing
    EXPECT_EQ(sequencer.frameCount, 1u);
    EXPECT_TRUE(tickAt(30));  // tick N+2: the next scene's first frame
    EXPECT_EQ(calls, (std::vector<std::string>{"frameA", "enterB", "frameB"}));
    EXPECT_EQ(sequencer.frameCount, 2u);
    EXPECT_EQ(sequencer.frameCount2, 2u);
}

TEST_F(SequencerTest, LeavingAnUnlimitedSceneThroughDoneShiftsTheClockByOneMillisecond) {
    Scene table[] = {
        {-1, -1, -1, nullptr, nullptr, frameA, 0, 0},
        {-1, -1, -1, nullptr, alwaysFalse, frameB, 0, 0},
        {0, -1, -1, nullptr, nullptr, nullptr, 0, 0},
    };
    start(table);
    frameResult = true;
    EXPECT_TRUE(tickAt(400));
    EXPECT_TRUE(tickAt(410));
    EXPECT_TRUE(tickAt(420));
    EXPECT_EQ(frameElapsed.back(), 421u);
}

TEST_F(SequencerTest, EnterMovingBackOntoADoneSceneLeavesItAtOnce) {
    Scene table[] = {
        {-1, -1, -1, enterA, nullptr, frameA, 0, 0},                  // 0: done via its frame
        {-1, -1, -1, enterB, nullptr, frameB, 0, 0},                  // 1
        {-1, -1, -1, rewindTwo, restartRecorded, alwaysFalse, 0, 0},  // 2: moves back to 0
        {0, -1, -1, nullptr, nullptr, nullptr, 0, 0},
    };
    start(table);
    frameResult = true;
    EXPECT_TRUE(tickAt(1));  // frameA done
    EXPECT_TRUE(tickAt(2));  // -> scene 1
    table[1].done = 1;       // as if scene 1 reported done
    EXPECT_TRUE(tickAt(3));  // -> scene 2, whose enter moves current to 0; its own restartClock runs
    EXPECT_EQ(sequencer.current, 0);
    EXPECT_EQ(calls.back(), "restart");
    calls.clear();
    EXPECT_TRUE(tickAt(4));  // scene 0 is still done: left at once, scene 1 entered
    EXPECT_EQ(calls, (std::vector<std::string>{"enterB"}));
    EXPECT_EQ(sequencer.current, 1);
}

TEST_F(SequencerTest, EndOfTableReturnsFalseForEverAndPresentsNothing) {
    Scene table[] = {
        {5, -1, -1, nullptr, nullptr, frameA, 0, 0},
        {0, -1, -1, enterB, nullptr, nullptr, 0, 0},
    };
    start(table);
    EXPECT_TRUE(tickAt(5));  // enters the end record: its enter runs
    EXPECT_EQ(calls, (std::vector<std::string>{"enterB"}));
    uint32_t frames = sequencer.frameCount;
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(tickAt(10 + i));
    EXPECT_EQ(sequencer.frameCount, frames);
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(SequencerTest, StartZeroesTheClockWhateverSceneZeroSays) {
    Scene table[] = {
        {-1, -1, -1, nullptr, alwaysFalse, frameA, 0, 1},
        {0, -1, -1, nullptr, nullptr, nullptr, 0, 0},
    };
    sequencer.elapsed = 77;
    start(table);
    EXPECT_EQ(sequencer.elapsed, 0u);
    EXPECT_EQ(sequencer.frameDelta, 0u);
    EXPECT_EQ(sequencer.startTime, 50000u);
    EXPECT_EQ(table[0].done, 0);  // entering clears done
    EXPECT_EQ(table[0].active, 1);
}

bool frameMovesOn() {
    calls.push_back("moveOn");
    sequencer.current = 1;
    return true;
}

// A frame may move current: its result is stored in the scene it moved to. And the duration test
// is signed: an elapsed that reads negative (a clock set back) is past no duration.
TEST_F(SequencerTest, FrameResultGoesToTheSceneMovedToAndDurationsCompareSigned) {
    Scene table[] = {
        {-1, -1, -1, nullptr, nullptr, frameMovesOn, 0, 0},
        {-1, -1, -1, enterB, nullptr, frameB, 0, 0},
        {0, -1, -1, nullptr, nullptr, nullptr, 0, 0},
    };
    start(table);
    EXPECT_TRUE(tickAt(5));
    EXPECT_EQ(table[1].done, 1);
    EXPECT_EQ(table[0].done, 0);
    EXPECT_TRUE(tickAt(6));  // scene 1 is done: left at once
    EXPECT_EQ(sequencer.current, 2);
    EXPECT_EQ(calls, (std::vector<std::string>{"moveOn"}));

    Scene timed[] = {
        {1000, -1, -1, nullptr, nullptr, frameA, 0, 0},
        {0, -1, -1, nullptr, nullptr, nullptr, 0, 0},
    };
    sequencer = {0, 0, 0, 0, 0, 0, nullptr};
    setClock(50000);
    start(timed);
    setClock(50000 - 1);  // elapsed 0xFFFFFFFF: -1 as a signed value, below 1000
    EXPECT_TRUE(tickSequencer(sequencer));
    EXPECT_EQ(sequencer.current, 0);
    EXPECT_EQ(calls.back(), "frameA");
    EXPECT_EQ(sequencer.elapsed, 0xFFFFFFFFu);
    setClock(50000 + 0x7FFFFFFFu);  // the largest positive elapsed is past it
    EXPECT_TRUE(tickSequencer(sequencer));
    EXPECT_EQ(sequencer.current, 1);
}

TEST_F(SequencerTest, ClockWrapsAroundModulo2To32) {
    Scene table[] = {
        {1000, -1, -1, nullptr, nullptr, frameA, 0, 0},
        {0, -1, -1, nullptr, nullptr, nullptr, 0, 0},
    };
    setClock(0xFFFFFF00u);
    sequencer.scenes = table;
    startSequencer(sequencer);
    setClock(0x00000010u);  // 0x110 = 272 ms later, across the wrap
    EXPECT_TRUE(tickSequencer(sequencer));
    EXPECT_EQ(frameElapsed.back(), 272u);
}

}  // namespace
