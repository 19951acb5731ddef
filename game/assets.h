// The game's 17 pictures: their textures, loading them when the title scene begins, releasing them.
#pragma once
#include "assets/image.h"

extern Texture texBlast1, texChargeIcon, texBlast2, texBlast3, texCritter1, texCritter2, texCharge1, texCharge2,
    texBurnt1, texBurnt2, texBurnt3, texHandRight, texHandLeft, texHandIdle, texBackground, texTitle, texGameOver;

enum : uint32_t { magentaKey = 0xFFFF00FF, gamePictureCount = 17 };

// Decodes, keys, rescales (the field to 512 x 512, the title to 512 x 256) and uploads all 17
// pictures in catalogue order, dropping their pixels; then selects the 2D preset and raises the
// pointer's display count once. Needs the GL context current. A picture that fails to decode is
// left without an image and draws nothing.
void loadGameAssets();
// Deletes the 17 GL textures; the Texture records keep their (now stale) names.
void releaseGameAssets();
