// SPDX-License-Identifier: MIT
// The platform's translation of real SDL events (pushed under the offscreen driver) into messages:
// keys, buttons, merged pointer motion after a stall, releases across a mode switch, what a destroyed
// window leaves queued; and the rules that reach SDL itself (waiting, icons, the pointer, swaps).
#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <utility>
#include <vector>

#include "app/app.h"
#include "gl_fixture.h"
#include "platform/sdl/x11_keys.h"
#include "scripted.h"
#include "shell/input.h"
#include "shell/window.h"

// After GoogleTest: Xlib's macros (None, Bool) would break its headers.
#include <SDL_syswm.h>

// SDL keeps a window's icon to itself: this probe notes the sides of every icon the platform hands
// to SDL, then passes it on.
static std::vector<std::pair<int, int>> iconsSet;
extern "C" void SDL_SetWindowIcon(SDL_Window* window, SDL_Surface* icon) {
    iconsSet.push_back({icon->w, icon->h});
    ((void (*)(SDL_Window*, SDL_Surface*))dlsym(RTLD_NEXT, "SDL_SetWindowIcon"))(window, icon);
}

namespace {

// SDL's id of the newest live window, which is the main window.
uint32_t liveWindowId() {
    uint32_t newest = 0;
    for (uint32_t id = 1; id < 4096; ++id)
        if (SDL_GetWindowFromID(id)) newest = id;
    return newest;
}

void pushKey(uint32_t windowId, bool down, SDL_Keycode key, uint16_t mod = KMOD_NONE, bool repeat = false) {
    SDL_Event event = {};
    event.key.repeat = repeat ? 1 : 0;
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = windowId;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    event.key.keysym.mod = mod;
    SDL_PushEvent(&event);  // 0: the platform took it from SDL as it came
}

void pushButton(uint32_t windowId, bool down, uint8_t button, int32_t x, int32_t y) {
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = windowId;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);  // 0: the platform took it from SDL as it came
}

void pushMotion(uint32_t windowId, int32_t x, int32_t y, uint32_t buttons) {
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = windowId;
    event.motion.state = buttons;
    event.motion.x = x;
    event.motion.y = y;
    SDL_PushEvent(&event);
}

// Every message the real source gives now, dispatched to the window procedure as the loop does.
std::vector<PlatMessage> drain() { return dispatchWaiting(); }

class SdlEventTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        platMessageSource = platReadSystemMessage;
        drain();  // whatever opening the window raised
        inputState = {};
        idlePassDone();
    }
};

TEST_F(SdlEventTest, KeysAndButtonsBecomeTheirMessages) {
    uint32_t id = liveWindowId();
    pushKey(id, true, SDLK_ESCAPE);
    pushKey(id, false, SDLK_ESCAPE);
    pushKey(id, true, SDLK_F1);
    pushKey(id, true, SDLK_F1, KMOD_NONE, true);  // the key's repeat: marked, and F1 does not act on it
    pushKey(id, true, SDLK_q, KMOD_LALT);         // with Alt: a system key
    pushKey(id, true, SDLK_F10);
    pushKey(id, true, SDLK_RETURN);
    pushButton(id, true, SDL_BUTTON_RIGHT, 30, 40);
    pushButton(id, false, SDL_BUTTON_RIGHT, 30, 40);
    pushButton(id, true, SDL_BUTTON_MIDDLE, 1, 2);
    PlatWindow* w = mainWindow;
    EXPECT_EQ(drain(), (std::vector<PlatMessage>{{w, WM_KEYDOWN, VK_ESCAPE, 1},
                                                 {w, WM_KEYUP, VK_ESCAPE, 0xC0000001u},
                                                 {w, WM_KEYDOWN, VK_F1, 1},
                                                 {w, WM_KEYDOWN, VK_F1, 1 | keyWasDown},
                                                 {w, WM_SYSKEYDOWN, 'Q', 1},
                                                 {w, WM_SYSKEYDOWN, VK_F10, 1},
                                                 {w, WM_KEYDOWN, VK_RETURN, 1},
                                                 {w, WM_RBUTTONDOWN, 0, makeLParam(30, 40)},
                                                 {w, WM_RBUTTONUP, 0, makeLParam(30, 40)},
                                                 {w, WM_MBUTTONDOWN, 0, makeLParam(1, 2)}}));
    EXPECT_EQ(inputState.keys[VK_ESCAPE], 1);  // a tap no idle pass saw yet
    EXPECT_EQ(inputState.keys['Q'], 0);
    EXPECT_EQ(inputState.keys[VK_RETURN], 1);
    EXPECT_EQ(inputState.rightButton, 1);  // a click no frame saw yet
    framePresented();
    EXPECT_EQ(inputState.rightButton, 0);
}

