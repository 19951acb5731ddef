// SPDX-License-Identifier: MIT
// The platform backend in a web page (emscripten): the canvas, the page's events, WebGL through EGL.
//
// The page's one canvas (#canvas) is the one window a program can have. The page's mouse, touch,
// key, focus and visibility events are handed to the front end as they come (a hidden page is a
// minimised window); the canvas's WebGL context is made through EGL and handed to the GL layer
// (gl_layer.h), which draws the program's GL 1.1 with it; presenting a frame draws what the layer
// holds and hands control back to the page until its next animation frame.
#include "platform/backend.h"
#include "platform/web/gl_layer.h"

#include <EGL/egl.h>
#include <emscripten.h>
#include <emscripten/html5.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>

static int32_t canvasSlot = goneWindow;    // the front end's slot of the canvas while a window has it
static int32_t canvasWidth, canvasHeight;  // the canvas's pixels
static EGLDisplay eglDisplay = EGL_NO_DISPLAY;
static EGLSurface eglSurface = EGL_NO_SURFACE;
static EGLConfig eglConfig;

static bool callbacksInstalled;
static uint32_t buttonsHeld;   // bit per button: the canvas keeps the pointer while one is held
static bool playerPressedKey;  // since the last window was made
static double lastYield;

static bool startEgl(int32_t width, int32_t height);

// --- The page ------------------------------------------------------------------------------

// The canvas's pixel size set to width x height; its on-page size follows unless fullscreen scales it.
// clang-format off
EM_JS(void, sizeCanvas, (int width, int height), {
    var canvas = document.getElementById('canvas');
    canvas.width = width;
    canvas.height = height;
});
// clang-format on

// A page position in canvas pixels, through the canvas's on-page box as the page's CSS lays its
// pixels out there: stretched over the box (in the page the box is 4:3 already), or whole and
// centred in it with bars where the shapes differ (object-fit: contain, as in fullscreen).
// x in point[0], y in point[1]. True when it lies on the canvas's pixels.
// clang-format off
EM_JS(int, canvasPoint, (double clientX, double clientY, int* point), {
    var canvas = document.getElementById('canvas');
    var box = canvas.getBoundingClientRect();
    if (box.width <= 0 || box.height <= 0) return 0;
    var scaleX = box.width / canvas.width, scaleY = box.height / canvas.height;
    if (getComputedStyle(canvas).objectFit === 'contain') scaleX = scaleY = Math.min(scaleX, scaleY);
    var left = box.left + (box.width - canvas.width * scaleX) / 2;
    var top = box.top + (box.height - canvas.height * scaleY) / 2;
    var x = Math.floor((clientX - left) / scaleX);
    var y = Math.floor((clientY - top) / scaleY);
    HEAP32[point >> 2] = x;
    HEAP32[(point >> 2) + 1] = y;
    return x >= 0 && y >= 0 && x < canvas.width && y < canvas.height ? 1 : 0;
});
// clang-format on

// clang-format off
EM_JS(void, showPagePointer, (int visible), {
    document.getElementById('canvas').style.cursor = visible ? 'auto' : 'none';
});
// clang-format on

// Waits for the page's next animation frame: the frame just drawn is shown and the page's events run.
// When markShown names a mark, it is made then, as the frame has been shown.
// clang-format off
EM_ASYNC_JS(void, waitForAnimationFrame, (const char* markShown), {
    var mark = markShown ? UTF8ToString(markShown) : null;
    await new Promise(function(resolve) {
        // A hidden page gets no animation frames. The game is minimised there and presents none, but
        // the frame under way as the page hides, and a program that draws regardless, go on by a timer.
        var timer = setTimeout(resolve, 100);
        requestAnimationFrame(function() {
            clearTimeout(timer);
            if (mark) performance.mark(mark);
            resolve();
        });
    });
});
// clang-format on

static void yieldToPage(const char* markShown = nullptr) {
    zglFlush();  // the page sees everything drawn before it has its turn
    waitForAnimationFrame(markShown);
    lastYield = emscripten_get_now();
}

// --- Test seams reached from the page ---------------------------------------------------------

