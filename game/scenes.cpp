// The game's scene table: a start-up pause, then a screen that waits for a click.
#include <GL/gl.h>

#include "sequencer/sequencer.h"
#include "shell/input.h"

static bool waitForClickFrame() {
    glClearColor(0.2f, 0.4f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (!inputState.leftButton && !inputState.rightButton) return false;
    inputState.leftButton = 0;
    inputState.rightButton = 0;
    return true;
}

Scene gameScenes[] = {
    {1000, -1, -1, doNothing, alwaysTrue, alwaysFalse, 0, 0},
    {-1, -1, -1, doNothing, alwaysTrue, waitForClickFrame, 0, 0},
    {0, -1, -1, doNothing, alwaysFalse, nullptr, 0, 0},
};
