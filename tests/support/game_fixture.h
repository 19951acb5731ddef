// Drives the real scene table through the real sequencer with the scripted clock and messages.
#pragma once
#include <gtest/gtest.h>

#include "draw/glyph_font.h"
#include "game/assets.h"
#include "game/rules.h"
#include "gl_fixture.h"
#include "reset.h"
#include "scripted.h"

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
    // A charge in flight at (x, y), aimed at itself (it holds still), launched at launchedAt.
    void flyChargeAt(float x, float y, uint32_t launchedAt);
    // A charge blasting at (x, y) since blastAt.
    void blastAt(float x, float y, uint32_t blastAt);
};

// A block of the screen, rows top first, RGBA.
std::vector<uint8_t> grabBlock(int32_t x, int32_t y, int32_t width, int32_t height);
// The field as playFrame draws it before anything else, for reference images.
void drawBackgroundOnly();
