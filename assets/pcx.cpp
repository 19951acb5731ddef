// SPDX-License-Identifier: MIT
// The PCX decoder.
#include "assets/pcx.h"

#include <string.h>

#include "support/support.h"

namespace {

struct PcxHeader {
    uint32_t encoding;
    uint32_t bitsPerPixel;
    uint32_t planes;
    int32_t width;
    int32_t height;
    uint32_t bytesPerLine;
};

// Reads the header fields the decoder uses, in the order of the file's layout walk.
PcxHeader readHeader(MemoryStream* stream) {
    PcxHeader header = {};
    streamOps.seek(stream, 2, streamFromStart);
    header.encoding = streamOps.getByte(stream);
    header.bitsPerPixel = streamOps.getByte(stream);
    streamOps.seek(stream, 10, streamFromStart);
    uint32_t yMax = readU16(stream);
    streamOps.seek(stream, 6, streamFromStart);
    uint32_t yMin = readU16(stream);
    uint32_t xMax = readU16(stream);  // the stream now stands at 8
    streamOps.seek(stream, 4, streamFromStart);
    uint32_t xMin = readU16(stream);
    header.width = xMax >= xMin ? (int32_t)(xMax - xMin + 1) : -1;
    header.height = yMax >= yMin ? (int32_t)(yMax - yMin + 1) : -1;
    streamOps.seek(stream, 65, streamFromStart);
    header.planes = streamOps.getByte(stream);
    header.bytesPerLine = readU16(stream);  // at 66
    return header;
}

bool isSupported(const PcxHeader& h) {
    return h.bitsPerPixel == 8 && h.planes == 1 && h.width >= 1 && h.height >= 1 && h.width <= imageSideLimit &&
           h.height <= imageSideLimit &&
           (h.bytesPerLine == (uint32_t)h.width || h.bytesPerLine == (uint32_t)h.width + 1);
}

// Whether dataBytes of scan-line data could fill the picture: a run-length pair gives at most 63
// pixels and a lone byte one, an uncompressed byte one; a line of slack covers the padding. A header
// that claims more is refused before anything is allocated for it.
bool dataCanFill(const PcxHeader& h, uint32_t dataBytes) {
    uint64_t most = h.encoding != 0 ? (uint64_t)(dataBytes / 2) * 63 + dataBytes % 2 : dataBytes;
    return (uint64_t)(uint32_t)h.width * (uint32_t)h.height <= most + h.bytesPerLine;
}

struct Decoder {
    const uint8_t* data;    // the scan-line data, up to where the palette begins
    uint32_t size;          // its byte count
    uint32_t at;            // the next byte to take
    uint32_t* pixels;       // red, green, blue, alpha bytes in memory order
    uint32_t capacity;      // pixels in the buffer, spare pixel included
    uint32_t palette[256];  // as pixels
};

void fill(Decoder& d, uint32_t at, uint32_t count, uint32_t colour) {
    uint32_t room = d.capacity - at;  // at < capacity: every line ends inside the buffer
    uint32_t* out = d.pixels + at;
    for (uint32_t i = 0, n = count < room ? count : room; i < n; ++i) out[i] = colour;
}

// Line pixels [i, end), end <= capacity. Returns false when the data ran out first.
bool decodeRunLengthLine(Decoder& d, uint32_t i, uint32_t end) {
    while (i < end) {
        if (d.at >= d.size) return false;
        uint8_t code = d.data[d.at++];
        if (code < 192) {
            d.pixels[i++] = d.palette[code];
            continue;
        }
        if (d.at >= d.size) return false;
        uint32_t count = code - 192u;
        fill(d, i, count, d.palette[d.data[d.at++]]);  // may spill into later rows, which are rewritten
        i += count;
    }
    return true;
}

// The same, faster, for a picture whose data is complete: while 8 pixels of the line and 2 bytes of
// data are left, each code is taken without branching on its kind and 8 pixels are stored at once.
// Pixels stored past a short run lie inside this line and are rewritten by its next codes, which
// only holds if the line is finished: a false result means the caller must decode exactly instead.
bool decodeRunLengthLineFast(Decoder& d, uint32_t i, uint32_t end) {
    while (i + 8 <= end && d.size - d.at >= 2) {
        uint8_t code = d.data[d.at];
        bool run = code >= 192;
        uint32_t count = run ? code - 192u : 1u;
        uint32_t colour = d.palette[run ? d.data[d.at + 1] : code];
        d.at += run ? 2 : 1;
        uint32_t* out = d.pixels + i;
        for (int k = 0; k < 8; ++k) out[k] = colour;
        if (count > 8) fill(d, i + 8, count - 8, colour);
        i += count;
    }
    return i >= end || decodeRunLengthLine(d, i, end);
}

bool decodeRawLine(Decoder& d, uint32_t i, uint32_t end) {
    for (; i < end; ++i) {
        if (d.at >= d.size) return false;
        d.pixels[i] = d.palette[d.data[d.at++]];
    }
    return true;
}

void readPalette(MemoryStream* stream, uint32_t* palette) {
    uint8_t rgb[pcxPaletteSize];
    streamOps.seek(stream, -(int32_t)pcxPaletteSize, streamFromEnd);
    streamOps.read(rgb, pcxPaletteSize, stream);
    for (int i = 0; i < 256; ++i) {
        uint8_t pixel[4] = {rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2], 255};
        memcpy(&palette[i], pixel, 4);
    }
}

