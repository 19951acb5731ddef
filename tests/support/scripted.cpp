// SPDX-License-Identifier: MIT
// The scripted clock and message source used by the tests.
#include "scripted.h"

#include "shell/window.h"

static uint32_t scriptedNow;
enum { scriptCapacity = 1024 };
static PlatMessage script[scriptCapacity];
static uint32_t scriptHead, scriptCount;

static uint32_t readScriptedClock() { return scriptedNow; }

// A run that never ends by itself (a planted fault that stops its frames) is ended after this many
// empty polls, with exit code 99, instead of hanging its test.
static const uint64_t runawayPolls = 20000000;
static uint64_t emptyPolls;

static bool readScriptedMessage(PlatMessage* out) {
    if (scriptCount == 0) {
        if (++emptyPolls == runawayPolls) platPostQuitMessage(99);
        return false;
    }
    *out = script[scriptHead];
    out->window = mainWindow;
    scriptHead = (scriptHead + 1) % scriptCapacity;
    scriptCount -= 1;
    return true;
}

void useScriptedClock(uint32_t now) {
    scriptedNow = now;
    platClockSource = readScriptedClock;
}

void setClock(uint32_t now) { scriptedNow = now; }
void advanceClock(uint32_t ms) { scriptedNow += ms; }

void useScriptedMessages() {
    scriptHead = scriptCount = 0;
    emptyPolls = 0;
    platMessageSource = readScriptedMessage;
}

void useSystemSeams() {
    scriptHead = scriptCount = 0;
    platMessageSource = platReadSystemMessage;
    platClockSource = platReadSystemClock;
}

void scriptMessage(uint32_t message, uint32_t wParam, uint32_t lParam) {
    if (scriptCount == scriptCapacity) return;
    script[(scriptHead + scriptCount) % scriptCapacity] = {nullptr, message, wParam, lParam};
    scriptCount += 1;
}

uint32_t scriptedMessagesLeft() { return scriptCount; }

std::vector<PlatMessage> dispatchWaiting() {
    std::vector<PlatMessage> taken;
    PlatMessage message;
    while (platPeekMessage(&message)) {
        taken.push_back(message);
        platDispatchMessage(&message);
    }
    return taken;
}

bool operator==(const PlatMessage& a, const PlatMessage& b) {
    return a.window == b.window && a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
}

std::ostream& operator<<(std::ostream& out, const PlatMessage& m) {
    return out << "{window " << m.window << ", message 0x" << std::hex << m.message << ", wParam 0x" << m.wParam
               << ", lParam 0x" << m.lParam << std::dec << "}";
}

bool operator==(const ScreenRect& a, const ScreenRect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

std::ostream& operator<<(std::ostream& out, const ScreenRect& r) {
    return out << "{x " << r.x << ", y " << r.y << ", width " << r.width << ", height " << r.height << "}";
}
