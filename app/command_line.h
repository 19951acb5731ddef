// SPDX-License-Identifier: MIT
// The program's command line: how the run starts (fullscreen or in a window, recorded or replayed),
// help and version.
//
// Options: -f/--fullscreen (the default), -w/--window, --record FILE, --replay FILE, --check (with
// --replay only), -h/--help, -v/--version, read with libc's getopt_long (long options may be
// shortened to any unique prefix; the last of -f and -w wins, as does the last of each FILE).
#pragma once

// What --help and --version say about the program; the strings are borrowed for the call.
struct AppAbout {
    const char* name;     // the command's name, as the user types it ("zelmo")
    const char* version;  // the build's version ("1.0.0")
    const char* summary;  // one sentence under the usage line
};

enum { appRun = -1 };

// Reads argv[1..argc-1] before anything of the system is started (no display is needed).
// Returns appRun when the program should run, displayConfig.fullscreen and sessionOptions (record.h;
// the paths borrowed from argv) set as the options ask; otherwise (both untouched) the exit code to
// end with at once: 0 after --help or --version (the text on standard output; 1 with a line on
// standard error when it cannot be written), 2 after an unknown option, an option without its file,
// --check without --replay, --record with --replay, or an argument that is not an option (one line
// on standard error naming it and pointing at --help).
// Starts a fresh getopt scan on every call.
int appReadCommandLine(int argc, char** argv, const AppAbout& about);
