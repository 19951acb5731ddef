// SPDX-License-Identifier: MIT
// The main loop and appMain, driven by scripted messages and a scripted clock on a real window.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "app/command_line.h"
#include "assets/stream.h"
#include "draw/glyph_font.h"
#include "gl_fixture.h"
#include "reset.h"
#include "scripted.h"
#include "sequencer/sequencer.h"
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
    EXPECT_EQ(programFont.listBase, 0u);                      // the font is released at shutdown
    EXPECT_EQ(inputState.keys['Q'], 0);                       // start-up clears the keys
    EXPECT_EQ(inputState.mouseX, 7u);                         // but not the mouse
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
    testing::internal::CaptureStderr();
    EXPECT_EQ(appMain(testScenes, emptyIcon), 1u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "zelmo: window size 1048576x1048576 is outside 1x1..65535x65535\n");
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

TEST_F(AppMainTest, AFontThatCannotBeHadIsSaidOnceAndTheRunGoesOn) {
    std::vector<PlatFont*> taken;  // every font the platform holds: the program's cannot be made
    for (PlatFont* font; (font = platCreateFont("Arial", 8, 400)) != nullptr;) taken.push_back(font);
    planned = {{3, WM_CLOSE, 0}};
    testing::internal::CaptureStderr();
    EXPECT_EQ(appMain(testScenes, emptyIcon), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "zelmo: too many fonts\n");
    EXPECT_EQ(frames.size(), 3u);
    for (PlatFont* font : taken) platDeleteFont(font);
}

TEST_F(AppMainTest, AnExplicitQuitCodeIsTheExitCode) {
    frameHook = [] {
        platPostQuitMessage(5);
        return false;
    };
    EXPECT_EQ(appMain(testScenes, emptyIcon), 5u);
}

