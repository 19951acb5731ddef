// SPDX-License-Identifier: MIT
// The catalogue of the game's pictures and their loading.
#include "game/assets.h"

#include "assets/pcx.h"
#include "platform/gl.h"
#include "platform/platform.h"
#include "shell/presets.h"

#define DEFINE_TEXTURE(name, ...) Texture tex##name;
GAME_PICTURES(DEFINE_TEXTURE)
#undef DEFINE_TEXTURE

// The pictures, compiled into the program (game/pictures, embedded at build time).
#define DECLARE_FILE(name, ...) extern const EmbeddedFile picture##name[];
GAME_PICTURES(DECLARE_FILE)
#undef DECLARE_FILE

namespace {

struct CatalogueEntry {
    Texture* texture;
    const EmbeddedFile* file;
    bool keyed;
    int32_t rescaleWidth, rescaleHeight;  // 0: kept as it is
    bool nearest;
};

#define CATALOGUE_ENTRY(name, file, keyed, rescaleWidth, rescaleHeight, nearest) \
    {&tex##name, picture##name, keyed != 0, rescaleWidth, rescaleHeight, nearest != 0},
const CatalogueEntry catalogue[gamePictureCount] = {GAME_PICTURES(CATALOGUE_ENTRY)};
#undef CATALOGUE_ENTRY

}  // namespace

void loadGameAssets() {
    for (const CatalogueEntry& entry : catalogue) {
        Texture& texture = *entry.texture;
        loadPcx(texture, entry.file, streamBackendDefault);
        if (entry.keyed) applyColorKey(texture, magentaKey);
        if (entry.rescaleWidth) rescaleImage(texture, entry.rescaleWidth, entry.rescaleHeight, GL_RGBA);
        if (entry.nearest) texture.linear = 0;
        uploadAndDropPixels(texture, GL_RGBA);
    }
    apply2dPreset();
    platShowCursor(true);
}

void releaseGameAssets() {
    // The order of the textures' creation, less the charge icon's place.
    Texture* order[gamePictureCount] = {&texBlast1,  &texBlast2,     &texBlast3,  &texCritter1, &texCritter2, &texCharge1,
                                        &texCharge2, &texBurnt1,     &texBurnt2,  &texBurnt3,   &texChargeIcon,
                                        &texBackground, &texTitle,   &texGameOver, &texHandIdle, &texHandLeft,
                                        &texHandRight};
    for (Texture* texture : order) glDeleteTextures(1, &texture->name);
}
