// SPDX-License-Identifier: MIT
// The record of the user's display mode through its store seam, without X: copies holding and
// letting go in either order, killed holders, records cut short or full, and the store's lock.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/sdl/user_mode.h"

namespace {

// A display with the modes the tests use, and a record on it.
struct FakeDisplay {
    std::vector<uint32_t> record;
    std::set<uint32_t> marked;
    ScreenSize mode;
    bool locked, reachable = true;
    int outsideLock;  // calls made without the lock
} fake;

bool touch() {
    fake.outsideLock += !fake.locked;
    return true;
}
bool lock() {
    fake.locked = fake.reachable;
    return fake.reachable;
}
void unlock() { fake.locked = false; }
uint32_t readRecord(uint32_t* values, uint32_t capacity) {
    touch();
    uint32_t count = 0;
    for (; count < fake.record.size() && count < capacity; ++count) values[count] = fake.record[count];
    return count;
}
void writeRecord(const uint32_t* values, uint32_t count) {
    touch();
    fake.record.assign(values, values + count);
}
void mark(uint32_t holder, bool holding) {
    touch();
    if (holding) fake.marked.insert(holder);
    else fake.marked.erase(holder);
}
bool alive(uint32_t holder) { return touch() && fake.marked.count(holder) > 0; }
ScreenSize current() { return touch() ? fake.mode : ScreenSize{}; }
bool set(ScreenSize size) {
    touch();
    bool known = (size.width == 1920 && size.height == 1080) || (size.width == 800 && size.height == 600) ||
                 (size.width == 1280 && size.height == 1024);
    if (known) fake.mode = size;
    return known;
}
const ModeStore store = {lock, unlock, readRecord, writeRecord, mark, alive, current, set};

enum Action { hold, letGo, killed, userChose };
struct Step {
    Action action;
    uint32_t copy;      // its fullscreen window
    ScreenSize before;  // the display's mode as the step begins (what SDL or the user left it in)
    ScreenSize given;   // what hold returns
    ScreenSize after;   // the display's mode after the step
    std::vector<uint32_t> record;
};

const ScreenSize desk = {1920, 1080}, small = {800, 600}, other = {1280, 1024}, none = {0, 0};

void play(const std::vector<Step>& steps) {
    fake = {};
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        fake.mode = step.before;
        ScreenSize given = none;
        if (step.action == hold) given = userModeHold(store, step.copy, small);
        if (step.action == letGo) userModeLetGo(store, step.copy, desk);
        if (step.action == killed) fake.marked.erase(step.copy);  // its window went with its connection
        if (step.action == userChose) set(step.after);
        EXPECT_EQ(given.width * 10000 + given.height, step.given.width * 10000 + step.given.height) << "step " << i;
        EXPECT_EQ(fake.mode.width * 10000 + fake.mode.height, step.after.width * 10000 + step.after.height) << "step " << i;
        EXPECT_EQ(fake.record, step.record) << "step " << i;
    }
}

TEST(UserMode, TheLastCopyOutReturnsTheDisplayWhateverTheOrder) {
    for (bool firstLeavesFirst : {true, false}) {
        uint32_t first = firstLeavesFirst ? 11 : 22, second = firstLeavesFirst ? 22 : 11;
        play({{hold, 11, desk, desk, desk, {1920, 1080, 800, 600, 11}},
              {hold, 22, small, desk, small, {1920, 1080, 800, 600, 11, 22}},  // not the display's mode
              {hold, 22, small, desk, small, {1920, 1080, 800, 600, 11, 22}},  // holding twice is once
              // SDL of the first copy left for its desktop mode: the other is still fullscreen
              {letGo, first, desk, none, small, {1920, 1080, 800, 600, second}},
              {letGo, second, small, none, desk, {}}});
        EXPECT_EQ(fake.marked, std::set<uint32_t>{});
        EXPECT_EQ(fake.outsideLock, 0);
    }
}

TEST(UserMode, KilledHoldersCountOnlyWhileTheDisplayIsInTheirMode) {
    play({{hold, 11, desk, desk, desk, {1920, 1080, 800, 600, 11}},
          {killed, 11, small, none, small, {1920, 1080, 800, 600, 11}},
          {hold, 22, small, desk, small, {1920, 1080, 800, 600, 22}},  // the dead holder drops out
          {killed, 22, small, none, small, {1920, 1080, 800, 600, 22}},
          {userChose, 0, small, none, other, {1920, 1080, 800, 600, 22}},
          {hold, 33, other, other, other, {1280, 1024, 800, 600, 33}},  // the user's choice since
          {letGo, 33, small, none, other, {}}});
}

TEST(UserMode, ARecordCutShortIsNoneAFullOneTakesNoMoreAndNoDisplayHoldsNothing) {
    fake = {};
    fake.mode = other;
    fake.record = {1920, 1080, 800};
    EXPECT_EQ(userModeHold(store, 5, small).width, 1280);  // cut short: the current mode is the user's
    EXPECT_EQ(fake.record, (std::vector<uint32_t>{1280, 1024, 800, 600, 5}));
    std::vector<uint32_t> full = {1920, 1080, 800, 600};
    for (uint32_t holder = 100; holder < 100 + maxModeHolders; ++holder) {
        full.push_back(holder);
        fake.marked.insert(holder);
    }
    fake.record = full;
    fake.mode = small;
    EXPECT_EQ(userModeHold(store, 7, small).width, 1920);
    EXPECT_EQ(fake.record, full);  // no room for 7
    fake.record.push_back(8);      // a longer one is read as far as a record goes
    EXPECT_EQ(userModeHold(store, 9, small).width, 1920);
    EXPECT_EQ(fake.record, full);
    fake.record.clear();
    fake.mode = none;  // the mode cannot be read: nothing is held
    EXPECT_EQ(userModeHold(store, 5, small).width, 0);
    EXPECT_EQ(fake.record, std::vector<uint32_t>{});
    userModeLetGo(store, 5, other);  // with the record lost, back to the mode this copy was given
    EXPECT_EQ(fake.mode.width, 1280);
    fake.reachable = false;
    EXPECT_EQ(userModeHold(store, 5, small).width, 0);
    userModeLetGo(store, 5, desk);
    EXPECT_EQ(fake.mode.width, 1280);
    EXPECT_EQ(fake.outsideLock, 0);
}

}  // namespace
