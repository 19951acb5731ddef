// The platform's windows, messages, GL context, display mode and pointer in a web page (emscripten).
//
// The page's one canvas (#canvas) is the window. Input comes from the page's mouse and key events
// into a message ring; the GL context is made through EGL so that the browser's GL 1.1 emulation
// starts; presenting a frame hands control back to the page until its next animation frame.
#include "platform/platform.h"

#include <EGL/egl.h>
#include <emscripten.h>
#include <emscripten/html5.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

struct PlatWindow {
    bool live;
    WindowProc proc;
    int32_t width, height;  // the canvas's pixels
};

struct PlatContext {
    EGLContext egl;
};

enum { ringCapacity = 1024, postedCapacity = 16 };

static PlatWindow theWindow;
static PlatContext theContext;
static EGLDisplay eglDisplay = EGL_NO_DISPLAY;
static EGLSurface eglSurface = EGL_NO_SURFACE;
static EGLConfig eglConfig;
static char lastError[256] = "";

static PlatMessage ring[ringCapacity];  // input from the page's events, not yet taken
static uint32_t ringHead, ringCount;
static PlatMessage posted[postedCapacity];
static uint32_t postedHead, postedCount;
static bool quitPosted;
static uint32_t quitCode;
static bool callbacksInstalled;
static uint32_t buttonsHeld;  // bit per button: the canvas keeps the pointer while one is held
static bool playerPressedKey;  // since the last window was made

static int32_t cursorCounter;
static bool screenSaverAllowed = true;
static uint32_t swapCount;
static double lastYield;

MessageSource platMessageSource = platReadSystemMessage;

static bool startEgl();

static void setError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vsnprintf(lastError, sizeof lastError, format, args);
    va_end(args);
}

const char* platLastError() { return lastError; }

void platReportError(const char* text) { fprintf(stderr, "zelmo: %s\n", text); }

// --- The page ------------------------------------------------------------------------------

// The canvas's pixel size set to width x height; its on-page size follows unless fullscreen scales it.
EM_JS(void, sizeCanvas, (int width, int height), {
    var canvas = document.getElementById('canvas');
    canvas.width = width;
    canvas.height = height;
});

// A page position in canvas pixels, through the canvas's on-page rectangle (fullscreen scales it);
// bit 31 tells whether it lies on the canvas, and outside it the nearest canvas pixel is given.
EM_JS(int, canvasPoint, (double clientX, double clientY), {
    var canvas = document.getElementById('canvas');
    var box = canvas.getBoundingClientRect();
    if (box.width <= 0 || box.height <= 0) return 0;
    // Fullscreen shows the canvas whole and centred in its box (object-fit: contain).
    var scale = Math.min(box.width / canvas.width, box.height / canvas.height);
    var left = box.left + (box.width - canvas.width * scale) / 2;
    var top = box.top + (box.height - canvas.height * scale) / 2;
    var x = Math.floor((clientX - left) / scale);
    var y = Math.floor((clientY - top) / scale);
    var inside = x >= 0 && y >= 0 && x < canvas.width && y < canvas.height ? 1 : 0;
    x = Math.min(Math.max(x, 0), canvas.width - 1);
    y = Math.min(Math.max(y, 0), canvas.height - 1);
    return (inside << 31) | (y << 16) | x;
});

EM_JS(void, showPagePointer, (int visible), {
    document.getElementById('canvas').style.cursor = visible ? 'auto' : 'none';
});

EM_JS(void, setPageIcon, (const unsigned char* rgba, int width, int height), {
    var canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    var context = canvas.getContext('2d');
    var image = context.createImageData(width, height);
    image.data.set(HEAPU8.subarray(rgba, rgba + width * height * 4));
    context.putImageData(image, 0, 0);
    var link = document.querySelector('link[rel=icon]') || document.head.appendChild(document.createElement('link'));
    link.rel = 'icon';
    link.href = canvas.toDataURL();
});

