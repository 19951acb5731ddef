// SPDX-License-Identifier: MIT
// Embedded files and the stream layer that reads them: a table of six operations and typed readers.
//
// An EmbeddedFile is static data compiled into the program: a little-endian u32 byte count,
// then that many bytes, at any alignment. A MemoryStream reads one without copying it.
#pragma once
#include <stdint.h>

typedef uint8_t EmbeddedFile;  // points at the length word of a record

struct MemoryStream {
    uint32_t size;        // bytes in the stream
    uint32_t position;    // offset of the next byte, 0..size
    const uint8_t* data;  // the file's bytes, borrowed from the EmbeddedFile
};

enum : int32_t { streamFromStart = 0, streamFromCurrent = 1, streamFromEnd = 2 };
enum : int32_t { streamBackendDefault = 0, streamBackendMemory = 4 };

struct StreamOps {
    MemoryStream* (*open)(const EmbeddedFile* file);  // null when out of memory
    void (*close)(MemoryStream* stream);              // null is ignored
    void (*read)(void* destination, uint32_t count, MemoryStream* stream);
    void (*seek)(MemoryStream* stream, int32_t offset, int32_t whence);
    uint32_t (*tell)(MemoryStream* stream);
    uint8_t (*getByte)(MemoryStream* stream);
};

// The process-wide table; all slots empty until a backend is selected.
extern StreamOps streamOps;

// Kind 0 (the default) and 4 install the memory backend; any other kind changes nothing.
void selectStreamBackend(int32_t kind);

// The byte count in a record's length word.
uint32_t embeddedFileSize(const EmbeddedFile* file);

// The memory backend. Every operation accepts a null stream and then does nothing (returns 0).
MemoryStream* streamOpen(const EmbeddedFile* file);
void streamClose(MemoryStream* stream);
// Copies min(count, bytes left) bytes; the rest of destination is left as it was.
void streamRead(void* destination, uint32_t count, MemoryStream* stream);
// whence 0: offset from the start, 1: from the position, 2: from the end, in unsigned 32-bit
// arithmetic; a result past the end (including a wrap before the start) is clamped to the end.
// Other whence values leave the position alone.
void streamSeek(MemoryStream* stream, int32_t offset, int32_t whence);
uint32_t streamTell(MemoryStream* stream);
// The next byte; at the end, 0 and the position stays.
uint8_t streamGetByte(MemoryStream* stream);

// Typed little-endian readers through streamOps. Bytes that are not there read as 0; with an
// empty table slot they return 0.
uint32_t readU8(MemoryStream* stream);
uint32_t readU16(MemoryStream* stream);
uint32_t readU32(MemoryStream* stream);
float readFloat(MemoryStream* stream);
