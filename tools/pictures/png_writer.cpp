// A minimal PNG writer: one IDAT chunk of stored deflate blocks.
#include "tools/pictures/png_writer.h"

#include <stddef.h>

namespace {

uint32_t crc32(const uint8_t* bytes, size_t count) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

void put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back((uint8_t)(value >> shift));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    put32(out, (uint32_t)data.size());
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored blocks of at most 65535 bytes each.
std::vector<uint8_t> storedZlib(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t at = 0;
    do {
        size_t length = raw.size() - at < 65535 ? raw.size() - at : 65535;
        bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back((uint8_t)length);
        out.push_back((uint8_t)(length >> 8));
        out.push_back((uint8_t)~length);
        out.push_back((uint8_t)(~length >> 8));
        out.insert(out.end(), raw.begin() + at, raw.begin() + at + length);
        at += length;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    put32(out, b << 16 | a);
    return out;
}

}  // namespace

std::vector<uint8_t> encodePng(int32_t width, int32_t height, const uint8_t* rgba) {
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    put32(header, (uint32_t)width);
    put32(header, (uint32_t)height);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace
    chunk(file, "IHDR", header);
    std::vector<uint8_t> raw;
    for (int32_t y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        raw.insert(raw.end(), rgba + (size_t)y * width * 4, rgba + (size_t)(y + 1) * width * 4);
    }
    chunk(file, "IDAT", storedZlib(raw));
    chunk(file, "IEND", {});
    return file;
}
