// SPDX-License-Identifier: MIT
// Support routines: the generator, rounding, math, formatting, console output and the heap.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#include <wchar.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/support.h"

TEST(Random15, StartsFromTheFixedSeedAndRepeatsOnlyAfterTheFullPeriod) {
    uint32_t expectedFirst = (uint32_t)(31337303ull * 15625ull + 1ull) & 0x7FFFu;
    int32_t first = random15();
    EXPECT_EQ((uint32_t)first, expectedFirst);

    std::vector<bool> seen(32768, false);
    seen[first] = true;
    for (int i = 1; i < 32768; ++i) {
        int32_t value = random15();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
        ASSERT_FALSE(seen[value]) << "repeated after " << i << " calls";
        seen[value] = true;
    }
    EXPECT_EQ(random15(), first);  // the 32769th call
}

TEST(RoundToInt, RoundsToNearestWithTiesToEven) {
    struct Rounding {
        double value;
        int64_t rounded;
    } roundings[] = {{0.5, 0},
                     {1.5, 2},
                     {2.5, 2},
                     {3.5, 4},
                     {-0.5, 0},
                     {-2.5, -2},
                     {nextafter(2.5, 0.0), 2},
                     {2.75, 3},
                     {-7.2, -7},
                     {-0x1p63, INT64_MIN},
                     {0x1p62, (int64_t)1 << 62}};
    for (const Rounding& r : roundings) EXPECT_EQ(roundToInt(r.value), r.rounded) << std::hexfloat << r.value;
}

TEST(RoundToInt, NanAndOutOfRangeGiveTheMostNegativeValue) {
    for (double value : {(double)NAN, 0x1p63, -0x1p64, (double)INFINITY})
        EXPECT_EQ(roundToInt(value), INT64_MIN) << value;
}

TEST(Math, EdgeValues) {
    const double pi = M_PI;
    EXPECT_DOUBLE_EQ(mathAsin(0.5), pi / 6);
    EXPECT_NEAR(mathAsin(0.75), asin(0.75), 1e-15);
    EXPECT_NEAR(mathAsin(-0.999999), asin(-0.999999), 1e-12);
    EXPECT_DOUBLE_EQ(mathAsin(1.0), pi / 2);
    EXPECT_TRUE(isnan(mathAsin(1.5)));
    EXPECT_DOUBLE_EQ(mathAcos(-1.0), pi);
    EXPECT_DOUBLE_EQ(mathAcos(1.0), 0.0);
    EXPECT_DOUBLE_EQ(mathAcos(0.0), pi / 2);
    EXPECT_EQ(mathPow(0.0, 0.0), 0.0);
    EXPECT_TRUE(signbit(mathPow(-0.0, 3.0)));  // a zero base gives that very zero
    EXPECT_FALSE(signbit(mathPow(0.0, -1.0)));
    EXPECT_EQ(mathPow(2.0, -5000.0), 0.0);  // below the smallest double: a positive zero
    EXPECT_FALSE(signbit(mathPow(2.0, -5000.0)));
    EXPECT_EQ(mathPow(2.0, 5000.0), INFINITY);
    EXPECT_DOUBLE_EQ(mathPow(2.0, 10.0), 1024.0);
    EXPECT_DOUBLE_EQ(mathPow(4.0, 0.5), 2.0);
    EXPECT_NEAR(mathPow(10.0, -2.0), 0.01, 1e-15);
    EXPECT_TRUE(isnan(mathPow(-2.0, 2.0)));
    EXPECT_DOUBLE_EQ(mathAtan2(1.0, -1.0), 3 * pi / 4);
    EXPECT_DOUBLE_EQ(mathAtan(1.0), pi / 4);
    EXPECT_DOUBLE_EQ(mathAtan(-1.0), -pi / 4);
    EXPECT_NEAR(mathAtan(1e300), pi / 2, 1e-15);
    EXPECT_TRUE(isnan(mathSqrt(-1.0)));
    EXPECT_DOUBLE_EQ(mathSqrt(2.25), 1.5);
}