// The command line: each line's exit code (or a run), its output on both streams, and the mode the
// run would start in, from fullscreen and from a window.
TEST(CommandLine, EachLineGivesItsCodeItsOutputAndTheStartingMode) {
    const AppAbout about = {"zelmo", "9.8.7", "A summary."};
    const std::string help =
        "Usage: zelmo [OPTION]...\nA summary.\n\n"
        "  -f, --fullscreen   start fullscreen, the display switched to 800 x 600 (the default)\n"
        "  -w, --window       start in a window\n"
        "      --record FILE  keep the session in FILE as it is played\n"
        "      --replay FILE  play the session kept in FILE again, as it was played\n"
        "      --check        with --replay: no window, as fast as it can; exit 1 if it differs\n"
        "  -h, --help         show this help and exit\n"
        "  -v, --version      show the version and exit\n\n"
        "While it runs, F1 switches between fullscreen and a window, and Escape quits (a replay\n"
        "ends on Escape and takes no other input).\n";
    auto error = [](const char* what, const char* argument) {
        return "zelmo: " + std::string(what) + " '" + argument + "'; 'zelmo --help' lists the options\n";
    };
    struct Case {
        std::vector<const char*> arguments;
        int code, fullscreen;  // fullscreen after a line that runs, from 1 and from 0; -1: as it was
        std::string out, err;
        std::string session = "- - 0";  // the record, the replay and the check it asks for
    };
    const Case cases[] = {
        {{}, appRun, -1, "", ""},
        {{"-w"}, appRun, 0, "", ""},
        {{"--win"}, appRun, 0, "", ""},
        {{"-w", "--full"}, appRun, 1, "", ""},
        {{"-fw"}, appRun, 0, "", ""},
        {{"--help"}, 0, -1, help, ""},
        {{"-v", "--bogus"}, 0, -1, "zelmo 9.8.7\n", ""},
        {{"extra", "-h"}, 0, -1, help, ""},
        {{"--bogus", "--help"}, 2, -1, "", error("unknown option", "--bogus")},
        {{"--window", "-xw"}, 2, -1, "", error("unknown option", "-x")},
        {{"--help=1"}, 2, -1, "", error("unknown option", "--help=1")},
        {{"-w", "extra"}, 2, -1, "", error("unexpected argument", "extra")},
        {{"--", "-w"}, 2, -1, "", error("unexpected argument", "-w")},
        {{"--record", "a.zrec", "--rec=b.zrec"}, appRun, -1, "", "", "b.zrec - 0"},
        {{"--check", "-w", "--replay", "c.zrec"}, appRun, 0, "", "", "- c.zrec 1"},
        {{"--check"}, 2, -1, "", error("--check checks a replay: name it with", "--replay")},
        {{"--record", "a", "--replay", "b"}, 2, -1, "", error("a replay is not recorded: drop", "--record")},
        {{"-w", "--rep"}, 2, -1, "", error("a file name must follow", "--rep")},
    };
    const SessionOptions kept = sessionOptions;
    for (const Case& c : cases) {
        for (uint8_t before : {1, 0}) {
            std::vector<char*> argv = {const_cast<char*>("zelmo")};
            for (const char* argument : c.arguments) argv.push_back(const_cast<char*>(argument));
            argv.push_back(nullptr);
            displayConfig.fullscreen = before;
            sessionOptions = {};
            testing::internal::CaptureStdout();
            testing::internal::CaptureStderr();
            int code = appReadCommandLine((int)argv.size() - 1, argv.data(), about);
            std::string out = testing::internal::GetCapturedStdout(), err = testing::internal::GetCapturedStderr();
            const char* line = c.arguments.empty() ? "(none)" : c.arguments[0];
            EXPECT_EQ(code, c.code) << line;
            EXPECT_EQ(out, c.out) << line;
            EXPECT_EQ(err, c.err) << line;
            int starting = c.code != appRun || c.fullscreen < 0 ? before : c.fullscreen;
            EXPECT_EQ(displayConfig.fullscreen, starting) << line;
            const SessionOptions& o = sessionOptions;
            EXPECT_EQ(std::string(o.recordPath ? o.recordPath : "-") + " " + (o.replayPath ? o.replayPath : "-") + " " +
                          std::to_string(o.check) + (o.version ? o.version : ""),
                      c.session + (c.code == appRun ? "9.8.7" : ""))
                << line;
            EXPECT_EQ(mainWindow, nullptr) << line;  // nothing of the display is touched
        }
    }
    displayConfig.fullscreen = 1;
    sessionOptions = kept;

    // Help that cannot be written (a full output) is no success.
    char* helpLine[] = {const_cast<char*>("zelmo"), const_cast<char*>("--help"), nullptr};
    int saved = dup(1), full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    dup2(full, 1);
    testing::internal::CaptureStderr();
    int code = appReadCommandLine(2, helpLine, about);
    std::string err = testing::internal::GetCapturedStderr();
    dup2(saved, 1);
    close(saved);
    close(full);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(err, "zelmo: cannot write to standard output\n");
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
    void TearDown() override {
        platWaitSource = platWaitMessage;
        GlTest::TearDown();
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

const WaitSource startingWait = platWaitSource;  // as the program starts, before any test installs its own
std::vector<uint32_t> rests;                     // every rest the loop asked for, in milliseconds
bool recordRest(uint32_t timeoutMs) {
    rests.push_back(timeoutMs);
    return false;
}

TEST_F(MainLoopTest, TheLoopRestsOnlyOnAnIdlePassWhileInactiveAndNeverLongerThanItsBound) {
    EXPECT_EQ(startingWait, &platWaitMessage);
    platWaitSource = recordRest;
    rests.clear();
    EXPECT_TRUE(mainLoopPass());  // active: a frame, no rest
    scriptMessage(WM_ACTIVATE, makeLParam(WA_INACTIVE, 1));
    scriptMessage(WM_MOUSEMOVE);
    for (int pass = 0; pass < 4; ++pass) EXPECT_TRUE(mainLoopPass());  // two messages, then two rests
    EXPECT_EQ(rests, (std::vector<uint32_t>{mainLoopRestMs, mainLoopRestMs}));
    frameCallback = [] { return false; };  // a quit asked for: no rest before the loop ends
    EXPECT_TRUE(mainLoopPass());
    EXPECT_FALSE(mainLoopPass());
    EXPECT_EQ(rests.size(), 2u);
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