// A page that sets Module.testClock to a number before the game starts runs on that clock instead
// of the browser's: the game's time then moves only when the page changes it.
// clang-format off
EM_JS(int, pageHasTestClock, (), { return typeof Module.testClock === 'number' ? 1 : 0; });
// clang-format on
// clang-format off
EM_JS(uint32_t, readPageClock, (), { return Module.testClock >>> 0; });
// clang-format on

static void usePageClockIfAsked() {
    static bool checked;
    if (checked) return;
    checked = true;
    if (pageHasTestClock()) platClockSource = readPageClock;
}

// Frames shown so far, for a page (or its test) that waits for the game to draw.
extern "C" EMSCRIPTEN_KEEPALIVE uint32_t zelmoFramesShown() { return platSwapCount(); }

// The command line of the run the page starts (it calls main itself): the program's name, then the
// lines of text as its arguments, at most 6 of at most 255 bytes each. Returns argv, null-terminated
// (argc is its count), kept until the next call.
extern "C" EMSCRIPTEN_KEEPALIVE char** zelmoCommandLine(const char* text) {
    static char words[7][256] = {"zelmo"};
    static char* argv[8];
    int argc = 1;
    while (*text && argc < 7) {
        int length = 0;
        for (; text[length] && text[length] != '\n'; ++length)
            if (length < 255) words[argc][length] = text[length];
        words[argc][length < 255 ? length : 255] = 0;
        text += text[length] ? length + 1 : length;
        argc += 1;
    }
    for (int i = 0; i < 8; ++i) argv[i] = i < argc ? words[i] : nullptr;
    return argv;
}

// The page's controls (zelmo.html): a press and release of F1 or Escape, as the keys give them.
extern "C" EMSCRIPTEN_KEEPALIVE void zelmoPageKey(uint32_t key) {
    if (key != VK_F1 && key != VK_ESCAPE) return;
    playerPressedKey = true;
    platformTakeInput({inputKey, canvasSlot, key, true, false, 0, 0, false});
    platformTakeInput({inputKey, canvasSlot, key, false, false, 0, 0, false});
}

// A long run of work between two frames (a font's glyphs, a game's pictures: texture uploads every
// few milliseconds) gives the page its turn every pageTurnMs, so that no task holds it longer: its
// events, its loading bar and its timers go on. Only while nothing is drawn since the last frame,
// since the page would show a frame drawn only in part.
enum { pageTurnMs = 20 };
static uint32_t primitivesAtSwap;

static void givePageItsTurn() {
    if (emscripten_get_now() - lastYield < pageTurnMs || zglPrimitivesDrawn() != primitivesAtSwap) return;
    emscripten_sleep(0);
    lastYield = emscripten_get_now();
}

// A program that stops presenting frames must still let the page run its events.
void backendPumpEvents() {
    if (emscripten_get_now() - lastYield > 100) yieldToPage();
}

// The page's events run while the program sleeps; a hidden page gets no animation frames to wait for.
void backendWaitEvents(uint32_t timeoutMs) {
    zglFlush();
    emscripten_sleep(timeoutMs);
    lastYield = emscripten_get_now();
}

// --- The page's events ----------------------------------------------------------------------

// The page's key codes are the virtual-key codes for the keys the program knows.
static uint32_t virtualKey(uint32_t keyCode) {
    if ((keyCode >= 'A' && keyCode <= 'Z') || (keyCode >= '0' && keyCode <= '9')) return keyCode;
    if (keyCode >= VK_F1 && keyCode <= VK_F12) return keyCode;
    switch (keyCode) {
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_ESCAPE:
    case VK_SPACE:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: return keyCode;
    default: return 0;
    }
}

static EM_BOOL onKey(int eventType, const EmscriptenKeyboardEvent* event, void*) {
    uint32_t key = virtualKey(event->keyCode);
    if (key == 0) return EM_FALSE;  // the page keeps the keys the program does not use
    bool down = eventType == EMSCRIPTEN_EVENT_KEYDOWN;
    if (down) playerPressedKey = true;
    platformTakeInput({inputKey, canvasSlot, key, down, event->altKey != 0, 0, 0, event->repeat != 0});
    // Only the keys the shell acts on are taken from the browser (F1 is not its help); every other
    // key keeps its meaning in the page: reload, find, Tab to the page's controls, scrolling.
    return key == VK_ESCAPE || key == VK_F1 ? EM_TRUE : EM_FALSE;
}