// Waits for the page's next animation frame: the frame just drawn is shown and the page's events run.
EM_ASYNC_JS(void, waitForAnimationFrame, (), {
    await new Promise(function(resolve) {
        // A hidden page gets no animation frames; a timer keeps the program going there.
        var timer = setTimeout(resolve, 100);
        requestAnimationFrame(function() { clearTimeout(timer); resolve(); });
    });
});

static void yieldToPage() {
    waitForAnimationFrame();
    lastYield = emscripten_get_now();
}

// --- Test seams reached from the page ---------------------------------------------------------

// A page that sets Module.testClock to a number before the game starts runs on that clock instead
// of the browser's: the game's time then moves only when the page changes it.
EM_JS(int, pageHasTestClock, (), { return typeof Module.testClock === 'number' ? 1 : 0; });
EM_JS(uint32_t, readPageClock, (), { return Module.testClock >>> 0; });

static void usePageClockIfAsked() {
    static bool checked;
    if (checked) return;
    checked = true;
    if (pageHasTestClock()) platClockSource = readPageClock;
}

// Frames shown so far, for a page (or its test) that waits for the game to draw.
extern "C" EMSCRIPTEN_KEEPALIVE uint32_t zelmoFramesShown() { return swapCount; }

// --- Message rings ----------------------------------------------------------------------

static void addInput(uint32_t message, uint32_t wParam, uint32_t lParam) {
    if (!theWindow.live) return;
    if (message == WM_MOUSEMOVE && ringCount > 0) {  // merged, as a message queue merges moves
        PlatMessage& last = ring[(ringHead + ringCount - 1) % ringCapacity];
        if (last.message == WM_MOUSEMOVE) {
            last.lParam = lParam;
            return;
        }
    }
    if (ringCount == ringCapacity) return;  // a full ring drops the newest
    ring[(ringHead + ringCount) % ringCapacity] = {&theWindow, message, wParam, lParam};
    ringCount += 1;
}

static void postMessage(uint32_t message, uint32_t wParam, uint32_t lParam) {
    if (postedCount == postedCapacity) return;
    posted[(postedHead + postedCount) % postedCapacity] = {&theWindow, message, wParam, lParam};
    postedCount += 1;
}

bool platPeekMessage(PlatMessage* out) {
    if (postedCount > 0) {
        *out = posted[postedHead];
        postedHead = (postedHead + 1) % postedCapacity;
        postedCount -= 1;
        return true;
    }
    if (quitPosted) {
        quitPosted = false;
        *out = {nullptr, WM_QUIT, quitCode, 0};
        return true;
    }
    return platMessageSource(out);
}

bool platReadSystemMessage(PlatMessage* out) {
    // A program that stops presenting frames must still let the page run its events.
    if (ringCount == 0 && emscripten_get_now() - lastYield > 100) yieldToPage();
    if (ringCount == 0) return false;
    *out = ring[ringHead];
    ringHead = (ringHead + 1) % ringCapacity;
    ringCount -= 1;
    return true;
}

static bool isLive(const PlatWindow* window) { return window == &theWindow && theWindow.live; }

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
        platSendMessage(window, WM_CLOSE, 0, 0);
    } else if (message == WM_SYSCOMMAND &&
               ((wParam & 0xFFF0u) == SC_SCREENSAVE || (wParam & 0xFFF0u) == SC_MONITORPOWER)) {
        screenSaverAllowed = true;
    }
    return 0;
}

// --- The page's events ----------------------------------------------------------------------

// The page's key codes are the virtual-key codes for the keys the program knows.
static uint32_t virtualKey(uint32_t keyCode) {
    if ((keyCode >= 'A' && keyCode <= 'Z') || (keyCode >= '0' && keyCode <= '9')) return keyCode;
    if (keyCode >= VK_F1 && keyCode <= VK_F12) return keyCode;
    switch (keyCode) {
    case VK_BACK: case VK_TAB: case VK_RETURN: case VK_SHIFT: case VK_CONTROL: case VK_MENU: case VK_ESCAPE:
    case VK_SPACE: case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
        return keyCode;
    default:
        return 0;
    }
}

