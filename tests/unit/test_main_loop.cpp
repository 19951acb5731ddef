// SPDX-License-Identifier: MIT
// The main loop and appMain, driven by scripted messages and a scripted clock on a real window.
#include <gtest/gtest.h>

#include <vector>

#include "gl_fixture.h"
#include "reset.h"
#include "scripted.h"
#include "assets/stream.h"
#include "draw/glyph_font.h"
#include "sequencer/sequencer.h"
#include "app/app.h"
#include "shell/input.h"
#include "shell/window.h"

namespace {

struct FrameRecord {
    uint32_t messagesLeft;  // scripted messages still waiting when the frame ran
    uint32_t frameDelta;
    bool escapeDown;
};

std::vector<FrameRecord> frames;
bool (*frameHook)() = nullptr;  // extra behaviour of a test's frame; its result ends the scene
struct Planned {
    size_t frame;  // the frame (counted from 1) that scripts the message
    uint32_t message, wParam;
};
std::vector<Planned> planned;

bool recordingFrame() {
    frames.push_back({scriptedMessagesLeft(), sequencer.frameDelta, inputState.keys[VK_ESCAPE] != 0});
    if (frames.size() > 5000) platPostQuitMessage(99);  // a runaway test still ends
    for (const Planned& p : planned)
        if (p.frame == frames.size()) scriptMessage(p.message, p.wParam);
    return frameHook ? frameHook() : false;
}

// The table and icon appMain runs in these tests (an empty file: no icon).
const EmbeddedFile emptyIcon[] = {0, 0, 0, 0};
Scene testScenes[] = {
    {-1, -1, -1, nullptr, alwaysTrue, recordingFrame, 0, 0},
    {0, -1, -1, nullptr, nullptr, nullptr, 0, 0},
};

void resetRun() {
    resetState();
    frames.clear();
    frameHook = nullptr;
    planned.clear();
    for (Scene& scene : testScenes) scene.active = scene.done = 0;
}

class AppMainTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetRun();
        useScriptedClock(1000);
        useScriptedMessages();
        displayConfig.fullscreen = 1;
    }
    void TearDown() override { useSystemSeams(); }
};

TEST_F(AppMainTest, ClosingTheWindowEndsTheRunWithCodeZero) {
    inputState.mouseX = 7;
    inputState.keys['Q'] = 1;
    windowedRect = {5, 6, 1, 1};  // start-up sets both sizes from the display settings
    fullscreenRect = {0, 0, 2, 2};
    planned = {{3, WM_CLOSE, 0}};
    EXPECT_EQ(appMain(testScenes, emptyIcon), 0u);
    EXPECT_EQ(frames.size(), 3u);
    EXPECT_EQ(windowedRect, (ScreenRect{5, 6, 800, 600}));
    EXPECT_EQ(fullscreenRect, (ScreenRect{0, 0, 800, 600}));  // the fullscreen window as it was left
    EXPECT_EQ(programFont.listBase, 0u);  // the font is released at shutdown
    EXPECT_EQ(inputState.keys['Q'], 0);  // start-up clears the keys
    EXPECT_EQ(inputState.mouseX, 7u);    // but not the mouse
    EXPECT_EQ(mainWindow, nullptr);
    EXPECT_EQ(renderContext, nullptr);
}

TEST_F(AppMainTest, EscapeEndsTheRunWithCodeZeroAfterOneMoreFrame) {
    planned = {{2, WM_KEYDOWN, VK_ESCAPE}};
    EXPECT_EQ(appMain(testScenes, emptyIcon), 0u);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_TRUE(frames[2].escapeDown);  // the frame after the key-down still ran
}

TEST_F(AppMainTest, AnEscapeTapBetweenTwoFramesStillEndsTheRun) {
    planned = {{2, WM_KEYDOWN, VK_ESCAPE}, {2, WM_KEYUP, VK_ESCAPE}};  // released before any idle pass has run
    EXPECT_EQ(appMain(testScenes, emptyIcon), 0u);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_TRUE(frames[2].escapeDown);
}