static EM_BOOL onMouse(int eventType, const EmscriptenMouseEvent* event, void*) {
    int32_t point[2] = {0, 0};
    bool inside = canvasPoint((double)event->clientX, (double)event->clientY, point) != 0;
    if (eventType == EMSCRIPTEN_EVENT_MOUSEMOVE) {
        if (inside || buttonsHeld)
            platformTakeInput({inputPointer, canvasSlot, 0, false, false, point[0], point[1], false});
        return EM_FALSE;
    }
    static const uint32_t codes[3] = {0, 2, 1};  // the page numbers the middle button 1, the right one 2
    if (event->button < 0 || event->button > 2) return EM_FALSE;
    uint32_t bit = 1u << event->button;
    if (eventType == EMSCRIPTEN_EVENT_MOUSEDOWN) {
        if (!inside) return EM_FALSE;
        buttonsHeld |= bit;
    } else {
        if (!(buttonsHeld & bit)) return EM_FALSE;  // a press that began outside the canvas
        buttonsHeld &= ~bit;
    }
    platformTakeInput({inputButton, canvasSlot, codes[event->button], eventType == EMSCRIPTEN_EVENT_MOUSEDOWN, false,
                       point[0], point[1], false});
    return inside ? EM_TRUE : EM_FALSE;
}

// Touch: the first finger on the canvas's pixels is the left button at its point (it moves the
// pointer), a second finger while the first is down is the right button; more are ignored. A
// cancelled touch (the browser or the system took the fingers) loses them all, as a lost focus does.
enum { touchStart, touchMove, touchEnd, touchCancel };

static void loseHeldInput(InputKind kind);

struct Finger {
    bool down;
    int32_t id;  // the page's identifier of the touch
};
static Finger leftFinger, rightFinger;

static void touchInput(InputKind kind, uint32_t button, bool down, const int32_t* point) {
    platformTakeInput({kind, canvasSlot, button, down, false, point[0], point[1], false});
}

// Called by the page's touch listeners (listenForTouches) with each changed touch, page position
// unrounded: a finger on a phone lies between the page's pixels.
extern "C" EMSCRIPTEN_KEEPALIVE void zelmoTouch(int phase, int32_t id, double clientX, double clientY) {
    int32_t point[2] = {0, 0};
    bool inside = canvasPoint(clientX, clientY, point) != 0;
    bool isLeft = leftFinger.down && leftFinger.id == id, isRight = rightFinger.down && rightFinger.id == id;
    if (phase == touchStart && inside && !isLeft && !isRight) {
        if (!leftFinger.down) {
            leftFinger = {true, id};
            touchInput(inputPointer, 0, false, point);
            touchInput(inputButton, 0, true, point);
        } else if (!rightFinger.down) {
            rightFinger = {true, id};
            touchInput(inputButton, 1, true, point);
        }
    } else if (phase == touchMove && isLeft) {
        touchInput(inputPointer, 0, false, point);
    } else if (phase == touchEnd && isLeft) {
        leftFinger.down = false;
        touchInput(inputPointer, 0, false, point);
        touchInput(inputButton, 0, false, point);
    } else if (phase == touchEnd && isRight) {
        rightFinger.down = false;
        touchInput(inputButton, 1, false, point);
    } else if (phase == touchCancel && (isLeft || isRight)) {
        if (leftFinger.down) touchInput(inputButton, 0, false, point);
        if (rightFinger.down) touchInput(inputButton, 1, false, point);
        loseHeldInput(inputFocusLost);
    }
}

