// SPDX-License-Identifier: MIT
// The main window and its OpenGL context: create, destroy, viewport, default state, present.
#include "shell/window.h"

#include <string.h>

#include "platform/gl.h"
#include "shell/config.h"

ScreenRect windowedRect = {0, 0, 800, 600};
ScreenRect fullscreenRect = {0, 0, 800, 600};
ScreenRect currentRect = {0, 0, 800, 600};
ScreenRect shownRect = {0, 0, 800, 600};
bool framesHidden = false;
static int32_t clientWidth = 800, clientHeight = 600;  // the client area the shown box was laid out in
static ScreenRect drawnRect = {0, 0, 800, 600};        // the box laid out there, the viewport

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

// In a window the picture stretches to the client area, whatever its shape, as it always has. In
// fullscreen the display may have no mode of the picture's shape (a Wayland desktop, a wide panel, a
// second copy started in another's mode): there it keeps its shape, as large as fits, centred.
static ScreenRect shownBox(int32_t width, int32_t height) {
    int64_t pictureWidth = displayConfig.width, pictureHeight = displayConfig.height;
    if (!displayConfig.fullscreen || width <= 0 || pictureWidth == 0 || pictureHeight == 0)
        return {0, 0, width, height};
    if (width * pictureHeight > height * pictureWidth) {
        int32_t boxWidth = (int32_t)(height * pictureWidth / pictureHeight);
        return {(width - boxWidth) / 2, 0, boxWidth, height};
    }
    int32_t boxHeight = (int32_t)(width * pictureHeight / pictureWidth);
    return {0, (height - boxHeight) / 2, width, boxHeight};
}

void resizeViewport(uint32_t width, uint32_t height) {
    if (height == 0) height = 1;
    clientWidth = (int32_t)width;
    clientHeight = (int32_t)height;
    shownRect = drawnRect = shownBox(clientWidth, clientHeight);
    glViewport(drawnRect.x, clientHeight - drawnRect.y - drawnRect.height, drawnRect.width, drawnRect.height);
    if (currentPreset) currentPreset();
}

// The bars beside or above and below the shown box are black, whatever a frame cleared them to.
static void blackenBars() {
    if (drawnRect.x == 0 && drawnRect.y == 0) return;
    int32_t width = clientWidth, height = clientHeight, bottom = height - drawnRect.y - drawnRect.height;
    int32_t bars[2][4] = {{0, 0, drawnRect.x, height}, {drawnRect.x + drawnRect.width, 0, width, height}};
    if (drawnRect.x == 0) {
        int32_t above[2][4] = {{0, 0, width, bottom}, {0, bottom + drawnRect.height, width, height}};
        memcpy(bars, above, sizeof bars);
    }
    GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    GLint box[4];
    GLfloat clear[4];
    glGetIntegerv(GL_SCISSOR_BOX, box);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glEnable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    for (const int32_t* bar : bars) {
        glScissor(bar[0], bar[1], bar[2] - bar[0], bar[3] - bar[1]);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    glScissor(box[0], box[1], box[2], box[3]);
    if (!scissor) glDisable(GL_SCISSOR_TEST);
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
    blackenBars();
    glFinish();
    if (!framesHidden) platSwapBuffers(mainWindow);
}
