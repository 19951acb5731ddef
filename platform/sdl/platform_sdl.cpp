// SPDX-License-Identifier: MIT
// The platform backend over SDL2: its windows, events, GL context and display mode.
#include "platform/backend.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <malloc.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include "platform/sdl/user_mode.h"
#include "platform/sdl/x11_keys.h"

struct NativeWindow {
    SDL_Window* sdl;
    uint32_t id;
    bool fullscreen;
    uint32_t xWindow;  // under X, else 0
};

static NativeWindow natives[maxWindows];
// How the mode record names a window: by its X window (what other copies can look up), else by SDL's id.
static uint32_t holderOf(const NativeWindow& window) { return window.xWindow ? window.xWindow : window.id; }
// On Wayland SDL 2.26 leaves a destroyed window's libdecor frame (its client-side decoration)
// alive and pointing at the freed window, so the compositor's next configure for it (sent as soon
// as another window takes the focus) crashes. There a window is never destroyed while the video
// system runs: it is parked, still mapped, and becomes the next window made, switched to that
// window's mode. It goes at shutdown.
static SDL_Window* parked;
static SDL_GLContext context;
static SDL_DisplayMode wantedMode;
static bool wantedModeSet;
static DisplayState userMode;                // what the display returns to, while this copy holds a temporary mode
static uint32_t modeHolder;                  // the window that holds it for this copy (X's), 0 while none does
static volatile sig_atomic_t quitSignalled;  // a termination signal came, not yet handed over

static Display* xDisplay;  // the X connection under SDL's x11 driver, else null
// The core KeyPress SDL is reading (seen through its SYSWMEVENT, which SDL sends before it looks the
// window up), judged by the key watch (x11_keys.h); SDL's own key-down for it follows at once.
static CorePress corePress = pressUnknown;
static uint32_t destroyingXWindow;  // SDL still knows the window being destroyed
// On Wayland the one window stays the program's across a switch (it is parked, see below) and keeps
// the keyboard's focus, so a key SDL names it for while it is being remade, or that waited in the
// queue when the program destroyed it, is the player's all the same: keys there name no window, and
// go to the window of ours that is live when they are read, as a message queue gives keyboard input
// to the window that has the focus when it is read.
static bool keysNameNoWindow;

// --- Translating SDL events ---------------------------------------------------------------

static int32_t slotFromId(uint32_t id) {
    for (int32_t slot = 0; slot < maxWindows; ++slot)
        if (natives[slot].sdl && natives[slot].id == id) return slot;
    return goneWindow;
}

static uint32_t virtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (uint32_t)(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (uint32_t)(key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + (uint32_t)(key - SDLK_F1);
    switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    default: return 0;
    }
}

static bool windowChange(uint8_t which, InputKind* kind) {
    switch (which) {
    case SDL_WINDOWEVENT_MOVED: *kind = inputMoved; return true;
    case SDL_WINDOWEVENT_SIZE_CHANGED: *kind = inputResized; return true;
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN: *kind = inputMinimized; return true;
    case SDL_WINDOWEVENT_MAXIMIZED: *kind = inputMaximized; return true;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SHOWN: *kind = inputRestored; return true;
    case SDL_WINDOWEVENT_FOCUS_GAINED: *kind = inputFocusGained; return true;
    case SDL_WINDOWEVENT_FOCUS_LOST: *kind = inputFocusLost; return true;
    case SDL_WINDOWEVENT_CLOSE: *kind = inputClose; return true;
    default: return false;
    }
}

static bool buttonCode(uint8_t button, uint32_t* code) {
    switch (button) {
    case SDL_BUTTON_LEFT: *code = 0; return true;
    case SDL_BUTTON_RIGHT: *code = 1; return true;
    case SDL_BUTTON_MIDDLE: *code = 2; return true;
    default: return false;
    }
}