// The page's own listeners rather than html5's, whose positions come rounded to whole page pixels.
// Taking the touches' default keeps the browser from making mouse events of them as well.
// clang-format off
EM_JS(void, listenForTouches, (), {
    var phases = {touchstart: 0, touchmove: 1, touchend: 2, touchcancel: 3};
    Object.keys(phases).forEach(function(type) {
        document.getElementById('canvas').addEventListener(type, function(event) {
            event.preventDefault();
            for (var i = 0; i < event.changedTouches.length; ++i) {
                var touch = event.changedTouches[i];
                _zelmoTouch(phases[type], touch.identifier, touch.clientX, touch.clientY);
            }
        }, {passive: false});
    });
});
// clang-format on

// clang-format off
EM_JS(int, pageHidden, (), { return document.hidden ? 1 : 0; });
// clang-format on

// A hidden page is a minimised window: no frame runs while the player cannot see it. A page that
// hides, is left (pagehide) or loses the focus lets go of every button and finger, as a window that
// loses the focus does (the front end's rule): the fingers are forgotten here with them, so that the
// next touch is the left button again.
static void loseHeldInput(InputKind kind) {
    buttonsHeld = 0;
    leftFinger.down = rightFinger.down = false;
    platformTakeInput({kind, canvasSlot, 0, false, false, 0, 0, false});
}

static EM_BOOL onVisibility(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    if (event->hidden) loseHeldInput(inputMinimized);
    else platformTakeInput({inputRestored, canvasSlot, 0, false, false, 0, 0, false});
    return EM_FALSE;
}

static EM_BOOL onFocus(int eventType, const EmscriptenFocusEvent*, void*) {
    if (eventType == EMSCRIPTEN_EVENT_BLUR) loseHeldInput(inputFocusLost);
    else platformTakeInput({inputFocusGained, canvasSlot, 0, false, false, 0, 0, false});
    return EM_FALSE;
}

// Called by the page's pagehide and pageshow listeners: a page the player leaves (or that the browser
// keeps to come back to) is a minimised window until it shows again.
extern "C" EMSCRIPTEN_KEEPALIVE void zelmoPageShown(int shown) {
    if (!shown) loseHeldInput(inputMinimized);
    else if (!pageHidden()) platformTakeInput({inputRestored, canvasSlot, 0, false, false, 0, 0, false});
}

// clang-format off
EM_JS(void, listenForPageShown, (), {
    addEventListener('pagehide', function() { _zelmoPageShown(0); });
    addEventListener('pageshow', function(event) { if (event.persisted) _zelmoPageShown(1); });
});
// clang-format on

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
    emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, onVisibility);
    listenForTouches();
    listenForPageShown();
}

// --- Display mode and pointer -----------------------------------------------------------

// The page keeps its resolution: a fullscreen canvas is scaled to the screen instead.
void backendChangeDisplayMode(uint32_t, uint32_t, uint32_t) {}

// The page's fullscreen follows F1 instead (see switchPageFullscreen).
void backendRestoreDisplayMode() {}

void backendShowPointer(bool visible) { showPagePointer(visible ? 1 : 0); }

// A page cannot hold the screen saver off; the front end's flag is all there is.
void backendAllowScreenSaver(bool) {}

// clang-format off
EM_JS(int, pageIsFullscreen, (), { return document.fullscreenElement ? 1 : 0; });
// clang-format on

// clang-format off
EM_JS(void, leavePageFullscreen, (), {
    if (Module.fullscreenRetry) Module.fullscreenRetry.cancel();
    if (document.fullscreenElement) document.exitFullscreen().catch(function() {});
});
// clang-format on

// Asks for the canvas fullscreen at once: the key press that asked (F1) lets the page for a few
// seconds. Refused (too late, or never allowed), it asks again at the player's next key, click or tap.
// The browser scales the canvas to the screen, its pixels unchanged, with bars where the shapes differ.
// clang-format off
EM_JS(void, enterPageFullscreen, (), {
    var canvas = document.getElementById('canvas');
    if (Module.fullscreenRetry) Module.fullscreenRetry.cancel();
    var ask = function() { return canvas.requestFullscreen ? canvas.requestFullscreen() : Promise.reject(); };
    ask().catch(function() {
        var retry = function() { retry.cancel(); ask().catch(function() {}); };
        retry.cancel = function() {
            window.removeEventListener('keydown', retry, true);
            window.removeEventListener('mousedown', retry, true);
            window.removeEventListener('touchend', retry, true);
            Module.fullscreenRetry = null;
        };
        window.addEventListener('keydown', retry, true);
        window.addEventListener('mousedown', retry, true);
        window.addEventListener('touchend', retry, true);
        Module.fullscreenRetry = retry;
    });
});
// clang-format on

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