static EM_BOOL onKey(int eventType, const EmscriptenKeyboardEvent* event, void*) {
    uint32_t key = virtualKey(event->keyCode);
    if (key == 0) return EM_FALSE;  // the page keeps the keys the program does not use
    bool down = eventType == EMSCRIPTEN_EVENT_KEYDOWN;
    if (down) playerPressedKey = true;
    bool system = event->altKey || key == VK_MENU || key == VK_F10;
    uint32_t message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    addInput(message, key, down ? 1u : 0xC0000001u);
    return EM_TRUE;  // F1 is not the browser's help, Space does not scroll the page
}

static uint32_t buttonMessage(int button, bool down) {
    switch (button) {
    case 0: return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case 1: return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    case 2: return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    default: return 0;
    }
}

static EM_BOOL onMouse(int eventType, const EmscriptenMouseEvent* event, void*) {
    int point = canvasPoint((double)event->clientX, (double)event->clientY);
    bool inside = point < 0;
    uint32_t lParam = (uint32_t)point & 0x7FFFFFFFu;
    if (eventType == EMSCRIPTEN_EVENT_MOUSEMOVE) {
        if (inside || buttonsHeld) addInput(WM_MOUSEMOVE, 0, lParam);
        return EM_FALSE;
    }
    uint32_t message = buttonMessage(event->button, eventType == EMSCRIPTEN_EVENT_MOUSEDOWN);
    if (message == 0) return EM_FALSE;
    uint32_t bit = 1u << event->button;
    if (eventType == EMSCRIPTEN_EVENT_MOUSEDOWN) {
        if (!inside) return EM_FALSE;
        buttonsHeld |= bit;
    } else {
        if (!(buttonsHeld & bit)) return EM_FALSE;  // a press that began outside the canvas
        buttonsHeld &= ~bit;
    }
    addInput(message, 0, lParam);
    return inside ? EM_TRUE : EM_FALSE;
}

static EM_BOOL onFocus(int eventType, const EmscriptenFocusEvent*, void*) {
    uint32_t state = eventType == EMSCRIPTEN_EVENT_FOCUS ? WA_ACTIVE : WA_INACTIVE;
    addInput(WM_ACTIVATE, makeLParam(state, 0), 0);
    return EM_FALSE;
}

static void installCallbacks() {
    if (callbacksInstalled) return;
    callbacksInstalled = true;
    const char* page = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(page, nullptr, EM_TRUE, onKey);
    emscripten_set_keyup_callback(page, nullptr, EM_TRUE, onKey);
    emscripten_set_mousedown_callback(page, nullptr, EM_TRUE, onMouse);
    emscripten_set_mouseup_callback(page, nullptr, EM_TRUE, onMouse);
    emscripten_set_mousemove_callback(page, nullptr, EM_TRUE, onMouse);
    emscripten_set_focus_callback(page, nullptr, EM_TRUE, onFocus);
    emscripten_set_blur_callback(page, nullptr, EM_TRUE, onFocus);
}

// --- Display mode and pointer -----------------------------------------------------------

// The page keeps its resolution: a fullscreen canvas is scaled to the screen instead.
bool platChangeDisplayMode(uint32_t, uint32_t, uint32_t) { return true; }

// The page's fullscreen follows F1 instead (see switchPageFullscreen).
void platRestoreDisplayMode() {}

int32_t platShowCursor(bool show) {
    cursorCounter += show ? 1 : -1;
    showPagePointer(cursorCounter >= 0);
    return cursorCounter;
}

bool platScreenSaverAllowed() { return screenSaverAllowed; }

EM_JS(int, pageIsFullscreen, (), { return document.fullscreenElement ? 1 : 0; });

