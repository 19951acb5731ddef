// SPDX-License-Identifier: MIT
// The user's display set-up recorded for every copy on one X display: the record's rules, its store on
// the display, and the guardian that gives the display back after a copy is killed.
#include "platform/sdl/user_mode.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

struct ModeRecord {
    DisplayState user, left;  // the user's set-up; the display as the last copy to change it left it
    uint32_t stamp;           // the time of that change
    uint32_t holders[maxModeHolders];
    uint32_t holderCount;
};

static bool same(const DisplayState& a, const DisplayState& b) {
    return a.width == b.width && a.height == b.height && a.mmWidth == b.mmWidth && a.mmHeight == b.mmHeight &&
           a.mode == b.mode;
}

static bool known(const DisplayState& state) { return state.width > 0 && state.height > 0; }

static bool holds(const ModeRecord& record, uint32_t holder) {
    for (uint32_t i = 0; i < record.holderCount; ++i)
        if (record.holders[i] == holder) return true;
    return false;
}

static DisplayState stateFrom(const uint32_t* values) {
    return {(int32_t)values[0], (int32_t)values[1], (int32_t)values[2], (int32_t)values[3], values[4]};
}

static void stateTo(const DisplayState& state, uint32_t* values) {
    const uint32_t all[displayStateValues] = {(uint32_t)state.width, (uint32_t)state.height, (uint32_t)state.mmWidth,
                                              (uint32_t)state.mmHeight, state.mode};
    for (uint32_t i = 0; i < displayStateValues; ++i) values[i] = all[i];
}

// The record with its live holders only. A record cut short, or with no user's set-up, is none.
static ModeRecord readRecord(const ModeStore& store) {
    uint32_t values[modeRecordValues] = {};
    uint32_t count = store.read(values, modeRecordValues);
    ModeRecord record = {};
    if (count < modeRecordHead || count > modeRecordValues || !known(stateFrom(values))) return record;
    record.user = stateFrom(values);
    record.left = stateFrom(values + displayStateValues);
    record.stamp = values[2 * displayStateValues];
    for (uint32_t i = modeRecordHead; i < count; ++i)
        if (values[i] && !holds(record, values[i]) && store.alive(values[i]))
            record.holders[record.holderCount++] = values[i];
    return record;
}

static void writeRecord(const ModeStore& store, const ModeRecord& record) {
    uint32_t values[modeRecordValues] = {};
    stateTo(record.user, values);
    stateTo(record.left, values + displayStateValues);
    values[2 * displayStateValues] = record.stamp;
    for (uint32_t i = 0; i < record.holderCount; ++i) values[modeRecordHead + i] = record.holders[i];
    store.write(values, record.holderCount > 0 ? modeRecordHead + record.holderCount : 0);
}

DisplayState userModeHold(const ModeStore& store, uint32_t self) {
    if (!store.lock()) return {};
    uint32_t stamp = 0;
    DisplayState current = store.current(&stamp);
    ModeRecord record = readRecord(store);
    // Holders killed before they could restore leave the display as they set it; a change since is
    // the user's, and what the user has now is his.
    bool counts = known(record.user) && (record.holderCount > 0 || record.stamp == stamp);
    if (!counts) record = {current, current, stamp, {}, 0};
    if (known(record.user)) {
        store.mark(self, true);
        if (!holds(record, self) && record.holderCount < maxModeHolders) record.holders[record.holderCount++] = self;
        writeRecord(store, record);
    }
    store.unlock();
    return known(record.user) ? record.user : DisplayState{};
}

void userModeLeft(const ModeStore& store, uint32_t self, int32_t width, int32_t height) {
    if (!store.lock()) return;
    ModeRecord record = readRecord(store);
    uint32_t stamp = 0;
    DisplayState current = store.current(&stamp);
    if (holds(record, self) && current.width == width && current.height == height) {
        record.left = current;
        record.stamp = stamp;
        writeRecord(store, record);
    }
    store.unlock();
}

void userModeLetGo(const ModeStore& store, uint32_t self, const DisplayState& user) {
    if (!store.lock()) return;
    store.mark(self, false);  // no longer alive as a holder: it drops out as the record is read
    ModeRecord record = readRecord(store);
    if (!known(record.user)) record.user = user;
    DisplayState wanted = record.holderCount > 0 ? record.left : record.user;
    // This copy's own leaving may have put the display in a set-up of its own (SDL's idea of the
    // desktop, with the millimetres SDL scaled).
    DisplayState current = store.current(&record.stamp);
    if (known(wanted) && !same(current, wanted) && store.set(wanted)) store.current(&record.stamp);
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
    xFailed = true;  // a holder's window that is gone, a size the screen refuses: nothing to end the program for
    return 0;
}

