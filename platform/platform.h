// SPDX-License-Identifier: MIT
// The one door to the operating system: window messages, windows, the GL context, display mode, pointer, clock, console.
//
// The vocabulary is that of a Windows program (message numbers, wParam/lParam packings,
// virtual-key codes) so the shell above reads like the message-driven program it is. What is stated
// here holds on every system the program is built for; everything runs on the one program thread.
//
// Ownership: windows and contexts are owned by the platform and named by opaque handles;
// a handle is valid from its create call to its destroy call. Nothing here allocates memory
// that a caller must free.
#pragma once
#include <stdint.h>
#include <stdio.h>

typedef struct PlatWindow PlatWindow;
typedef struct PlatContext PlatContext;

// Window messages, with their Windows numbers.
enum : uint32_t {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,      // lParam: client origin x (low word), y (high word)
    WM_SIZE = 0x0005,      // wParam: SIZE_*; lParam: client width (low word), height (high word)
    WM_ACTIVATE = 0x0006,  // wParam: WA_* (low word), minimised flag (high word)
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,     // wParam: exit code
    WM_KEYDOWN = 0x0100,  // wParam: virtual-key code; lParam: keyWasDown set for a repeat
    WM_KEYUP = 0x0101,
    WM_SYSKEYDOWN = 0x0104,  // a key pressed while Alt is held, and F10
    WM_SYSKEYUP = 0x0105,
    WM_SYSCOMMAND = 0x0112,  // wParam: SC_*
    WM_MOUSEMOVE = 0x0200,   // lParam: client x (low word), y (high word)
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
};

enum : uint32_t { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };
enum : uint32_t { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };
enum : uint32_t { SC_CLOSE = 0xF060, SC_SCREENSAVE = 0xF140, SC_MONITORPOWER = 0xF170 };

// Virtual-key codes. Letters and digits are their upper-case ASCII codes ('A', '0').
enum : uint32_t {
    VK_BACK = 8,
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_SHIFT = 16,
    VK_CONTROL = 17,
    VK_MENU = 18,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_F1 = 112,
    VK_F10 = 121,
    VK_F12 = 123,
};

// lParam bit of a key-down message: the key was already down (the system's key repeat).
enum : uint32_t { keyWasDown = 1u << 30 };

static inline uint32_t makeLParam(uint32_t low, uint32_t high) { return (low & 0xFFFFu) | (high << 16); }
static inline uint32_t lowWord(uint32_t value) { return value & 0xFFFFu; }
static inline uint32_t highWord(uint32_t value) { return value >> 16; }

// Limits every system is held to: client sizes, icon sides and glyph heights in pixels, face names
// in bytes, and the character codes a font rasterises.
enum : int32_t {
    platMaxWindowSide = 65535,
    platMaxIconSide = 256,
    platMaxGlyphHeight = 1024,
    platMaxFaceName = 127,
    platFirstGlyphCode = 32,
    platLastGlyphCode = 126,
};

struct PlatMessage {
    PlatWindow* window;  // null for thread messages (WM_QUIT)
    uint32_t message;
    uint32_t wParam;
    uint32_t lParam;
};

// A window procedure: called for every message of its window; returns the message's result.
typedef int32_t (*WindowProc)(PlatWindow* window, uint32_t message, uint32_t wParam, uint32_t lParam);

// --- Messages ---------------------------------------------------------------------------

// Takes one pending message without waiting. Returns false when none is pending.
// Order: messages the platform posted (WM_SYSCOMMAND requests) first, then a posted quit (WM_QUIT),
// then the window and input messages of the message source. Consecutive mouse moves that waited
// together arrive as one WM_MOUSEMOVE with the latest position; no key or button message is dropped.
// Mouse moves merge only within one window. A key or button release for a window that no longer
// exists goes to the live window, as does a key press the system names no window for; a close asked
// for no window closes the live window, or quits with code 0 when there is none.
// Held input is let go whenever a window stops receiving it: when a window is minimised or hidden,
// loses the focus or is destroyed, every key and button the queued input holds down (the player has
// one keyboard and one mouse, whichever window they act in) gets its release (WM_KEYUP, or
// WM_SYSKEYUP for a system key; a button's at the last pointer position queued) after what waits,
// for that window (for the live window when it was destroyed).
bool platPeekMessage(PlatMessage* out);
// Calls the window procedure of out->window; 0 for a message without a live window.
int32_t platDispatchMessage(const PlatMessage* message);
// Calls the window's procedure now, as the platform does from inside create, show and destroy.
int32_t platSendMessage(PlatWindow* window, uint32_t message, uint32_t wParam, uint32_t lParam);
// Queues WM_QUIT with the exit code in wParam.
void platPostQuitMessage(uint32_t exitCode);
// What the platform does with a message a program does not handle: WM_CLOSE destroys the window,
// WM_SYSCOMMAND SC_CLOSE sends WM_CLOSE, SC_SCREENSAVE and SC_MONITORPOWER let the screen saver run
// again; SC_* values are compared with their low four bits masked. Returns 0.
int32_t platDefWindowProc(PlatWindow* window, uint32_t message, uint32_t wParam, uint32_t lParam);

