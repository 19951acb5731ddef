// SPDX-License-Identifier: MIT
// The main window, its OpenGL context and the frame present.
//
// The GL context is made once and kept for the whole run: a fullscreen/window switch destroys
// and recreates the window only, and the same context is made current on the new one, so
// textures, display lists and the glyph font stay valid across the switch.
#pragma once
#include <stdint.h>

#include "platform/platform.h"

// Outer top-left (x, y, screen pixels) and client size (width, height, pixels) of a window.
struct ScreenRect {
    int32_t x, y, width, height;
};

extern ScreenRect windowedRect;    // where the windowed window opens
extern ScreenRect fullscreenRect;  // where the fullscreen window opens
extern ScreenRect currentRect;     // the live window, kept up to date by WM_MOVE and WM_SIZE
// Where in the client area the picture is shown (x, y from its top-left, pixels): all of it in a
// window; in fullscreen the largest box of the picture's shape, centred, with black bars around it.
// Laid out by resizeViewport; readers map the pointer through it. A replay sets it to the recorded
// window's box, and the picture stays where resizeViewport laid it out in the live window.
extern ScreenRect shownRect;
// While set, presentFrame finishes the frame's drawing but does not show it: a replay that runs
// behind its record skips showing frames (a shown frame may wait for the display's refresh).
extern bool framesHidden;

extern PlatWindow* mainWindow;      // null while no window exists
extern PlatContext* renderContext;  // null until the first window; kept across switches
// The render-state preset last selected; re-run on every viewport change. Null at start.
extern void (*currentPreset)();
// Pixels of the window icon (appIconSide x appIconSide RGBA, rows top first) or null for none;
// set before creation.
enum { appIconSide = 16 };
extern const uint8_t* appIcon;

// Creates the window for the mode in displayConfig.fullscreen, with the context current on it,
// shown and focused, the viewport and default GL state set; procedure receives its messages (the
// app hands over the shell's windowProc). False when no window or no GL context could be made
// (platLastError() says why); nothing is left open then.
bool createMainWindow(WindowProc procedure);
// Saves the window's position and client size into the current mode's rect, returns to the
// user's display mode and destroys the window. The GL context is released, not deleted.
void destroyMainWindow();
// Deletes the GL context (at shutdown, after the window is gone).
void releaseRenderContext();

// Sets rect.x, rect.y from the window's outer top-left; untouched when the window is null.
void storeWindowPosition(PlatWindow* window, ScreenRect& rect);
// Sets rect.width, rect.height from the client size; untouched when the window is null.
void storeClientSize(PlatWindow* window, ScreenRect& rect);
// Lays out shownRect in a client area of that size (a height of 0 counts as 1) and makes it the
// viewport; then re-runs currentPreset.
void resizeViewport(uint32_t width, uint32_t height);
// The starting GL state of every new window. Always true.
bool applyDefaultGlState();
// Blackens the bars around the picture (the GL state is left as it was), finishes the frame's
// drawing and shows it (unless framesHidden). (The sequencer's tick then tells the input state.)
void presentFrame();
