// SPDX-License-Identifier: MIT
// Runtime services: heap, printf-style formatting and console output, string comparison,
// the game's random numbers, the float-to-integer rounding rule and math functions.
#pragma once
#include <stdarg.h>
#include <stdint.h>

// --- Heap. Blocks are owned by the caller and freed with memFree. -------------------------

// An uninitialised block of byteCount bytes, or null when the heap is exhausted.
void* memAlloc(uint32_t byteCount);
// Frees a block from memAlloc, memRealloc or memAllocZeroed. Null is ignored. Non-zero on success.
int memFree(void* block);
// Resizes a block, keeping its contents up to the smaller size; with null, a new block.
// Returns null on failure, leaving the old block valid.
void* memRealloc(void* block, uint32_t byteCount);
// count x size zero bytes; null when the 32-bit product overflows or the heap is exhausted.
void* memAllocZeroed(uint32_t count, uint32_t size);

// --- Formatting and console ---------------------------------------------------------------

enum { formatLimit = 1024 };  // bytes of formatted output, terminator included

// printf-style formatting with the conversions %d %i %u %x %X %c %s %p and %% (flags - 0 #,
// width, precision, size prefixes h, l and ll/I64); no floating point: any other conversion
// character is copied as it stands. As on the platform the formats come from, 'l' is 32 bits
// (an int argument), and %S, %ls, %C and %lc take wide arguments (const wchar_t*, wchar_t), of
// which ASCII prints as it is and every other character as '?'. Widths and precisions are cut
// only by the buffer. Writes at most formatLimit bytes with the terminator into buffer
// (which must hold formatLimit bytes, or use formatStringN). Returns the characters stored,
// terminator not counted.
int formatString(char* buffer, const char* format, ...);
int formatStringV(char* buffer, const char* format, va_list args);
// The same into a buffer of capacity bytes (capacity >= 1); output is cut to capacity - 1 chars.
int formatStringN(char* buffer, uint32_t capacity, const char* format, va_list args);

// Formats (at most 1023 characters) and writes them to standard output.
// Returns the number of characters formatted, whether or not the write succeeded.
int consolePrintf(const char* format, ...);
// Writes text, then CR LF, to standard output. Returns the byte count of the CR LF write (2),
// or -1 when it wrote nothing.
int consolePrintLine(const char* text);

// Negative, zero or positive as a sorts before, equal to or after b, ignoring ASCII case.
int compareNoCase(const char* a, const char* b);

// --- Random numbers, rounding, math -------------------------------------------------------

// The next value 0..32767 of the game's generator (fixed seed, never reseeded, period 32768).
int32_t random15();
// The generator's state (31337303 at the start); only random15 moves it on. A record keeps it for
// its checkpoints, and a replay starts it where its record did.
extern uint32_t randomState;
// Round to nearest, ties to even. NaN and values outside the int64 range give INT64_MIN.
int64_t roundToInt(double value);

double mathSin(double x);
double mathCos(double x);
double mathTan(double x);
double mathAsin(double x);  // NaN for |x| > 1
double mathAcos(double x);
double mathAtan(double x);
double mathAtan2(double y, double x);
double mathSqrt(double x);                     // NaN for x < 0
double mathPow(double base, double exponent);  // 0 for a zero base; NaN for a negative base