// The X key watch, fed raw events without X, judges the core KeyPress the backend sees before SDL's key-down.
TEST_F(SdlEventTest, TheKeyWatchCountsEachRawPressOnceAndHandsOverThoseOfASwitchsGapOnce) {
    static std::vector<uint32_t> handed;  // keycode, and 1000 for a press
    keyWatchStop();
    keyWatchHandOver = [](uint32_t keycode, bool down) { handed.push_back(keycode + 1000 * down); };
    keyWatchDestroying(7);  // the focus leaving it opens a switch's gap, until one of ours has the focus
    using E = KeyWatchEvent;
    const E events[] = {{E::focusOut, 7, 100}, {E::rawPress, 67, 110}, {E::rawRelease, 67, 170},
                        {E::focusIn, 9, 180},  {E::rawPress, 67, 300}, {E::rawRelease, 67, 360}};
    for (const E& event : events) keyWatchTake(event);
    for (uint32_t time : {110, 300, 300, 400}) {  // handed over; fresh; taken already; no raw press: a repeat
        SDL_SysWMmsg core = {{}, SDL_SYSWM_X11, {}};
        core.msg.x11.event.xkey = {KeyPress, 0, False, nullptr, 0, 0, 0, time, 0, 0, 0, 0, 0, 67, False};
        SDL_Event event = {SDL_SYSWMEVENT};
        event.syswm.msg = &core;
        SDL_PushEvent(&event);
        pushKey(liveWindowId(), true, SDLK_F1);
    }
    EXPECT_EQ(handed, (std::vector<uint32_t>{1067, 67}));
    EXPECT_EQ(drain(), (std::vector<PlatMessage>{{mainWindow, WM_KEYDOWN, VK_F1, 1},
                                                 {mainWindow, WM_KEYDOWN, VK_F1, 1 | keyWasDown}}));
    keyWatchStop();
}

// A termination signal closes the window, unless the process started with it ignored (nohup).
TEST_F(SdlEventTest, ATerminationSignalClosesTheWindowUnlessTheProcessStartedIgnoringIt) {
    closeTestWindow();
    platShutdown();  // the video system starts again, with the hangup ignored
    signal(SIGHUP, SIG_IGN);
    ASSERT_TRUE(createMainWindow(windowProc));
    drain();
    raise(SIGHUP);
    EXPECT_EQ(drain(), std::vector<PlatMessage>{});
    raise(SIGTERM);
    EXPECT_EQ(drain(), (std::vector<PlatMessage>{{mainWindow, WM_CLOSE, 0, 0}, {nullptr, WM_QUIT, 0, 0}}));
    signal(SIGHUP, SIG_DFL);
}

TEST_F(SdlEventTest, AStallWithAHundredThousandMovesLosesNoButtonOrKeyAndKeepsTheLastPosition) {
    uint32_t id = liveWindowId();
    pushButton(id, true, SDL_BUTTON_LEFT, 5, 5);
    pushKey(id, true, SDLK_a);
    for (int i = 0; i < 100000; ++i) pushMotion(id, i % 700, i % 500, SDL_BUTTON_LMASK);
    pushButton(id, false, SDL_BUTTON_LEFT, 123, 45);
    pushKey(id, false, SDLK_a);
    for (int i = 0; i < 70000; ++i) pushMotion(id, 321, i % 600, 0);
    pushMotion(id, 900, -20, 0);  // captured outside the window: held at the client area's edge

    PlatWindow* w = mainWindow;  // both bursts merged into one move each
    EXPECT_EQ(drain(), (std::vector<PlatMessage>{{w, WM_LBUTTONDOWN, 0, makeLParam(5, 5)},
                                                 {w, WM_KEYDOWN, 'A', 1},
                                                 {w, WM_MOUSEMOVE, 0, makeLParam(99999 % 700, 99999 % 500)},
                                                 {w, WM_LBUTTONUP, 0, makeLParam(123, 45)},
                                                 {w, WM_KEYUP, 'A', 0xC0000001u},
                                                 {w, WM_MOUSEMOVE, 0, makeLParam(799, 0)}}));
    EXPECT_EQ(inputState.leftButton, 1);  // a click the stall kept from every frame still counts once
    framePresented();
    EXPECT_EQ(inputState.leftButton, 0);
    EXPECT_EQ(inputState.keys['A'], 0);
    EXPECT_EQ(inputState.mouseX, 799u);
    EXPECT_EQ(inputState.mouseY, 0u);
}