// A key the X server reported to no window SDL delivers to (a window of ours destroyed, or none
// while a switch's new window has not the focus yet): the player's all the same.
static void handOverKey(uint32_t keycode, bool down) {
    const char* keyName = keyWatchName(keycode);
    uint32_t key = keyName ? virtualKey(SDL_GetKeyFromName(keyName)) : 0;
    if (key) platformTakeInput({inputKey, noWindowNamed, key, down, false, 0, 0, false});
}

static bool sdlKnows(uint32_t xWindow) {
    for (const NativeWindow& window : natives)
        if (window.sdl && window.xWindow == xWindow) return true;
    return xWindow == destroyingXWindow;
}

// An X event SDL is about to read. Only key presses matter: whether the player made them, and
// whether SDL will deliver them at all.
static void takeCoreEvent(const XEvent& core) {
    corePress = pressUnknown;
    if (core.type != KeyPress) return;
    CorePress judged = keyWatchClassify(core.xkey.keycode, (uint32_t)core.xkey.time);
    if (sdlKnows((uint32_t)core.xkey.window)) corePress = judged;
    else if (judged == pressFresh) handOverKey(core.xkey.keycode, true);
}

// Hands one SDL event to the front end. False when the front end has no room for it.
static bool handOver(const SDL_Event& event) {
    InputEvent input = {};
    switch (event.type) {
    case SDL_WINDOWEVENT:
        if (!windowChange(event.window.event, &input.kind)) return true;
        input.window = slotFromId(event.window.windowID);
        input.x = event.window.data1;
        input.y = event.window.data2;
        break;
    case SDL_SYSWMEVENT:
        if (event.syswm.msg && event.syswm.msg->subsystem == SDL_SYSWM_X11)
            takeCoreEvent(event.syswm.msg->msg.x11.event);
        return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        CorePress judged = event.type == SDL_KEYDOWN ? corePress : pressUnknown;
        corePress = pressUnknown;
        if (judged == pressTaken) return true;  // handed over already
        bool repeat = judged == pressUnknown ? event.key.repeat != 0 : judged == pressRepeat;
        input = {inputKey,
                 0,
                 virtualKey(event.key.keysym.sym),
                 event.type == SDL_KEYDOWN,
                 (event.key.keysym.mod & KMOD_ALT) != 0,
                 0,
                 0,
                 repeat};
        if (input.code == 0) return true;
        // SDL names no window for keys in the first moments after a new window takes the focus
        // (it confirms focus changes only after a while).
        input.window = event.key.windowID && !keysNameNoWindow ? slotFromId(event.key.windowID) : noWindowNamed;
        break;
    }

    case SDL_MOUSEMOTION:
        input = {inputPointer, slotFromId(event.motion.windowID), 0, false, false, event.motion.x, event.motion.y,
                 false};
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (!buttonCode(event.button.button, &input.code)) return true;
        input = {inputButton,    slotFromId(event.button.windowID),
                 input.code,     event.type == SDL_MOUSEBUTTONDOWN,
                 false,          event.button.x,
                 event.button.y, false};
        break;
    case SDL_QUIT:  // a termination signal: treat it as the user closing the window
        input = {inputClose, noWindowNamed, 0, false, false, 0, 0, false};
        break;
    default: return true;
    }
    return platformTakeInput(input);
}

// SDL's event filter: called for every event SDL queues, as it queues it, because SDL's own queue
// drops the newest events once 65535 wait. Returns 0 for the events taken (and those never
// translated), 1 to leave one in SDL's queue when the front end's is full.
static int takeRawEvent(void*, SDL_Event* event) { return handOver(*event) ? 0 : 1; }

static void askForUnmappedWindow();

void backendPumpEvents() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    if (quitSignalled) {
        SDL_Event quit = {};
        quit.type = SDL_QUIT;
        if (handOver(quit)) quitSignalled = 0;
    }
    askForUnmappedWindow();
    SDL_PumpEvents();
    keyWatchPump();
    SDL_Event event;  // what the filter left in SDL's queue when the front end's was full
    while (SDL_PeepEvents(&event, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1 && handOver(event))
        SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void backendWaitEvents(uint32_t timeoutMs) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    // The filter takes every event SDL raises, so SDL's own wait would never see one and always run
    // to its end: short slices keep the answer to an event prompt.
    SDL_WaitEventTimeout(nullptr, (int)(timeoutMs < 10 ? timeoutMs : 10));
}

