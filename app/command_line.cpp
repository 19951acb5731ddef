// SPDX-License-Identifier: MIT
// The program's command line, read with getopt_long before the window and the display are touched.
#include "app/command_line.h"

#include <getopt.h>
#include <string.h>

#include "platform/platform.h"
#include "shell/config.h"
#include "support/support.h"

static const char usageFormat[] =
    "Usage: %s [OPTION]...\n"
    "%s\n"
    "\n"
    "  -f, --fullscreen  start fullscreen, the display switched to %u x %u (the default)\n"
    "  -w, --window      start in a window\n"
    "  -h, --help        show this help and exit\n"
    "  -v, --version     show the version and exit\n"
    "\n"
    "While it runs, F1 switches between fullscreen and a window, and Escape quits.\n";

// Help and version are asked-for output: a write that fails (a closed or full output) must not
// end the run as a success.
static int answer(const char* text) {
    uint32_t length = (uint32_t)strlen(text);
    if (platWriteStdout(text, length) == (int32_t)length) return 0;
    platReportError("cannot write to standard output");
    return 1;
}

static int usageError(const AppAbout& about, const char* what, const char* argument) {
    char line[formatLimit];
    formatString(line, "%s '%s'; '%s --help' lists the options", what, argument, about.name);
    platReportError(line);
    return 2;
}

int appReadCommandLine(int argc, char** argv, const AppAbout& about) {
    static const option options[] = {
        {"fullscreen", no_argument, nullptr, 'f'},
        {"window", no_argument, nullptr, 'w'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'v'},
        {nullptr, 0, nullptr, 0},
    };
    char text[formatLimit];
    uint8_t fullscreen = displayConfig.fullscreen;  // set only once the whole line is read
    optind = 0;                                     // a full restart of the scan
    opterr = 0;  // getopt's own messages take two lines; ours names the option and points at --help
    for (int option; (option = getopt_long(argc, argv, "fwhv", options, nullptr)) != -1;) {
        switch (option) {
        case 'f': fullscreen = 1; break;
        case 'w': fullscreen = 0; break;
        case 'h':
            formatString(text, usageFormat, about.name, about.summary, displayConfig.width, displayConfig.height);
            return answer(text);
        case 'v': formatString(text, "%s %s\n", about.name, about.version); return answer(text);
        default: {
            // An unknown long option, or a long one given a value, is named as it was written (getopt
            // has moved past it); an unknown short one by its letter, which may sit inside a group.
            const char* written = argv[optind - 1];
            bool asLong = strncmp(written, "--", 2) == 0 && (optopt == 0 || strchr(written, '='));
            char letter[3] = {'-', (char)optopt, 0};
            return usageError(about, "unknown option", asLong ? written : letter);
        }
        }
    }
    if (optind < argc) return usageError(about, "unexpected argument", argv[optind]);
    displayConfig.fullscreen = fullscreen;
    return appRun;
}
