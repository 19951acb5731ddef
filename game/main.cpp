// SPDX-License-Identifier: MIT
// The zelmo executable: the framework running the game's scene table, with the game's icon.
#include "app/app.h"
#include "game/assets.h"
#include "game/rules.h"

int main() { return (int)appMain(gameScenes, appIconFile); }
