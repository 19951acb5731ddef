// SPDX-License-Identifier: MIT
// The user's own display mode, shared by every copy of the program on one X display.
//
// A copy that starts while another holds the temporary mode sees that mode as the display's, so
// it cannot take the user's mode from the display. The first copy to change the mode records the
// user's mode, and the temporary one, in $XDG_RUNTIME_DIR/zelmo-mode-DISPLAY with the process ids
// of the copies holding a temporary mode; later copies read the user's mode from there, and each
// returns the display to it when it leaves its temporary mode, so the quit order does not matter.
// A record whose holders are all gone (killed) still counts while the display is in the temporary
// mode it names, since nobody restored it; once the display is in any other mode the user has
// chosen one since, and that one is recorded instead. Without XDG_RUNTIME_DIR nothing is shared
// and the current mode counts. Used by the SDL backend only; a flock serialises the copies.
#pragma once
#include <stdint.h>

struct ScreenSize {
    int32_t width, height;  // pixels; 0 x 0 when unknown
};

// Records this process as holding a temporary mode (temporary) on the display named by display
// (DISPLAY's value), whose mode is now current. Returns the user's mode: the recorded one while
// the record counts, otherwise current. Holding twice is holding once.
ScreenSize userModeHold(const char* display, ScreenSize current, ScreenSize temporary);
// Drops this process from the record; the last holder leaves an empty record. Harmless when not
// holding.
void userModeLetGo(const char* display);

// The X screen's current size through RandR; 0 x 0 when it cannot be read.
ScreenSize xScreenSize(const char* display);
// Sets the X screen to the RandR size of exactly that many pixels. False when there is none.
bool xSetScreenSize(const char* display, ScreenSize size);
