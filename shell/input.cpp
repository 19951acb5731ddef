// SPDX-License-Identifier: MIT
// The window procedure: messages into input state, the active flag, the window rect and the viewport.
#include "shell/input.h"

#include "shell/config.h"
#include "shell/window.h"

InputState inputState = {};

// Escape and F1 act in checkSystemKeys, which runs once per idle pass. A press released before
// that pass would go unseen (a quick tap on a slow frame), so such a release waits for the pass; and
// further presses before it (quick taps on a slow machine) each get a pass of their own after it.
struct SystemKey {
    uint32_t key;
    bool downSinceIdlePass;
    bool releaseAfterIdlePass;
    uint32_t pressesWaiting;  // presses after the first since the last idle pass
    bool held;                // its last message was a press
};
static SystemKey systemKeys[2] = {{VK_ESCAPE, false, false, 0, false}, {VK_F1, false, false, 0, false}};

static SystemKey* systemKey(uint32_t key) {
    for (SystemKey& entry : systemKeys)
        if (entry.key == key) return &entry;
    return nullptr;
}

void idlePassDone() {
    for (SystemKey& entry : systemKeys) {
        if (entry.releaseAfterIdlePass) inputState.keys[entry.key] = 0;
        bool another = entry.pressesWaiting > 0;
        if (another) inputState.keys[entry.key] = 1;  // the next press, for the next pass
        entry.downSinceIdlePass = another;
        entry.releaseAfterIdlePass = another && !entry.held;
        entry.pressesWaiting -= another ? 1 : 0;
    }
}

// A click shorter than a frame (a touchpad's tap, a touchscreen, a stalled process) would go unseen
// if the release cleared the flag at once, so such a release waits until a frame has run; a frame
// that clears the flag to take the click still does. Holds are released at once as usual.
struct ButtonTap {
    uint8_t* flag;
    bool downSinceFrame;
    bool releaseAfterFrame;
};
static ButtonTap buttonTaps[2] = {{&inputState.leftButton, false, false}, {&inputState.rightButton, false, false}};

void framePresented() {
    for (ButtonTap& tap : buttonTaps) {
        if (tap.releaseAfterFrame) *tap.flag = 0;
        tap.downSinceFrame = tap.releaseAfterFrame = false;
    }
}

static void buttonDown(ButtonTap& tap) {
    *tap.flag = 1;
    tap.downSinceFrame = true;
    tap.releaseAfterFrame = false;
}

static void buttonUp(ButtonTap& tap) {
    if (tap.downSinceFrame) tap.releaseAfterFrame = true;
    else *tap.flag = 0;
}

static void keyDown(uint32_t key, bool repeat) {
    inputState.keys[key] = 1;
    SystemKey* entry = systemKey(key);
    if (!entry) return;
    if (entry->downSinceIdlePass && !repeat) entry->pressesWaiting += 1;  // its pass decides its release
    entry->downSinceIdlePass = entry->held = true;
}

static void keyUp(uint32_t key) {
    SystemKey* entry = systemKey(key);
    if (entry) entry->held = false;
    if (entry && entry->downSinceIdlePass) entry->releaseAfterIdlePass = true;
    else inputState.keys[key] = 0;
}

int32_t windowProc(PlatWindow* window, uint32_t message, uint32_t wParam, uint32_t lParam) {
    switch (message) {
    case WM_MOVE: storeWindowPosition(window, currentRect); return 0;
    case WM_SIZE:
        storeClientSize(window, currentRect);
        resizeViewport(lowWord(lParam), highWord(lParam));
        return 0;
    case WM_ACTIVATE: appFlags.active = highWord(wParam) == 0 ? 1 : 0; return 0;
    case WM_CLOSE: platPostQuitMessage(0); return 0;
    case WM_KEYDOWN:
        // F1 switches the display mode once per press: the key's repeat would switch it again and
        // again, and a monitor resyncs on every switch.
        if ((wParam & 0xFF) == VK_F1 && (lParam & keyWasDown)) return 0;
        keyDown(wParam & 0xFF, (lParam & keyWasDown) != 0);
        return 0;
    case WM_KEYUP: keyUp(wParam & 0xFF); return 0;
    case WM_SYSCOMMAND:
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;
        return platDefWindowProc(window, message, wParam, lParam);
    case WM_MOUSEMOVE:
        inputState.mouseX = lowWord(lParam);
        inputState.mouseY = highWord(lParam);
        return 0;
    case WM_LBUTTONDOWN: buttonDown(buttonTaps[0]); return 0;
    case WM_LBUTTONUP: buttonUp(buttonTaps[0]); return 0;
    case WM_RBUTTONDOWN: buttonDown(buttonTaps[1]); return 0;
    case WM_RBUTTONUP: buttonUp(buttonTaps[1]); return 0;
    default: return platDefWindowProc(window, message, wParam, lParam);
    }
}
