// SPDX-License-Identifier: MIT
// The game's random number generator and the float-to-integer rounding rule.
#include "support/support.h"

#include <math.h>

uint32_t randomState = 31337303u;

int32_t random15() {
    randomState = randomState * 15625u + 1u;
    randomState &= 0x7FFFu;
    return (int32_t)randomState;
}

int64_t roundToInt(double value) {
    if (!(value >= -0x1p63 && value < 0x1p63)) return INT64_MIN;
    return (int64_t)nearbyint(value);  // default rounding mode: nearest, ties to even
}
