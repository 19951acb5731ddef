// SPDX-License-Identifier: MIT
// The game's rules: tuning constants, the state of a round, the scene table's game scenes,
// the title screen, the round set-up and the play frame.
//
// Times are sequencer.elapsed values of the current scene (unsigned 32-bit milliseconds) and are
// compared only through unsigned differences now - stamp. Positions are virtual-screen pixels
// (800 x 600, origin top-left, y downwards); sprite positions are top-left corners.
#pragma once
#include <stdint.h>

#include "app/record.h"
#include "sequencer/sequencer.h"

// Tuning constants.
constexpr uint32_t toastsPerBonus = 5;  // a charge for every fifth toast
constexpr uint32_t fieldMaxX = 710;     // right bound of critters and the aim point
constexpr uint32_t fieldMaxY = 510;     // bottom bound
constexpr uint32_t fieldMin = 35;       // left and top bound
constexpr uint32_t critterCount = 20;
constexpr uint32_t critterStepInterval = 20;  // ms that must pass (>=) before a step check
constexpr uint32_t chargeStepInterval = 20;   // ms that must be exceeded (>) before a homing step
constexpr uint32_t fuseTime = 10000;          // ms after launch after which the charge blasts (>)
constexpr uint32_t blastRadius = 80;          // critters nearer than this to a blast are caught

constexpr uint32_t chargesPerRound = 5;
constexpr float launchX = 715, launchY = 495;
constexpr uint32_t contactDistance = 12;  // a flying charge nearer than this to a critter blasts
constexpr uint32_t blastDuration = 1500;  // ms from the blast to the end of the blast
constexpr uint32_t smokeDuration = 900;   // ms of smoke rings

struct Point {
    float x, y;
};

struct Heading {
    uint8_t movingLeft;  // 1: x decreases and the sprite is mirrored
    uint8_t movingUp;    // 1: y decreases
};

struct VirtualMouse {
    uint32_t x, y;
};

// The round state.
extern uint32_t charges;            // charges left to launch
extern int32_t toasted;             // critters toasted this round
extern int32_t toastedAtLastBonus;  // toasted when the last bonus charge came
extern uint8_t gameOver;
extern Point critterPos[critterCount];
extern Heading critterDir[critterCount];
extern uint8_t critterAlive[critterCount];
extern uint32_t critterLastStep[critterCount];
extern uint8_t chargeLive;  // launched, and its blast not over
extern uint8_t blasting;    // the live charge has blasted
extern Point chargePos;
extern Point aimPoint;
extern uint8_t chargeFacesLeft;
extern uint32_t launchTime;
extern uint32_t lastHomingStep;
extern uint32_t blastStart;
extern VirtualMouse virtualMouse;  // recomputed at the start of every play frame

// The scene table: pause, title, play, replay, end.
extern Scene gameScenes[];
// The round state by part, as a record's checkpoints digest it: the pointer, the counts, the
// charge, the smoke and the critters (null-name terminated).
extern const StatePart gameStateParts[];

// The title scene's frame: the title picture on black until a click of either button, which it
// consumes. Returns true on that click.
bool titleFrame();
// The play scene's enter: a new round with 20 critters placed from the random generator.
void setUpRound();
// The replay scene's enter: back two scenes, so the next tick passes through the title.
void rewindToTitle();
// The play scene's frame; true when a click dismisses the game-over banner.
bool playFrame();

// True when either button is down; then clears both, so no later frame sees the click.
bool takeClick();
// Distance between the points after rounding each coordinate difference (ties to even).
double pixelDistance(Point a, Point b);
// Aims the charge at the mouse, clamped to the field; the charge faces the aim point.
void aimAtMouse();
// The countdown's figure: whole seconds of fuse left, truncated towards zero.
int32_t countdownFigure(uint32_t now);
// The smoke's stage 0..5 at t ms after the blast (t <= 900).
uint32_t blastStage(uint32_t t);