EM_JS(void, leavePageFullscreen, (), {
    if (Module.fullscreenRetry) Module.fullscreenRetry.cancel();
    if (document.fullscreenElement) document.exitFullscreen().catch(function() {});
});

// Asks for the canvas fullscreen at once: the key press that asked (F1) lets the page for a few
// seconds. Refused (too late, or never allowed), it asks again at the player's next key or click.
// The browser scales the canvas to the screen, its pixels unchanged, with bars where the shapes differ.
EM_JS(void, enterPageFullscreen, (), {
    var canvas = document.getElementById('canvas');
    if (Module.fullscreenRetry) Module.fullscreenRetry.cancel();
    var ask = function() { return canvas.requestFullscreen ? canvas.requestFullscreen() : Promise.reject(); };
    ask().catch(function() {
        var retry = function() { retry.cancel(); ask().catch(function() {}); };
        retry.cancel = function() {
            window.removeEventListener('keydown', retry, true);
            window.removeEventListener('mousedown', retry, true);
            Module.fullscreenRetry = null;
        };
        window.addEventListener('keydown', retry, true);
        window.addEventListener('mousedown', retry, true);
        Module.fullscreenRetry = retry;
    });
});

// A page may take the screen only in answer to the player. So the game opens in the page even when
// it asks for fullscreen, and a window made after the player pressed a key (F1) shows the other way
// from what the page shows then: F1 always switches what the player sees, also after the browser
// left fullscreen by itself (Escape). Windows made without the player (the start, tests) leave the
// page as it is.
static void switchPageFullscreen() {
    if (!playerPressedKey) return;
    playerPressedKey = false;
    if (pageIsFullscreen()) leavePageFullscreen();
    else enterPageFullscreen();
}

// --- Windows ------------------------------------------------------------------------------

