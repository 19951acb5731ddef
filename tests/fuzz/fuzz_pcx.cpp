// SPDX-License-Identifier: MIT
// libFuzzer target: the PCX decoder and the stream layer on arbitrary bytes.
//
// The input is decoded as a PCX file; then its first bytes drive a script of stream operations
// over the same bytes. AddressSanitizer catches any read or write outside the buffers.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "assets/pcx.h"
#include "assets/stream.h"
#include "tests/support/embedded.h"

static void runStreamScript(const uint8_t* script, size_t length, const uint8_t* record) {
    MemoryStream* stream = streamOpen(record);
    uint8_t destination[64];
    for (size_t i = 0; i + 5 <= length; i += 5) {
        int32_t argument;
        memcpy(&argument, script + i + 1, 4);
        switch (script[i] % 6) {
        case 0: streamRead(destination, (uint32_t)argument % sizeof destination, stream); break;
        case 1: streamSeek(stream, argument, script[i] / 6 % 4); break;
        case 2: streamGetByte(stream); break;
        case 3: readU16(stream); break;
        case 4: readU32(stream); break;
        default: readFloat(stream); break;
        }
        if (stream->position > stream->size) abort();
    }
    streamClose(stream);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> record = makeEmbedded(std::vector<uint8_t>(data, data + size));
    Texture texture;
    if (loadPcx(texture, record.data(), 0)) {
        const Image* image = texture.image;
        if (image->width < 1 || image->height < 1 || image->width > imageSideLimit || image->height > imageSideLimit)
            abort();
        volatile uint8_t last = image->pixels[((size_t)image->width * image->height + 1) * 4 - 1];
        (void)last;
    }
    freeImage(texture);
    runStreamScript(data, size < 100 ? size : 100, record.data());
    return 0;
}