TEST_F(AppMainTest, AModeSwitchThatCannotMakeItsWindowEndsTheRunWithCodeOne) {
    frameHook = [] {
        if (frames.size() == 2) windowedRect = {0, 0, 1 << 20, 1 << 20};  // no window that large can be made
        return false;
    };
    planned = {{2, WM_KEYDOWN, VK_F1}};
    EXPECT_EQ(appMain(testScenes, emptyIcon), 1u);  // and a line on stderr that says why
    EXPECT_EQ(frames.size(), 3u);  // the pass after the key-down runs its frame, then switches
    EXPECT_EQ(mainWindow, nullptr);
    windowedRect = {0, 0, 800, 600};
    displayConfig.fullscreen = 1;
}

TEST_F(AppMainTest, EndOfTheTableEndsTheRunWithCodeZero) {
    frameHook = [] {
        scriptMessage(WM_MOUSEMOVE, 0, makeLParam(3, 4));  // a last message: its wParam is not the code
        scriptMessage(WM_KEYDOWN, 'X');
        return true;
    };
    EXPECT_EQ(appMain(testScenes, emptyIcon), 0u);
    EXPECT_EQ(frames.size(), 1u);
    inputState.keys['X'] = 0;
}

TEST_F(AppMainTest, AnExplicitQuitCodeIsTheExitCode) {
    frameHook = [] {
        platPostQuitMessage(5);
        return false;
    };
    EXPECT_EQ(appMain(testScenes, emptyIcon), 5u);
}

class MainLoopTest : public GlTest {
protected:
    static int callbacks;
    static bool countCallback() {
        ++callbacks;
        return true;
    }
    void SetUp() override {
        GlTest::SetUp();
        resetRun();
        appFlags.active = 1;
        callbacks = 0;
        frameCallback = countCallback;
        sequencer.scenes = testScenes;
        startSequencer(sequencer);
    }
};
int MainLoopTest::callbacks = 0;

TEST_F(MainLoopTest, OneMessagePerPassAndFramesOnlyOnAnEmptyQueue) {
    for (int i = 0; i < 3; ++i) scriptMessage(WM_MOUSEMOVE, 0, makeLParam(i, i));
    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_TRUE(mainLoopPass());
        EXPECT_EQ(scriptedMessagesLeft(), 2u - pass);
        EXPECT_EQ(frames.size(), 0u);
        EXPECT_EQ(callbacks, 0);
    }
    EXPECT_EQ(inputState.mouseX, 2u);
    EXPECT_TRUE(mainLoopPass());
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].messagesLeft, 0u);
    EXPECT_EQ(callbacks, 1);
}

TEST_F(MainLoopTest, MinimisedWindowRunsNoFrameButTheCallbackAndTheClockGoOn) {
    advanceClock(16);
    EXPECT_TRUE(mainLoopPass());
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(sequencer.frameCount, 1u);

    scriptMessage(WM_ACTIVATE, makeLParam(WA_INACTIVE, 1));
    EXPECT_TRUE(mainLoopPass());
    EXPECT_EQ(appFlags.active, 0);
    for (int i = 0; i < 5; ++i) {
        advanceClock(1000);
        EXPECT_TRUE(mainLoopPass());
    }
    EXPECT_EQ(frames.size(), 1u);
    EXPECT_EQ(sequencer.frameCount, 1u);  // nothing presented
    EXPECT_EQ(callbacks, 6);              // every idle pass, active or not

    scriptMessage(WM_ACTIVATE, makeLParam(WA_ACTIVE, 0));
    EXPECT_TRUE(mainLoopPass());
    advanceClock(10);
    EXPECT_TRUE(mainLoopPass());
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].frameDelta, 5010u);  // the whole gap in one delta
}

TEST_F(MainLoopTest, QuitMessageEndsTheLoopAndItsCodeIsKept) {
    platPostQuitMessage(3);
    EXPECT_FALSE(mainLoopPass());
    EXPECT_EQ(appFlags.quitRequested, 1);
    EXPECT_EQ(quitExitCode, 3u);
    EXPECT_EQ(callbacks, 0);
    EXPECT_FALSE(mainLoopPass());  // the flag is never cleared
}

