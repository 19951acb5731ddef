// SPDX-License-Identifier: MIT
// The scene table, the title screen, the round set-up and the small geometric rules.
#include "game/rules.h"

#include <math.h>
#include <string.h>

#include "draw/sprite.h"
#include "game/assets.h"
#include "platform/platform.h"
#include "shell/config.h"
#include "shell/input.h"
#include "support/support.h"

uint32_t charges;
int32_t toasted;
int32_t toastedAtLastBonus;
uint8_t gameOver;
Point critterPos[critterCount];
Heading critterDir[critterCount];
uint8_t critterAlive[critterCount];
uint32_t critterLastStep[critterCount];
uint8_t chargeLive;
uint8_t blasting;
Point chargePos;
Point aimPoint;
uint8_t chargeFacesLeft;
uint32_t launchTime;
uint32_t lastHomingStep;
uint32_t blastStart;
VirtualMouse virtualMouse;

namespace {
const StateField pointerFields[] = {{&virtualMouse, sizeof virtualMouse}};
const StateField countFields[] = {{&charges, 4}, {&toasted, 4}, {&toastedAtLastBonus, 4}, {&gameOver, 1}};
const StateField chargeFields[] = {{&chargeLive, 1},
                                   {&chargePos, sizeof chargePos},
                                   {&aimPoint, sizeof aimPoint},
                                   {&chargeFacesLeft, 1},
                                   {&launchTime, 4},
                                   {&lastHomingStep, 4}};
const StateField smokeFields[] = {{&blasting, 1}, {&blastStart, 4}};
const StateField critterFields[] = {{critterPos, sizeof critterPos},
                                    {critterDir, sizeof critterDir},
                                    {critterAlive, sizeof critterAlive},
                                    {critterLastStep, sizeof critterLastStep}};
}  // namespace

const StatePart gameStateParts[] = {{"pointer", pointerFields, 1},  {"counts", countFields, 4},
                                    {"charge", chargeFields, 6},    {"smoke", smokeFields, 2},
                                    {"critters", critterFields, 4}, {nullptr, nullptr, 0}};

Scene gameScenes[] = {
    {1000, -1, -1, doNothing, alwaysTrue, alwaysFalse, 0, 0},     // start-up pause
    {-1, -1, -1, loadGameAssets, alwaysFalse, titleFrame, 0, 0},  // title
    {-1, -1, -1, setUpRound, alwaysTrue, playFrame, 0, 0},        // play
    {-1, -1, -1, rewindToTitle, alwaysTrue, alwaysFalse, 0, 0},   // replay
    {0, -1, -1, releaseGameAssets, alwaysFalse, nullptr, 0, 0},   // end
};

bool takeClick() {
    if (!inputState.leftButton && !inputState.rightButton) return false;
    inputState.leftButton = 0;
    inputState.rightButton = 0;
    return true;
}

bool titleFrame() {
    fillScreen(0xFF000000);
    drawSpriteSized(0, 100, 800, 400, texTitle, 0, 0, 0, 0);
    return takeClick();
}

// The float nearest 1/32767 (bit pattern 0x38000100): scales a 15-bit draw to 0..1.
static float drawScale() {
    uint32_t bits = 0x38000100u;
    float scale;
    memcpy(&scale, &bits, sizeof scale);
    return scale;
}

// r x extent x scale + fieldMin, formed in double and rounded once to float.
static float placeOnAxis(int32_t draw, uint32_t extent) {
    return (float)((double)draw * (double)extent * (double)drawScale() + (double)fieldMin);
}

void setUpRound() {
    if (displayConfig.fullscreen) platShowCursor(false);
    gameOver = 0;
    charges = chargesPerRound;
    toasted = 0;
    toastedAtLastBonus = 0;
    for (uint32_t i = 0; i < critterCount; ++i) {
        critterPos[i].x = placeOnAxis(random15(), fieldMaxX);
        critterPos[i].y = placeOnAxis(random15(), fieldMaxY);
        critterDir[i].movingLeft = random15() < 16384 ? 1 : 0;
        critterDir[i].movingUp = random15() < 16384 ? 1 : 0;
        critterAlive[i] = 1;
        critterLastStep[i] = sequencer.elapsed - (uint32_t)(random15() % (int32_t)critterStepInterval);
    }
}

void rewindToTitle() { sequencer.current -= 2; }

double pixelDistance(Point a, Point b) {
    // The exact difference of the two floats, rounded once: a float subtraction would round first.
    uint32_t dx = (uint32_t)roundToInt((double)a.x - (double)b.x), dy = (uint32_t)roundToInt((double)a.y - (double)b.y);
    uint32_t squared = dx * dx + dy * dy;  // 32-bit, as the rule has it
    return sqrt((double)squared);
}

void aimAtMouse() {
    aimPoint.x = (float)virtualMouse.x;
    aimPoint.y = (float)virtualMouse.y;
    if (aimPoint.x < fieldMin) aimPoint.x = fieldMin;
    if (aimPoint.x > fieldMaxX) aimPoint.x = fieldMaxX;
    if (aimPoint.y < fieldMin) aimPoint.y = fieldMin;
    if (aimPoint.y > fieldMaxY) aimPoint.y = fieldMaxY;
    chargeFacesLeft = aimPoint.x < chargePos.x ? 1 : 0;
}

int32_t countdownFigure(uint32_t now) { return (int32_t)(fuseTime - (now - launchTime)) / 1000; }

uint32_t blastStage(uint32_t t) { return t <= 150 ? 0 : (t - 1) / 150; }
