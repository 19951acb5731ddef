// SPDX-License-Identifier: MIT
// Which key presses on an X display are the player's own, told apart from the key's repeat.
//
// SDL decides that a key press is a repeat from its own idea of which keys are down, which goes wrong
// across a mode switch: the release of a key may reach no window of ours (SDL then takes the next
// press for a repeat), and a press may reach the window being destroyed, or no window at all while
// the new one has not the focus yet. The X input extension's raw events tell the truth: the server
// sends one for every physical press and release, whichever window has the focus, and none for the
// repeat. So a core KeyPress is a fresh press exactly when a raw press of its key carries its server
// time; and a press (or release) made between a window of ours going away and the next one taking
// the focus is handed over from the raw events themselves. Used by the SDL backend under X only;
// without the extension (or before its first raw event) SDL's own judgement stands.
#pragma once
#include <stdint.h>

enum CorePress {
    pressUnknown,  // no raw events to judge by
    pressFresh,    // the player pressed the key
    pressRepeat,   // the system's repeat of a key held down
    pressTaken,    // a press already handed over from the raw events
};

// Opens the watch on the display DISPLAY names; each key pressed or released during a switch's gap
// is handed over, by its keycode, to handOver. False when the display has no X input extension 2.2.
bool keyWatchStart(void (*handOver)(uint32_t keycode, bool down));
// Closes the watch and forgets every event it took.
void keyWatchStop();

// One event as the watch takes it: a raw press or release of a keycode, or the focus coming to or
// leaving a window, at the server's time.
struct KeyWatchEvent {
    enum Kind { rawPress, rawRelease, focusIn, focusOut } kind;
    uint32_t code;  // the keycode, or the window
    uint32_t time;
};
// Test seams: what the watch does with each event of the server's, in the server's order
// (keyWatchPump feeds it), and where it hands keys over (keyWatchStart sets it).
void keyWatchTake(const KeyWatchEvent& event);
extern void (*keyWatchHandOver)(uint32_t keycode, bool down);
// A window of ours: its focus is followed. And one this program is about to destroy: the focus
// leaving it opens a switch's gap, which the next window of ours taking the focus closes.
void keyWatchWindow(uint32_t window);
void keyWatchDestroying(uint32_t window);
// What the core KeyPress of keycode at the server's time is, by the events taken so far (and, with
// the watch open, every one the server made before it).
CorePress keyWatchClassify(uint32_t keycode, uint32_t time);
// Reads what the server has sent, handing over what a gap holds.
void keyWatchPump();
// The name of the key symbol of a keycode in the first layout ("F1"); null for none.
const char* keyWatchName(uint32_t keycode);
