// SPDX-License-Identifier: MIT
// Embedded files and memory streams: the backend table, read and seek clamping, typed readers.
#include <gtest/gtest.h>
#include <string.h>

#include "assets/stream.h"
#include "embedded.h"

namespace {

std::vector<uint8_t> countingFile(uint32_t size) {
    std::vector<uint8_t> bytes(size);
    for (uint32_t i = 0; i < size; ++i) bytes[i] = (uint8_t)i;
    return makeEmbedded(bytes);
}

TEST(StreamBackend, OnlyKindsZeroAndFourInstallTheMemoryOperations) {
    streamOps = {};  // as at start-up
    selectStreamBackend(1);
    EXPECT_EQ(streamOps.open, nullptr);
    EXPECT_EQ(streamOps.getByte, nullptr);
    EXPECT_EQ(readU8(nullptr), 0u);  // an empty slot reads nothing and does not crash
    EXPECT_EQ(readU16(nullptr), 0u);

    selectStreamBackend(0);
    StreamOps viaDefault = streamOps;
    streamOps = {};
    selectStreamBackend(4);
    EXPECT_EQ(memcmp(&viaDefault, &streamOps, sizeof streamOps), 0);
    EXPECT_EQ(streamOps.open, streamOpen);
    EXPECT_EQ(streamOps.close, streamClose);
    EXPECT_EQ(streamOps.read, streamRead);
    EXPECT_EQ(streamOps.seek, streamSeek);
    EXPECT_EQ(streamOps.tell, streamTell);
    EXPECT_EQ(streamOps.getByte, streamGetByte);

    selectStreamBackend(1);  // another kind leaves the memory operations in place
    EXPECT_EQ(streamOps.open, streamOpen);
}

TEST(MemoryStream, OpenReadsTheLengthWordAtAnyAlignment) {
    std::vector<uint8_t> record = countingFile(1000);
    std::vector<uint8_t> shifted(record.size() + 1);
    memcpy(shifted.data() + 1, record.data(), record.size());  // an odd address
    MemoryStream* stream = streamOpen(shifted.data() + 1);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->size, 1000u);
    EXPECT_EQ(stream->position, 0u);
    EXPECT_EQ(stream->data, shifted.data() + 5);
    streamClose(stream);
    streamClose(nullptr);
}

TEST(MemoryStream, ReadsStopAtTheEnd) {
    std::vector<uint8_t> record = countingFile(1000);
    MemoryStream* stream = streamOpen(record.data());
    uint8_t buffer[10];
    memset(buffer, 0xAA, sizeof buffer);
    streamSeek(stream, 995, streamFromStart);
    streamRead(buffer, 10, stream);
    EXPECT_EQ(stream->position, 1000u);
    EXPECT_EQ(buffer[0], (uint8_t)995);
    EXPECT_EQ(buffer[4], (uint8_t)999);
    EXPECT_EQ(buffer[5], 0xAA);  // not copied: left as it was

    memset(buffer, 0xBB, sizeof buffer);
    streamRead(buffer, 10, stream);
    EXPECT_EQ(buffer[0], 0xBB);
    EXPECT_EQ(stream->position, 1000u);

    streamSeek(stream, 990, streamFromStart);
    streamRead(buffer, 10, stream);  // exactly reaches the end: all ten bytes
    EXPECT_EQ(buffer[9], (uint8_t)999);
    EXPECT_EQ(stream->position, 1000u);

    EXPECT_EQ(streamGetByte(stream), 0);  // at the end: nothing is read from outside
    EXPECT_EQ(stream->position, 1000u);
    streamClose(stream);
}

TEST(MemoryStream, SeeksClampToTheEndAndWrapBeforeTheStart) {
    std::vector<uint8_t> big = countingFile(1000), small = countingFile(500);
    // Seeks one after another, each with the position it leaves.
    struct Seek {
        int32_t offset;
        int32_t origin;
        uint32_t position;
    } seeks[] = {{-768, streamFromEnd, 232},    {1500, streamFromStart, 1000},
                 {-1, streamFromStart, 1000},   {3, streamFromStart, 3},
                 {-5, streamFromCurrent, 1000},              // wraps, then clamps to the end
                 {40, streamFromStart, 40},     {8, 7, 40},  // an unknown origin: no move
                 {-10, streamFromCurrent, 30},  {0, streamFromEnd, 1000}};
    MemoryStream* stream = streamOpen(big.data());
    for (const Seek& s : seeks) {
        streamSeek(stream, s.offset, s.origin);
        EXPECT_EQ(streamTell(stream), s.position) << "after seeking " << s.offset << " from " << s.origin;
    }
    streamClose(stream);

    stream = streamOpen(small.data());
    streamSeek(stream, -768, streamFromEnd);
    EXPECT_EQ(streamTell(stream), 500u);
    streamClose(stream);
}

// Leaves the stack below the caller full of 0xAA, so that bytes a reader forgets to set show.
__attribute__((noinline)) void dirtyTheStack() {
    volatile uint8_t junk[4096];
    for (size_t i = 0; i < sizeof junk; ++i) junk[i] = 0xAA;
}

TEST(TypedReaders, AreLittleEndianAndUnsigned) {
    selectStreamBackend(0);
    std::vector<uint8_t> record = makeEmbedded({2, 1, 0, 0, 0, 1, 0x00, 0x00, 0x80, 0x3F, 0xC5, 0x7F});
    MemoryStream* stream = streamOpen(record.data());
    EXPECT_EQ(readU16(stream), 258u);
    EXPECT_EQ(readU32(stream), 16777216u);
    EXPECT_EQ(readFloat(stream), 1.0f);
    EXPECT_EQ(readU8(stream), 197u);
    dirtyTheStack();
    EXPECT_EQ(readU16(stream), 0x7Fu);  // one byte left: the missing byte reads as 0
    EXPECT_EQ(streamTell(stream), 12u);
    streamSeek(stream, 10, streamFromStart);
    dirtyTheStack();
    EXPECT_EQ(readU32(stream), 0x7FC5u);  // two bytes left of four
    dirtyTheStack();
    EXPECT_EQ(readU32(stream), 0u);  // none left
    // They read through the table: a table of other operations is what they use, and with its
    // slots empty they read nothing at all.
    streamSeek(stream, 0, streamFromStart);
    streamOps.getByte = [](MemoryStream*) -> uint8_t { return 0xAB; };
    streamOps.read = [](void* destination, uint32_t count, MemoryStream*) { memset(destination, 0xCD, count); };
    EXPECT_EQ(readU8(stream), 0xABu);
    EXPECT_EQ(readU16(stream), 0xCDCDu);
    EXPECT_EQ(readU32(stream), 0xCDCDCDCDu);
    streamOps = {};
    dirtyTheStack();
    EXPECT_EQ(readU8(stream) + readU16(stream) + readU32(stream), 0u);
    EXPECT_EQ(streamTell(stream), 0u);
    selectStreamBackend(0);
    streamClose(stream);
}

}  // namespace
