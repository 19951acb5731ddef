// SPDX-License-Identifier: MIT
// The game's pictures, listed once: the textures and their loading, the embed step and the tests
// all read this list (CMakeLists.txt reads the PICTURE lines as they are written here).
//
// PICTURE(name, file, keyed, rescaleWidth, rescaleHeight, nearest, release), in loading order:
//   name     the texture is tex<name>, the embedded file picture<name>
//   file     game/pictures/<file>.pcx
//   keyed    1: magenta is made transparent after decoding
//   rescaleWidth, rescaleHeight  the power-of-two size it is resampled to before upload; 0, 0: as it is
//   nearest  1: filtered nearest instead of linear
//   release  its place in the order releaseGameAssets deletes the textures, 0 first; every place
//            from 0 to the count less 1 once (assets.cpp fails to build otherwise)
// The window icon (game/pictures/icon.pcx, embedded as appIconFile) is not a texture and not listed.
#pragma once

#define GAME_PICTURES(PICTURE)                          \
    PICTURE(Blast1, blast1, 1, 0, 0, 0, 0)              \
    PICTURE(ChargeIcon, charge_icon, 1, 0, 0, 0, 10)    \
    PICTURE(Blast2, blast2, 1, 0, 0, 0, 1)              \
    PICTURE(Blast3, blast3, 1, 0, 0, 0, 2)              \
    PICTURE(Critter1, critter1, 1, 0, 0, 0, 3)          \
    PICTURE(Critter2, critter2, 1, 0, 0, 0, 4)          \
    PICTURE(Charge1, charge1, 1, 0, 0, 0, 5)            \
    PICTURE(Charge2, charge2, 1, 0, 0, 0, 6)            \
    PICTURE(Burnt1, burnt1, 1, 0, 0, 0, 7)              \
    PICTURE(Burnt2, burnt2, 1, 0, 0, 0, 8)              \
    PICTURE(Burnt3, burnt3, 1, 0, 0, 0, 9)              \
    PICTURE(HandRight, hand_right, 1, 0, 0, 0, 16)      \
    PICTURE(HandLeft, hand_left, 1, 0, 0, 0, 15)        \
    PICTURE(HandIdle, hand_idle, 1, 0, 0, 0, 14)        \
    PICTURE(Background, background, 0, 512, 512, 0, 11) \
    PICTURE(Title, title, 0, 512, 256, 0, 12)           \
    PICTURE(GameOver, game_over, 1, 0, 0, 1, 13)
