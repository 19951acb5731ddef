// The window procedure: messages into input state, the active flag, the window rect and the viewport.
#include "shell/input.h"

#include "shell/app.h"
#include "shell/window.h"

InputState inputState = {};

// Escape and F1 act in checkSystemKeys, which runs once per idle pass. A press released before
// that pass would go unseen (a quick tap on a slow frame), so such a release waits for the pass.
static uint8_t downSinceIdlePass[256];
static uint8_t releaseAfterIdlePass[256];

static bool isSystemKey(uint32_t key) { return key == VK_ESCAPE || key == VK_F1; }

void idlePassDone() {
    static const uint32_t systemKeys[2] = {VK_ESCAPE, VK_F1};
    for (uint32_t key : systemKeys) {
        if (releaseAfterIdlePass[key]) inputState.keys[key] = 0;
        releaseAfterIdlePass[key] = 0;
        downSinceIdlePass[key] = 0;
    }
}

static void keyDown(uint32_t key) {
    inputState.keys[key] = 1;
    if (isSystemKey(key)) {
        downSinceIdlePass[key] = 1;
        releaseAfterIdlePass[key] = 0;
    }
}

static void keyUp(uint32_t key) {
    if (isSystemKey(key) && downSinceIdlePass[key]) releaseAfterIdlePass[key] = 1;
    else inputState.keys[key] = 0;
}

int32_t windowProc(PlatWindow* window, uint32_t message, uint32_t wParam, uint32_t lParam) {
    switch (message) {
    case WM_MOVE:
        storeWindowPosition(window, currentRect);
        return 0;
    case WM_SIZE:
        storeClientSize(window, currentRect);
        resizeViewport(lowWord(lParam), highWord(lParam));
        return 0;
    case WM_ACTIVATE:
        appFlags.active = highWord(wParam) == 0 ? 1 : 0;
        return 0;
    case WM_CLOSE:
        platPostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        keyDown(wParam & 0xFF);
        return 0;
    case WM_KEYUP:
        keyUp(wParam & 0xFF);
        return 0;
    case WM_SYSCOMMAND:
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;
        return platDefWindowProc(window, message, wParam, lParam);
    case WM_MOUSEMOVE:
        inputState.mouseX = lowWord(lParam);
        inputState.mouseY = highWord(lParam);
        return 0;
    case WM_LBUTTONDOWN:
        inputState.leftButton = 1;
        return 0;
    case WM_LBUTTONUP:
        inputState.leftButton = 0;
        return 0;
    case WM_RBUTTONDOWN:
        inputState.rightButton = 1;
        return 0;
    case WM_RBUTTONUP:
        inputState.rightButton = 0;
        return 0;
    default:
        return platDefWindowProc(window, message, wParam, lParam);
    }
}
