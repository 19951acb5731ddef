// SPDX-License-Identifier: MIT
// The program's command line, read with getopt_long before the window and the display are touched.
#include "app/command_line.h"

#include <getopt.h>
#include <string.h>

#include "app/record.h"
#include "platform/platform.h"
#include "shell/config.h"
#include "support/support.h"

static const char usageFormat[] =
    "Usage: %s [OPTION]...\n"
    "%s\n"
    "\n"
    "  -f, --fullscreen   start fullscreen, the display switched to %u x %u (the default)\n"
    "  -w, --window       start in a window\n"
    "      --record FILE  keep the session in FILE as it is played\n"
    "      --replay FILE  play the session kept in FILE again, as it was played\n"
    "      --check        with --replay: no window, as fast as it can; exit 1 if it differs\n"
    "  -h, --help         show this help and exit\n"
    "  -v, --version      show the version and exit\n"
    "\n"
    "While it runs, F1 switches between fullscreen and a window, and Escape quits (a replay\n"
    "ends on Escape and takes no other input).\n";

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
        {"fullscreen", no_argument, nullptr, 'f'},   {"window", no_argument, nullptr, 'w'},
        {"help", no_argument, nullptr, 'h'},         {"version", no_argument, nullptr, 'v'},
        {"record", required_argument, nullptr, 'R'}, {"replay", required_argument, nullptr, 'P'},
        {"check", no_argument, nullptr, 'C'},        {nullptr, 0, nullptr, 0},
    };
    char text[formatLimit];
    uint8_t fullscreen = displayConfig.fullscreen;  // set only once the whole line is read
    SessionOptions session = {nullptr, nullptr, false, about.version};
    optind = 0;  // a full restart of the scan
    opterr = 0;  // getopt's own messages take two lines; ours names the option and points at --help
    for (int option; (option = getopt_long(argc, argv, ":fwhv", options, nullptr)) != -1;) {
        switch (option) {
        case 'f': fullscreen = 1; break;
        case 'w': fullscreen = 0; break;
        case 'R': session.recordPath = optarg; break;
        case 'P': session.replayPath = optarg; break;
        case 'C': session.check = true; break;
        case ':': return usageError(about, "a file name must follow", argv[optind - 1]);
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
    if (session.check && !session.replayPath)
        return usageError(about, "--check checks a replay: name it with", "--replay");
    if (session.recordPath && session.replayPath)
        return usageError(about, "a replay is not recorded: drop", "--record");
    displayConfig.fullscreen = fullscreen;
    sessionOptions = session;
    return appRun;
}
