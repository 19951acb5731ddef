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

#define CATALOGUE_ENTRY(name, file, keyed, rescaleWidth, rescaleHeight, nearest, release) \
    {&tex##name, picture##name, keyed != 0, rescaleWidth, rescaleHeight, nearest != 0},
const CatalogueEntry catalogue[gamePictureCount] = {GAME_PICTURES(CATALOGUE_ENTRY)};
#undef CATALOGUE_ENTRY

// Each picture's place in the release order, in catalogue order.
#define RELEASE_PLACE(name, file, keyed, rescaleWidth, rescaleHeight, nearest, release) release,
constexpr uint32_t releasePlaces[gamePictureCount] = {GAME_PICTURES(RELEASE_PLACE)};
#undef RELEASE_PLACE

constexpr bool everyReleasePlaceOnce() {
    for (uint32_t place = 0; place < gamePictureCount; ++place) {
        uint32_t holders = 0;
        for (uint32_t taken : releasePlaces) holders += taken == place ? 1 : 0;
        if (holders != 1) return false;
    }
    return true;
}
static_assert(everyReleasePlaceOnce(), "picture_list.h: each release place from 0 to the count less 1 exactly once");

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
    for (uint32_t place = 0; place < gamePictureCount; ++place)
        for (uint32_t i = 0; i < gamePictureCount; ++i)
            if (releasePlaces[i] == place) glDeleteTextures(1, &catalogue[i].texture->name);
}
