// SPDX-License-Identifier: MIT
// The platform's millisecond clock and standard output, over POSIX, which every backend's system has.
#include "platform/platform.h"

#include <time.h>
#include <unistd.h>

uint32_t platReadSystemClock() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t ms = (uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u;
    return (uint32_t)ms;  // wraps modulo 2^32, like the system timer it stands in for
}

int32_t platWriteStdout(const void* bytes, uint32_t count) {
    ssize_t written = write(STDOUT_FILENO, bytes, count);
    return written < 0 ? -1 : (int32_t)written;
}
