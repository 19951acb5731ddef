// The platform's windows, messages, GL context, display mode and pointer, over SDL2.
#include "platform/platform.h"

#include <SDL.h>
#include <malloc.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

struct PlatWindow {
    SDL_Window* sdl;
    uint32_t id;
    WindowProc proc;
    bool fullscreen;
    bool shown;  // shown once: hidden again afterwards counts as minimised
};

struct PlatContext {
    SDL_GLContext gl;
};

enum { maxWindows = 4, postedCapacity = 64, pendingCapacity = 16 };

static PlatWindow windows[maxWindows];
static PlatContext theContext;
static char lastError[256] = "";

static PlatMessage posted[postedCapacity];
static uint32_t postedHead, postedCount;
static bool quitPosted;
static uint32_t quitCode;

static PlatMessage pending[pendingCapacity];  // translated SDL events not yet taken
static uint32_t pendingHead, pendingCount;

// SDL's events as SDL raises them, before translation. SDL's own queue drops the newest events once
// 65535 wait (a stalled process and a burst of pointer motion); this ring merges consecutive motion
// instead, so a key or button event is never lost behind it.
enum { rawCapacity = 8192 };
static SDL_Event rawEvents[rawCapacity];
static uint32_t rawHead, rawCount;

static SDL_DisplayMode wantedMode;
static bool wantedModeSet;
static int32_t cursorCounter;
static bool screenSaverAllowed = true;

MessageSource platMessageSource = platReadSystemMessage;

static void setError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vsnprintf(lastError, sizeof lastError, format, args);
    va_end(args);
}

const char* platLastError() { return lastError; }

void platReportError(const char* text) { fprintf(stderr, "zelmo: %s\n", text); }

// --- Message rings ----------------------------------------------------------------------

static bool pushMessage(PlatMessage* ring, uint32_t capacity, uint32_t head, uint32_t* count,
                        PlatMessage message) {
    if (*count == capacity) return false;  // a full ring drops the newest; never overwrites
    ring[(head + *count) % capacity] = message;
    *count += 1;
    return true;
}

static bool popMessage(PlatMessage* ring, uint32_t capacity, uint32_t* head, uint32_t* count,
                       PlatMessage* out) {
    if (*count == 0) return false;
    *out = ring[*head];
    *head = (*head + 1) % capacity;
    *count -= 1;
    return true;
}

static void postMessage(PlatWindow* window, uint32_t message, uint32_t wParam, uint32_t lParam) {
    pushMessage(posted, postedCapacity, postedHead, &postedCount, {window, message, wParam, lParam});
}

static void addPending(PlatWindow* window, uint32_t message, uint32_t wParam, uint32_t lParam) {
    pushMessage(pending, pendingCapacity, pendingHead, &pendingCount, {window, message, wParam, lParam});
}

bool platPeekMessage(PlatMessage* out) {
    if (popMessage(posted, postedCapacity, &postedHead, &postedCount, out)) return true;
    if (quitPosted) {
        quitPosted = false;
        *out = {nullptr, WM_QUIT, quitCode, 0};
        return true;
    }
    return platMessageSource(out);
}

static bool isLive(const PlatWindow* window) {
    return window && window >= windows && window < windows + maxWindows && window->sdl;
}

int32_t platSendMessage(PlatWindow* window, uint32_t message, uint32_t wParam, uint32_t lParam) {
    if (!isLive(window) || !window->proc) return 0;
    return window->proc(window, message, wParam, lParam);
}

int32_t platDispatchMessage(const PlatMessage* message) {
    return platSendMessage(message->window, message->message, message->wParam, message->lParam);
}

void platPostQuitMessage(uint32_t exitCode) {
    quitPosted = true;
    quitCode = exitCode;
}

int32_t platDefWindowProc(PlatWindow* window, uint32_t message, uint32_t wParam, uint32_t lParam) {
    (void)lParam;
    if (message == WM_CLOSE) {
        platDestroyWindow(window);
    } else if (message == WM_SYSCOMMAND && (wParam & 0xFFF0u) == SC_CLOSE) {
        // As the system's default procedure does: the low four bits of an SC_* value are its own.
        platSendMessage(window, WM_CLOSE, 0, 0);
    } else if (message == WM_SYSCOMMAND &&
               ((wParam & 0xFFF0u) == SC_SCREENSAVE || (wParam & 0xFFF0u) == SC_MONITORPOWER)) {
        screenSaverAllowed = true;
        SDL_EnableScreenSaver();
    }
    return 0;
}

