// SPDX-License-Identifier: MIT
// Heap wrappers over the C allocator.
#include "support/support.h"

#include <stdlib.h>

void* memAlloc(uint32_t byteCount) { return malloc(byteCount ? byteCount : 1); }

int memFree(void* block) {
    free(block);
    return 1;
}

void* memRealloc(void* block, uint32_t byteCount) { return realloc(block, byteCount ? byteCount : 1); }

void* memAllocZeroed(uint32_t count, uint32_t size) {
    uint64_t total = (uint64_t)count * size;
    if (total > 0xFFFFFFFFu) return nullptr;  // the product must fit the 32-bit size
    return calloc(total ? total : 1, 1);
}