bool backendCreateWindow(int32_t slot, const PlatWindowSpec* spec) {
    if (canvasSlot != goneWindow) {
        platformSetError("too many windows: a page has one canvas");
        return false;
    }
    installCallbacks();
    usePageClockIfAsked();
    zglBeforeUpload = givePageItsTurn;
    sizeCanvas(spec->clientWidth, spec->clientHeight);
    if (!startEgl(spec->clientWidth, spec->clientHeight)) {
        platformSetError("cannot create a WebGL context: the browser offers none");
        return false;
    }
    canvasSlot = slot;
    canvasWidth = spec->clientWidth;
    canvasHeight = spec->clientHeight;
    // A new context is made in the browser's GPU process while the page goes on: the page's turn
    // now, rather than the program's next GL query waiting for it in the same task.
    emscripten_sleep(0);
    lastYield = emscripten_get_now();
    switchPageFullscreen();
    if (spec->title && spec->title[0]) emscripten_set_window_title(spec->title);
    return true;
}

// A canvas shown in a hidden page (one opened behind another tab) starts minimised.
void backendShowWindow(int32_t slot) {
    if (pageHidden()) platformTakeInput({inputMinimized, slot, 0, false, false, 0, 0, false});
}

void backendDestroyWindow(int32_t) {
    canvasSlot = goneWindow;
    buttonsHeld = 0;  // fingers stay down: their lifting belongs to the next window
}

// The canvas's place belongs to the page.
void backendClientOrigin(int32_t, int32_t* x, int32_t* y) { *x = *y = 0; }
void backendOuterOrigin(int32_t, int32_t* x, int32_t* y) { *x = *y = 0; }

void backendClientSize(int32_t, int32_t* width, int32_t* height) {
    *width = canvasWidth;
    *height = canvasHeight;
}

uint32_t backendWindowState(int32_t) { return pageHidden() ? nativeMinimized : 0; }

// The page links its icon itself (zelmo.html): making one from the pixels cost start-up time.
void backendSetIcon(int32_t, const uint8_t*, int32_t, int32_t) {}

void backendMoveWindow(int32_t, int32_t, int32_t) {}  // the page places the canvas

// The page raises no event of its own when the canvas is resized: the backend reports it.
void backendResizeWindow(int32_t slot, int32_t clientWidth, int32_t clientHeight) {
    sizeCanvas(clientWidth, clientHeight);
    canvasWidth = clientWidth;
    canvasHeight = clientHeight;
    platformTakeInput({inputResized, slot, 0, false, false, 0, 0, false});
}

// --- GL context ---------------------------------------------------------------------------

// The canvas's WebGL context, made with the first window and current from then on. GL calls made
// with no context current do nothing natively; in a page they would fail, and the shell makes some
// (the viewport of WM_SIZE) before it asks for its context.
static EGLContext canvasContext = EGL_NO_CONTEXT;

// The WebGL context's own attribute, beyond EGL's: WebGL clears the canvas after showing it unless
// asked to keep its pixels, which costs a copy of every frame. Only a page whose tests read frames
// back after they were shown (Module.keepFrames) asks for that; nothing else reads them. (No
// extension is turned on: the GL layer uses none.)
// clang-format off
EM_JS(void, setContextAttributes, (), {
    EGL.contextAttributes.preserveDrawingBuffer = !!Module.keepFrames;
});
// clang-format on

// clang-format off
EM_JS(void, markPage, (const char* name), { performance.mark(UTF8ToString(name)); });
// clang-format on