// --- Translating SDL events ---------------------------------------------------------------

static PlatWindow* windowFromId(uint32_t id) {
    for (PlatWindow& window : windows)
        if (window.sdl && window.id == id) return &window;
    return nullptr;
}

static PlatWindow* firstLiveWindow() {
    for (PlatWindow& window : windows)
        if (window.sdl) return &window;
    return nullptr;
}

static uint32_t virtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (uint32_t)(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (uint32_t)(key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + (uint32_t)(key - SDLK_F1);
    switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    default: return 0;
    }
}

static uint32_t clampToWord(int32_t value) {
    if (value < 0) return 0;
    return value > 0xFFFF ? 0xFFFFu : (uint32_t)value;
}

// Minimised, or taken off the screen after it was shown (unmapped, as without a window manager).
static bool isMinimized(PlatWindow* window) {
    uint32_t flags = SDL_GetWindowFlags(window->sdl);
    return (flags & SDL_WINDOW_MINIMIZED) != 0 || (window->shown && (flags & SDL_WINDOW_HIDDEN) != 0);
}

static uint32_t clientSizeLParam(PlatWindow* window) {
    int32_t width = 0, height = 0;
    platGetClientSize(window, &width, &height);
    return makeLParam(clampToWord(width), clampToWord(height));
}

// The window captures the pointer while a button is held, so that the release is never lost; the
// positions it reports outside stay at the nearest point of the client area, as if the pointer had
// stopped at its edge.
static uint32_t clientPointLParam(PlatWindow* window, int32_t x, int32_t y) {
    int32_t width = 0, height = 0;
    platGetClientSize(window, &width, &height);
    if (width > 0 && x >= width) x = width - 1;
    if (height > 0 && y >= height) y = height - 1;
    return makeLParam(clampToWord(x), clampToWord(y));
}

// A release SDL sends for a window that went away (a mode switch) belongs to the live window:
// otherwise its key or button would read as held for the rest of the run.
static PlatWindow* windowOrLive(uint32_t id) {
    PlatWindow* window = windowFromId(id);
    return window ? window : firstLiveWindow();
}

