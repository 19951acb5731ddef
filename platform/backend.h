// SPDX-License-Identifier: MIT
// What a platform backend gives the front end (platform.cpp), and what the front end takes from it.
//
// The front end owns every rule the contract in platform.h states: the queues and their order,
// message sequences, argument checks, counters and the last error. A backend only translates:
// it makes and ends the system's windows, GL context and fonts, and hands the system's events
// over in the vocabulary below. Each backend is one folder (sdl/, web/; platform/README.md is the
// checklist for a new one), and exactly one is linked; platform_posix.cpp gives every backend the
// clock and standard output.
//
// Windows and fonts are named by their slot in the front end's tables (0..maxWindows - 1,
// 0..maxFonts - 1); a backend keeps its own per-slot records. The front end calls a backend
// only with a slot it made live, and has already checked every argument. There is at most one
// GL context. Everything runs on the one program thread.
#pragma once
#include <stdint.h>

#include "platform/platform.h"

enum { maxWindows = 4, maxFonts = 4 };

// --- Front end, for the backends ------------------------------------------------------------

// Where an event belongs: a window slot, or one of these.
enum : int32_t {
    noWindowNamed = -1,  // the system named no window (a key before focus settles, a quit signal)
    goneWindow = -2,     // the system named a window that is not (or no longer) ours
};

enum InputKind {
    inputKey,        // code: virtual-key code; down; alt: Alt held; repeat: the key was already down
    inputButton,     // code: 0 left, 1 right, 2 middle; down; x, y: client pixels, any value
    inputPointer,    // x, y: client pixels, any value
    inputMoved,      // x, y: the client area's new top-left, screen pixels
    inputResized,    // the client size changed
    inputMinimized,  // minimised, or taken off the screen
    inputMaximized,
    inputRestored,  // back from minimised, or shown
    inputFocusGained,
    inputFocusLost,
    inputClose,  // the user (or a signal) asks the window to close
};

struct InputEvent {
    InputKind kind;
    int32_t window;  // slot, noWindowNamed or goneWindow
    uint32_t code;
    bool down, alt;
    int32_t x, y;
    bool repeat;
};

// Queues the event's messages. False when the queue has no room for them (nothing is queued).
bool platformTakeInput(const InputEvent& event);
// Sets platLastError(), printf-style.
void platformSetError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// --- Backend, for the front end -------------------------------------------------------------

// Hands over the events the system has raised since the last call, without waiting. Called only
// when the input queue is empty.
void backendPumpEvents();
// Sleeps until the system raises an event or about timeoutMs milliseconds have passed (it may
// return early); the events themselves are left for backendPumpEvents.
void backendWaitEvents(uint32_t timeoutMs);

// Makes the system's window for the slot (hidden, in the spec's pixel format). False with the
// error set when it cannot.
bool backendCreateWindow(int32_t window, const PlatWindowSpec* spec);
void backendShowWindow(int32_t window);
void backendDestroyWindow(int32_t window);
// The client area's top-left, and the outer (framed) window's top-left, in screen pixels.
void backendClientOrigin(int32_t window, int32_t* x, int32_t* y);
void backendOuterOrigin(int32_t window, int32_t* x, int32_t* y);
// The client size as last laid out, minimised or not.
void backendClientSize(int32_t window, int32_t* width, int32_t* height);
enum { nativeMinimized = 1, nativeHidden = 2 };
// nativeMinimized and nativeHidden bits.
uint32_t backendWindowState(int32_t window);
void backendSetIcon(int32_t window, const uint8_t* rgba, int32_t width, int32_t height);
void backendMoveWindow(int32_t window, int32_t x, int32_t y);
void backendResizeWindow(int32_t window, int32_t clientWidth, int32_t clientHeight);

void backendChangeDisplayMode(uint32_t width, uint32_t height, uint32_t bitsPerPixel);
void backendRestoreDisplayMode();
void backendShowPointer(bool visible);
void backendAllowScreenSaver(bool allowed);

// The one GL context, made for the window. False with the error set when it cannot be made.
bool backendCreateContext(int32_t window);
// Makes the context current on the window; window noWindowNamed releases it.
bool backendMakeCurrent(int32_t window);
void backendDeleteContext();
void backendSwapBuffers(int32_t window);
// Ends the video system; no window is left.
void backendShutdown();
// As platOpenFile.
FILE* backendOpenFile(const char* path, bool writing);

// Opens the face for the slot: weight 100..900, pixelHeight 1..maxGlyphHeight, face name short
// enough for platform.h's limit. False with the error set (what to install, where that helps) when no
// face can be had.
bool backendOpenFont(int32_t font, const char* faceName, int32_t pixelHeight, int32_t weight);
void backendCloseFont(int32_t font);
// As platGlyphBitmap, for a printable code; metrics arrive zeroed.
uint32_t backendGlyphBitmap(int32_t font, uint32_t code, PlatGlyphMetrics* metrics, uint8_t* buffer, uint32_t capacity);
const char* backendFontDescription(int32_t font);
