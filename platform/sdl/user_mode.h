// SPDX-License-Identifier: MIT
// The user's own display set-up, shared by every copy of the program on one X display, and given back
// after any end of the copy that changed it.
//
// A copy that starts while another holds the temporary mode sees that mode as the display's, so it
// cannot take the user's set-up from the display. So the first copy to change the mode records the
// user's set-up (the screen's size in pixels and millimetres and the mode: all that a switch
// changes, since SDL's scales the millimetres with the pixels), each copy that holds the temporary
// mode (is fullscreen) adds itself as a holder, and later copies read the user's set-up from the
// record. The temporary mode stays while any holder is alive; the last one out puts back the whole
// of the user's set-up, whatever order the copies leave in. Each copy that changes the display notes
// the server's time stamp of that change: a record whose holders are all gone (killed) still counts
// while the display is as the record left it, since nobody restored it; any change since (the user's
// own) drops it, and the display as it is becomes the user's.
//
// The record lives on the display itself, so it needs no file and dies with the display: a property
// of the root window (_ZELMO_USER_MODE: the user's set-up, the set-up last left, the time stamp, then
// the holders), read and written under a server grab. A holder is the copy's fullscreen window, alive
// while it exists and carries the _ZELMO_MODE_HOLDER mark. The logic reaches the display only through
// a ModeStore, so that tests can hold the record without X. Used by the SDL backend only.
//
// A copy killed outright (SIGKILL, a crash, the out-of-memory killer) cannot restore anything, so a
// guardian process does it: forked before the display is touched, in a session of its own with no
// terminal and no window, it holds its own X connection and learns from the copy, through a socket,
// which window holds the temporary mode. When the copy's end of the socket closes (the copy ended,
// however) while a window of it holds, the guardian lets go in its name; then it ends.
#pragma once
#include <stdint.h>

// The screen's set-up as far as a switch of mode changes it.
struct DisplayState {
    int32_t width, height;      // the screen, pixels; 0 x 0 when unknown
    int32_t mmWidth, mmHeight;  // the screen, millimetres
    uint32_t mode;              // the mode of the output the switch changes (RandR's id), 0 when unknown
};

enum { maxModeHolders = 64, displayStateValues = 5, modeRecordHead = 2 * displayStateValues + 1 };
enum { modeRecordValues = modeRecordHead + maxModeHolders };

// Where the record is kept and the display's set-up is read and set. Between lock and unlock no other
// copy reads or writes the record or the display; every other call comes between the two.
struct ModeStore {
    bool (*lock)();  // false when there is no store (no display): nothing else is called then
    void (*unlock)();
    // Copies at most capacity values of the record as last written; returns how many (0: none).
    uint32_t (*read)(uint32_t* values, uint32_t capacity);
    void (*write)(const uint32_t* values, uint32_t count);  // count 0 removes the record
    void (*mark)(uint32_t holder, bool holding);            // marks one of this copy's windows
    bool (*alive)(uint32_t holder);                         // exists and is marked as holding
    // The display's set-up now (0 x 0 unknown), and in *stamp the time of its last change: every
    // change, whoever made it, gives a new one.
    DisplayState (*current)(uint32_t* stamp);
    bool (*set)(const DisplayState& state);  // false when the display has no such mode
};

// Records self (this copy's fullscreen window) as holding the temporary mode, which it is about to
// set. Returns the user's set-up: the recorded one while the record counts, else the current one;
// 0 x 0 when the store or the current set-up cannot be had (nothing is held then). Holding twice is
// holding once; a record full of live holders takes no more (the copy still gets the user's set-up).
DisplayState userModeHold(const ModeStore& store, uint32_t self);
// After self's switch to the temporary mode of width x height pixels: notes the display as self left
// it, and when; unless another copy has changed it since (it is in another mode).
void userModeLeft(const ModeStore& store, uint32_t self, int32_t width, int32_t height);
// Drops self from the record. While another holder is alive the display stays in (or goes back to)
// the set-up last left; otherwise it returns to the user's, the recorded one or, with no record left,
// the one this copy was given (user). The last holder out leaves no record.
void userModeLetGo(const ModeStore& store, uint32_t self, const DisplayState& user);

// The store on the X display DISPLAY names: the root window's property under a server grab, the
// screen through RandR 1.2 (the output SDL switches: the primary one, else the first with a CRTC).
extern const ModeStore xModeStore;
// The store the SDL backend keeps the record in while it runs on X; null for none. A seam for tests.
extern const ModeStore* userModeStore;

// Starts the guardian (once); false when it cannot be started. Call before the display is touched.
bool userModeGuardStart();
// Tells the guardian which window of this copy holds the temporary mode (0: none) and the user's set-up.
void userModeGuardHolding(uint32_t holder, const DisplayState& user);
// Ends the guardian after a clean end (let go of first): it does nothing more.
void userModeGuardEnd();
