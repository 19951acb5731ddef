// SPDX-License-Identifier: MIT
// The game's pictures (picture_list.h): their textures, loading them when the title scene begins,
// releasing them.
#pragma once
#include "assets/image.h"
#include "assets/stream.h"
#include "game/picture_list.h"

// texBlast1, texChargeIcon, ... texGameOver: one texture per picture of game/picture_list.h.
#define GAME_DECLARE_TEXTURE(name, ...) extern Texture tex##name;
GAME_PICTURES(GAME_DECLARE_TEXTURE)
#undef GAME_DECLARE_TEXTURE

#define GAME_COUNT_PICTURE(...) +1
enum : uint32_t { magentaKey = 0xFFFF00FF, gamePictureCount = 0 GAME_PICTURES(GAME_COUNT_PICTURE) };
#undef GAME_COUNT_PICTURE

// The window icon: a 16 x 16 PCX picture, top row first (game/pictures/icon.pcx, embedded).
extern const EmbeddedFile appIconFile[];

// Decodes, keys, rescales (the field to 512 x 512, the title to 512 x 256) and uploads every
// picture in the list's order, dropping their pixels; then selects the 2D preset and raises the
// pointer's display count once. Needs the GL context current. A picture that fails to decode is
// left without an image and draws nothing.
void loadGameAssets();
// Deletes the GL textures in the list's release order; the Texture records keep their (now stale)
// names.
void releaseGameAssets();
