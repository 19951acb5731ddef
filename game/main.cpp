// SPDX-License-Identifier: MIT
// The zelmo executable: its command line, then the framework running the game's scene table, with the game's icon.
#include "app/app.h"
#include "app/command_line.h"
#include "game/assets.h"
#include "game/rules.h"

// The whole program, as main runs it; apart from main so that a test program (which has its own) can.
int zelmoMain(int argc, char** argv) {
    // ZELMO_VERSION is the build's one version (the project's, in CMakeLists.txt).
    static const AppAbout about = {"zelmo", ZELMO_VERSION,
                                   "Mouse-driven arcade game: steer a homing charge and toast the critters."};
    int code = appReadCommandLine(argc, argv, about);
    return code != appRun ? code : (int)appMain(gameScenes, appIconFile, gameStateParts);
}

#ifndef ZELMO_TEST_PROGRAM
int main(int argc, char** argv) { return zelmoMain(argc, argv); }
#endif