TEST_F(MainLoopTest, AnF1TapBetweenTwoFramesSwitchesOnceAndThenReadsReleased) {
    frameCallback = checkSystemKeys;
    uint8_t before = displayConfig.fullscreen;
    scriptMessage(WM_KEYDOWN, VK_F1);
    scriptMessage(WM_KEYUP, VK_F1);
    EXPECT_TRUE(mainLoopPass());
    EXPECT_TRUE(mainLoopPass());
    EXPECT_EQ(inputState.keys[VK_F1], 1);  // held for the idle pass to come
    EXPECT_TRUE(mainLoopPass());
    EXPECT_EQ(displayConfig.fullscreen, 1 - before);
    EXPECT_EQ(inputState.keys[VK_F1], 0);
    dispatchWaiting();  // what the new window posted
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(mainLoopPass());
    EXPECT_EQ(displayConfig.fullscreen, 1 - before);  // one switch only
    EXPECT_EQ(frames.size(), 4u);
    // Three taps and a press held, all between two passes (a slow machine): four switches, one a pass.
    for (int tap = 0; tap < 3; ++tap) {
        scriptMessage(WM_KEYDOWN, VK_F1);
        scriptMessage(WM_KEYUP, VK_F1);
    }
    scriptMessage(WM_KEYDOWN, VK_F1);
    scriptMessage(WM_KEYDOWN, VK_F1, 1 | keyWasDown);  // its repeat is no press
    for (int message = 0; message < 8; ++message) EXPECT_TRUE(mainLoopPass());
    std::vector<uint8_t> modes;
    for (int pass = 0; pass < 5; ++pass) {
        EXPECT_TRUE(mainLoopPass());
        modes.push_back(displayConfig.fullscreen);
        dispatchWaiting();
    }
    EXPECT_EQ(modes, (std::vector<uint8_t>{before, (uint8_t)(1 - before), before, (uint8_t)(1 - before),
                                           (uint8_t)(1 - before)}));
    EXPECT_EQ(inputState.keys[VK_F1], 0);  // held, taken by its switch

    // An Escape tap, seen by a callback that does not end the run: the entry reads 0 once the
    // idle pass after it is done, and a later press and release act at once again.
    frameCallback = countCallback;
    scriptMessage(WM_KEYDOWN, VK_ESCAPE);
    scriptMessage(WM_KEYUP, VK_ESCAPE);
    EXPECT_TRUE(mainLoopPass());
    EXPECT_TRUE(mainLoopPass());
    EXPECT_EQ(inputState.keys[VK_ESCAPE], 1);
    EXPECT_TRUE(mainLoopPass());
    EXPECT_EQ(inputState.keys[VK_ESCAPE], 0);
    windowProc(mainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(mainLoopPass());  // an idle pass while it is held
    windowProc(mainWindow, WM_KEYUP, VK_ESCAPE, 0);
    EXPECT_EQ(inputState.keys[VK_ESCAPE], 0);
}

TEST_F(MainLoopTest, TheEndOfTheTableEndsTheLoopOnThatPassWithoutTheCallback) {
    frameHook = [] { return true; };
    EXPECT_TRUE(mainLoopPass());  // the frame that finishes the only scene, then the callback
    EXPECT_TRUE(mainLoopPass());  // the tick moves on to the end record, then the callback
    EXPECT_EQ(callbacks, 2);
    EXPECT_FALSE(mainLoopPass());  // the end of the table is current: no callback on this pass
    EXPECT_EQ(callbacks, 2);
    EXPECT_EQ(appFlags.quitRequested, 1);
    EXPECT_EQ(frames.size(), 1u);
}

TEST_F(MainLoopTest, FalseFromTheCallbackEndsTheLoopAtTheNextPass) {
    frameCallback = [] { return false; };
    EXPECT_TRUE(mainLoopPass());
    EXPECT_EQ(frames.size(), 1u);
    EXPECT_FALSE(mainLoopPass());
    EXPECT_EQ(frames.size(), 1u);
}

}  // namespace
