// SPDX-License-Identifier: MIT
// The main window and its OpenGL context: create, destroy, viewport, default state, present.
#include "shell/window.h"

#include "platform/gl.h"
#include "shell/config.h"

ScreenRect windowedRect = {0, 0, 800, 600};
ScreenRect fullscreenRect = {0, 0, 800, 600};
ScreenRect currentRect = {0, 0, 800, 600};

PlatWindow* mainWindow = nullptr;
PlatContext* renderContext = nullptr;
void (*currentPreset)() = nullptr;
const uint8_t* appIcon = nullptr;

enum { depthBits = 16 };

static ScreenRect& modeRect() { return displayConfig.fullscreen ? fullscreenRect : windowedRect; }

// A rect saved from a minimised window has no size; such a window opens at the configured size.
static void ensureUsableSize(ScreenRect& rect) {
    if (rect.width <= 0 || rect.height <= 0) {
        rect.width = (int32_t)displayConfig.width;
        rect.height = (int32_t)displayConfig.height;
    }
}

bool createMainWindow(WindowProc procedure) {
    ScreenRect& rect = modeRect();
    ensureUsableSize(rect);
    if (displayConfig.fullscreen) {
        platChangeDisplayMode(displayConfig.width, displayConfig.height, displayConfig.colorBits);
        platShowCursor(false);
    }
    PlatWindowSpec spec = {};
    spec.x = rect.x;
    spec.y = rect.y;
    spec.clientWidth = rect.width;
    spec.clientHeight = rect.height;
    spec.fullscreen = displayConfig.fullscreen != 0;
    spec.className = displayConfig.className;
    spec.title = "";
    spec.windowProc = procedure;
    spec.colorBits = displayConfig.colorBits & 0xFFu;
    spec.depthBits = depthBits;
    spec.doubleBuffer = true;
    mainWindow = platCreateWindow(&spec);
    if (!mainWindow) {
        destroyMainWindow();
        return false;
    }
    if (appIcon) platSetWindowIcon(mainWindow, appIcon, appIconSide, appIconSide);
    if (!renderContext) renderContext = platCreateContext(mainWindow);
    // Without a context nothing can be drawn: report it rather than run blind.
    if (!renderContext || !platMakeCurrent(mainWindow, renderContext)) {
        destroyMainWindow();
        return false;
    }
    platShowWindow(mainWindow);
    currentRect = rect;
    resizeViewport((uint32_t)currentRect.width, (uint32_t)currentRect.height);
    applyDefaultGlState();
    return true;
}

void destroyMainWindow() {
    ScreenRect& rect = modeRect();
    storeWindowPosition(mainWindow, rect);
    storeClientSize(mainWindow, rect);
    if (displayConfig.fullscreen) {
        platRestoreDisplayMode();
        platShowCursor(true);
    }
    platMakeCurrent(nullptr, nullptr);
    platDestroyWindow(mainWindow);
    mainWindow = nullptr;
}

void releaseRenderContext() {
    platMakeCurrent(nullptr, nullptr);
    platDeleteContext(renderContext);
    renderContext = nullptr;
}

void storeWindowPosition(PlatWindow* window, ScreenRect& rect) {
    int32_t x, y;
    if (!platGetWindowPosition(window, &x, &y)) return;
    rect.x = x;
    rect.y = y;
}

void storeClientSize(PlatWindow* window, ScreenRect& rect) {
    int32_t width, height;
    if (!platGetClientSize(window, &width, &height)) return;
    rect.width = width;
    rect.height = height;
}

void resizeViewport(uint32_t width, uint32_t height) {
    if (height == 0) height = 1;
    glViewport(0, 0, (GLsizei)width, (GLsizei)height);
    if (currentPreset) currentPreset();
}

bool applyDefaultGlState() {
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glLineWidth(2.0f);
    glEnable(GL_LINE_SMOOTH);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_DENSITY, 0.35f);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogf(GL_FOG_START, 1.0f);
    glFogf(GL_FOG_END, 0.7f);
    glDisable(GL_FOG);
    glClearDepth(1.0);
    return true;
}

void presentFrame() {
    glFinish();
    platSwapBuffers(mainWindow);
}
