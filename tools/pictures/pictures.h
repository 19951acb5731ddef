// SPDX-License-Identifier: MIT
// The game's pictures, each painted in code.
#pragma once
#include "tools/pictures/canvas.h"

struct Picture {
    Canvas canvas;  // rows top first, as seen on screen
    bool keyed;     // transparent pixels become magenta
};

Picture critterPicture(int frame);  // 32 x 32, facing right
Picture chargePicture(int frame);   // 32 x 32, facing right
Picture chargeIconPicture();        // 32 x 32
Picture burntPicture(int stage);    // 32 x 32: charred, collapsing, ash
Picture blastPicture(int stage);    // 64 x 64: puff, thick ring, broken ring
Picture handPicture(int pose);      // 128 x 128: idle, left button, right button
Picture fieldPicture();             // 400 x 300
Picture titlePicture();             // 400 x 200
Picture gameOverPicture();          // 512 x 64
Picture iconPicture(int size);      // size x size swirl, 16 colours
// The desktop launcher's icon: the swirl on a black disc, transparent around it; RGBA, rows top first.
std::vector<uint8_t> launcherIconPixels(int size);
