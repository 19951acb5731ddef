// SPDX-License-Identifier: MIT
// Builds EmbeddedFile records in memory for tests.
#pragma once
#include <stdint.h>

#include <stdio.h>

#include <string>
#include <vector>

inline std::vector<uint8_t> makeEmbedded(const std::vector<uint8_t>& bytes) {
    uint32_t size = (uint32_t)bytes.size();
    std::vector<uint8_t> record = {(uint8_t)size, (uint8_t)(size >> 8), (uint8_t)(size >> 16), (uint8_t)(size >> 24)};
    record.insert(record.end(), bytes.begin(), bytes.end());
    return record;
}

// The whole file, or nothing when it cannot be read.
inline std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(file);
    return bytes;
}
