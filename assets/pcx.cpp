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
           h.height <= imageSideLimit && (h.bytesPerLine == (uint32_t)h.width || h.bytesPerLine == (uint32_t)h.width + 1);
}

struct Decoder {
    MemoryStream* stream;
    uint32_t dataEnd;         // where the palette begins: the end of the scan-line data
    uint32_t pixelCapacity;   // pixels in the buffer, spare pixel included
    uint8_t* pixels;          // 4 bytes a pixel: red, green, blue, alpha
    uint8_t palette[256][4];
};

bool dataLeft(Decoder& d) { return streamOps.tell(d.stream) < d.dataEnd; }

void writeRun(Decoder& d, uint32_t at, uint32_t count, uint8_t index) {
    uint32_t end = at + count <= d.pixelCapacity ? at + count : d.pixelCapacity;
    for (uint32_t i = at; i < end; ++i) memcpy(d.pixels + 4 * i, d.palette[index], 4);
}

// Returns false when the data ran out before the picture was complete.
bool decodeRunLengthLine(Decoder& d, uint32_t start, uint32_t end) {
    for (uint32_t i = start; i < end;) {
        if (!dataLeft(d)) return false;
        uint8_t code = streamOps.getByte(d.stream);
        if (code >= 192) {
            uint32_t count = code - 192u;
            if (!dataLeft(d)) return false;
            uint8_t index = (uint8_t)readU8(d.stream);
            writeRun(d, i, count, index);  // a run may spill into the next rows; they are rewritten
            i += count;
        } else {
            writeRun(d, i, 1, code);
            i += 1;
        }
    }
    return true;
}

bool decodeRawLine(Decoder& d, uint32_t start, uint32_t end) {
    for (uint32_t i = start; i < end; ++i) {
        if (!dataLeft(d)) return false;
        writeRun(d, i, 1, (uint8_t)readU8(d.stream));
    }
    return true;
}

void readPalette(Decoder& d) {
    uint8_t rgb[pcxPaletteSize];
    streamOps.seek(d.stream, -(int32_t)pcxPaletteSize, streamFromEnd);
    streamOps.read(rgb, pcxPaletteSize, d.stream);
    for (int i = 0; i < 256; ++i) {
        memcpy(d.palette[i], rgb + 3 * i, 3);
        d.palette[i][3] = 255;
    }
}

void decodeLines(Decoder& d, const PcxHeader& h) {
    streamOps.seek(d.stream, (int32_t)pcxHeaderSize, streamFromStart);
    for (int32_t y = 0; y < h.height; ++y) {
        uint32_t start = (uint32_t)y * (uint32_t)h.width;
        uint32_t end = start + h.bytesPerLine;
        bool complete = h.encoding != 0 ? decodeRunLengthLine(d, start, end) : decodeRawLine(d, start, end);
        if (!complete) return;
    }
}

}  // namespace

bool loadPcx(Texture& texture, const EmbeddedFile* file, int32_t streamKind) {
    freeImage(texture);
    selectStreamBackend(streamKind);
    if (!streamOps.open || !streamOps.getByte || !streamOps.read || !streamOps.seek || !streamOps.tell)
        return false;
    if (embeddedFileSize(file) < pcxHeaderSize + pcxPaletteSize) return false;

    Image* image = (Image*)memAlloc(sizeof(Image));
    MemoryStream* stream = streamOps.open(file);
    PcxHeader header = stream ? readHeader(stream) : PcxHeader{};
    uint32_t pixelCount = 0;
    uint8_t* pixels = nullptr;
    if (image && stream && isSupported(header)) {
        pixelCount = (uint32_t)header.width * (uint32_t)header.height + 1;  // one spare for line padding
        pixels = (uint8_t*)memAllocZeroed(pixelCount, 4);
    }
    if (!pixels) {
        if (stream) streamOps.close(stream);
        if (image) memFree(image);
        return false;
    }

    Decoder decoder = {stream, embeddedFileSize(file) - pcxPaletteSize, pixelCount, pixels, {}};
    readPalette(decoder);
    decodeLines(decoder, header);
    streamOps.close(stream);

    *image = {header.width, header.height, pixels};
    texture.image = image;
    return true;
}
