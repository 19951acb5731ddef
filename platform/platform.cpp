// SPDX-License-Identifier: MIT
// The platform's front end: the rules of platform.h that hold on every system, in front of one backend.
//
// It owns the message queues and their order, the translation of a backend's events into
// messages, the message sequences of window creation, showing and destruction, the argument
// checks, the pointer counter, the screen-saver flag, the swap count and the last error. The
// backend (backend.h) only makes the system's objects and hands its events over.
#include "platform/backend.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

struct PlatWindow {
    bool live;
    WindowProc proc;
    bool shown;  // shown once: hidden again afterwards counts as minimised
};

struct PlatContext {
    bool live;
};

struct PlatFont {
    bool open;
};

static PlatWindow windows[maxWindows];
static PlatContext theContext;
static PlatFont fonts[maxFonts];
static char lastError[256] = "";
static int32_t cursorCounter;
static bool screenSaverAllowed = true;
static uint32_t swapCount;

MessageSource platMessageSource = platReadSystemMessage;
ClockSource platClockSource = platReadSystemClock;
WaitSource platWaitSource = platWaitMessage;

uint32_t systemTime() { return platClockSource(); }

void platformSetError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vsnprintf(lastError, sizeof lastError, format, args);
    va_end(args);
}

const char* platLastError() { return lastError; }

void platReportError(const char* text) { fprintf(stderr, "zelmo: %s\n", text); }

// --- Windows by slot ------------------------------------------------------------------------

static bool isLive(const PlatWindow* window) {
    return window && window >= windows && window < windows + maxWindows && window->live;
}

static int32_t slotOf(const PlatWindow* window) { return (int32_t)(window - windows); }

static int32_t firstLiveWindow() {
    for (int32_t slot = 0; slot < maxWindows; ++slot)
        if (windows[slot].live) return slot;
    return noWindowNamed;
}

// Minimised, or taken off the screen after it was shown (unmapped, as without a window manager).
static bool isMinimized(int32_t slot) {
    uint32_t state = backendWindowState(slot);
    return (state & nativeMinimized) != 0 || (windows[slot].shown && (state & nativeHidden) != 0);
}

static uint32_t clampToWord(int32_t value) {
    if (value < 0) return 0;
    return value > 0xFFFF ? 0xFFFFu : (uint32_t)value;
}

static bool sizeAllowed(int32_t width, int32_t height) {
    return width > 0 && height > 0 && width <= platMaxWindowSide && height <= platMaxWindowSide;
}

static uint32_t clientSizeLParam(int32_t slot) {
    int32_t width = 0, height = 0;
    platGetClientSize(&windows[slot], &width, &height);
    return makeLParam(clampToWord(width), clampToWord(height));
}

// The window captures the pointer while a button is held, so that the release is never lost; the
// positions it reports outside stay at the nearest point of the client area, as if the pointer had
// stopped at its edge.
static uint32_t clientPointLParam(int32_t slot, int32_t x, int32_t y) {
    int32_t width = 0, height = 0;
    if (slot >= 0) platGetClientSize(&windows[slot], &width, &height);
    if (width > 0 && x >= width) x = width - 1;
    if (height > 0 && y >= height) y = height - 1;
    return makeLParam(clampToWord(x), clampToWord(y));
}

// --- Message queues -------------------------------------------------------------------------

struct Queued {
    int32_t window;  // slot, noWindowNamed or goneWindow
    uint32_t message, wParam, lParam;
};

struct Ring {
    Queued* items;
    uint32_t capacity, head, count;
};

enum { postedCapacity = 64, inputCapacity = 8192 };
static Queued postedItems[postedCapacity];
// Input waits here from the moment the system raises it: the system's own queue may drop events
// in a stalled process, this one merges pointer motion instead, so no key or button is lost.
static Queued inputItems[inputCapacity];
static Ring posted = {postedItems, postedCapacity, 0, 0};
static Ring input = {inputItems, inputCapacity, 0, 0};
static bool quitPosted;
static uint32_t quitCode;

static Queued* ringAt(Ring& ring, uint32_t i) { return &ring.items[(ring.head + i) % ring.capacity]; }