typedef bool (*LineDecoder)(Decoder& d, uint32_t i, uint32_t end);

// False when the data ran out before the last line was complete.
bool decodeLines(Decoder& d, const PcxHeader& h, LineDecoder decodeLine) {
    for (int32_t y = 0; y < h.height; ++y) {
        uint32_t start = (uint32_t)y * (uint32_t)h.width;
        if (!decodeLine(d, start, start + h.bytesPerLine)) return false;
    }
    return true;
}

// A picture cut short is decoded again exactly, so that what it shows does not depend on the fast path.
void decodePicture(Decoder& d, const PcxHeader& h) {
    if (h.encoding == 0) {
        decodeLines(d, h, decodeRawLine);
        return;
    }
    if (decodeLines(d, h, decodeRunLengthLineFast)) return;
    memset(d.pixels, 0, (size_t)d.capacity * 4);
    d.at = 0;
    decodeLines(d, h, decodeRunLengthLine);
}

}  // namespace

bool loadPcx(Texture& texture, const EmbeddedFile* file, int32_t streamKind) {
    freeImage(texture);
    selectStreamBackend(streamKind);
    if (!streamOps.open || !streamOps.getByte || !streamOps.read || !streamOps.seek || !streamOps.tell) return false;
    uint32_t fileSize = embeddedFileSize(file);
    if (fileSize < pcxHeaderSize + pcxPaletteSize) return false;
    uint32_t dataBytes = fileSize - pcxPaletteSize - pcxHeaderSize;  // the palette start ends the data

    Image* image = (Image*)memAlloc(sizeof(Image));
    MemoryStream* stream = streamOps.open(file);
    PcxHeader header = stream ? readHeader(stream) : PcxHeader{};
    uint32_t pixelCount = 0;
    uint32_t* pixels = nullptr;
    uint8_t* data = nullptr;
    if (image && stream && isSupported(header) && dataCanFill(header, dataBytes)) {
        pixelCount = (uint32_t)header.width * (uint32_t)header.height + 1;  // one spare for line padding
        pixels = (uint32_t*)memAllocZeroed(pixelCount, 4);
        data = (uint8_t*)memAlloc(dataBytes);
    }
    if (!pixels || !data) {
        memFree(pixels);
        memFree(data);
        if (stream) streamOps.close(stream);
        memFree(image);
        return false;
    }

    Decoder decoder = {data, dataBytes, 0, pixels, pixelCount, {}};
    readPalette(stream, decoder.palette);
    streamOps.seek(stream, (int32_t)pcxHeaderSize, streamFromStart);
    streamOps.read(data, dataBytes, stream);  // the scan lines in one read, decoded from memory
    decodePicture(decoder, header);
    streamOps.close(stream);
    memFree(data);

    *image = {header.width, header.height, (uint8_t*)pixels};
    texture.image = image;
    return true;
}