// --- Video system, display mode, pointer -------------------------------------------------

// A termination signal (SIGTERM, SIGINT, a hangup as the terminal closes) would kill the game with
// the display still in its temporary mode, so from the moment the video system starts it is taken
// as the player closing the window. The handlers are ours rather than SDL's, which take only SIGINT
// and SIGTERM and are read only by SDL's own pump, which no wait of start-up runs. Only the flag is
// set here: nothing else is safe inside a signal handler.
static void noteQuitSignal(int) { quitSignalled = 1; }

static void catchQuitSignals(bool on) {
    static const int quitSignals[] = {SIGTERM, SIGINT, SIGHUP};
    for (int signal : quitSignals) {
        struct sigaction action = {}, old = {};
        sigaction(signal, nullptr, &old);
        if (on && old.sa_handler != SIG_DFL) continue;  // ignored (nohup, a background job) or someone else's
        if (!on && old.sa_handler != noteQuitSignal) continue;
        action.sa_handler = on ? noteQuitSignal : SIG_DFL;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
}

static bool videoDriverIs(const char* name) {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && strcasecmp(driver, name) == 0;
}

// What a start of the video system that failed leaves behind.
static void undoStart() {
    catchQuitSignals(false);
    userModeGuardEnd();
}

static bool startVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    // The GL driver's frame buffers come and go with every window and size; a fixed threshold keeps
    // them in their own mappings, handed back when freed, instead of fragmenting the heap.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    // A fullscreen window that loses focus stays as it is, as the shell expects.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // A Wayland client cannot change the display's mode; SDL would make up one and have the
    // compositor stretch it over the screen. The screen's own size is left, where the shell shows
    // the picture in its shape between bars.
    SDL_SetHint(SDL_HINT_VIDEO_WAYLAND_MODE_EMULATION, "0");
    const char* asked = getenv("SDL_VIDEODRIVER");
    static const char noDisplay[] =
        "no display available: neither DISPLAY nor WAYLAND_DISPLAY names a running X server or Wayland compositor";
    if (!asked && !getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY")) {
        platformSetError(noDisplay);
        return false;
    }
    if (!asked && !getenv("WAYLAND_DISPLAY")) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The guardian that gives the display back however this copy ends (user_mode.h) starts before
    // anything of the display's is open, and with the signals' dispositions the user gave.
    if (getenv("DISPLAY") && (!asked || strcasecmp(asked, "x11") == 0)) userModeGuardStart();
    catchQuitSignals(true);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        undoStart();
        // Name the system that was tried: SDL tries Wayland when asked to, or when there is no X server.
        bool wayland = asked ? strcasecmp(asked, "wayland") == 0 : !getenv("DISPLAY");
        platformSetError(wayland ? "cannot open a display (%s); is WAYLAND_DISPLAY set to a running compositor?"
                                 : "cannot open a display (%s); is DISPLAY set to a running X server?",
                         SDL_GetError());
        return false;
    }
    SDL_SetEventFilter(takeRawEvent, nullptr);
    // SDL may fall back to a driver that shows nothing; only a test that asks for one gets it.
    bool invisible = videoDriverIs("offscreen") || videoDriverIs("dummy");
    if (invisible && !(asked && strcasecmp(asked, SDL_GetCurrentVideoDriver()) == 0)) {
        if (getenv("DISPLAY")) platformSetError(noDisplay);
        else platformSetError("no display available: is WAYLAND_DISPLAY set to a running compositor?");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        undoStart();
        return false;
    }
    // Holding our own reference to the GL library keeps SDL from unloading it (and, with EGL,
    // ending the display and its contexts) when the last window goes during a mode switch.
    if (SDL_GL_LoadLibrary(nullptr) != 0) {
        platformSetError("cannot load OpenGL: %s", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        undoStart();
        return false;
    }
    bool x11 = videoDriverIs("x11");
    keysNameNoWindow = videoDriverIs("wayland");
    userModeStore = x11 ? &xModeStore : nullptr;  // only X lets a program change the display's mode
    if (!x11) userModeGuardEnd();
    // Last, so that no failure above leaves its X connection open.
    if (x11 && keyWatchStart(handOverKey)) SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    return true;
}

