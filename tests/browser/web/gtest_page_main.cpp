// SPDX-License-Identifier: MIT
// The test runner's entry in the page: the filter comes from GTEST_FILTER (tests.html sets it).
#include <gtest/gtest.h>

int main() {
    char name[] = "game_tests";
    char* arguments[] = {name, nullptr};
    int count = 1;
    testing::InitGoogleTest(&count, arguments);
    return RUN_ALL_TESTS();
}