static bool xLock() {
    x = XOpenDisplay(getenv("DISPLAY"));
    if (!x) return false;
    otherHandler = XSetErrorHandler(noteXError);
    recordAtom = XInternAtom(x, "_ZELMO_USER_MODE", False);
    holderAtom = XInternAtom(x, "_ZELMO_MODE_HOLDER", False);
    // The screen's size in Xlib's own record follows the server's only through these events.
    XRRSelectInput(x, DefaultRootWindow(x), RRScreenChangeNotifyMask);
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
    XSync(x, False);  // an error of a request before (a gone holder's mark) is not this read's
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

// The output SDL switches (the primary one, else the first with a CRTC) and its CRTC; null for none.
struct Switched {
    XRRScreenResources* resources;
    RROutput output;
    XRROutputInfo* info;
    XRRCrtcInfo* crtc;
};

static Switched switchedOutput() {
    Switched found = {XRRGetScreenResourcesCurrent(x, DefaultRootWindow(x)), 0, nullptr, nullptr};
    if (!found.resources) return found;
    RROutput primary = XRRGetOutputPrimary(x, DefaultRootWindow(x));
    for (int i = -1; i < found.resources->noutput && !found.crtc; ++i) {
        RROutput output = i < 0 ? primary : found.resources->outputs[i];
        XRROutputInfo* info = output ? XRRGetOutputInfo(x, found.resources, output) : nullptr;
        if (info && info->crtc) found = {found.resources, output, info, XRRGetCrtcInfo(x, found.resources, info->crtc)};
        else if (info) XRRFreeOutputInfo(info);
    }
    return found;
}

static void freeSwitched(const Switched& found) {
    if (found.crtc) XRRFreeCrtcInfo(found.crtc);
    if (found.info) XRRFreeOutputInfo(found.info);
    if (found.resources) XRRFreeScreenResources(found.resources);
}

static DisplayState xCurrent(uint32_t* stamp) {
    XSync(x, False);
    XEvent event;
    while (XPending(x)) {
        XNextEvent(x, &event);
        XRRUpdateConfiguration(&event);
    }
    int screen = DefaultScreen(x);
    Switched found = switchedOutput();
    *stamp = found.resources ? (uint32_t)found.resources->timestamp : 0;
    DisplayState state = {DisplayWidth(x, screen), DisplayHeight(x, screen), DisplayWidthMM(x, screen),
                          DisplayHeightMM(x, screen), found.crtc ? (uint32_t)found.crtc->mode : 0u};
    freeSwitched(found);
    return state;
}

// As SDL switches: the CRTC off, so that any screen size fits it, the screen's size, the CRTC in its mode.
static bool xSet(const DisplayState& state) {
    Switched found = switchedOutput();
    bool offered = false;
    for (int i = 0; found.crtc && i < found.info->nmode; ++i) offered = offered || found.info->modes[i] == state.mode;
    xFailed = !offered;
    if (offered) {
        RRCrtc crtc = found.info->crtc;
        Window root = DefaultRootWindow(x);
        XRRSetCrtcConfig(x, found.resources, crtc, CurrentTime, 0, 0, None, found.crtc->rotation, nullptr, 0);
        XRRSetScreenSize(x, root, state.width, state.height, state.mmWidth, state.mmHeight);
        xFailed = xFailed || XRRSetCrtcConfig(x, found.resources, crtc, CurrentTime, found.crtc->x, found.crtc->y,
                                              state.mode, found.crtc->rotation, &found.output, 1) != Success;
        XSync(x, False);
    }
    freeSwitched(found);
    return !xFailed;
}

const ModeStore xModeStore = {xLock, xUnlock, xRead, xWrite, xMark, xAlive, xCurrent, xSet};
const ModeStore* userModeStore = nullptr;

// --- The guardian -------------------------------------------------------------------------------

struct GuardNote {
    uint32_t holder;  // 0: none
    DisplayState user;
};

static int guardSocket = -1;  // this copy's end

// Reads the copy's notes until its end closes; then lets go in the name of the window that held.
static void guard(int notes) {
    GuardNote last = {}, note;
    ssize_t got;
    while ((got = recv(notes, &note, sizeof note, MSG_WAITALL)) == (ssize_t)sizeof note || (got < 0 && errno == EINTR))
        if (got > 0) last = note;
    if (last.holder) userModeLetGo(xModeStore, last.holder, last.user);
}

bool userModeGuardStart() {
    if (guardSocket >= 0) return true;
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
    pid_t child = fork();
    if (child == 0) {
        // A grandchild, so that the copy never waits for it: a session of its own (no terminal, none
        // of its signals), no descriptor of the copy's but its end of the socket, which goes to 3.
        if (fork() != 0) _exit(0);
        setsid();
        prctl(PR_SET_NAME, "zelmo-guardian");
        int notes = fcntl(ends[1], F_DUPFD, 3), nothing = open("/dev/null", O_RDWR);
        for (int fd = 0; fd < 3; ++fd) dup2(nothing, fd);
        dup2(notes, 3);
        closefrom(4);
        guard(3);
        _exit(0);
    }
    close(ends[1]);
    if (child < 0) {
        close(ends[0]);
        return false;
    }
    waitpid(child, nullptr, 0);
    guardSocket = ends[0];
    return true;
}

void userModeGuardHolding(uint32_t holder, const DisplayState& user) {
    GuardNote note = {holder, user};
    if (guardSocket >= 0) send(guardSocket, &note, sizeof note, MSG_NOSIGNAL | MSG_DONTWAIT);
}

void userModeGuardEnd() {
    if (guardSocket >= 0) close(guardSocket);
    guardSocket = -1;
}
