// SPDX-License-Identifier: MIT
// The game's part of the test support: drives the real scene table through the real sequencer with
// the scripted clock and messages, and resets the game's long-lived state.
#pragma once
#include <gtest/gtest.h>

#include <ostream>
#include <utility>

#include "draw/glyph_font.h"
#include "game/assets.h"
#include "game/rules.h"
#include "gl_fixture.h"
#include "reset.h"
#include "scripted.h"

// Puts the game's own long-lived state back as a fresh process has it: every scene table record, the
// round state and the textures (resetState does the framework's).
void resetGameState();
// Returns the game's textures to their defaults: no image, no name (the names die with a test's
// context), linear filtering.
void forgetGameTextures();

class GameTest : public GlTest {
protected:
    static constexpr uint32_t startClock = 10000;

    void SetUp() override;
    void TearDown() override;
    // Delivers the scripted messages, then runs one tick at the absolute clock value.
    bool tickAt(uint32_t clock);
    // One tick at t milliseconds of the current scene's clock.
    bool tickAfter(uint32_t t) { return tickAt(sequencer.startTime + t); }
    // Through the pause and the title (left with a click) into the first round; no frame yet.
    void enterPlay();
    // The round with every critter gone, so that nothing wanders into a test's way.
    void clearField();
    // Into the first round, with every critter gone.
    void enterEmptyPlay() {
        enterPlay();
        clearField();
    }
    // A charge in flight at (x, y), aimed at itself (it holds still), launched at launchedAt.
    void flyChargeAt(float x, float y, uint32_t launchedAt);
    // A charge blasting at (x, y) since blastAt.
    void blastAt(float x, float y, uint32_t blastAt);
};

// A block of the screen, rows top first, RGBA.
std::vector<uint8_t> grabBlock(int32_t x, int32_t y, int32_t width, int32_t height);
// The field as playFrame draws it before anything else, for reference images.
void drawBackgroundOnly();

// One critter: where it stands, its heading and the time of its last step check.
struct CritterRecord {
    float x, y;
    uint8_t left, up;
    uint32_t lastStep;
};
CritterRecord critterRecord(uint32_t i);
// Makes critter i alive with the record's place, heading and step time.
void placeCritter(uint32_t i, const CritterRecord& record);
bool operator==(const CritterRecord& a, const CritterRecord& b);
void PrintTo(const CritterRecord& critter, std::ostream* out);

// Both coordinates, so that one comparison checks and prints both.
inline std::pair<float, float> xy(Point p) { return {p.x, p.y}; }
inline std::pair<uint32_t, uint32_t> xy(VirtualMouse m) { return {m.x, m.y}; }
// The pointer's show count, left as it was.
int32_t pointerCount();
