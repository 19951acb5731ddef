// SPDX-License-Identifier: MIT
// The play frame: critters, the charge, the blast, the displays and the cursor, in drawing order.

#include "draw/glyph_font.h"
#include "draw/sprite.h"
#include "game/assets.h"
#include "game/rules.h"
#include "platform/gl.h"
#include "shell/config.h"
#include "shell/input.h"
#include "shell/window.h"
#include "support/support.h"

namespace {

constexpr uint32_t turnChance = 200;    // of 32768, per axis and frame
constexpr uint32_t stepChance = 16384;  // of 32768, per axis and step check
constexpr uint32_t walkCycle = 600, walkHalf = 300;
constexpr uint32_t burnt1From = 900, burnt2From = 1050, burnt3From = 1200, toastedFrom = 1350;
constexpr int32_t iconX = 10, iconSpacing = 37, iconY = 558;
constexpr uint8_t textAlpha = 180, cursorAlpha = 208;

struct Spot {
    int32_t dx, dy;
};

// The smoke rings, innermost first; each ring's spots in drawing order.
const Spot ring0[] = {{0, 0}};
const Spot ring1[] = {{32, 0}, {-32, 0}, {0, 32}, {0, -32}};
const Spot ring2[] = {{32, 32}, {32, -32}, {-32, 32}, {-32, -32}, {64, 0}, {-64, 0}, {0, 64}, {0, -64}};
const Spot ring3[] = {{64, 32}, {64, -32}, {-64, 32}, {-64, -32}, {32, 64}, {32, -64}, {-32, 64}, {-32, -64}};
struct Ring {
    const Spot* spots;
    uint32_t count;
};
const Ring rings[4] = {{ring0, 1}, {ring1, 4}, {ring2, 8}, {ring3, 8}};

int32_t rounded(float value) { return (int32_t)roundToInt(value); }

bool firstWalkPicture(uint32_t now) { return now % walkCycle < walkHalf; }

// One axis of the mouse: a client pixel's offset into the box of side pixels, scaled to virtual
// pixels; a bar on either side (or a place past the client area) maps to the box's nearest edge.
uint32_t intoBox(int32_t offset, int32_t side, uint32_t virtualSide) {
    uint32_t scaled = virtualSide * (uint32_t)(offset > 0 ? offset : 0) / (uint32_t)side;
    return scaled < virtualSide ? scaled : virtualSide - 1;
}

// The mouse in virtual pixels, through the box the picture is shown in. A window without a client
// area keeps the last mapping.
void mapMouse() {
    if (shownRect.width <= 0 || shownRect.height <= 0) return;
    virtualMouse.x = intoBox((int32_t)inputState.mouseX - shownRect.x, shownRect.width, displayConfig.width);
    virtualMouse.y = intoBox((int32_t)inputState.mouseY - shownRect.y, shownRect.height, displayConfig.height);
}

void drawField() {
    fillScreen(0xFF000000);
    drawSpriteSized(0, 0, 800, 600, texBackground, 0, 0, 0, 0);
    for (uint32_t i = 0; i < charges; ++i) drawSpriteAt(iconX + iconSpacing * (int32_t)i, iconY, texChargeIcon);
    glColor4ub(255, 255, 255, textAlpha);
    printText(200, 570, 0.5f, programFont.listBase, "Toasted:%d", toasted);
}

void toast(uint32_t i) {
    critterAlive[i] = 0;
    toasted += 1;
    if ((uint32_t)(toasted - toastedAtLastBonus) == toastsPerBonus) {
        charges += 1;
        toastedAtLastBonus = toasted;
    }
}

void drawWalkingCritter(uint32_t i, uint32_t now) {
    const Texture& picture = firstWalkPicture(now) ? texCritter1 : texCritter2;
    drawSpriteAtFlip(rounded(critterPos[i].x), rounded(critterPos[i].y), picture, critterDir[i].movingLeft != 0, false);
}

// One step along an axis, or a turn at the bound.
void stepAxis(float& position, uint8_t& movingBack, float low, float high) {
    if (movingBack) {
        if (position > low) position -= 1.0f;
        else movingBack = 0;
    } else {
        if (position < high) position += 1.0f;
        else movingBack = 1;
    }
}

void wander(uint32_t i, uint32_t now) {
    Heading& heading = critterDir[i];
    if ((uint32_t)random15() < turnChance) heading.movingLeft = 1 - heading.movingLeft;
    if ((uint32_t)random15() < turnChance) heading.movingUp = 1 - heading.movingUp;
    if (now - critterLastStep[i] < critterStepInterval) return;
    critterLastStep[i] = now;
    if ((uint32_t)random15() < stepChance) stepAxis(critterPos[i].x, heading.movingLeft, fieldMin, fieldMaxX);
    if ((uint32_t)random15() < stepChance) stepAxis(critterPos[i].y, heading.movingUp, fieldMin, fieldMaxY);
}

// A critter caught by the blast burns where it stands, then is toasted.
void burn(uint32_t i, uint32_t now) {
    uint32_t t = now - blastStart;
    int32_t x = rounded(critterPos[i].x), y = rounded(critterPos[i].y);
    if (t > toastedFrom) toast(i);
    else if (t > burnt3From) drawSpriteAt(x, y, texBurnt3);
    else if (t > burnt2From) drawSpriteAt(x, y, texBurnt2);
    else if (t > burnt1From) drawSpriteAt(x, y, texBurnt1);
    else drawWalkingCritter(i, now);
}

void updateCritters(uint32_t now) {
    for (uint32_t i = 0; i < critterCount; ++i) {
        if (!critterAlive[i]) continue;
        if (blasting && pixelDistance(critterPos[i], chargePos) < blastRadius) {
            burn(i, now);
        } else {
            wander(i, now);
            drawWalkingCritter(i, now);
        }
    }
}

void homeOnAim(uint32_t now) {
    if (now - lastHomingStep <= chargeStepInterval) return;
    lastHomingStep = now;
    int64_t distance = roundToInt(pixelDistance(chargePos, aimPoint));
    if (distance <= 3) return;
    double x = chargePos.x, y = chargePos.y;
    chargePos.x = (float)(x + 2.0 * (aimPoint.x - x) / (double)distance);
    chargePos.y = (float)(y + 2.0 * (aimPoint.y - y) / (double)distance);
}

bool touchesCritter() {
    for (uint32_t i = 0; i < critterCount; ++i)
        if (critterAlive[i] && pixelDistance(chargePos, critterPos[i]) < contactDistance) return true;
    return false;
}

void flyCharge(uint32_t now) {
    homeOnAim(now);
    if (inputState.leftButton) aimAtMouse();
    if (inputState.rightButton || now - launchTime > fuseTime || touchesCritter()) {
        blasting = 1;
        blastStart = now;
    }
    const Texture& picture = firstWalkPicture(now) ? texCharge1 : texCharge2;
    drawSpriteAtFlip(rounded(chargePos.x), rounded(chargePos.y), picture, chargeFacesLeft != 0, false);
    glColor4ub(255, 255, 255, textAlpha);
    printText(600, 570, 0.5f, programFont.listBase, "Countdown:%d", countdownFigure(now));
}

void launch(uint32_t now) {
    if (!inputState.leftButton || charges == 0) return;
    charges -= 1;
    chargeLive = 1;
    chargePos = {launchX, launchY};
    launchTime = now;
    lastHomingStep = now;
    aimAtMouse();
}

void drawSmoke(uint32_t t) {
    const Texture* pictures[3] = {&texBlast1, &texBlast2, &texBlast3};
    int32_t x = rounded(chargePos.x), y = rounded(chargePos.y);
    uint32_t stage = blastStage(t);
    for (uint32_t r = 0; r < 4; ++r) {
        if (stage < r || stage - r > 2) continue;
        for (uint32_t k = 0; k < rings[r].count; ++k)
            drawSpriteAt(x + rings[r].spots[k].dx, y + rings[r].spots[k].dy, *pictures[stage - r]);
    }
}

void playBlast(uint32_t now) {
    uint32_t t = now - blastStart;
    if (t > blastDuration) {
        chargeLive = 0;
        blasting = 0;
        if (charges == 0) gameOver = 1;
    } else if (t <= smokeDuration) {
        drawSmoke(t);
    }
}

void drawCursor() {
    const Texture& hand = inputState.leftButton ? texHandLeft : inputState.rightButton ? texHandRight : texHandIdle;
    drawSpriteAtAlphaFlip((int32_t)virtualMouse.x, (int32_t)virtualMouse.y, hand, cursorAlpha, false, true);
}

}  // namespace

bool playFrame() {
    uint32_t now = sequencer.elapsed;
    mapMouse();
    drawField();
    updateCritters(now);
    if (chargeLive && !blasting) flyCharge(now);
    if (!chargeLive) launch(now);
    if (blasting) playBlast(now);
    if (!gameOver) {
        drawCursor();
        return false;
    }
    drawSpriteSized(0, 160, 800, 256, texGameOver, 0, 0, 0, 0);
    return takeClick();
}