static std::string format(const char* fmt, ...) {
    char buffer[formatLimit];
    memset(buffer, 'z', sizeof buffer);
    va_list args;
    va_start(args, fmt);
    int length = formatStringV(buffer, fmt, args);
    va_end(args);
    EXPECT_EQ((size_t)length, strlen(buffer));
    return buffer;
}

static int formatInto(char* buffer, uint32_t capacity, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    int length = formatStringN(buffer, capacity, fmt, args);
    va_end(args);
    return length;
}

TEST(FormatString, IntegerCharacterAndStringConversions) {
    EXPECT_EQ(format("Toasted:%d", 0), "Toasted:0");
    EXPECT_EQ(format("Countdown:%d", -3), "Countdown:-3");
    EXPECT_EQ(format("[%5d|%-5d|%05d|%-05d]", 42, 42, -42, 42), "[   42|42   |-0042|42   ]");
    EXPECT_EQ(format("%u %x %X %#x %#X %#u %#d", 4294967295u, 255u, 255u, 26u, 26u, 26u, 26),
              "4294967295 ff FF 0x1a 0X1A 26 26");  // '#' marks hexadecimal only
    EXPECT_EQ(format("[%.0s|%05s|%-05s]", "abc", "ab", "ab"), "[|000ab|ab   ]");
    EXPECT_EQ(format("%.3d|%i", 7, -2147483647 - 1), "007|-2147483648");
    EXPECT_EQ(format("%c%c%%", 'o', 'k'), "ok%");
    EXPECT_EQ(format("%s|%.2s|%4s|%-4s|", "abc", "abc", "ab", "ab"), "abc|ab|  ab|ab  |");
    EXPECT_EQ(format("%s", (const char*)nullptr), "(null)");
    // 'l' is 32 bits, as on the platform the formats come from; 'll' and 'I64' are 64.
    EXPECT_EQ(format("%hd %ld %lu %lld %I64u", 70000, -7, 4294967295u, 5000000000LL, 5000000001ULL),
              "4464 -7 4294967295 5000000000 5000000001");
    EXPECT_EQ(format("%hu %hx %hd", 70000u, 0x12345u, 40000), "4464 2345 -25536");
    // Wide strings and characters: ASCII as it is, the rest as '?'; 'h' makes %S and %C narrow.
    EXPECT_EQ(format("%S|%ls|%C%lc|%5S|%-4ls|%.2S", L"wide", L"w\u00e9", (wint_t)L'x', (wint_t)L'\u20ac', L"ab", L"ab",
                     L"abc"),
              "wide|w?|x?|   ab|ab  |ab");
    EXPECT_EQ(format("%hS|%hC|%S", "narrow", 'n', (const wchar_t*)nullptr), "narrow|n|(null)");
    EXPECT_EQ(format("[%.0S|%05S|%-05S]", L"abc", L"ab", L"ab"), "[|000ab|ab   ]");
}

TEST(FormatString, HasNoFloatingPointAndCutsAtTheLimit) {
    EXPECT_EQ(format("%f|%d", 7), "f|7");  // not a conversion: consumes no argument
    std::string longText(3000, 'x');
    std::string cut = format("%s%s", longText.c_str(), "tail");
    EXPECT_EQ(cut.size(), (size_t)formatLimit - 1);
    EXPECT_EQ(cut, longText.substr(0, formatLimit - 1));
    // Widths and precisions are cut by the buffer alone.
    EXPECT_EQ(format("%.100d", 5), std::string(99, '0') + "5");
    EXPECT_EQ(format("%-.70x|", 255u), std::string(68, '0') + "ff|");
    EXPECT_EQ(format("%1000d|", 1), std::string(999, ' ') + "1|");
    EXPECT_EQ(format("%2000d", 1), std::string(formatLimit - 1, ' '));
    EXPECT_EQ(format("%10000d", 1), std::string(formatLimit - 1, ' '));
    EXPECT_EQ(format("%.10000s", longText.c_str()), longText.substr(0, formatLimit - 1));
    EXPECT_EQ(format("%01030d", -3), "-" + std::string(formatLimit - 2, '0'));

    char small[8];
    memset(small, 'z', sizeof small);
    EXPECT_EQ(formatInto(small, 5, "%d", 1234567), 4);
    EXPECT_STREQ(small, "1234");
    EXPECT_EQ(small[5], 'z');
}

