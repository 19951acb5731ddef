// SPDX-License-Identifier: MIT
// The record of the user's display mode through its store seam, without X: copies holding and
// letting go in either order, killed holders, records cut short or full, and the store's lock.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "gl_fixture.h"
#include "platform/sdl/user_mode.h"
#include "shell/config.h"
#include "shell/input.h"
#include "shell/window.h"

namespace {

struct {
    std::vector<uint32_t> record;
    std::set<uint32_t> marked;
    DisplayState mode;
    uint32_t stamp;  // the time of the display's last change
    bool locked, reachable;
    int outsideLock;  // calls made without the lock
} fake;

bool touch() {
    fake.outsideLock += !fake.locked;
    return true;
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
    [](uint32_t* stamp) { return touch() && (*stamp = fake.stamp, true) ? fake.mode : DisplayState{}; },
    [](const DisplayState& state) { return touch() && state.mode && (fake.mode = state, ++fake.stamp); }};

// The user's set-up, SDL's 800x600 (its millimetres scaled) and SDL's way back (a millimetre lost), another.
const DisplayState desk = {1920, 1080, 488, 274, 1}, small = {800, 600, 203, 152, 2}, back = {1920, 1080, 487, 274, 1},
                   other = {1280, 1024, 338, 270, 3}, none = {};
std::vector<uint32_t> v(const DisplayState& s) { return {(const uint32_t*)&s, (const uint32_t*)(&s + 1)}; }
std::vector<uint32_t> rec(DisplayState user, DisplayState left, uint32_t stamp, std::vector<uint32_t> holders) {
    DisplayState head[2] = {user, left};  // the record's head, then the stamp and the holders
    holders.insert(holders.begin(), stamp);
    holders.insert(holders.begin(), (const uint32_t*)head, (const uint32_t*)(head + 2));
    return holders;
}
std::vector<uint32_t> full(uint32_t more) {  // a record of 64 live holders, and more values after
    std::vector<uint32_t> values;
    for (uint32_t holder = 100; holder < 100 + maxModeHolders + more; ++holder) values.push_back(holder);
    return rec(desk, small, 0, values);
}

enum Action { hold, left, letGo, killed, userChose, recordIs, unreachable };
struct Step {
    Action action;
    uint32_t copy;        // its fullscreen window
    DisplayState before;  // the display as the step begins (what SDL or the user left it as)
    DisplayState given;   // what hold returns
    DisplayState after;   // the display after the step
    std::vector<uint32_t> record;
};

void play(const std::vector<Step>& steps) {
    fake = {};
    fake.reachable = true;
    fake.mode = steps[0].before;
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        if (v(fake.mode) != v(step.before)) fake.mode = step.before, ++fake.stamp;  // SDL's change
        DisplayState given = none;
        if (step.action == recordIs) fake.record = step.record;
        for (uint32_t value : fake.record)
            if (step.action == recordIs && value >= 100) fake.marked.insert(value);  // full()'s live holders
        fake.reachable = step.action != unreachable;
        if (step.action == hold || step.action == unreachable) given = userModeHold(store, step.copy);
        if (step.action == left) userModeLeft(store, step.copy, small.width, small.height);
        if (step.action == letGo || step.action == unreachable) userModeLetGo(store, step.copy, other);
        if (step.action == killed) fake.marked.erase(step.copy);  // its window went with its connection
        if (step.action == userChose) fake.mode = step.after, ++fake.stamp;
        EXPECT_EQ(v(given), v(step.given)) << "step " << i;
        EXPECT_EQ(v(fake.mode), v(step.after)) << "step " << i;
        if (step.action != recordIs) {
            EXPECT_EQ(fake.record, step.record) << "step " << i;
        }
    }
    EXPECT_EQ(fake.outsideLock, 0);
}

TEST(UserMode, TheLastCopyOutReturnsTheDisplayWhateverTheOrder) {
    for (uint32_t first : {11u, 22u}) {
        bool older = first == 11;  // its SDL leaves for the desktop, the other's for 800x600
        play({{hold, 11, desk, desk, desk, rec(desk, desk, 0, {11})},
              {left, 11, small, none, small, rec(desk, small, 1, {11})},
              {hold, 22, small, desk, small, rec(desk, small, 1, {11, 22})},  // not the display's set-up
              {hold, 22, small, desk, small, rec(desk, small, 1, {11, 22})},  // holding twice is once
              {left, 22, older ? back : small, none, older ? back : small, rec(desk, small, 1, {11, 22})},  // late
              {letGo, first, older ? back : small, none, small, rec(desk, small, older ? 3 : 1, {33 - first})},
              {letGo, 33 - first, older ? small : back, none, desk, {}}});
        EXPECT_EQ(fake.marked.size(), 0u);
    }
}

TEST(UserMode, ADeadCopysRecordCountsUntilTheUserChangesTheDisplayAndRecordsCutShortOrFullTakeNoMore) {
    play({{hold, 11, desk, desk, desk, rec(desk, desk, 0, {11})},
          {left, 11, small, none, small, rec(desk, small, 1, {11})},
          {killed, 11, small, none, small, rec(desk, small, 1, {11})},
          {hold, 22, small, desk, small, rec(desk, small, 1, {22})},  // as the dead copy left it: the dead drop out
          {killed, 22, small, none, small, rec(desk, small, 1, {22})},
          {userChose, 0, small, none, small, rec(desk, small, 1, {22})},  // back to the desk, then 800x600
          {hold, 33, small, small, small, rec(small, small, 2, {33})},    // the user's choice since
          {letGo, 33, small, none, small, {}},
          {recordIs, 0, other, none, other, {1920, 1080, 488, 274, 1, 800}},
          {hold, 5, other, other, other, rec(other, other, 3, {5})},  // cut short: none
          {recordIs, 0, small, none, small, full(0)},
          {hold, 7, small, desk, small, full(0)},  // no room for 7, yet its user's set-up
          {recordIs, 0, small, none, small, full(1)},
          {hold, 9, small, desk, small, full(0)},  // read as far as a record goes
          {recordIs, 0, none, none, none, {}},
          {hold, 5, none, none, none, {}},    // the set-up cannot be read: nothing held
          {letGo, 5, none, none, other, {}},  // the record lost: the set-up this copy was given
          {unreachable, 5, desk, none, desk, {}}});
}

// The backend, given the store: its fullscreen window holds, and leaving fullscreen lets go.
class UserModeBackend : public GlTest {};
TEST_F(UserModeBackend, AFullscreenWindowHoldsAndLeavingFullscreenGivesTheUsersSetUpBack) {
    play({{recordIs, 0, desk, none, desk, {}}});
    userModeStore = &store;
    destroyMainWindow();
    displayConfig.fullscreen = 1;
    ASSERT_TRUE(createMainWindow(windowProc));
    EXPECT_EQ(fake.record, rec(desk, desk, 0, std::vector<uint32_t>(fake.marked.begin(), fake.marked.end())));
    fake.mode = small;  // as SDL leaves the temporary mode
    destroyMainWindow();
    userModeStore = nullptr;
    EXPECT_EQ(v(fake.mode), v(desk));
    EXPECT_EQ(fake.record.size() + fake.marked.size(), 0u);
    displayConfig.fullscreen = 0;
    ASSERT_TRUE(createMainWindow(windowProc));
}

}  // namespace