// Test seam: the source of window messages. The default reads the system's events (taken as the
// system raises them, see platPeekMessage) and translates each into zero or more messages. Pointer
// positions are client pixels, kept inside 0..client size - 1 while a held button captures the
// pointer. A test installs its own to script exact input; it fills *out and returns true, or
// returns false when nothing is pending.
typedef bool (*MessageSource)(PlatMessage* out);
extern MessageSource platMessageSource;
bool platReadSystemMessage(PlatMessage* out);  // the default source

// Waits without using the processor until a message is pending or timeoutMs milliseconds (of the
// system's clock, not the clock seam) have passed, whichever comes first. Returns true when a
// message is pending. With a message source other than the default installed it does not wait
// (a scripted source has nothing to wait for) and returns false.
bool platWaitMessage(uint32_t timeoutMs);

// Test seam: how the main loop rests. The default is platWaitMessage; a test installs its own to
// see how long the loop would rest without resting, and returns what platWaitMessage would.
typedef bool (*WaitSource)(uint32_t timeoutMs);
extern WaitSource platWaitSource;

// --- Windows ----------------------------------------------------------------------------

struct PlatWindowSpec {
    int32_t x, y;                       // outer top-left, screen pixels
    int32_t clientWidth, clientHeight;  // client area, pixels
    bool fullscreen;                    // borderless, in the display mode set by platChangeDisplayMode
    const char* className;              // the window class (X11 WM_CLASS); may be null
    const char* title;                  // may be null
    WindowProc windowProc;
    uint32_t colorBits;  // pixel format: RGBA, 8 bits a channel when 32
    uint32_t depthBits;
    bool doubleBuffer;
};

// Creates a hidden window. The first one starts the system's display: from then on a termination
// signal (SIGTERM, SIGINT, SIGHUP; not one the process ignores) is a close asked for no window.
// Sends WM_CREATE, WM_SIZE and WM_MOVE to its procedure before returning,
// and posts WM_SYSCOMMAND SC_SCREENSAVE and SC_MONITORPOWER (the screen saver stays off unless the
// program passes them on to platDefWindowProc). Returns null when no window can be made (a client
// side outside 1..platMaxWindowSide, too many windows, no display, or only a display that shows
// nothing when one that does was wanted); platLastError() says why.
PlatWindow* platCreateWindow(const PlatWindowSpec* spec);
// Shows, raises and focuses the window; sends WM_ACTIVATE (WA_ACTIVE, not minimised). Waits for a
// window manager to show it at most 5 s (asking again now and then), less once a termination signal
// has come; past that the program goes on with a line on standard error, and the window shows
// whenever the manager gets to it.
void platShowWindow(PlatWindow* window);
// Sends WM_ACTIVATE (WA_INACTIVE) and WM_DESTROY, then destroys the window and drops its queued
// messages (its releases excepted) and lets go of held input (see platPeekMessage). Null is ignored.
void platDestroyWindow(PlatWindow* window);
// Outer top-left in screen pixels. False (outputs untouched) when the window is null.
bool platGetWindowPosition(PlatWindow* window, int32_t* x, int32_t* y);
// Client size in pixels; 0 x 0 while minimised. False (outputs untouched) when the window is null.
bool platGetClientSize(PlatWindow* window, int32_t* width, int32_t* height);
// Sets the window's icon from width x height RGBA pixels, rows top first; sides outside
// 1..platMaxIconSide are ignored. The pixels are copied.
void platSetWindowIcon(PlatWindow* window, const uint8_t* rgba, int32_t width, int32_t height);
// Test and tool helpers: the user moving or resizing the window (a size platCreateWindow would
// refuse is ignored).
void platMoveWindow(PlatWindow* window, int32_t x, int32_t y);
void platResizeWindow(PlatWindow* window, int32_t clientWidth, int32_t clientHeight);