void backendChangeDisplayMode(uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
    wantedMode = {};
    wantedMode.format = bitsPerPixel >= 24 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
    wantedMode.w = (int)width;
    wantedMode.h = (int)height;
    wantedModeSet = true;
}

// The display's own mode closest to the one asked for.
static SDL_DisplayMode closestMode() {
    SDL_DisplayMode closest;
    if (!SDL_GetClosestDisplayMode(0, &wantedMode, &closest)) closest = wantedMode;
    return closest;
}

// Before a fullscreen window of ours takes the temporary mode: which set-up is the user's. SDL takes
// the mode the display had when it started, which is another copy's temporary one while that copy
// runs; user_mode.h says how the copies share the user's. The guardian learns who holds.
static void holdTemporaryMode(uint32_t holder) {
    if (modeHolder || !userModeStore) return;
    userMode = userModeHold(*userModeStore, holder);
    if (userMode.width <= 0) return;
    modeHolder = holder;
    userModeGuardHolding(holder, userMode);
}

// After SDL has left the temporary mode (for the mode SDL took as the desktop's, with the millimetres
// SDL scaled): the user's whole set-up, or the temporary one again while another copy is still
// fullscreen in it.
static void returnToUserMode() {
    if (!modeHolder || !userModeStore) return;
    userModeLetGo(*userModeStore, modeHolder, userMode);
    userModeGuardHolding(0, {});
    modeHolder = 0;
}

void backendRestoreDisplayMode() {
    wantedModeSet = false;
    // SDL returns to the desktop mode when a fullscreen window leaves fullscreen.
    for (NativeWindow& window : natives)
        if (window.sdl && window.fullscreen) SDL_SetWindowFullscreen(window.sdl, 0);
    returnToUserMode();
}

void backendShowPointer(bool visible) {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void backendAllowScreenSaver(bool allowed) {
    if (allowed) SDL_EnableScreenSaver();
    else SDL_DisableScreenSaver();
}

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

// The parked window, made what a new one of the spec would be (it is already shown).
static void switchMode(SDL_Window* sdl, const PlatWindowSpec* spec) {
    SDL_SetWindowTitle(sdl, spec->title ? spec->title : "");
    SDL_SetWindowResizable(sdl, spec->fullscreen ? SDL_FALSE : SDL_TRUE);
    SDL_SetWindowBordered(sdl, spec->fullscreen ? SDL_FALSE : SDL_TRUE);  // a frame the player can move it by
    SDL_SetWindowSize(sdl, spec->clientWidth, spec->clientHeight);
    if (spec->fullscreen) SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN);
    else SDL_SetWindowPosition(sdl, spec->x, spec->y);
}

// The X window under an SDL window, 0 when SDL's driver is not x11; notes SDL's X connection, and
// makes sure the window exists for the program's other connections (the key watch, the mode record).
static uint32_t xWindowOf(SDL_Window* sdl) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(sdl, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    xDisplay = info.info.x11.display;
    XSync(xDisplay, False);
    return (uint32_t)info.info.x11.window;
}

bool backendCreateWindow(int32_t slot, const PlatWindowSpec* spec) {
    // SDL takes the X11 window class from its environment (a user's own setting wins).
    if (spec->className) setenv("SDL_VIDEO_X11_WMCLASS", spec->className, 0);
    if (!startVideo()) return false;
    setPixelFormat(spec);
    uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    flags |= spec->fullscreen ? (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_BORDERLESS) : SDL_WINDOW_RESIZABLE;
    SDL_Window* sdl = parked ? parked
                             : SDL_CreateWindow(spec->title ? spec->title : "", spec->x, spec->y, spec->clientWidth,
                                                spec->clientHeight, flags);
    if (!sdl) {
        platformSetError("cannot create a window: %s", SDL_GetError());
        return false;
    }
    uint32_t xWindow = xWindowOf(sdl);
    if (spec->fullscreen && wantedModeSet) {
        holdTemporaryMode(holderOf({sdl, SDL_GetWindowID(sdl), true, xWindow}));
        SDL_DisplayMode mode = closestMode();
        SDL_SetWindowDisplayMode(sdl, &mode);
    }
    if (sdl == parked) switchMode(sdl, spec);
    parked = nullptr;
    natives[slot] = {sdl, SDL_GetWindowID(sdl), spec->fullscreen, xWindow};
    if (xWindow) keyWatchWindow(xWindow);
    return true;
}

