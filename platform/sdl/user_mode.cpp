// SPDX-License-Identifier: MIT
// The user's display mode recorded for every copy on one X display, and the X screen size through RandR.
#include "platform/sdl/user_mode.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <unistd.h>

enum { maxHolders = 64 };

struct ModeRecord {
    ScreenSize user, temporary;
    int32_t holders[maxHolders];
    int32_t holderCount;
};

static bool alive(int32_t pid) { return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM); }

static bool sameSize(ScreenSize a, ScreenSize b) { return a.width == b.width && a.height == b.height; }

// Opens and locks the display's record; -1 when there is no place for one.
static int openRecord(const char* display) {
    const char* dir = getenv("XDG_RUNTIME_DIR");
    if (!dir || !*dir || !display) return -1;
    char path[512];
    int length = snprintf(path, sizeof path, "%s/zelmo-mode-", dir);
    if (length < 0 || (size_t)length >= sizeof path) return -1;
    for (const char* c = display; *c && (size_t)length + 1 < sizeof path; ++c)
        path[length++] = *c == '/' ? '_' : *c;
    path[length] = 0;
    int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0 && flock(fd, LOCK_EX) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Reads the record, keeping only live holders; an empty or unreadable file is an empty record.
static ModeRecord readRecord(int fd) {
    ModeRecord record = {};
    char text[1024];
    ssize_t length = pread(fd, text, sizeof text - 1, 0);
    text[length > 0 ? length : 0] = 0;
    char* at = text;
    long values[4];
    for (long& value : values) {
        char* end;
        value = strtol(at, &end, 10);
        if (end == at) return {};
        at = end;
    }
    record.user = {(int32_t)values[0], (int32_t)values[1]};
    record.temporary = {(int32_t)values[2], (int32_t)values[3]};
    for (char* end;; at = end) {
        long pid = strtol(at, &end, 10);
        if (end == at || record.holderCount == maxHolders) break;
        if (alive((int32_t)pid)) record.holders[record.holderCount++] = (int32_t)pid;
    }
    return record;
}

static void writeRecord(int fd, const ModeRecord& record) {
    char text[1024];
    int length = 0;
    if (record.holderCount > 0) {
        length = snprintf(text, sizeof text, "%d %d %d %d", record.user.width, record.user.height,
                          record.temporary.width, record.temporary.height);
        for (int32_t i = 0; i < record.holderCount; ++i)
            length += snprintf(text + length, sizeof text - (size_t)length, " %d", record.holders[i]);
        text[length++] = '\n';
    }
    if (ftruncate(fd, 0) == 0 && length > 0 && pwrite(fd, text, (size_t)length, 0) != length &&
        ftruncate(fd, 0) != 0) {
        // half a record is no record; nothing more can be done when even emptying it fails
    }
}

static bool holds(const ModeRecord& record, int32_t pid) {
    for (int32_t i = 0; i < record.holderCount; ++i)
        if (record.holders[i] == pid) return true;
    return false;
}

ScreenSize userModeHold(const char* display, ScreenSize current, ScreenSize temporary) {
    int fd = openRecord(display);
    if (fd < 0) return current;
    ModeRecord record = readRecord(fd);
    int32_t self = (int32_t)getpid();
    // Holders killed before they could restore leave the display in their temporary mode.
    bool counts = record.holderCount > 0 || (record.user.width > 0 && sameSize(current, record.temporary));
    if (!counts) record = {current, temporary, {}, 0};
    if (!holds(record, self) && record.holderCount < maxHolders) record.holders[record.holderCount++] = self;
    writeRecord(fd, record);
    close(fd);  // also unlocks
    return record.user;
}

void userModeLetGo(const char* display) {
    int fd = openRecord(display);
    if (fd < 0) return;
    ModeRecord record = readRecord(fd);
    int32_t self = (int32_t)getpid(), kept = 0;
    for (int32_t i = 0; i < record.holderCount; ++i)
        if (record.holders[i] != self) record.holders[kept++] = record.holders[i];
    record.holderCount = kept;
    writeRecord(fd, record);
    close(fd);
}

// --- RandR --------------------------------------------------------------------------------------

ScreenSize xScreenSize(const char* display) {
    ScreenSize size = {0, 0};
    Display* x = XOpenDisplay(display);
    if (!x) return size;
    XRRScreenConfiguration* config = XRRGetScreenInfo(x, DefaultRootWindow(x));
    if (config) {
        int count = 0;
        Rotation rotation;
        XRRScreenSize* sizes = XRRConfigSizes(config, &count);
        SizeID index = XRRConfigCurrentConfiguration(config, &rotation);
        if (index < count) size = {sizes[index].width, sizes[index].height};
        XRRFreeScreenConfigInfo(config);
    }
    XCloseDisplay(x);
    return size;
}

bool xSetScreenSize(const char* display, ScreenSize size) {
    Display* x = XOpenDisplay(display);
    if (!x) return false;
    bool set = false;
    Window root = DefaultRootWindow(x);
    XRRScreenConfiguration* config = XRRGetScreenInfo(x, root);
    if (config) {
        int count = 0;
        Rotation rotation;
        XRRScreenSize* sizes = XRRConfigSizes(config, &count);
        XRRConfigCurrentConfiguration(config, &rotation);
        for (int i = 0; i < count && !set; ++i)
            if (sizes[i].width == size.width && sizes[i].height == size.height)
                set = XRRSetScreenConfig(x, config, root, i, rotation, CurrentTime) == Success;
        XRRFreeScreenConfigInfo(config);
    }
    XCloseDisplay(x);
    return set;
}
