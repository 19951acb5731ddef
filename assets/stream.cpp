// SPDX-License-Identifier: MIT
// The memory stream backend, the stream table and the typed readers.
#include "assets/stream.h"

#include <string.h>

#include "support/support.h"

StreamOps streamOps = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

void selectStreamBackend(int32_t kind) {
    if (kind == streamBackendDefault) kind = streamBackendMemory;
    if (kind != streamBackendMemory) return;
    streamOps = {streamOpen, streamClose, streamRead, streamSeek, streamTell, streamGetByte};
}

uint32_t embeddedFileSize(const EmbeddedFile* file) {
    return (uint32_t)file[0] | (uint32_t)file[1] << 8 | (uint32_t)file[2] << 16 | (uint32_t)file[3] << 24;
}

MemoryStream* streamOpen(const EmbeddedFile* file) {
    MemoryStream* stream = (MemoryStream*)memAlloc(sizeof(MemoryStream));
    if (!stream) return nullptr;
    stream->size = embeddedFileSize(file);
    stream->position = 0;
    stream->data = file + 4;
    return stream;
}

void streamClose(MemoryStream* stream) {
    if (stream) memFree(stream);
}

void streamRead(void* destination, uint32_t count, MemoryStream* stream) {
    if (!stream) return;
    uint32_t left = stream->size - stream->position;
    uint32_t n = count < left ? count : left;
    memcpy(destination, stream->data + stream->position, n);
    stream->position += n;
}

void streamSeek(MemoryStream* stream, int32_t offset, int32_t whence) {
    if (!stream) return;
    uint32_t move = (uint32_t)offset;  // two's complement: a negative offset moves back
    if (whence == streamFromStart) stream->position = move;
    else if (whence == streamFromCurrent) stream->position += move;
    else if (whence == streamFromEnd) stream->position = stream->size + move;
    if (stream->position > stream->size) stream->position = stream->size;
}

uint32_t streamTell(MemoryStream* stream) { return stream ? stream->position : 0; }

uint8_t streamGetByte(MemoryStream* stream) {
    if (!stream || stream->position >= stream->size) return 0;
    return stream->data[stream->position++];
}

static void readBytes(void* destination, uint32_t count, MemoryStream* stream) {
    memset(destination, 0, count);
    if (streamOps.read) streamOps.read(destination, count, stream);
}

uint32_t readU8(MemoryStream* stream) { return streamOps.getByte ? streamOps.getByte(stream) : 0u; }

uint32_t readU16(MemoryStream* stream) {
    uint8_t bytes[2];
    readBytes(bytes, 2, stream);
    return (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8;
}

uint32_t readU32(MemoryStream* stream) {
    uint8_t bytes[4];
    readBytes(bytes, 4, stream);
    return (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 | (uint32_t)bytes[2] << 16 | (uint32_t)bytes[3] << 24;
}

float readFloat(MemoryStream* stream) {
    uint32_t bits = readU32(stream);
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}
