// SPDX-License-Identifier: MIT
// The record of the user's display mode through its store seam, without X: copies holding and
// letting go in either order, killed holders, records cut short or full, and the store's lock.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "platform/sdl/user_mode.h"

namespace {

struct {
    std::vector<uint32_t> record;
    std::set<uint32_t> marked;
    ScreenSize mode;
    bool locked, reachable;
    int outsideLock;  // calls made without the lock
} fake;

bool touch() {
    fake.outsideLock += !fake.locked;
    return true;
}
// The display's modes: 1920x1080, 1280x1024 and 800x600.
bool known(ScreenSize s) {
    return s.width == 1280 || (s.height > 0 && (s.height * 16 / 9 == s.width || s.height * 4 / 3 == s.width));
}
const ModeStore store = {
    [] { return fake.locked = fake.reachable; },
    [] { fake.locked = false; },
    [](uint32_t* values, uint32_t capacity) {
        uint32_t count = touch() ? (uint32_t)std::min<size_t>(fake.record.size(), capacity) : 0;
        std::copy_n(fake.record.begin(), count, values);
        return count;
    },
    [](const uint32_t* values, uint32_t count) { touch() && (fake.record.assign(values, values + count), true); },
    [](uint32_t holder, bool on) { touch() && (on ? fake.marked.insert(holder).second : fake.marked.erase(holder)); },
    [](uint32_t holder) { return touch() && fake.marked.count(holder) > 0; },
    [] { return touch() ? fake.mode : ScreenSize{}; },
    [](ScreenSize size) { return touch() && known(size) && (fake.mode = size, true); }};

const ScreenSize desk = {1920, 1080}, small = {800, 600}, other = {1280, 1024}, none = {0, 0};
std::vector<uint32_t> full(uint32_t more) {  // a record of 64 live holders, and more values after
    std::vector<uint32_t> values = {1920, 1080, 800, 600};
    for (uint32_t holder = 100; holder < 100 + maxModeHolders + more; ++holder) values.push_back(holder);
    return values;
}

enum Action { hold, letGo, killed, userChose, recordIs, unreachable };
struct Step {
    Action action;
    uint32_t copy;      // its fullscreen window
    ScreenSize before;  // the display's mode as the step begins (what SDL or the user left it in)
    ScreenSize given;   // what hold returns
    ScreenSize after;   // the display's mode after the step
    std::vector<uint32_t> record;
};

void play(const std::vector<Step>& steps) {
    fake = {};
    fake.reachable = true;
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        fake.mode = step.before;
        ScreenSize given = none;
        if (step.action == recordIs) fake.record = step.record;
        for (uint32_t value : fake.record)
            if (step.action == recordIs && value >= 100) fake.marked.insert(value);  // full()'s live holders
        fake.reachable = step.action != unreachable;
        if (step.action == hold || step.action == unreachable) given = userModeHold(store, step.copy, small);
        if (step.action == letGo || step.action == unreachable) userModeLetGo(store, step.copy, other);
        if (step.action == killed) fake.marked.erase(step.copy);  // its window went with its connection
        if (step.action == userChose) fake.mode = step.after;
        EXPECT_EQ(given.width * 10000 + given.height, step.given.width * 10000 + step.given.height) << "step " << i;
        EXPECT_EQ(fake.mode.width * 10000 + fake.mode.height, step.after.width * 10000 + step.after.height)
            << "step " << i;
        if (step.action != recordIs) {
            EXPECT_EQ(fake.record, step.record) << "step " << i;
        }
    }
    EXPECT_EQ(fake.outsideLock, 0);
}

TEST(UserMode, TheLastCopyOutReturnsTheDisplayWhateverTheOrder) {
    for (uint32_t first : {11u, 22u}) {
        play({{hold, 11, desk, desk, desk, {1920, 1080, 800, 600, 11}},
              {hold, 22, small, desk, small, {1920, 1080, 800, 600, 11, 22}},  // not the display's mode
              {hold, 22, small, desk, small, {1920, 1080, 800, 600, 11, 22}},  // holding twice is once
              // SDL of the first copy left for its desktop mode: the other is still fullscreen
              {letGo, first, desk, none, small, {1920, 1080, 800, 600, 33 - first}},
              {letGo, 33 - first, small, none, desk, {}}});
        EXPECT_EQ(fake.marked.size(), 0u);
    }
}

TEST(UserMode, KilledHoldersCountWhileTheDisplayIsInTheirModeAndRecordsCutShortOrFullTakeNoMore) {
    play({{hold, 11, desk, desk, desk, {1920, 1080, 800, 600, 11}},
          {killed, 11, small, none, small, {1920, 1080, 800, 600, 11}},
          {hold, 22, small, desk, small, {1920, 1080, 800, 600, 22}},  // the dead holder drops out
          {killed, 22, small, none, small, {1920, 1080, 800, 600, 22}},
          {userChose, 0, small, none, other, {1920, 1080, 800, 600, 22}},
          {hold, 33, other, other, other, {1280, 1024, 800, 600, 33}},  // the user's choice since
          {letGo, 33, small, none, other, {}},
          {recordIs, 0, other, none, other, {1920, 1080, 800}},
          {hold, 5, other, other, other, {1280, 1024, 800, 600, 5}},  // cut short: none
          {recordIs, 0, small, none, small, full(0)},
          {hold, 7, small, desk, small, full(0)},  // no room for 7, yet its user's mode
          {recordIs, 0, small, none, small, full(1)},
          {hold, 9, small, desk, small, full(0)},  // read as far as a record goes
          {recordIs, 0, none, none, none, {}},
          {hold, 5, none, none, none, {}},    // the mode cannot be read: nothing held
          {letGo, 5, none, none, other, {}},  // the record lost: the mode this copy was given
          {unreachable, 5, desk, none, desk, {}}});
}

}  // namespace