// The layer starts with the context, at GL's initial state, its viewport the canvas. The making of
// the context is marked in the page's performance timeline ("zelmo: making the WebGL context", then
// "zelmo: WebGL context made"): the browser's part of a start that a page's budgets set apart.
static bool startEgl(int32_t width, int32_t height) {
    if (canvasContext != EGL_NO_CONTEXT) return true;
    markPage("zelmo: making the WebGL context");
    setContextAttributes();
    EGLDisplay display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return false;
    // The canvas is opaque, as a window is: drawn alpha must not let the page show through.
    const EGLint configAttributes[] = {EGL_RED_SIZE,   8,  EGL_GREEN_SIZE,   8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 0,
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
    zglStart(width, height);
    markPage("zelmo: WebGL context made");
    return true;
}

bool backendCreateContext(int32_t) {
    if (canvasContext != EGL_NO_CONTEXT) return true;
    platformSetError("cannot create a WebGL context: the browser offers none");
    return false;
}

// The canvas's context stays current whatever is asked: releasing it would only make later calls fail.
bool backendMakeCurrent(int32_t) { return canvasContext != EGL_NO_CONTEXT; }

// The handle goes; the page's context lives as long as the page (WebGL has no way to end one).
void backendDeleteContext() {}

// The first frame with a picture on it (the frames before it are empty) is marked as it is shown:
// "zelmo: first picture" in the page's performance timeline, which a page's budgets read.
void backendSwapBuffers(int32_t) {
    static bool pictureShown;
    zglFlush();
    eglSwapBuffers(eglDisplay, eglSurface);
    primitivesAtSwap = zglPrimitivesDrawn();
    bool firstPicture = !pictureShown && primitivesAtSwap > 0;
    pictureShown = pictureShown || firstPicture;
    yieldToPage(firstPicture ? "zelmo: first picture" : nullptr);
}

void backendShutdown() { leavePageFullscreen(); }

// --- Files ------------------------------------------------------------------------------------

// A page has no file system: the files a session is kept in live in its memory, by name, as stdio
// streams over memory (no file system of emscripten's is linked). The page fills a file it gives
// (zelmoPageFile) and reads a written one back (zelmoPageFileBytes and zelmoPageFileSize).
struct PageFile {
    char name[256];  // empty: the slot is free
    char* bytes;     // malloc'd (by open_memstream for a written file)
    size_t size;
};
static PageFile pageFiles[4];

static PageFile* pageFile(const char* name, bool make) {
    PageFile* unused = nullptr;
    for (PageFile& file : pageFiles) {
        if (file.name[0] && strcmp(file.name, name) == 0) return &file;
        if (!file.name[0] && !unused) unused = &file;
    }
    if (!make || !unused || !name[0] || strlen(name) >= sizeof unused->name) return nullptr;
    strcpy(unused->name, name);
    return unused;
}

FILE* backendOpenFile(const char* name, bool writing) {
    PageFile* file = pageFile(name, writing);
    if (!file || (!writing && file->size == 0)) {
        errno = file ? EINVAL : writing ? ENFILE : ENOENT;
        return nullptr;
    }
    if (!writing) return fmemopen(file->bytes, file->size, "rb");
    free(file->bytes);
    file->bytes = nullptr;
    file->size = 0;
    return open_memstream(&file->bytes, &file->size);
}

// A file of size bytes (1 or more) for the page to fill, in place of any of that name. Its bytes,
// or null when it cannot be made.
extern "C" EMSCRIPTEN_KEEPALIVE char* zelmoPageFile(const char* name, uint32_t size) {
    PageFile* file = pageFile(name, true);
    char* bytes = file && size > 0 ? (char*)malloc(size) : nullptr;
    if (!bytes) return nullptr;
    free(file->bytes);
    file->bytes = bytes;
    file->size = size;
    return bytes;
}

// A file's bytes and their count (null and 0 when there is none), for the page to read.
extern "C" EMSCRIPTEN_KEEPALIVE char* zelmoPageFileBytes(const char* name) {
    PageFile* file = pageFile(name, false);
    return file ? file->bytes : nullptr;
}
extern "C" EMSCRIPTEN_KEEPALIVE uint32_t zelmoPageFileSize(const char* name) {
    PageFile* file = pageFile(name, false);
    return file ? (uint32_t)file->size : 0;
}