// Runs body with standard output sent into a pipe; returns what was written.
template <typename Body>
static std::string captureStdout(Body body) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    int saved = dup(STDOUT_FILENO);
    dup2(fds[1], STDOUT_FILENO);
    close(fds[1]);
    body();
    dup2(saved, STDOUT_FILENO);
    close(saved);
    char buffer[4096];
    ssize_t n = read(fds[0], buffer, sizeof buffer);
    close(fds[0]);
    return std::string(buffer, n > 0 ? (size_t)n : 0);
}

TEST(Console, PrintLineEndsWithCrLfAndPrintfReturnsTheFormattedLength) {
    int lineResult = 0, emptyResult = 0, printfResult = 0;
    std::string out = captureStdout([&] {
        lineResult = consolePrintLine("abc");
        emptyResult = consolePrintLine("");
        printfResult = consolePrintf("n=%d;", 12);
    });
    EXPECT_EQ(out, "abc\r\n\r\nn=12;");
    EXPECT_EQ(lineResult, 2);
    EXPECT_EQ(emptyResult, 2);
    EXPECT_EQ(printfResult, 5);
}

TEST(Console, WithoutStandardOutputNothingIsWrittenAndPrintLineSaysSo) {
    int saved = dup(STDOUT_FILENO);
    close(STDOUT_FILENO);
    int lineResult = consolePrintLine("lost");
    int printfResult = consolePrintf("%s", "lost");
    dup2(saved, STDOUT_FILENO);
    close(saved);
    EXPECT_EQ(lineResult, -1);
    EXPECT_EQ(printfResult, 4);
}

TEST(Heap, ZeroedBlocksReallocAndOverflow) {
    uint8_t* zeroed = (uint8_t*)memAllocZeroed(100, 3);
    ASSERT_NE(zeroed, nullptr);
    for (int i = 0; i < 300; ++i) ASSERT_EQ(zeroed[i], 0);
    EXPECT_NE(memFree(zeroed), 0);
    EXPECT_EQ(memAllocZeroed(0x10000, 0x10000), nullptr);  // 2^32 does not fit 32 bits

    char* block = (char*)memRealloc(nullptr, 4);
    ASSERT_NE(block, nullptr);
    memcpy(block, "abc", 4);
    block = (char*)memRealloc(block, 1 << 20);
    ASSERT_NE(block, nullptr);
    EXPECT_STREQ(block, "abc");
    memFree(block);
}

TEST(CompareNoCase, IgnoresAsciiCase) {
    EXPECT_EQ(compareNoCase("Arial", "ARIAL"), 0);
    EXPECT_EQ(compareNoCase("ZAZ", "zaz"), 0);  // both ends of the alphabet
    EXPECT_LT(compareNoCase("abc", "ABD"), 0);
    EXPECT_GT(compareNoCase("b", "A"), 0);
    EXPECT_LT(compareNoCase("ab", "abc"), 0);
}

static uint64_t monotonicMilliseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u;
}

TEST(SystemClock, CountsMillisecondsOfTheMonotonicClock) {
    uint32_t before = platReadSystemClock();
    uint64_t reference = monotonicMilliseconds();
    usleep(30000);
    uint32_t ours = platReadSystemClock() - before;
    uint64_t theirs = monotonicMilliseconds() - reference;
    EXPECT_GE(ours, 30u);
    EXPECT_LE(ours > theirs ? ours - theirs : theirs - ours, 2u);
    EXPECT_EQ((uint32_t)monotonicMilliseconds() - platReadSystemClock() <= 1u, true);  // the same count
}