static bool pushQueued(Ring& ring, Queued item) {
    if (ring.count == ring.capacity) return false;  // a full ring drops the newest; never overwrites
    *ringAt(ring, ring.count) = item;
    ring.count += 1;
    return true;
}

static bool popQueued(Ring& ring, Queued* out) {
    if (ring.count == 0) return false;
    *out = *ringAt(ring, 0);
    ring.head = (ring.head + 1) % ring.capacity;
    ring.count -= 1;
    return true;
}

static void postMessage(int32_t slot, uint32_t message, uint32_t wParam, uint32_t lParam) {
    pushQueued(posted, {slot, message, wParam, lParam});
}

// What is held, as the queued input has it. The player has one keyboard and one mouse, whichever
// window of ours they act in: releaseOfKey holds the message that lets a key go (0 while it is up).
static uint32_t releaseOfKey[256];
static bool buttonHeld[3];
static uint32_t lastPointLParam;  // where the pointer was last seen, for a release let go in its place

static void noteHeld(const Queued& item) {
    uint8_t key = (uint8_t)item.wParam;
    switch (item.message) {
    case WM_KEYDOWN: releaseOfKey[key] = WM_KEYUP; return;
    case WM_SYSKEYDOWN: releaseOfKey[key] = WM_SYSKEYUP; return;
    case WM_KEYUP:
    case WM_SYSKEYUP: releaseOfKey[key] = 0; return;
    case WM_MOUSEMOVE: break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: buttonHeld[0] = item.message == WM_LBUTTONDOWN; break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: buttonHeld[1] = item.message == WM_RBUTTONDOWN; break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: buttonHeld[2] = item.message == WM_MBUTTONDOWN; break;
    default: return;
    }
    lastPointLParam = item.lParam;
}

static uint32_t heldCount() {
    uint32_t count = 0;
    for (uint32_t release : releaseOfKey) count += release != 0;
    for (bool held : buttonHeld) count += held;
    return count;
}

static bool queueInput(Queued item) {
    if (item.message == WM_MOUSEMOVE && input.count > 0) {
        Queued* last = ringAt(input, input.count - 1);
        if (last->message == WM_MOUSEMOVE && last->window == item.window) {  // as a message queue merges moves
            last->lParam = item.lParam;
            noteHeld(item);
            return true;
        }
    }
    if (!pushQueued(input, item)) return false;
    noteHeld(item);
    return true;
}

static uint32_t buttonMessage(uint32_t button, bool down) {
    switch (button) {
    case 0: return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case 1: return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case 2: return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default: return WM_NULL;
    }
}

// A window that stops receiving input (minimised, hidden, unfocused, destroyed) will never see the
// releases of what is held: the player lets go elsewhere. So everything held is let go now, after
// what is queued, for that window (a destroyed window's releases find the live one).
static void letGoOfHeldInput(int32_t slot) {
    for (uint32_t key = 0; key < 256; ++key)
        if (releaseOfKey[key]) queueInput({slot, releaseOfKey[key], key, 0xC0000001u});
    for (uint32_t button = 0; button < 3; ++button)
        if (buttonHeld[button]) queueInput({slot, buttonMessage(button, false), 0, lastPointLParam});
}

// What the window leaves queued is no longer its: releases still find the live window.
static void forgetWindow(Ring& ring, int32_t slot) {
    for (uint32_t i = 0; i < ring.count; ++i)
        if (ringAt(ring, i)->window == slot) ringAt(ring, i)->window = goneWindow;
}

static bool isRelease(uint32_t message) {
    return message == WM_KEYUP || message == WM_SYSKEYUP || message == WM_LBUTTONUP || message == WM_RBUTTONUP ||
           message == WM_MBUTTONUP;
}

// Where a queued message goes now, or noWindowNamed to drop it. A release for a window that went
// away (a mode switch) belongs to the live window: otherwise its key or button would read as held
// for the rest of the run. The system names no window for keys in the first moments after a new
// window takes the focus, nor for a termination signal; they are the live window's too.
static int32_t targetOf(const Queued& item) {
    if (item.window >= 0 && windows[item.window].live) return item.window;
    bool unnamed = item.window == noWindowNamed;
    bool keyPress = item.message == WM_KEYDOWN || item.message == WM_SYSKEYDOWN;
    if (isRelease(item.message) || (unnamed && (keyPress || item.message == WM_CLOSE))) return firstLiveWindow();
    return noWindowNamed;
}