static int ignoreXError(Display*, XErrorEvent*) { return 0; }

enum { mapDeadlineMs = 5000, askAgainMs = 500 };
// A window the game went on without, still asked for now and then: a manager that was busy at the
// time may have dropped the request.
static struct {
    Window window;
    uint32_t askedAt;
} unmapped;

static bool xWindowMapped(Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(xDisplay, window, &attributes) && attributes.map_state != IsUnmapped;
}

static void askForUnmappedWindow() {
    uint32_t now = platReadSystemClock();
    if (!unmapped.window || !xDisplay || now - unmapped.askedAt < askAgainMs) return;
    if (xWindowMapped(unmapped.window)) {
        unmapped = {};
        return;
    }
    XMapRaised(xDisplay, unmapped.window);
    unmapped.askedAt = now;
}

// Under a window manager a window shows only when the manager maps it, and SDL waits for that without
// a bound (a manager starting at the same moment may lose the request: then it never comes) and
// deaf to signals. So the window is mapped here first: the request is made again now and then, a
// termination signal ends the wait, and so does the deadline, after which the game goes on (the
// window is asked for again from the pump and shows whenever the manager gets to it) and SDL is
// told it is mapped so that it does not wait.
// A fullscreen window says so before it is mapped, as a manager reads it then: SDL asks only once the
// window is mapped, and weston's (Xwayland's) manager may take that request against what it read at
// the map and then read the state again, and so lose it about every other time.
static void mapBeforeSdlWaits(Window window, bool fullscreen) {
    if (!xDisplay || !window) return;
    if (fullscreen) {
        Atom state = XInternAtom(xDisplay, "_NET_WM_STATE_FULLSCREEN", False);
        XChangeProperty(xDisplay, window, XInternAtom(xDisplay, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                        (unsigned char*)&state, 1);
    }
    uint32_t start = platReadSystemClock(), asked = start;
    XMapRaised(xDisplay, window);
    while (!xWindowMapped(window)) {
        uint32_t now = platReadSystemClock();
        if (quitSignalled || now - start >= mapDeadlineMs) {
            if (!quitSignalled) {
                platReportError("the window manager has not shown the window yet; going on");
                unmapped = {window, now};
            }
            XEvent mapped = {};
            mapped.xmap.type = MapNotify;
            mapped.xmap.event = mapped.xmap.window = window;
            XSendEvent(xDisplay, window, False, StructureNotifyMask, &mapped);
            return;
        }
        if (now - asked >= askAgainMs) {
            XMapRaised(xDisplay, window);
            asked = now;
        }
        SDL_Delay(10);
    }
}

void backendShowWindow(int32_t slot) {
    SDL_Window* sdl = natives[slot].sdl;
    if (!(SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN))
        mapBeforeSdlWaits(natives[slot].xWindow, natives[slot].fullscreen);  // the parked window is
    // Without a window manager at its start SDL gives the window the focus itself, which fails while
    // it is not mapped yet; that error is no reason to end the program.
    XErrorHandler sdlHandler = xDisplay ? XSetErrorHandler(ignoreXError) : nullptr;
    SDL_ShowWindow(sdl);  // switches the mode of a fullscreen window
    SDL_RaiseWindow(sdl);
    if (xDisplay) {
        XSync(xDisplay, False);
        XSetErrorHandler(sdlHandler);
    }
    if (modeHolder && userModeStore && modeHolder == holderOf(natives[slot])) {
        SDL_DisplayMode temporary = closestMode();
        userModeLeft(*userModeStore, modeHolder, temporary.w, temporary.h);
    }
}

void backendDestroyWindow(int32_t slot) {
    NativeWindow destroying = natives[slot];
    SDL_Window* sdl = destroying.sdl;
    natives[slot] = {};  // what SDL raises while the window goes is for a window no longer ours
    if (videoDriverIs("wayland") && !parked) {
        parked = sdl;
    } else {
        if (unmapped.window == destroying.xWindow) unmapped = {};
        keyWatchDestroying(destroying.xWindow);
        destroyingXWindow = destroying.xWindow;
        SDL_DestroyWindow(sdl);
        destroyingXWindow = 0;
    }
}

void backendClientOrigin(int32_t slot, int32_t* x, int32_t* y) {
    int left = 0, top = 0;
    SDL_GetWindowPosition(natives[slot].sdl, &left, &top);
    *x = left;
    *y = top;
}

void backendOuterOrigin(int32_t slot, int32_t* x, int32_t* y) {
    int top = 0, left = 0;
    backendClientOrigin(slot, x, y);
    if (SDL_GetWindowBordersSize(natives[slot].sdl, &top, &left, nullptr, nullptr) != 0) top = left = 0;
    *x -= left;
    *y -= top;
}

void backendClientSize(int32_t slot, int32_t* width, int32_t* height) {
    int w = 0, h = 0;
    SDL_GetWindowSize(natives[slot].sdl, &w, &h);
    *width = w;
    *height = h;
}

uint32_t backendWindowState(int32_t slot) {
    uint32_t flags = SDL_GetWindowFlags(natives[slot].sdl);
    uint32_t state = (flags & SDL_WINDOW_MINIMIZED) ? (uint32_t)nativeMinimized : 0u;
    return state | ((flags & SDL_WINDOW_HIDDEN) ? (uint32_t)nativeHidden : 0u);
}

void backendSetIcon(int32_t slot, const uint8_t* rgba, int32_t width, int32_t height) {
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom((void*)rgba, width, height, 32, width * 4, SDL_PIXELFORMAT_ABGR8888);
    if (!surface) return;
    SDL_SetWindowIcon(natives[slot].sdl, surface);
    SDL_FreeSurface(surface);
}

void backendMoveWindow(int32_t slot, int32_t x, int32_t y) { SDL_SetWindowPosition(natives[slot].sdl, x, y); }

void backendResizeWindow(int32_t slot, int32_t clientWidth, int32_t clientHeight) {
    SDL_SetWindowSize(natives[slot].sdl, clientWidth, clientHeight);
}

// --- GL context ---------------------------------------------------------------------------

bool backendCreateContext(int32_t slot) {
    context = SDL_GL_CreateContext(natives[slot].sdl);
    if (!context) platformSetError("cannot create an OpenGL context: %s", SDL_GetError());
    return context != nullptr;
}

bool backendMakeCurrent(int32_t slot) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    if (slot < 0) return SDL_GL_MakeCurrent(nullptr, nullptr) == 0;
    if (SDL_GL_MakeCurrent(natives[slot].sdl, context) == 0) return true;
    platformSetError("cannot make the OpenGL context current: %s", SDL_GetError());
    return false;
}

void backendDeleteContext() {
    SDL_GL_DeleteContext(context);
    context = nullptr;
}

void backendSwapBuffers(int32_t slot) { SDL_GL_SwapWindow(natives[slot].sdl); }

FILE* backendOpenFile(const char* path, bool writing) { return fopen(path, writing ? "wb" : "rb"); }

void backendShutdown() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    xDisplay = nullptr;  // closed with the video system
    unmapped = {};
    keyWatchStop();
    returnToUserMode();
    userModeGuardEnd();  // a clean end: nothing for it to do
    userModeStore = nullptr;
    catchQuitSignals(false);
    if (parked) SDL_DestroyWindow(parked);
    parked = nullptr;
    SDL_GL_UnloadLibrary();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
}
