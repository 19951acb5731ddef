// SPDX-License-Identifier: MIT
// The user's own display mode, shared by every copy of the program on one X display.
//
// A copy that starts while another holds the temporary mode sees that mode as the display's, so it
// cannot take the user's mode from the display. So the first copy to change the mode records the
// user's mode and the temporary one, each copy that holds the temporary mode (is fullscreen) adds
// itself as a holder, and later copies read the user's mode from the record. The temporary mode
// stays while any holder is alive; the last one out returns the display to the user's mode, whatever
// order the copies leave in. A record whose holders are all gone (killed) still counts while the
// display is in the temporary mode it names, since nobody restored it; once the display is in any
// other mode the user has chosen one since, and that one is recorded instead.
//
// The record lives on the display itself, so it needs no file and dies with the display: a property
// of the root window (_ZELMO_USER_MODE: user width, height, temporary width, height, then the
// holders), read and written under a server grab. A holder is the copy's fullscreen window, alive
// while it exists and carries the _ZELMO_MODE_HOLDER mark. The logic reaches the display only
// through a ModeStore, so that tests can hold the record without X. Used by the SDL backend only.
#pragma once
#include <stdint.h>

struct ScreenSize {
    int32_t width, height;  // pixels; 0 x 0 when unknown
};

enum { maxModeHolders = 64, modeRecordValues = 4 + maxModeHolders };

// Where the record is kept and the display's mode is read and set. Between lock and unlock no other
// copy reads or writes the record or the mode; every other call comes between the two.
struct ModeStore {
    bool (*lock)();  // false when there is no store (no display): nothing else is called then
    void (*unlock)();
    // Copies at most capacity values of the record as last written; returns how many (0: none).
    uint32_t (*read)(uint32_t* values, uint32_t capacity);
    void (*write)(const uint32_t* values, uint32_t count);  // count 0 removes the record
    void (*mark)(uint32_t holder, bool holding);            // marks one of this copy's windows
    bool (*alive)(uint32_t holder);                         // exists and is marked as holding
    ScreenSize (*current)();                                // the display's mode; 0 x 0 unknown
    bool (*set)(ScreenSize size);                           // false when the display has no such mode
};

// Records self (this copy's fullscreen window) as holding the temporary mode, the display being in
// the mode it is in now. Returns the user's mode: the recorded one while the record counts, else the
// current one; 0 x 0 when the store or the current mode cannot be had (nothing is held then).
// Holding twice is holding once; a record full of live holders takes no more (the copy still gets
// the user's mode).
ScreenSize userModeHold(const ModeStore& store, uint32_t self, ScreenSize temporary);
// Drops self from the record. While another holder is alive the display stays in (or goes back to)
// the temporary mode; otherwise it returns to the user's, the recorded one or, with no record left,
// the one this copy was given (user). The last holder out leaves no record.
void userModeLetGo(const ModeStore& store, uint32_t self, ScreenSize user);

// The store on the X display DISPLAY names: the root window's property under a server grab, the
// screen's size through RandR.
extern const ModeStore xModeStore;
