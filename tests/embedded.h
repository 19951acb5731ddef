// Builds EmbeddedFile records in memory for tests.
#pragma once
#include <stdint.h>

#include <vector>

inline std::vector<uint8_t> makeEmbedded(const std::vector<uint8_t>& bytes) {
    uint32_t size = (uint32_t)bytes.size();
    std::vector<uint8_t> record = {(uint8_t)size, (uint8_t)(size >> 8), (uint8_t)(size >> 16), (uint8_t)(size >> 24)};
    record.insert(record.end(), bytes.begin(), bytes.end());
    return record;
}