static bool takeQueued(Ring& ring, PlatMessage* out) {
    Queued next;
    while (popQueued(ring, &next)) {
        int32_t target = targetOf(next);
        if (target >= 0) {
            *out = {&windows[target], next.message, next.wParam, next.lParam};
            return true;
        }
        if (next.message == WM_CLOSE && next.window == noWindowNamed) platPostQuitMessage(0);  // no window left
    }
    return false;
}

bool platPeekMessage(PlatMessage* out) {
    if (takeQueued(posted, out)) return true;
    if (quitPosted) {
        quitPosted = false;
        *out = {nullptr, WM_QUIT, quitCode, 0};
        return true;
    }
    return platMessageSource(out);
}

bool platReadSystemMessage(PlatMessage* out) {
    for (;;) {
        if (input.count == 0) backendPumpEvents();
        if (input.count == 0) return false;
        if (takeQueued(input, out)) return true;
    }
}

static bool messagePending() {
    if (posted.count > 0 || quitPosted) return true;
    if (input.count == 0) backendPumpEvents();
    return input.count > 0;
}

bool platWaitMessage(uint32_t timeoutMs) {
    if (platMessageSource != platReadSystemMessage) return false;
    uint32_t start = platReadSystemClock();
    for (;;) {
        if (messagePending()) return true;
        uint32_t waited = platReadSystemClock() - start;
        if (waited >= timeoutMs) return false;
        backendWaitEvents(timeoutMs - waited);
    }
}

// --- Events from the backend ------------------------------------------------------------------

static Queued keyMessage(const InputEvent& event) {
    // As on Windows: with Alt held, and for F10, keys are system keys, not WM_KEYDOWN.
    bool system = event.alt || event.code == VK_MENU || event.code == VK_F10;
    uint32_t message = system ? (event.down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (event.down ? WM_KEYDOWN : WM_KEYUP);
    return {event.window, message, event.code, event.down ? (event.repeat ? 1u | keyWasDown : 1u) : 0xC0000001u};
}

bool platformTakeInput(const InputEvent& event) {
    int32_t slot = event.window;
    // Room for the whole translation: two messages at most, and the releases of what a window that
    // stops receiving input lets go.
    bool letsGo = event.kind == inputMinimized || event.kind == inputFocusLost;
    if (input.capacity - input.count < 2 + (letsGo ? heldCount() : 0)) return false;
    if (event.kind == inputKey) return queueInput(keyMessage(event));
    if (event.kind == inputButton) {
        uint32_t message = buttonMessage(event.code, event.down);
        if (message != WM_NULL) queueInput({slot, message, 0, clientPointLParam(slot, event.x, event.y)});
        return true;
    }
    if (event.kind == inputClose && slot == noWindowNamed) return queueInput({slot, WM_CLOSE, 0, 0});
    if (slot < 0 || !windows[slot].live) return true;  // not a window of ours
    uint32_t minimized = isMinimized(slot) ? 1u : 0u;
    switch (event.kind) {
    case inputPointer: queueInput({slot, WM_MOUSEMOVE, 0, clientPointLParam(slot, event.x, event.y)}); break;
    case inputMoved: queueInput({slot, WM_MOVE, 0, makeLParam(clampToWord(event.x), clampToWord(event.y))}); break;
    case inputResized: queueInput({slot, WM_SIZE, SIZE_RESTORED, clientSizeLParam(slot)}); break;
    case inputMinimized:
        queueInput({slot, WM_ACTIVATE, makeLParam(WA_INACTIVE, 1), 0});
        queueInput({slot, WM_SIZE, SIZE_MINIMIZED, 0});
        letGoOfHeldInput(slot);
        break;
    case inputMaximized: queueInput({slot, WM_SIZE, SIZE_MAXIMIZED, clientSizeLParam(slot)}); break;
    case inputRestored:
        queueInput({slot, WM_ACTIVATE, makeLParam(WA_ACTIVE, 0), 0});
        queueInput({slot, WM_SIZE, SIZE_RESTORED, clientSizeLParam(slot)});
        break;
    case inputFocusGained: queueInput({slot, WM_ACTIVATE, makeLParam(WA_ACTIVE, minimized), 0}); break;
    case inputFocusLost:
        queueInput({slot, WM_ACTIVATE, makeLParam(WA_INACTIVE, minimized), 0});
        letGoOfHeldInput(slot);
        break;
    case inputClose: queueInput({slot, WM_CLOSE, 0, 0}); break;
    default: break;
    }
    return true;
}

// --- Sending and the default procedure --------------------------------------------------------

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

static void applyCursorCounter() { backendShowPointer(cursorCounter >= 0); }

static void allowScreenSaver(bool allowed) {
    screenSaverAllowed = allowed;
    backendAllowScreenSaver(allowed);
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
        allowScreenSaver(true);
    }
    return 0;
}

