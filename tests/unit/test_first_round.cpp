// SPDX-License-Identifier: MIT
// The first round's critters come from the generator's fixed seed. Runs in a process of its own
// (ctest: game_first_round), before anything else draws a random number.
#include <gtest/gtest.h>
#include <math.h>

#include "game/rules.h"
#include "game_fixture.h"

namespace {

// The generator as its definition gives it: 15-bit linear congruential, seed 31337303.
struct ReferenceGenerator {
    uint32_t state = 31337303u;
    int32_t next() {
        state = (state * 15625u + 1u) & 0x7FFFu;
        return (int32_t)state;
    }
};

TEST(FirstRound, CrittersAreWhereTheSeedPutsThemAndTheNextRoundDiffers) {
    sequencer.elapsed = 1234;
    setUpRound();
    ReferenceGenerator reference;
    const double scale = ldexp(1.0, -15) + ldexp(1.0, -30);
    for (uint32_t i = 0; i < critterCount; ++i) {
        // x, y, left, up and the last step, drawn in this order: a braced list is evaluated left to right.
        CritterRecord expected = {(float)(reference.next() * 710.0 * scale + 35.0),
                                  (float)(reference.next() * 510.0 * scale + 35.0), reference.next() < 16384,
                                  reference.next() < 16384, 1234u - (uint32_t)(reference.next() % 20)};
        EXPECT_EQ(critterRecord(i), expected) << i;
    }
    Point first[critterCount];
    std::copy(critterPos, critterPos + critterCount, first);
    setUpRound();
    int moved = 0;
    for (uint32_t i = 0; i < critterCount; ++i) moved += first[i].x != critterPos[i].x || first[i].y != critterPos[i].y;
    EXPECT_GT(moved, 15);
}

}  // namespace