TEST_F(SdlEventTest, ReleasesSentForAWindowThatIsGoneReachTheNewOne) {
    uint32_t oldId = liveWindowId();
    pushKey(oldId, true, SDLK_q);
    pushButton(oldId, true, SDL_BUTTON_LEFT, 10, 10);
    pushKey(oldId, true, SDLK_F1);
    drain();
    framePresented();  // the button is held across a frame
    ASSERT_EQ(inputState.keys['Q'], 1);
    ASSERT_EQ(inputState.leftButton, 1);
    pushKey(oldId, false, SDLK_w);   // raised before the switch, read after it
    ASSERT_TRUE(checkSystemKeys());  // F1: the window is destroyed and made again
    ASSERT_NE(liveWindowId(), oldId);
    pushKey(oldId, false, SDLK_q);  // what SDL sends for the keys of the window it destroyed
    pushButton(oldId, false, SDL_BUTTON_LEFT, 10, 10);
    pushKey(oldId, true, SDLK_e);  // a press for a gone window is not a key of ours
    pushKey(0, true, SDLK_r);      // one before SDL has given the new window the keyboard focus is
    drain();
    EXPECT_EQ(inputState.keys['R'], 1);
    EXPECT_EQ(inputState.keys['Q'], 0);
    EXPECT_EQ(inputState.leftButton, 0);
    EXPECT_EQ(inputState.keys['E'], 0);
    EXPECT_EQ(inputState.keys[VK_F1], 0);
}

TEST_F(SdlEventTest, DestroyingAWindowDropsOnlyItsOwnMessagesAndSwapsOnlyCountForLiveWindows) {
    PlatWindowSpec spec = {};
    spec.colorBits = 32;
    uint32_t mainId = liveWindowId();
    spec.clientWidth = 64;
    spec.clientHeight = 48;
    PlatWindow* other = platCreateWindow(&spec);  // posts its two screen-saver requests
    ASSERT_NE(other, nullptr);
    uint32_t otherId = liveWindowId();
    pushKey(mainId, true, SDLK_q);
    pushMotion(otherId, 5, 5, 0);
    pushKey(otherId, true, SDLK_w);   // goes with its window, and is let go when it goes
    pushKey(otherId, false, SDLK_q);  // a release finds the live window
    platDestroyWindow(other);
    PlatWindow* again = platCreateWindow(&spec);  // in the freed place: nothing of the old one is its
    std::vector<PlatMessage> taken = drain();
    platDestroyWindow(again);
    EXPECT_EQ(taken, (std::vector<PlatMessage>{{again, WM_SYSCOMMAND, SC_SCREENSAVE, 0},  // its own requests
                                               {again, WM_SYSCOMMAND, SC_MONITORPOWER, 0},
                                               {mainWindow, WM_KEYDOWN, 'Q', 1},
                                               {mainWindow, WM_KEYUP, 'Q', 0xC0000001u},
                                               {mainWindow, WM_KEYUP, 'W', 0xC0000001u}}));
    EXPECT_EQ(inputState.keys['Q'], 0);
    EXPECT_FALSE(platScreenSaverAllowed());  // the main window is still up
    uint32_t swaps = platSwapCount();
    platSwapBuffers(again);
    platSwapBuffers(nullptr);
    platSwapBuffers(mainWindow);
    EXPECT_EQ(platSwapCount(), swaps + 1);
}

TEST_F(SdlEventTest, AnIconIsSetOnlyWithBothSidesFrom1To256) {
    std::vector<uint8_t> rgba(257 * 257 * 4, 0x80);
    iconsSet.clear();
    const std::pair<int, int> sides[] = {{1, 1},    {256, 256}, {0, 16},  {16, 0},
                                         {257, 16}, {16, 257},  {-1, 16}, {256, 1}};
    for (auto side : sides) platSetWindowIcon(mainWindow, rgba.data(), side.first, side.second);
    platSetWindowIcon(mainWindow, nullptr, 16, 16);
    platSetWindowIcon(nullptr, rgba.data(), 16, 16);
    EXPECT_EQ(iconsSet, (std::vector<std::pair<int, int>>{{1, 1}, {256, 256}, {256, 1}}));
}

void pushWindowEvent(uint32_t windowId, uint8_t which) {
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = windowId;
    event.window.event = which;
    SDL_PushEvent(&event);
}

