// SPDX-License-Identifier: MIT
// libFuzzer target: the record reader on arbitrary bytes.
//
// A record the reader takes (whole or cut) is read to its end, then written anew from its entries
// and read back: the same entries, in the same order. AddressSanitizer catches any read outside the
// bytes.
#include <stdlib.h>
#include <string.h>

#include "app/record_file.h"

static bool sameEntry(const RecordEntry& a, const RecordEntry& b) {
    return a.kind == b.kind && memcmp(a.values, b.values, sizeof a.values) == 0 && a.partCount == b.partCount &&
           memcmp(a.digests, b.digests, sizeof a.digests) == 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RecordReader reader, again;
    uint32_t end = 0;
    RecordProblem problem = recordOpen(reader, data, (uint32_t)size, &end);
    if (end > size) abort();
    if ((problem != recordWhole && problem != recordCut) || !reader.version[0]) return 0;  // nothing to write again
    char* copy = nullptr;
    size_t copySize = 0;
    static RecordWriter writer;
    if (!recordWriterOpen(writer, open_memstream(&copy, &copySize), reader.version)) abort();
    RecordEntry entry, other;
    uint32_t count = 0;
    bool ended = false;  // the copy is whole when the end was read, whether or not its block was
    while (recordRead(reader, entry)) {
        if (entry.kind > entryEnd || ++count > 64 * size) abort();
        if (!recordWrite(writer, entry)) abort();
        ended = entry.kind == entryEnd;
    }
    if (!recordWriterClose(writer)) abort();
    if (recordOpen(again, (const uint8_t*)copy, (uint32_t)copySize, nullptr) != (ended ? recordWhole : recordCut))
        abort();
    recordOpen(reader, data, (uint32_t)size, nullptr);
    while (recordRead(reader, entry))
        if (!recordRead(again, other) || !sameEntry(entry, other)) abort();
    if (recordRead(again, other)) abort();
    free(copy);
    return 0;
}
