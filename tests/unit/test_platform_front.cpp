// SPDX-License-Identifier: MIT
// The platform's front end on its own: the messages each window call sends, the default procedure,
// the size limits and a failed create, and the whole queue that input events become (its order,
// merging, retargeting, clamps, the ring's bounds, held input let go), on real windows.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "scripted.h"

namespace {

typedef PlatMessage Sent;  // a message as the window procedure got it, or as it waits in the queue
std::vector<Sent> sent;

int32_t recorder(PlatWindow* window, uint32_t message, uint32_t wParam, uint32_t lParam) {
    sent.push_back({window, message, wParam, lParam});
    return platDefWindowProc(window, message, wParam, lParam);
}

PlatWindow* open(int32_t width = 320, int32_t height = 200) {
    PlatWindowSpec spec = {};
    spec.clientWidth = width;
    spec.clientHeight = height;
    spec.colorBits = 32;
    spec.depthBits = 16;
    spec.doubleBuffer = true;
    spec.windowProc = recorder;
    return platCreateWindow(&spec);
}

// Every message waiting, in order, without dispatching it (a queue that never empties stops at 20000).
std::vector<Sent> queued() {
    std::vector<Sent> out;
    PlatMessage m;
    while (out.size() < 20000 && platPeekMessage(&m)) out.push_back(m);
    return out;
}

class FrontEndTest : public ::testing::Test {
protected:
    PlatWindow* a = nullptr;
    void SetUp() override {
        useSystemSeams();
        a = open();
        ASSERT_NE(a, nullptr) << platLastError();
        queued();
        sent.clear();
    }
    void TearDown() override {
        platDestroyWindow(a);
        queued();
        platShutdown();
    }
    static bool take(InputKind kind, int32_t window, uint32_t code = 0, bool down = false, int32_t x = 0, int32_t y = 0,
                     bool alt = false) {
        return platformTakeInput({kind, window, code, down, alt, x, y, false});
    }
};

TEST_F(FrontEndTest, WindowCallsSendTheirSequencesAndTheLastWindowLetsTheSaverRun) {
    PlatWindow* b = open(64, 32);
    ASSERT_NE(b, nullptr);
    int32_t x = -1, y = -1;  // no frame here: the outer origin is the client origin
    ASSERT_TRUE(platGetWindowPosition(b, &x, &y));
    EXPECT_EQ(sent, (std::vector<Sent>{{b, WM_CREATE, 0, 0},
                                       {b, WM_SIZE, SIZE_RESTORED, makeLParam(64, 32)},
                                       {b, WM_MOVE, 0, makeLParam(x, y)}}));
    // What the platform posted comes first, then a posted quit (once), then the source's input.
    take(inputKey, 0, 'K', true);
    platPostQuitMessage(7);
    EXPECT_EQ(queued(), (std::vector<Sent>{{b, WM_SYSCOMMAND, SC_SCREENSAVE, 0},
                                           {b, WM_SYSCOMMAND, SC_MONITORPOWER, 0},
                                           {nullptr, WM_QUIT, 7, 0},
                                           {a, WM_KEYDOWN, 'K', 1}}));
    sent.clear();
    platShowWindow(b);
    platDestroyWindow(b);
    platDestroyWindow(b);  // gone: nothing more
    EXPECT_EQ(sent, (std::vector<Sent>{{b, WM_ACTIVATE, makeLParam(WA_ACTIVE, 0), 0},
                                       {b, WM_ACTIVATE, makeLParam(WA_INACTIVE, 0), 0},
                                       {b, WM_DESTROY, 0, 0}}));
    EXPECT_FALSE(platScreenSaverAllowed());  // a is still there
    int32_t width = 0, height = 0;           // a window not yet shown is hidden, not minimised
    EXPECT_TRUE(platGetClientSize(a, &width, &height));
    EXPECT_EQ(width * 1000 + height, 320 * 1000 + 200);
    platDestroyWindow(a);
    EXPECT_TRUE(platScreenSaverAllowed());
    a = nullptr;
}

TEST_F(FrontEndTest, InputBecomesExactlyTheseMessages) {
    PlatWindow* b = open();
    ASSERT_NE(b, nullptr);
    queued();
    int32_t sa = 0, sb = 1;  // the slots: a first, b second
    take(inputPointer, sa, 0, false, 1, 1);
    take(inputPointer, sb, 0, false, 2, 2);     // another window's move is not merged into a's
    take(inputPointer, sa, 0, false, -1, 200);  // clamped: 0 and height - 1
    take(inputButton, sa, 1, true, 320, -7);
    take(inputPointer, sa, 0, false, 5, 6);
    take(inputPointer, sa, 0, false, 319, 199);            // merged with the one before: the latest position
    take(inputKey, noWindowNamed, 'Q', true, 0, 0, true);  // a system key no window was named for
    take(inputFocusLost, sb);
    take(inputClose, goneWindow);  // not a window of ours: nothing
    EXPECT_EQ(queued(), (std::vector<Sent>{{a, WM_MOUSEMOVE, 0, makeLParam(1, 1)},
                                           {b, WM_MOUSEMOVE, 0, makeLParam(2, 2)},
                                           {a, WM_MOUSEMOVE, 0, makeLParam(0, 199)},
                                           {a, WM_RBUTTONDOWN, 0, makeLParam(319, 0)},
                                           {a, WM_MOUSEMOVE, 0, makeLParam(319, 199)},
                                           {a, WM_SYSKEYDOWN, 'Q', 1},
                                           {b, WM_ACTIVATE, makeLParam(WA_INACTIVE, 0), 0},
                                           {b, WM_SYSKEYUP, 'Q', 0xC0000001u},  // what was held is let go
                                           {b, WM_RBUTTONUP, 0, makeLParam(319, 199)}}));
    // Releases of every kind for a window that went away, a key press named for no window and a
    // close for none find the live one; presses for a gone window are dropped (and let go).
    take(inputKey, sb, 'Q', false, 0, 0, true);
    take(inputKey, sb, 'W', false);
    for (uint32_t button = 0; button < 3; ++button) {
        take(inputButton, sb, button, true, 3, 4);
        take(inputButton, sb, button, false, 3 + button, 4);
    }
    take(inputKey, sb, 'W', true);
    take(inputKey, noWindowNamed, 'R', true);
    take(inputClose, sb);  // a close for a window that went away: neither its window's nor a quit
    platDestroyWindow(b);
    take(inputClose, noWindowNamed);
    EXPECT_EQ(queued(), (std::vector<Sent>{{a, WM_SYSKEYUP, 'Q', 0xC0000001u},
                                           {a, WM_KEYUP, 'W', 0xC0000001u},
                                           {a, WM_LBUTTONUP, 0, makeLParam(3, 4)},
                                           {a, WM_RBUTTONUP, 0, makeLParam(4, 4)},
                                           {a, WM_MBUTTONUP, 0, makeLParam(5, 4)},
                                           {a, WM_KEYDOWN, 'R', 1},
                                           {a, WM_KEYUP, 'R', 0xC0000001u},  // let go with the window
                                           {a, WM_KEYUP, 'W', 0xC0000001u},
                                           {a, WM_CLOSE, 0, 0}}));
    platDestroyWindow(a);
    a = nullptr;
    take(inputClose, noWindowNamed);  // and with no window left, the quit (code 0), at the next look
    EXPECT_EQ(queued(), std::vector<Sent>{});
    EXPECT_EQ(queued(), (std::vector<Sent>{{nullptr, WM_QUIT, 0, 0}}));
}

TEST_F(FrontEndTest, TheDefaultProcedureDestroysOnACloseAndLetsTheSaverRunWithTheLowFourBitsMasked) {
    const struct {
        uint32_t message, wParam;
        bool closes, letsTheSaverRun;
    } cases[] = {{WM_CLOSE, 0, true, false},
                 {WM_SYSCOMMAND, SC_CLOSE | 15, true, false},
                 {WM_SYSCOMMAND, SC_SCREENSAVE | 1, false, true},
                 {WM_SYSCOMMAND, SC_MONITORPOWER | 15, false, true},
                 {WM_SYSCOMMAND, SC_MONITORPOWER + 16, false, false},
                 {WM_KEYDOWN, SC_CLOSE, false, false}};
    for (const auto& c : cases) {
        PlatWindow* b = open();
        queued();  // its own screen-saver requests, not passed on
        sent.clear();
        EXPECT_EQ(platDefWindowProc(b, c.message, c.wParam, 0), 0);
        std::vector<Sent> expected;
        if (c.closes && c.message == WM_SYSCOMMAND) expected.push_back({b, WM_CLOSE, 0, 0});  // sent to the window
        if (c.closes)
            expected.insert(expected.end(), {{b, WM_ACTIVATE, makeLParam(WA_INACTIVE, 0), 0}, {b, WM_DESTROY, 0, 0}});
        EXPECT_EQ(sent, expected) << std::hex << c.message << " " << c.wParam;
        EXPECT_EQ(platScreenSaverAllowed(), c.letsTheSaverRun) << std::hex << c.message << " " << c.wParam;
        platDestroyWindow(b);
    }
}

TEST_F(FrontEndTest, SidesAreHeldTo1To65535AndAFailedCreateLeavesItsSlotFreeWithNothingQueuedForIt) {
    PlatWindow* b = open();  // the slot every create below tries
    platDestroyWindow(b);
    const struct {
        int32_t width, height;
        const char* error;  // the whole text, or its start where the rest is SDL's
    } creates[] = {{0, 1, "window size 0x1 is outside 1x1..65535x65535"},
                   {1, 0, "window size 1x0 is outside 1x1..65535x65535"},
                   {65536, 1, "window size 65536x1 is outside 1x1..65535x65535"},
                   {1, 65536, "window size 1x65536 is outside 1x1..65535x65535"},
                   {65535, 1, "cannot create a window: "},  // allowed here, larger than SDL makes
                   {1, 65535, "cannot create a window: "}};
    for (const auto& c : creates) {
        take(inputKey, 1, 'K', true);  // as if the system raised a key for the window being made
        EXPECT_EQ(open(c.width, c.height), nullptr);
        EXPECT_EQ(std::string(platLastError()).substr(0, strlen(c.error)), c.error);
    }
    EXPECT_EQ(open(1, 1), b);
    EXPECT_EQ(queued(),
              (std::vector<Sent>{{b, WM_SYSCOMMAND, SC_SCREENSAVE, 0}, {b, WM_SYSCOMMAND, SC_MONITORPOWER, 0}}));
    std::vector<PlatWindow*> more;
    for (PlatWindow* w = open(); w; w = open()) more.push_back(w);
    EXPECT_EQ(more.size(), (size_t)maxWindows - 2);
    EXPECT_STREQ(platLastError(), "too many windows");
    for (PlatWindow* w : more) platDestroyWindow(w);

    const struct {
        int32_t width, height;
        bool taken;
    } resizes[] = {{65535, 1, true},  {0, 1, false},     {1, 65535, true}, {1, 0, false},
                   {65536, 1, false}, {1, 65536, false}, {1, 1, true}};
    std::pair<int32_t, int32_t> size = {1, 1};
    for (const auto& r : resizes) {
        platResizeWindow(b, r.width, r.height);
        if (r.taken) size = {r.width, r.height};
        int32_t width = 0, height = 0;
        ASSERT_TRUE(platGetClientSize(b, &width, &height));
        EXPECT_EQ(std::make_pair(width, height), size) << r.width << "x" << r.height;
    }
    platDestroyWindow(b);
}

TEST_F(FrontEndTest, TheInputRingTakesAnEventWholeOrNotAtAllAndKeepsItsOrderAcrossTheWrap) {
    uint32_t taken = 0;
    while (take(inputKey, 0, 'A' + taken % 26, true)) ++taken;
    EXPECT_EQ(taken, 8192u - 1);  // room for the longest translation (two messages) is kept
    EXPECT_FALSE(take(inputMinimized, 0));
    std::vector<Sent> all = queued();
    ASSERT_EQ(all.size(), (size_t)taken);
    EXPECT_EQ(all.back().wParam, 'A' + (taken - 1) % 26);
    for (uint32_t round = 0; round < 3; ++round) {  // the ring wraps: 3 x 5000 more, in order
        for (uint32_t i = 0; i < 5000; ++i) ASSERT_TRUE(take(inputKey, 0, 'A' + i % 26, i % 2 == 0));
        std::vector<Sent> batch = queued();
        ASSERT_EQ(batch.size(), 5000u);
        for (uint32_t i = 0; i < 5000; ++i) ASSERT_EQ(batch[i].wParam, 'A' + i % 26) << round << " " << i;
    }
    for (int32_t i = 0; i < 8192 - 14; ++i) take(inputMoved, 0, 0, false, i);  // room for all but one release
    EXPECT_FALSE(take(inputFocusLost, 0) || take(inputMinimized, 0));
    PlatMessage first;
    platPeekMessage(&first);
    EXPECT_TRUE(take(inputMinimized, 0));  // and lets go of the 13 letters the rounds left down, in order
    std::vector<Sent> minimised = {{a, WM_ACTIVATE, makeLParam(WA_INACTIVE, 1), 0}, {a, WM_SIZE, SIZE_MINIMIZED, 0}};
    for (uint32_t letter = 'A'; letter <= 'Z'; letter += 2) minimised.push_back({a, WM_KEYUP, letter, 0xC0000001u});
    all = queued();
    EXPECT_EQ(std::vector<Sent>(all.end() - 15, all.end()), minimised);
}

// Whatever is held when a window stops receiving input is let go, for each cause and each button and
// key: its release follows what the cause queues, for that window (the live one for a destroyed
// window), at the last pointer position, and nothing is let go twice. A hidden window or page is
// reported as minimised by both backends.
TEST_F(FrontEndTest, HeldInputIsLetGoWhenTheWindowStopsReceivingIt) {
    struct Held {
        InputKind kind;
        uint32_t code;
        bool alt;
        uint32_t release;
    };
    const Held helds[] = {{inputButton, 0, false, WM_LBUTTONUP}, {inputButton, 1, false, WM_RBUTTONUP},
                          {inputButton, 2, false, WM_MBUTTONUP}, {inputKey, 'Q', false, WM_KEYUP},
                          {inputKey, VK_F1, false, WM_KEYUP},    {inputKey, 'W', true, WM_SYSKEYUP}};
    enum Cause { minimised, focusLost, destroyed };
    for (Cause cause : {minimised, focusLost, destroyed}) {
        for (const Held& held : helds) {
            PlatWindow* b = open();
            ASSERT_NE(b, nullptr);
            take(inputPointer, 1, 0, false, 7, 8);
            take(held.kind, 1, held.code, true, 9, 9, held.alt);
            take(inputPointer, 1, 0, false, 5, 6);
            queued();
            if (cause == minimised) take(inputMinimized, 1);
            if (cause == focusLost) take(inputFocusLost, 1);
            if (cause == destroyed) platDestroyWindow(b);
            Sent release = {cause == destroyed ? a : b, held.release, held.kind == inputKey ? held.code : 0,
                            held.kind == inputKey ? 0xC0000001u : makeLParam(5, 6)};
            std::vector<Sent> expected = {release};
            if (cause == minimised)
                expected = {{b, WM_ACTIVATE, makeLParam(WA_INACTIVE, 1), 0}, {b, WM_SIZE, SIZE_MINIMIZED, 0}, release};
            if (cause == focusLost) expected = {{b, WM_ACTIVATE, makeLParam(WA_INACTIVE, 0), 0}, release};
            EXPECT_EQ(queued(), expected) << "cause " << cause << ", code " << held.code;
            platDestroyWindow(b);
            take(inputFocusLost, 0);  // nothing is held any more
            EXPECT_EQ(queued(), (std::vector<Sent>{{a, WM_ACTIVATE, makeLParam(WA_INACTIVE, 0), 0}}));
        }
    }
}

}  // namespace