TEST_F(SdlEventTest, WindowEventsAndTheQuitSignalBecomeTheirMessages) {
    uint32_t id = liveWindowId();
    pushWindowEvent(id, SDL_WINDOWEVENT_HIDDEN);  // taken off the screen: minimised
    pushWindowEvent(id, SDL_WINDOWEVENT_SHOWN);
    pushWindowEvent(id, SDL_WINDOWEVENT_CLOSE);
    pushWindowEvent(id + 100, SDL_WINDOWEVENT_CLOSE);  // not a window of ours
    SDL_Event quit = {};
    quit.type = SDL_QUIT;  // a termination signal: as if the window were closed
    SDL_PushEvent(&quit);
    PlatWindow* w = mainWindow;  // each WM_CLOSE, dispatched, posts a WM_QUIT
    EXPECT_EQ(drain(), (std::vector<PlatMessage>{{w, WM_ACTIVATE, makeLParam(WA_INACTIVE, 1), 0},
                                                 {w, WM_SIZE, SIZE_MINIMIZED, 0},
                                                 {w, WM_ACTIVATE, makeLParam(WA_ACTIVE, 0), 0},
                                                 {w, WM_SIZE, SIZE_RESTORED, makeLParam(800, 600)},
                                                 {w, WM_CLOSE, 0, 0},
                                                 {nullptr, WM_QUIT, 0, 0},
                                                 {w, WM_CLOSE, 0, 0},
                                                 {nullptr, WM_QUIT, 0, 0}}));
    EXPECT_EQ(appFlags.active, 1);
}

TEST_F(SdlEventTest, WaitingEndsWithTheFirstMessageOrTheTimeout) {
    uint32_t start = platReadSystemClock();
    EXPECT_FALSE(platWaitMessage(30));  // nothing comes: the whole bound
    EXPECT_GE(platReadSystemClock() - start, 30u);
    start = platReadSystemClock();
    pushKey(liveWindowId(), true, SDLK_a);
    EXPECT_TRUE(platWaitMessage(60000));  // already pending: no wait
    drain();
    platPostQuitMessage(3);
    EXPECT_TRUE(platWaitMessage(60000));
    pushKey(liveWindowId(), true, SDLK_b);
    EXPECT_EQ(drain(), (std::vector<PlatMessage>{{nullptr, WM_QUIT, 3, 0},  // the quit comes before input
                                                 {mainWindow, WM_KEYDOWN, 'B', 1}}));
    useScriptedMessages();  // a script has nothing to wait for
    EXPECT_FALSE(platWaitMessage(60000));
    EXPECT_LT(platReadSystemClock() - start, 30000u);  // none of the three waited for its minute
}

TEST_F(SdlEventTest, ThePointerShowsWhileItsCounterIsNotBelowZero) {
    int32_t counter = platShowCursor(true);
    while (counter > 0) counter = platShowCursor(false);
    while (counter < 0) counter = platShowCursor(true);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(platShowCursor(false), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(platShowCursor(true), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

TEST_F(SdlEventTest, AHiddenWindowReportsFocusAsMinimisedAndANewWindowAsksFirstAboutTheScreenSaver) {
    uint32_t id = liveWindowId();
    pushButton(id, true, SDL_BUTTON_LEFT, 10, 20);
    pushKey(id, true, SDLK_q);
    drain();
    framePresented();                         // held across a frame
    SDL_HideWindow(SDL_GetWindowFromID(id));  // taken off the screen after it was shown: what is held is let go
    std::vector<PlatMessage> hidden = drain();
    ASSERT_GE(hidden.size(), 2u);
    EXPECT_EQ(std::vector<PlatMessage>(hidden.end() - 2, hidden.end()),
              (std::vector<PlatMessage>{{mainWindow, WM_KEYUP, 'Q', 0xC0000001u},
                                        {mainWindow, WM_LBUTTONUP, 0, makeLParam(10, 20)}}));
    EXPECT_EQ(inputState.leftButton + inputState.keys['Q'], 0);
    pushWindowEvent(id, SDL_WINDOWEVENT_FOCUS_LOST);
    pushWindowEvent(id, SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_EQ(drain(), (std::vector<PlatMessage>{{mainWindow, WM_ACTIVATE, makeLParam(WA_INACTIVE, 1), 0},
                                                 {mainWindow, WM_ACTIVATE, makeLParam(WA_ACTIVE, 1), 0}}));
    EXPECT_EQ(appFlags.active, 0);
    int32_t width = -1, height = -1;
    ASSERT_TRUE(platGetClientSize(mainWindow, &width, &height));
    EXPECT_EQ(std::make_pair(width, height), std::make_pair(0, 0));

    destroyMainWindow();
    ASSERT_TRUE(createMainWindow(windowProc));
    std::vector<PlatMessage> taken = drain();
    ASSERT_GE(taken.size(), 2u);
    EXPECT_EQ(std::vector<PlatMessage>(taken.begin(), taken.begin() + 2),
              (std::vector<PlatMessage>{{mainWindow, WM_SYSCOMMAND, SC_SCREENSAVE, 0},
                                        {mainWindow, WM_SYSCOMMAND, SC_MONITORPOWER, 0}}));
    EXPECT_FALSE(platScreenSaverAllowed());  // both swallowed
}

}  // namespace