static void translateWindowEvent(const SDL_WindowEvent& event, PlatWindow* window) {
    uint32_t minimized = isMinimized(window) ? 1u : 0u;
    switch (event.event) {
    case SDL_WINDOWEVENT_MOVED:
        addPending(window, WM_MOVE, 0, makeLParam(clampToWord(event.data1), clampToWord(event.data2)));
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        addPending(window, WM_SIZE, SIZE_RESTORED, clientSizeLParam(window));
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN:
        addPending(window, WM_ACTIVATE, makeLParam(WA_INACTIVE, 1), 0);
        addPending(window, WM_SIZE, SIZE_MINIMIZED, 0);
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        addPending(window, WM_SIZE, SIZE_MAXIMIZED, clientSizeLParam(window));
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SHOWN:
        addPending(window, WM_ACTIVATE, makeLParam(WA_ACTIVE, 0), 0);
        addPending(window, WM_SIZE, SIZE_RESTORED, clientSizeLParam(window));
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        addPending(window, WM_ACTIVATE, makeLParam(WA_ACTIVE, minimized), 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        addPending(window, WM_ACTIVATE, makeLParam(WA_INACTIVE, minimized), 0);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        addPending(window, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

static void translateKey(const SDL_KeyboardEvent& event, PlatWindow* window) {
    uint32_t key = virtualKey(event.keysym.sym);
    if (key == 0) return;
    bool down = event.type == SDL_KEYDOWN;
    // As on Windows: with Alt held, and for F10, keys are system keys, not WM_KEYDOWN.
    bool system = (event.keysym.mod & KMOD_ALT) || key == VK_MENU || key == VK_F10;
    uint32_t message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    addPending(window, message, key, down ? 1u : 0xC0000001u);
}

static void translateButton(const SDL_MouseButtonEvent& event, PlatWindow* window) {
    bool down = event.type == SDL_MOUSEBUTTONDOWN;
    uint32_t message;
    switch (event.button) {
    case SDL_BUTTON_LEFT: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case SDL_BUTTON_RIGHT: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    case SDL_BUTTON_MIDDLE: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    default: return;
    }
    addPending(window, message, 0, clientPointLParam(window, event.x, event.y));
}

static void translateEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_WINDOWEVENT:
        if (PlatWindow* window = windowFromId(event.window.windowID)) translateWindowEvent(event.window, window);
        break;
    case SDL_KEYDOWN:
        // SDL names no window for keys in the first moments after a new window takes the focus
        // (it confirms focus changes only after a while); they are the live window's.
        if (PlatWindow* window = event.key.windowID ? windowFromId(event.key.windowID) : firstLiveWindow())
            translateKey(event.key, window);
        break;
    case SDL_KEYUP:
        if (PlatWindow* window = windowOrLive(event.key.windowID)) translateKey(event.key, window);
        break;
    case SDL_MOUSEMOTION:
        if (PlatWindow* window = windowFromId(event.motion.windowID))
            addPending(window, WM_MOUSEMOVE, 0, clientPointLParam(window, event.motion.x, event.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (PlatWindow* window = windowFromId(event.button.windowID)) translateButton(event.button, window);
        break;
    case SDL_MOUSEBUTTONUP:
        if (PlatWindow* window = windowOrLive(event.button.windowID)) translateButton(event.button, window);
        break;
    case SDL_QUIT:  // a termination signal: treat it as the user closing the window
        if (PlatWindow* window = firstLiveWindow()) addPending(window, WM_CLOSE, 0, 0);
        else platPostQuitMessage(0);
        break;
    default:
        break;
    }
}

static bool isTranslated(uint32_t type) {
    return type == SDL_WINDOWEVENT || type == SDL_KEYDOWN || type == SDL_KEYUP || type == SDL_MOUSEMOTION ||
           type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP || type == SDL_QUIT;
}

static bool mergesInto(const SDL_Event& last, const SDL_Event& motion) {
    return last.type == SDL_MOUSEMOTION && last.motion.windowID == motion.motion.windowID &&
           last.motion.state == motion.motion.state;
}

// SDL's event filter: called for every event SDL queues, as it queues it. Returns 0 for the events
// taken into the ring (and those never translated), 1 to leave one in SDL's queue when the ring is full.
static int takeRawEvent(void*, SDL_Event* event) {
    if (!isTranslated(event->type)) return 0;
    if (event->type == SDL_MOUSEMOTION && rawCount > 0) {
        SDL_Event& last = rawEvents[(rawHead + rawCount - 1) % rawCapacity];
        if (mergesInto(last, *event)) {  // as a message queue merges mouse moves: the latest position
            last.motion.x = event->motion.x;
            last.motion.y = event->motion.y;
            last.motion.timestamp = event->motion.timestamp;
            return 0;
        }
    }
    if (rawCount == rawCapacity) return 1;
    rawEvents[(rawHead + rawCount) % rawCapacity] = *event;
    rawCount += 1;
    return 0;
}

static bool takeEvent(SDL_Event* event) {
    if (rawCount > 0) {
        *event = rawEvents[rawHead];
        rawHead = (rawHead + 1) % rawCapacity;
        rawCount -= 1;
        return true;
    }
    return SDL_PeepEvents(event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1;  // a full ring's overflow
}

bool platReadSystemMessage(PlatMessage* out) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    if (pendingCount == 0 && rawCount == 0) SDL_PumpEvents();
    SDL_Event event;
    while (pendingCount == 0 && takeEvent(&event)) translateEvent(event);
    return popMessage(pending, pendingCapacity, &pendingHead, &pendingCount, out);
}

// --- Video system, display mode, pointer -------------------------------------------------

static bool videoDriverIs(const char* name) {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && strcasecmp(driver, name) == 0;
}

static bool startVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    // The GL driver's frame buffers come and go with every window and size; a fixed threshold keeps
    // them in their own mappings, handed back when freed, instead of fragmenting the heap.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    // A fullscreen window that loses focus stays as it is, as the shell expects.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    const char* asked = getenv("SDL_VIDEODRIVER");
    if (!asked && !getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY")) {
        setError("no display available: DISPLAY is not set to a running X server");
        return false;
    }
    if (!asked && !getenv("WAYLAND_DISPLAY")) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        setError("cannot open a display (%s); is DISPLAY set to a running X server?", SDL_GetError());
        return false;
    }
    rawHead = rawCount = 0;
    SDL_SetEventFilter(takeRawEvent, nullptr);
    // SDL may fall back to a driver that shows nothing; only a test that asks for one gets it.
    bool invisible = videoDriverIs("offscreen") || videoDriverIs("dummy");
    if (invisible && !(asked && strcasecmp(asked, SDL_GetCurrentVideoDriver()) == 0)) {
        setError("no display available: DISPLAY is not set to a running X server");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    // Holding our own reference to the GL library keeps SDL from unloading it (and, with EGL,
    // ending the display and its contexts) when the last window goes during a mode switch.
    if (SDL_GL_LoadLibrary(nullptr) != 0) {
        setError("cannot load OpenGL: %s", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    return true;
}

bool platChangeDisplayMode(uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
    wantedMode = {};
    wantedMode.format = bitsPerPixel >= 24 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
    wantedMode.w = (int)width;
    wantedMode.h = (int)height;
    wantedModeSet = true;
    return true;
}

// The display's own mode closest to the one asked for.
static SDL_DisplayMode closestMode() {
    SDL_DisplayMode closest;
    if (!SDL_GetClosestDisplayMode(0, &wantedMode, &closest)) closest = wantedMode;
    return closest;
}

void platRestoreDisplayMode() {
    wantedModeSet = false;
    // SDL returns to the desktop mode when a fullscreen window leaves fullscreen.
    for (PlatWindow& window : windows)
        if (window.sdl && window.fullscreen) SDL_SetWindowFullscreen(window.sdl, 0);
}

static void applyCursorCounter() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(cursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

int32_t platShowCursor(bool show) {
    cursorCounter += show ? 1 : -1;
    applyCursorCounter();
    return cursorCounter;
}

bool platScreenSaverAllowed() { return screenSaverAllowed; }

// --- Windows ------------------------------------------------------------------------------

static void setPixelFormat(const PlatWindowSpec* spec) {
    bool deep = spec->colorBits >= 24;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, deep ? 8 : 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, deep ? 8 : 6);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, deep ? 8 : 5);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, spec->colorBits >= 32 ? 8 : 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, (int)spec->depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, spec->doubleBuffer ? 1 : 0);
}

static PlatWindow* freeWindowSlot() {
    for (PlatWindow& window : windows)
        if (!window.sdl) return &window;
    return nullptr;
}

PlatWindow* platCreateWindow(const PlatWindowSpec* spec) {
    // SDL takes the X11 window class from its environment (a user's own setting wins).
    if (spec->className) setenv("SDL_VIDEO_X11_WMCLASS", spec->className, 0);
    if (!startVideo()) return nullptr;
    PlatWindow* window = freeWindowSlot();
    if (!window) {
        setError("too many windows");
        return nullptr;
    }
    if (spec->clientWidth <= 0 || spec->clientHeight <= 0) {
        setError("window size %dx%d is empty", spec->clientWidth, spec->clientHeight);
        return nullptr;
    }
    setPixelFormat(spec);
    uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    flags |= spec->fullscreen ? (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_BORDERLESS) : SDL_WINDOW_RESIZABLE;
    SDL_Window* sdl = SDL_CreateWindow(spec->title ? spec->title : "", spec->x, spec->y, spec->clientWidth,
                                       spec->clientHeight, flags);
    if (!sdl) {
        setError("cannot create a window: %s", SDL_GetError());
        return nullptr;
    }
    if (spec->fullscreen && wantedModeSet) {
        SDL_DisplayMode mode = closestMode();
        SDL_SetWindowDisplayMode(sdl, &mode);
    }
    *window = {sdl, SDL_GetWindowID(sdl), spec->windowProc, spec->fullscreen, false};
    SDL_DisableScreenSaver();
    screenSaverAllowed = false;
    applyCursorCounter();

    platSendMessage(window, WM_CREATE, 0, 0);
    platSendMessage(window, WM_SIZE, SIZE_RESTORED, clientSizeLParam(window));
    platSendMessage(window, WM_MOVE, 0, makeLParam(clampToWord(spec->x), clampToWord(spec->y)));
    // The system asks whether the saver and monitor power-off may run while this window is up;
    // a program that passes these on to platDefWindowProc lets them.
    postMessage(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    postMessage(window, WM_SYSCOMMAND, SC_MONITORPOWER, 0);
    return window;
}

void platShowWindow(PlatWindow* window) {
    if (!isLive(window)) return;
    SDL_ShowWindow(window->sdl);
    SDL_RaiseWindow(window->sdl);
    window->shown = true;
    platSendMessage(window, WM_ACTIVATE, makeLParam(WA_ACTIVE, 0), 0);
}

static void dropMessagesFor(PlatWindow* window) {
    for (uint32_t i = 0; i < postedCount; ++i)
        if (posted[(postedHead + i) % postedCapacity].window == window)
            posted[(postedHead + i) % postedCapacity] = {nullptr, WM_NULL, 0, 0};
    for (uint32_t i = 0; i < pendingCount; ++i)
        if (pending[(pendingHead + i) % pendingCapacity].window == window)
            pending[(pendingHead + i) % pendingCapacity] = {nullptr, WM_NULL, 0, 0};
}

void platDestroyWindow(PlatWindow* window) {
    if (!isLive(window)) return;
    platSendMessage(window, WM_ACTIVATE, makeLParam(WA_INACTIVE, 0), 0);
    platSendMessage(window, WM_DESTROY, 0, 0);
    SDL_DestroyWindow(window->sdl);
    dropMessagesFor(window);
    *window = {};
    if (!firstLiveWindow()) {
        SDL_EnableScreenSaver();
        screenSaverAllowed = true;
    }
}

bool platGetWindowPosition(PlatWindow* window, int32_t* x, int32_t* y) {
    if (!isLive(window)) return false;
    int clientX = 0, clientY = 0, top = 0, left = 0;
    SDL_GetWindowPosition(window->sdl, &clientX, &clientY);
    if (SDL_GetWindowBordersSize(window->sdl, &top, &left, nullptr, nullptr) != 0) top = left = 0;
    *x = clientX - left;
    *y = clientY - top;
    return true;
}

bool platGetClientSize(PlatWindow* window, int32_t* width, int32_t* height) {
    if (!isLive(window)) return false;
    if (isMinimized(window)) {
        *width = *height = 0;
        return true;
    }
    int w = 0, h = 0;
    SDL_GetWindowSize(window->sdl, &w, &h);
    *width = w;
    *height = h;
    return true;
}

void platSetWindowIcon(PlatWindow* window, const uint8_t* rgba, int32_t width, int32_t height) {
    if (!isLive(window) || !rgba || width <= 0 || height <= 0) return;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom((void*)rgba, width, height, 32, width * 4,
                                                              SDL_PIXELFORMAT_ABGR8888);
    if (!surface) return;
    SDL_SetWindowIcon(window->sdl, surface);
    SDL_FreeSurface(surface);
}

void platMoveWindow(PlatWindow* window, int32_t x, int32_t y) {
    if (isLive(window)) SDL_SetWindowPosition(window->sdl, x, y);
}

void platResizeWindow(PlatWindow* window, int32_t clientWidth, int32_t clientHeight) {
    if (isLive(window) && clientWidth > 0 && clientHeight > 0) SDL_SetWindowSize(window->sdl, clientWidth, clientHeight);
}

// --- GL context ---------------------------------------------------------------------------

PlatContext* platCreateContext(PlatWindow* window) {
    if (!isLive(window)) return nullptr;
    if (theContext.gl) {
        setError("a GL context already exists");
        return nullptr;
    }
    theContext.gl = SDL_GL_CreateContext(window->sdl);
    if (!theContext.gl) {
        setError("cannot create an OpenGL context: %s", SDL_GetError());
        return nullptr;
    }
    return &theContext;
}

bool platMakeCurrent(PlatWindow* window, PlatContext* context) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    if (!context || !context->gl) return SDL_GL_MakeCurrent(nullptr, nullptr) == 0;
    if (!isLive(window)) return false;
    if (SDL_GL_MakeCurrent(window->sdl, context->gl) == 0) return true;
    setError("cannot make the OpenGL context current: %s", SDL_GetError());
    return false;
}

void platDeleteContext(PlatContext* context) {
    if (!context || !context->gl) return;
    SDL_GL_DeleteContext(context->gl);
    context->gl = nullptr;
}

static uint32_t swapCount;

void platSwapBuffers(PlatWindow* window) {
    if (!isLive(window)) return;
    SDL_GL_SwapWindow(window->sdl);
    swapCount += 1;
}

uint32_t platSwapCount() { return swapCount; }

void platShutdown() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_GL_UnloadLibrary();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
    pendingCount = postedCount = rawCount = 0;
}
