// The window procedure: messages into input state, the active flag, the window rect and the viewport.
#include "shell/input.h"

#include "shell/app.h"
#include "shell/window.h"

InputState inputState = {};

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
        inputState.keys[wParam & 0xFF] = 1;
        return 0;
    case WM_KEYUP:
        inputState.keys[wParam & 0xFF] = 0;
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