// --- Display mode and pointer -----------------------------------------------------------

// Asks for a temporary display mode: fullscreen windows made afterwards switch the display to the
// closest mode it has. Always true.
bool platChangeDisplayMode(uint32_t width, uint32_t height, uint32_t bitsPerPixel);
// Returns to the user's own mode.
void platRestoreDisplayMode();
// The pointer's display counter: show raises it, hide lowers it; the pointer is hidden while the
// counter is below 0. Returns the new counter.
int32_t platShowCursor(bool show);
// Whether the screen saver may start (false while a window of ours exists and has not let it).
bool platScreenSaverAllowed();

// --- GL context -------------------------------------------------------------------------

// Creates an OpenGL compatibility context for the window (its pixel format came with the window).
// Returns null on failure.
PlatContext* platCreateContext(PlatWindow* window);
// Makes the context current on the window; (null, null) releases the current context.
// A context may be made current on a window created after the one it was made with.
bool platMakeCurrent(PlatWindow* window, PlatContext* context);
void platDeleteContext(PlatContext* context);
void platSwapBuffers(PlatWindow* window);
// How many times platSwapBuffers has shown a frame (a live window's), since the start: a diagnostic.
uint32_t platSwapCount();

// --- Clock ------------------------------------------------------------------------------

// Test seam: the millisecond clock. The default is the system's monotonic clock.
typedef uint32_t (*ClockSource)();
extern ClockSource platClockSource;
uint32_t platReadSystemClock();
// Unsigned 32-bit milliseconds from the installed clock, wrapping modulo 2^32.
uint32_t systemTime();

// --- Glyph rasteriser ---------------------------------------------------------------------

typedef struct PlatFont PlatFont;

// Metrics of one glyph, in pixels. The black box is the inked rectangle; the origin is the black
// box's top-left relative to the pen on the baseline (x to the right, y up to the box top).
struct PlatGlyphMetrics {
    int32_t blackBoxWidth;
    int32_t blackBoxHeight;
    int32_t originX;
    int32_t originY;
    int32_t advance;  // horizontal pen movement
};

// Opens the face the system resolves for the name (at most platMaxFaceName bytes) and weight
// (400 regular, 600 semibold; taken into 100..900) with an em height of pixelHeight
// (1..platMaxGlyphHeight). Returns null when no face can be found or loaded; platLastError() then
// says why and, for a face the system lacks, what to install.
PlatFont* platCreateFont(const char* faceName, int32_t pixelHeight, int32_t weight);
void platDeleteFont(PlatFont* font);
// Rasterises a character code (platFirstGlyphCode..platLastGlyphCode) into a coverage bitmap of
// 65 levels (0..64), rows top first, each row padded to a multiple of 4 bytes. Fills metrics and returns the bitmap's byte count;
// the bitmap is written only when buffer is not null and capacity is at least that count.
// Returns 0 with zeroed metrics when the glyph cannot be rasterised or the code is outside the range.
uint32_t platGlyphBitmap(PlatFont* font, uint32_t code, PlatGlyphMetrics* metrics, uint8_t* buffer, uint32_t capacity);
// Which face answered, for tests and diagnostics: its family and style as the system names them,
// followed by " (file)" where the system reads faces from files. Owned by the font, valid until
// it is deleted; empty for null.
const char* platFontDescription(PlatFont* font);

// --- Console and process ----------------------------------------------------------------

// Writes bytes to standard output. Returns the count written, or -1 when nothing was written.
int32_t platWriteStdout(const void* bytes, uint32_t count);
// Writes one line of text to standard error (a newline is added).
void platReportError(const char* text);
// Why the last window, context or font creation failed (empty once a font was created); never null.
const char* platLastError();
// Ends the video system; windows and contexts must already be gone.
void platShutdown();

// A file a session is kept in, as stdio's FILE (the caller closes it with fclose): writing makes it
// anew. Natively the file system's file at path; in the page a file of the page's memory by that
// name, which the page gives (a replay the player opened) and takes back (a record to save). Null
// when it cannot be opened; errno says why.
FILE* platOpenFile(const char* path, bool writing);