PlatWindow* platCreateWindow(const PlatWindowSpec* spec) {
    if (theWindow.live) {
        setError("too many windows: a page has one canvas");
        return nullptr;
    }
    if (spec->clientWidth <= 0 || spec->clientHeight <= 0 || spec->clientWidth > 0xFFFF ||
        spec->clientHeight > 0xFFFF) {
        setError("window size %dx%d is empty", spec->clientWidth, spec->clientHeight);
        return nullptr;
    }
    installCallbacks();
    usePageClockIfAsked();
    sizeCanvas(spec->clientWidth, spec->clientHeight);
    if (!startEgl()) {
        setError("cannot create a WebGL context: the browser offers none");
        return nullptr;
    }
    theWindow = {true, spec->windowProc, spec->clientWidth, spec->clientHeight};
    switchPageFullscreen();
    screenSaverAllowed = false;
    showPagePointer(cursorCounter >= 0);
    if (spec->title && spec->title[0]) emscripten_set_window_title(spec->title);

    platSendMessage(&theWindow, WM_CREATE, 0, 0);
    platSendMessage(&theWindow, WM_SIZE, SIZE_RESTORED, makeLParam((uint32_t)spec->clientWidth, (uint32_t)spec->clientHeight));
    platSendMessage(&theWindow, WM_MOVE, 0, 0);
    postMessage(WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    postMessage(WM_SYSCOMMAND, SC_MONITORPOWER, 0);
    return &theWindow;
}

void platShowWindow(PlatWindow* window) {
    if (!isLive(window)) return;
    platSendMessage(window, WM_ACTIVATE, makeLParam(WA_ACTIVE, 0), 0);
}

void platDestroyWindow(PlatWindow* window) {
    if (!isLive(window)) return;
    platSendMessage(window, WM_ACTIVATE, makeLParam(WA_INACTIVE, 0), 0);
    platSendMessage(window, WM_DESTROY, 0, 0);
    theWindow.live = false;
    ringCount = postedCount = 0;
    buttonsHeld = 0;
    screenSaverAllowed = true;
}

bool platGetWindowPosition(PlatWindow* window, int32_t* x, int32_t* y) {
    if (!isLive(window)) return false;
    *x = *y = 0;  // the canvas's place belongs to the page
    return true;
}

bool platGetClientSize(PlatWindow* window, int32_t* width, int32_t* height) {
    if (!isLive(window)) return false;
    *width = window->width;
    *height = window->height;
    return true;
}

void platSetWindowIcon(PlatWindow* window, const uint8_t* rgba, int32_t width, int32_t height) {
    if (isLive(window) && rgba && width > 0 && height > 0 && width <= 256 && height <= 256)
        setPageIcon(rgba, width, height);
}

void platMoveWindow(PlatWindow*, int32_t, int32_t) {}  // the page places the canvas

void platResizeWindow(PlatWindow* window, int32_t clientWidth, int32_t clientHeight) {
    if (!isLive(window) || clientWidth <= 0 || clientHeight <= 0 || clientWidth > 0xFFFF || clientHeight > 0xFFFF)
        return;
    sizeCanvas(clientWidth, clientHeight);
    window->width = clientWidth;
    window->height = clientHeight;
    addInput(WM_SIZE, SIZE_RESTORED, makeLParam((uint32_t)clientWidth, (uint32_t)clientHeight));
}

// --- GL context ---------------------------------------------------------------------------

// The canvas's WebGL context, made with the first window and current from then on. GL calls made
// with no context current do nothing natively; in a page they would fail, and the shell makes some
// (the viewport of WM_SIZE) before it asks for its context.
static EGLContext canvasContext = EGL_NO_CONTEXT;

// WebGL clears the canvas after showing it unless asked not to; the program (and its tests) may
// read a frame back after presenting it, as they can natively.
EM_JS(void, keepCanvasPixels, (), { EGL.contextAttributes.preserveDrawingBuffer = true; });

static bool startEgl() {
    if (canvasContext != EGL_NO_CONTEXT) return true;
    keepCanvasPixels();
    EGLDisplay display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return false;
    // The canvas is opaque, as a window is: drawn alpha must not let the page show through.
    const EGLint configAttributes[] = {EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 0,
                                       EGL_DEPTH_SIZE, 16, EGL_STENCIL_SIZE, 0, EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &eglConfig, 1, &count) || count < 1) return false;
    EGLSurface surface = eglCreateWindowSurface(display, eglConfig, 0, nullptr);
    if (surface == EGL_NO_SURFACE) return false;
    const EGLint contextAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
    EGLContext context = eglCreateContext(display, eglConfig, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT || !eglMakeCurrent(display, surface, surface, context)) return false;
    eglDisplay = display;
    eglSurface = surface;
    canvasContext = context;
    return true;
}

PlatContext* platCreateContext(PlatWindow* window) {
    if (!isLive(window)) return nullptr;
    if (theContext.egl) {
        setError("a GL context already exists");
        return nullptr;
    }
    if (canvasContext == EGL_NO_CONTEXT) {
        setError("cannot create a WebGL context: the browser offers none");
        return nullptr;
    }
    theContext.egl = canvasContext;
    return &theContext;
}

// The canvas's context stays current whatever is asked: releasing it would only make later calls fail.
bool platMakeCurrent(PlatWindow* window, PlatContext* context) {
    if (canvasContext == EGL_NO_CONTEXT) return false;
    if (!context || !context->egl) return true;
    return isLive(window);
}

// The handle goes; the page's context lives as long as the page (WebGL has no way to end one).
void platDeleteContext(PlatContext* context) {
    if (context) context->egl = nullptr;
}

void platSwapBuffers(PlatWindow* window) {
    if (!isLive(window)) return;
    eglSwapBuffers(eglDisplay, eglSurface);
    swapCount += 1;
    yieldToPage();
}

uint32_t platSwapCount() { return swapCount; }

void platShutdown() {
    ringCount = postedCount = 0;
    leavePageFullscreen();
}
