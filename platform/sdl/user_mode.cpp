// SPDX-License-Identifier: MIT
// The user's display mode recorded for every copy on one X display: the record's rules, and its store on the display.
#include "platform/sdl/user_mode.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <stdlib.h>

struct ModeRecord {
    ScreenSize user, temporary;
    uint32_t holders[maxModeHolders];
    uint32_t holderCount;
};

static bool sameSize(ScreenSize a, ScreenSize b) { return a.width == b.width && a.height == b.height; }

static bool holds(const ModeRecord& record, uint32_t holder) {
    for (uint32_t i = 0; i < record.holderCount; ++i)
        if (record.holders[i] == holder) return true;
    return false;
}

// The record with its live holders only. A record cut short, or with no user's mode, is none.
static ModeRecord readRecord(const ModeStore& store) {
    uint32_t values[modeRecordValues] = {};
    uint32_t count = store.read(values, modeRecordValues);
    ModeRecord record = {};
    if (count < 4 || count > modeRecordValues || values[0] == 0 || values[1] == 0) return record;
    record.user = {(int32_t)values[0], (int32_t)values[1]};
    record.temporary = {(int32_t)values[2], (int32_t)values[3]};
    for (uint32_t i = 4; i < count; ++i)
        if (values[i] && !holds(record, values[i]) && store.alive(values[i]))
            record.holders[record.holderCount++] = values[i];
    return record;
}

static void writeRecord(const ModeStore& store, const ModeRecord& record) {
    uint32_t values[modeRecordValues] = {(uint32_t)record.user.width, (uint32_t)record.user.height,
                                         (uint32_t)record.temporary.width, (uint32_t)record.temporary.height};
    for (uint32_t i = 0; i < record.holderCount; ++i) values[4 + i] = record.holders[i];
    store.write(values, record.holderCount > 0 ? 4 + record.holderCount : 0);
}

ScreenSize userModeHold(const ModeStore& store, uint32_t self, ScreenSize temporary) {
    if (!store.lock()) return {0, 0};
    ScreenSize current = store.current();
    ModeRecord record = readRecord(store);
    // Holders killed before they could restore leave the display in their temporary mode.
    bool counts = record.holderCount > 0 || (record.user.width > 0 && sameSize(current, record.temporary));
    if (!counts) record = {current, temporary, {}, 0};
    if (record.user.width > 0 && record.user.height > 0) {
        store.mark(self, true);
        if (!holds(record, self) && record.holderCount < maxModeHolders) record.holders[record.holderCount++] = self;
        writeRecord(store, record);
    }
    store.unlock();
    return record.user.width > 0 && record.user.height > 0 ? record.user : ScreenSize{0, 0};
}

void userModeLetGo(const ModeStore& store, uint32_t self, ScreenSize user) {
    if (!store.lock()) return;
    store.mark(self, false);  // no longer alive as a holder: it drops out as the record is read
    ModeRecord record = readRecord(store);
    if (record.user.width == 0) record.user = user;
    ScreenSize wanted = record.holderCount > 0 ? record.temporary : record.user;
    // This copy's own leaving may have put the display in a mode of its own (SDL's idea of the desktop).
    if (wanted.width > 0 && !sameSize(store.current(), wanted)) store.set(wanted);
    writeRecord(store, record);
    store.unlock();
}

// --- The store on the X display -----------------------------------------------------------------

// One connection per use, holding the grab: under the grab no other connection is served, this
// program's own (SDL's) included, so every call goes through this one.
static Display* x;
static Atom recordAtom, holderAtom;
static XErrorHandler otherHandler;
static bool xFailed;

static int noteXError(Display*, XErrorEvent*) {
    xFailed = true;  // a holder's window that is gone; nothing to end the program for
    return 0;
}

static bool xLock() {
    x = XOpenDisplay(getenv("DISPLAY"));
    if (!x) return false;
    otherHandler = XSetErrorHandler(noteXError);
    recordAtom = XInternAtom(x, "_ZELMO_USER_MODE", False);
    holderAtom = XInternAtom(x, "_ZELMO_MODE_HOLDER", False);
    XGrabServer(x);
    return true;
}

static void xUnlock() {
    XUngrabServer(x);
    XSync(x, False);
    XSetErrorHandler(otherHandler);
    XCloseDisplay(x);
    x = nullptr;
}

// A property's 32-bit values; Xlib hands them over as longs.
static uint32_t readCardinals(Window window, Atom property, uint32_t* values, uint32_t capacity) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    xFailed = false;
    int status =
        XGetWindowProperty(x, window, property, 0, capacity, False, XA_CARDINAL, &type, &format, &count, &after, &data);
    uint32_t taken = 0;
    if (status == Success && !xFailed && type == XA_CARDINAL && format == 32 && data)
        for (; taken < count && taken < capacity; ++taken) values[taken] = (uint32_t)((long*)data)[taken];
    if (data) XFree(data);
    return taken;
}

static void writeCardinals(Window window, Atom property, const uint32_t* values, uint32_t count) {
    if (count == 0) {
        XDeleteProperty(x, window, property);
        return;
    }
    long longs[modeRecordValues];
    for (uint32_t i = 0; i < count && i < modeRecordValues; ++i) longs[i] = (long)values[i];
    XChangeProperty(x, window, property, XA_CARDINAL, 32, PropModeReplace, (unsigned char*)longs, (int)count);
}

static uint32_t xRead(uint32_t* values, uint32_t capacity) {
    return readCardinals(DefaultRootWindow(x), recordAtom, values, capacity);
}

static void xWrite(const uint32_t* values, uint32_t count) {
    writeCardinals(DefaultRootWindow(x), recordAtom, values, count);
}

static void xMark(uint32_t holder, bool holding) {
    uint32_t one = 1;
    writeCardinals((Window)holder, holderAtom, &one, holding ? 1 : 0);
}

static bool xAlive(uint32_t holder) {
    uint32_t mark = 0;
    return readCardinals((Window)holder, holderAtom, &mark, 1) == 1 && mark == 1;
}

static ScreenSize xCurrent() {
    ScreenSize size = {0, 0};
    XRRScreenConfiguration* config = XRRGetScreenInfo(x, DefaultRootWindow(x));
    if (!config) return size;
    int count = 0;
    Rotation rotation;
    XRRScreenSize* sizes = XRRConfigSizes(config, &count);
    SizeID index = XRRConfigCurrentConfiguration(config, &rotation);
    if (index < count) size = {sizes[index].width, sizes[index].height};
    XRRFreeScreenConfigInfo(config);
    return size;
}

static bool xSet(ScreenSize size) {
    Window root = DefaultRootWindow(x);
    XRRScreenConfiguration* config = XRRGetScreenInfo(x, root);
    if (!config) return false;
    bool set = false;
    int count = 0;
    Rotation rotation;
    XRRScreenSize* sizes = XRRConfigSizes(config, &count);
    XRRConfigCurrentConfiguration(config, &rotation);
    for (int i = 0; i < count && !set; ++i)
        if (sizes[i].width == size.width && sizes[i].height == size.height)
            set = XRRSetScreenConfig(x, config, root, i, rotation, CurrentTime) == Success;
    XRRFreeScreenConfigInfo(config);
    return set;
}

const ModeStore xModeStore = {xLock, xUnlock, xRead, xWrite, xMark, xAlive, xCurrent, xSet};
