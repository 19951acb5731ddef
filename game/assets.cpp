// The catalogue of the game's pictures and their loading.
#include "game/assets.h"

#include <GL/gl.h>

#include "assets/pcx.h"
#include "platform/platform.h"
#include "shell/presets.h"

Texture texBlast1, texChargeIcon, texBlast2, texBlast3, texCritter1, texCritter2, texCharge1, texCharge2, texBurnt1,
    texBurnt2, texBurnt3, texHandRight, texHandLeft, texHandIdle, texBackground, texTitle, texGameOver;

// The pictures, compiled into the program (game/pictures, embedded at build time).
extern const EmbeddedFile pictureBlast1[], pictureChargeIcon[], pictureBlast2[], pictureBlast3[], pictureCritter1[],
    pictureCritter2[], pictureCharge1[], pictureCharge2[], pictureBurnt1[], pictureBurnt2[], pictureBurnt3[],
    pictureHandRight[], pictureHandLeft[], pictureHandIdle[], pictureBackground[], pictureTitle[], pictureGameOver[];

namespace {

struct CatalogueEntry {
    Texture* texture;
    const EmbeddedFile* file;
    bool keyed;
    int32_t rescaleWidth, rescaleHeight;  // 0: kept as it is
    bool nearest;
};

const CatalogueEntry catalogue[gamePictureCount] = {
    {&texBlast1, pictureBlast1, true, 0, 0, false},
    {&texChargeIcon, pictureChargeIcon, true, 0, 0, false},
    {&texBlast2, pictureBlast2, true, 0, 0, false},
    {&texBlast3, pictureBlast3, true, 0, 0, false},
    {&texCritter1, pictureCritter1, true, 0, 0, false},
    {&texCritter2, pictureCritter2, true, 0, 0, false},
    {&texCharge1, pictureCharge1, true, 0, 0, false},
    {&texCharge2, pictureCharge2, true, 0, 0, false},
    {&texBurnt1, pictureBurnt1, true, 0, 0, false},
    {&texBurnt2, pictureBurnt2, true, 0, 0, false},
    {&texBurnt3, pictureBurnt3, true, 0, 0, false},
    {&texHandRight, pictureHandRight, true, 0, 0, false},
    {&texHandLeft, pictureHandLeft, true, 0, 0, false},
    {&texHandIdle, pictureHandIdle, true, 0, 0, false},
    {&texBackground, pictureBackground, false, 512, 512, false},
    {&texTitle, pictureTitle, false, 512, 256, false},
    {&texGameOver, pictureGameOver, true, 0, 0, true},
};

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
