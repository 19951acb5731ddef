// SPDX-License-Identifier: MIT
// The player's key presses on an X display, from the X input extension's raw key events.
#include "platform/sdl/x11_keys.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <stdlib.h>
#include <string.h>

static Display* x;  // the watch's own connection; raw events come to it whatever SDL reads
static int inputOpcode;
static bool rawSeen;  // a raw key event has come: the server sends them

// The last raw presses, with whether a core press (or a hand-over) has claimed each.
enum { recentPresses = 64, gapMs = 3000, maxDestroyed = 8 };
struct RawPress {
    uint32_t keycode, time;
    bool claimed;
};
static RawPress recent[recentPresses];
static uint32_t nextPress;

static uint32_t destroyed[maxDestroyed];  // windows of ours this program destroyed, newest last
static bool inGap;
static uint32_t gapStart;
static bool handedDown[256];  // pressed during a gap and handed over: its release is handed over too
void (*keyWatchHandOver)(uint32_t keycode, bool down);

bool keyWatchStart(void (*handOver)(uint32_t keycode, bool down)) {
    keyWatchHandOver = handOver;
    x = XOpenDisplay(getenv("DISPLAY"));
    int event = 0, error = 0, major = 2, minor = 2;
    if (!x || !XQueryExtension(x, "XInputExtension", &inputOpcode, &event, &error) ||
        XIQueryVersion(x, &major, &minor) != Success) {
        keyWatchStop();
        return false;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask = {XIAllMasterDevices, (int)sizeof bits, bits};
    XISelectEvents(x, DefaultRootWindow(x), &mask, 1);
    XFlush(x);
    return true;
}

void keyWatchStop() {
    if (x) XCloseDisplay(x);
    x = nullptr;
    rawSeen = inGap = false;
    memset(recent, 0, sizeof recent);
    memset(destroyed, 0, sizeof destroyed);
    memset(handedDown, 0, sizeof handedDown);
}

void keyWatchWindow(uint32_t window) {
    if (!x) return;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_FocusIn);
    XISetMask(bits, XI_FocusOut);
    XIEventMask mask = {XIAllMasterDevices, (int)sizeof bits, bits};
    XISelectEvents(x, (Window)window, &mask, 1);
    XSync(x, False);
}

void keyWatchDestroying(uint32_t window) {
    for (uint32_t i = 1; i < maxDestroyed; ++i) destroyed[i - 1] = destroyed[i];
    destroyed[maxDestroyed - 1] = window;
}

static bool destroyedByUs(uint32_t window) {
    for (uint32_t known : destroyed)
        if (known && known == window) return true;
    return false;
}

const char* keyWatchName(uint32_t keycode) {
    if (!x || keycode > 255) return nullptr;
    KeySym symbol = XkbKeycodeToKeysym(x, (KeyCode)keycode, 0, 0);
    return symbol == NoSymbol ? nullptr : XKeysymToString(symbol);
}

void keyWatchTake(const KeyWatchEvent& event) {
    if (event.kind == KeyWatchEvent::rawPress || event.kind == KeyWatchEvent::rawRelease) {
        uint32_t keycode = event.code & 0xFF;
        bool down = event.kind == KeyWatchEvent::rawPress, gap = inGap && event.time - gapStart < gapMs;
        rawSeen = true;
        if (down) recent[nextPress++ % recentPresses] = {keycode, event.time, gap};
        if (gap ? down : handedDown[keycode] && !down) {
            if (keyWatchHandOver) keyWatchHandOver(keycode, down);
            handedDown[keycode] = down;
        }
    } else if (!destroyedByUs(event.code)) {
        // The focus leaving a window this program destroys opens the gap (it may come back to it for
        // a moment, as the window under the pointer, while the focus follows the pointer); a live
        // window of ours taking the focus, or giving it to another program's, closes it.
        inGap = false;
    } else if (event.kind == KeyWatchEvent::focusOut && !inGap) {
        inGap = true;
        gapStart = event.time;
    }
}

// One event of the watch's connection, in the server's order.
static void take(XEvent& event) {
    if (event.xcookie.type != GenericEvent || event.xcookie.extension != inputOpcode ||
        !XGetEventData(x, &event.xcookie))
        return;
    int type = event.xcookie.evtype;
    if (type == XI_RawKeyPress || type == XI_RawKeyRelease) {
        const XIRawEvent* raw = (const XIRawEvent*)event.xcookie.data;
        keyWatchTake({type == XI_RawKeyPress ? KeyWatchEvent::rawPress : KeyWatchEvent::rawRelease,
                      (uint32_t)raw->detail, (uint32_t)raw->time});
    } else if (type == XI_FocusIn || type == XI_FocusOut) {
        const XIFocusOutEvent* focus = (const XIFocusOutEvent*)event.xcookie.data;
        keyWatchTake({type == XI_FocusIn ? KeyWatchEvent::focusIn : KeyWatchEvent::focusOut, (uint32_t)focus->event,
                      (uint32_t)focus->time});
    }
    XFreeEventData(x, &event.xcookie);
}

void keyWatchPump() {
    if (!x) return;
    XEvent event;
    while (XPending(x)) {
        XNextEvent(x, &event);
        take(event);
    }
}

CorePress keyWatchClassify(uint32_t keycode, uint32_t time) {
    if (x) {
        XSync(x, False);  // every raw event the server made before this press is here now
        keyWatchPump();
    }
    if (!rawSeen) return pressUnknown;
    for (RawPress& press : recent) {
        if (press.keycode != keycode || press.time != time) continue;
        if (press.claimed) return pressTaken;
        press.claimed = true;
        return pressFresh;
    }
    return pressRepeat;
}