// --- Windows ------------------------------------------------------------------------------------

PlatWindow* platCreateWindow(const PlatWindowSpec* spec) {
    if (!sizeAllowed(spec->clientWidth, spec->clientHeight)) {
        platformSetError("window size %dx%d is outside 1x1..%dx%d", spec->clientWidth, spec->clientHeight,
                         platMaxWindowSide, platMaxWindowSide);
        return nullptr;
    }
    int32_t slot = 0;
    while (slot < maxWindows && windows[slot].live) ++slot;
    if (slot == maxWindows) {
        platformSetError("too many windows");
        return nullptr;
    }
    PlatWindow* window = &windows[slot];
    *window = {true, spec->windowProc, false};
    if (!backendCreateWindow(slot, spec)) {
        *window = {};
        forgetWindow(input, slot);
        return nullptr;
    }
    allowScreenSaver(false);
    applyCursorCounter();

    int32_t x = 0, y = 0;
    backendClientOrigin(slot, &x, &y);
    platSendMessage(window, WM_CREATE, 0, 0);
    platSendMessage(window, WM_SIZE, SIZE_RESTORED, clientSizeLParam(slot));
    platSendMessage(window, WM_MOVE, 0, makeLParam(clampToWord(x), clampToWord(y)));
    // The system asks whether the saver and monitor power-off may run while this window is up;
    // a program that passes these on to platDefWindowProc lets them.
    postMessage(slot, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    postMessage(slot, WM_SYSCOMMAND, SC_MONITORPOWER, 0);
    return window;
}

void platShowWindow(PlatWindow* window) {
    if (!isLive(window)) return;
    backendShowWindow(slotOf(window));
    window->shown = true;
    platSendMessage(window, WM_ACTIVATE, makeLParam(WA_ACTIVE, 0), 0);
}

void platDestroyWindow(PlatWindow* window) {
    if (!isLive(window)) return;
    platSendMessage(window, WM_ACTIVATE, makeLParam(WA_INACTIVE, 0), 0);
    platSendMessage(window, WM_DESTROY, 0, 0);
    if (!isLive(window)) return;  // the procedure destroyed it already
    int32_t slot = slotOf(window);
    backendDestroyWindow(slot);
    *window = {};
    forgetWindow(posted, slot);
    forgetWindow(input, slot);
    letGoOfHeldInput(goneWindow);
    if (firstLiveWindow() == noWindowNamed) allowScreenSaver(true);
}

bool platGetWindowPosition(PlatWindow* window, int32_t* x, int32_t* y) {
    if (!isLive(window)) return false;
    backendOuterOrigin(slotOf(window), x, y);
    return true;
}

bool platGetClientSize(PlatWindow* window, int32_t* width, int32_t* height) {
    if (!isLive(window)) return false;
    if (isMinimized(slotOf(window))) {
        *width = *height = 0;
        return true;
    }
    backendClientSize(slotOf(window), width, height);
    return true;
}

void platSetWindowIcon(PlatWindow* window, const uint8_t* rgba, int32_t width, int32_t height) {
    if (isLive(window) && rgba && width > 0 && height > 0 && width <= platMaxIconSide && height <= platMaxIconSide)
        backendSetIcon(slotOf(window), rgba, width, height);
}

void platMoveWindow(PlatWindow* window, int32_t x, int32_t y) {
    if (isLive(window)) backendMoveWindow(slotOf(window), x, y);
}

void platResizeWindow(PlatWindow* window, int32_t clientWidth, int32_t clientHeight) {
    if (isLive(window) && sizeAllowed(clientWidth, clientHeight))
        backendResizeWindow(slotOf(window), clientWidth, clientHeight);
}

// --- Display mode and pointer -------------------------------------------------------------------

bool platChangeDisplayMode(uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
    backendChangeDisplayMode(width, height, bitsPerPixel);
    return true;
}

void platRestoreDisplayMode() { backendRestoreDisplayMode(); }

int32_t platShowCursor(bool show) {
    cursorCounter += show ? 1 : -1;
    applyCursorCounter();
    return cursorCounter;
}

bool platScreenSaverAllowed() { return screenSaverAllowed; }

// --- GL context ---------------------------------------------------------------------------------

PlatContext* platCreateContext(PlatWindow* window) {
    if (!isLive(window)) return nullptr;
    if (theContext.live) {
        platformSetError("a GL context already exists");
        return nullptr;
    }
    if (!backendCreateContext(slotOf(window))) return nullptr;
    theContext.live = true;
    return &theContext;
}

bool platMakeCurrent(PlatWindow* window, PlatContext* context) {
    if (!context || !context->live) return backendMakeCurrent(noWindowNamed);
    if (!isLive(window)) return false;
    return backendMakeCurrent(slotOf(window));
}

void platDeleteContext(PlatContext* context) {
    if (!context || !context->live) return;
    backendDeleteContext();
    context->live = false;
}

void platSwapBuffers(PlatWindow* window) {
    if (!isLive(window)) return;
    swapCount += 1;
    backendSwapBuffers(slotOf(window));
}

uint32_t platSwapCount() { return swapCount; }

FILE* platOpenFile(const char* path, bool writing) { return backendOpenFile(path, writing); }

void platShutdown() {
    input.count = posted.count = 0;
    memset(releaseOfKey, 0, sizeof releaseOfKey);
    memset(buttonHeld, 0, sizeof buttonHeld);
    backendShutdown();
}

// --- Fonts --------------------------------------------------------------------------------------

PlatFont* platCreateFont(const char* faceName, int32_t pixelHeight, int32_t weight) {
    if (!faceName || strlen(faceName) > platMaxFaceName || pixelHeight <= 0 || pixelHeight > platMaxGlyphHeight) {
        platformSetError("no font for a face name or height outside the limits");
        return nullptr;
    }
    weight = weight < 100 ? 100 : weight > 900 ? 900 : weight;
    for (int32_t slot = 0; slot < maxFonts; ++slot) {
        if (fonts[slot].open) continue;
        if (!backendOpenFont(slot, faceName, pixelHeight, weight)) return nullptr;
        fonts[slot].open = true;
        lastError[0] = 0;
        return &fonts[slot];
    }
    platformSetError("too many fonts");
    return nullptr;
}

static bool isOpen(const PlatFont* font) { return font && font >= fonts && font < fonts + maxFonts && font->open; }

void platDeleteFont(PlatFont* font) {
    if (!isOpen(font)) return;
    backendCloseFont((int32_t)(font - fonts));
    font->open = false;
}

uint32_t platGlyphBitmap(PlatFont* font, uint32_t code, PlatGlyphMetrics* metrics, uint8_t* buffer, uint32_t capacity) {
    *metrics = {};
    if (!isOpen(font) || code < (uint32_t)platFirstGlyphCode || code > (uint32_t)platLastGlyphCode) return 0;
    return backendGlyphBitmap((int32_t)(font - fonts), code, metrics, buffer, capacity);
}

const char* platFontDescription(PlatFont* font) {
    return isOpen(font) ? backendFontDescription((int32_t)(font - fonts)) : "";
}
