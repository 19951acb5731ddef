// SPDX-License-Identifier: MIT
// The record file: entries coded into checked blocks, and read back with every check.
#include "app/record_file.h"

#include <string.h>

static const char formatLine[] = "zelmo-record ";

enum : uint8_t {
    codePackedPasses = 0x80,
    codeBarePass = 0xC0,
    codeClock,
    codeMouseMove,
    codeMessage,
    codeView,
    codeActive,
    codeCheckpoint,
    codeStart,
    codeEnd,
};
enum : uint32_t {
    blockHead = 4,
    blockTail = 4,
    maxPackedZeros = 17,
    maxEntryBytes = 96
};  // an entry and what was held back before it

uint32_t recordDigest(uint32_t hash, const void* bytes, uint32_t size) {
    const uint8_t* byte = (const uint8_t*)bytes;
    for (uint32_t i = 0; i < size; ++i) hash = (hash ^ byte[i]) * 16777619u;
    return hash;
}

// --- Writing --------------------------------------------------------------------------------

static void putByte(RecordWriter& writer, uint32_t value) { writer.block[writer.used++] = (uint8_t)value; }

static void putVarint(RecordWriter& writer, uint32_t value) {
    for (; value >= 0x80; value >>= 7) putByte(writer, (value & 0x7F) | 0x80);
    putByte(writer, value);
}

static uint32_t zigzag(int32_t value) { return ((uint32_t)value << 1) ^ (uint32_t)(value >> 31); }
static int32_t unzigzag(uint32_t value) { return (int32_t)(value >> 1) ^ -(int32_t)(value & 1); }

static void putLittle32(RecordWriter& writer, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) putByte(writer, value >> shift);
}

static bool fail(RecordWriter& writer) {
    if (writer.file) fclose(writer.file);
    writer.file = nullptr;
    return false;
}

// The idle passes held back go out as packed codes: 0x00 for one, 0x80 | k for k + 2.
static void putZeroPasses(RecordWriter& writer) {
    if (writer.zeroPasses == 1) putByte(writer, 0x00);
    else if (writer.zeroPasses > 1) putByte(writer, codePackedPasses | (writer.zeroPasses - 2));
    writer.zeroPasses = 0;
}

static void putPending(RecordWriter& writer) {
    putZeroPasses(writer);
    if (writer.passPending) putByte(writer, codeBarePass);
    writer.passPending = false;
}

// An idle pass with its reading, delta after the one before: held while +0 so that a run of them
// (frames faster than the clock's millisecond) packs into a byte.
static void putPassWithReading(RecordWriter& writer, uint32_t delta) {
    writer.passPending = false;
    if (delta == 0) {
        if (++writer.zeroPasses == maxPackedZeros) putZeroPasses(writer);
        return;
    }
    if (writer.zeroPasses > 0 && delta <= 3) {
        putByte(writer, codePackedPasses | (writer.zeroPasses - 1) | (delta << 4));
        writer.zeroPasses = 0;
        return;
    }
    putZeroPasses(writer);
    if (delta < 0x80) {
        putByte(writer, delta);
    } else {
        putByte(writer, codeBarePass);
        putByte(writer, codeClock);
        putVarint(writer, delta);
    }
}

bool recordWriterOpen(RecordWriter& writer, FILE* file, const char* version) {
    writer = {};
    writer.file = file;
    // Written with the first block, as a second of play: a full disk shows then.
    return fprintf(file, "%s%u\nzelmo %s\n", formatLine, recordFormat, version) >= 0 || fail(writer);
}

bool recordWrite(RecordWriter& writer, const RecordEntry& entry) {
    if (!writer.file) return false;
    if (writer.used + maxEntryBytes > recordBlockCapacity && !recordFlush(writer)) return false;
    const uint32_t* v = entry.values;
    if (entry.kind == entryPass) {
        if (writer.passPending) putPending(writer);  // the pass before took no reading
        writer.passPending = true;
        return true;
    }
    if (entry.kind == entryClock) {
        uint32_t delta = v[0] - writer.clock;
        writer.clock = v[0];
        if (writer.passPending) {
            putPassWithReading(writer, delta);
            return true;
        }
        putPending(writer);
        putByte(writer, codeClock);
        putVarint(writer, delta);
        return true;
    }
    putPending(writer);
    switch (entry.kind) {
    case entryMouseMove:
        putByte(writer, codeMouseMove);
        putVarint(writer, zigzag((int32_t)(v[0] - writer.pointX)));
        putVarint(writer, zigzag((int32_t)(v[1] - writer.pointY)));
        writer.pointX = v[0];
        writer.pointY = v[1];
        break;
    case entryMessage:
        putByte(writer, codeMessage);
        for (int i = 0; i < 3; ++i) putVarint(writer, v[i]);
        break;
    case entryView:
        putByte(writer, codeView);
        putByte(writer, v[0] ? 1 : 0);
        putVarint(writer, zigzag((int32_t)v[1]));
        putVarint(writer, zigzag((int32_t)v[2]));
        putVarint(writer, v[3]);
        putVarint(writer, v[4]);
        break;
    case entryActive:
        putByte(writer, codeActive);
        putByte(writer, v[0] ? 1 : 0);
        break;
    case entryCheckpoint: {
        uint32_t count = entry.partCount < 1                ? 1u
                         : entry.partCount > recordMaxParts ? (uint32_t)recordMaxParts
                                                            : entry.partCount;
        putByte(writer, codeCheckpoint);
        putVarint(writer, v[0]);
        putByte(writer, count);
        for (uint32_t i = 0; i < count; ++i) putLittle32(writer, entry.digests[i]);
        break;
    }
    case entryStart:
        putByte(writer, codeStart);
        for (int i = 0; i < 3; ++i) putVarint(writer, v[i]);
        break;
    default:
        putByte(writer, codeEnd);
        putVarint(writer, v[0]);
        break;
    }
    return true;
}

bool recordFlush(RecordWriter& writer) {
    if (!writer.file) return false;
    putPending(writer);
    if (writer.used > 0) {
        uint8_t head[blockHead] = {(uint8_t)writer.used, (uint8_t)(writer.used >> 8), (uint8_t)~writer.used,
                                   (uint8_t)(~writer.used >> 8)};
        uint32_t digest = recordDigest(recordDigestSeed, writer.block, writer.used);
        uint8_t tail[blockTail] = {(uint8_t)digest, (uint8_t)(digest >> 8), (uint8_t)(digest >> 16),
                                   (uint8_t)(digest >> 24)};
        if (fwrite(head, 1, sizeof head, writer.file) != sizeof head ||
            fwrite(writer.block, 1, writer.used, writer.file) != writer.used ||
            fwrite(tail, 1, sizeof tail, writer.file) != sizeof tail)
            return fail(writer);
        writer.used = 0;
    }
    return fflush(writer.file) == 0 || fail(writer);
}

bool recordWriterClose(RecordWriter& writer) {
    if (!recordFlush(writer)) return false;
    bool closed = fclose(writer.file) == 0;
    writer.file = nullptr;
    return closed;
}

// --- Reading ----------------------------------------------------------------------------------

enum Step { stepEntry, stepEnd, stepDamaged };

static uint32_t little(const uint8_t* p, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | p[i];
    return value;
}

// The next block's payload, checked. At the end of the data: stepEnd. A block the data ends
// inside (its head whole and sound) is cut: its payload runs to the data's end, unchecked.
static Step enterBlock(RecordReader& reader) {
    reader.offset = reader.nextBlock;
    uint32_t left = reader.size - reader.offset;
    if (left == 0) return stepEnd;
    if (left < blockHead) return reader.cut = true, stepEnd;
    const uint8_t* head = reader.bytes + reader.offset;
    uint32_t length = little(head, 2);
    if (length == 0 || (length ^ little(head + 2, 2)) != 0xFFFF) return stepDamaged;
    if (left - blockHead < length + blockTail) {
        reader.offset += blockHead;
        reader.payloadEnd = reader.size;
        reader.cutAt = reader.size;
        return stepEntry;
    }
    const uint8_t* payload = head + blockHead;
    if (recordDigest(recordDigestSeed, payload, length) != little(payload + length, 4)) return stepDamaged;
    reader.offset += blockHead;
    reader.payloadEnd = reader.offset + length;
    reader.nextBlock = reader.payloadEnd + blockTail;
    return stepEntry;
}

// Operand bytes of the current payload. An entry that runs past a checked payload is damage; past
// the data's end in a cut block, the cut.
struct Operands {
    RecordReader& reader;
    bool shortOf;
    uint32_t byte() {
        if (reader.offset >= reader.payloadEnd) return shortOf = true, 0;
        return reader.bytes[reader.offset++];
    }
    uint32_t varint() {
        uint32_t value = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            uint32_t b = byte();
            if (shift == 28 && b > 0x0F) return shortOf = true, 0;  // more than 32 bits
            value |= (b & 0x7F) << shift;
            if (!(b & 0x80)) return value;
        }
        return value;
    }
};

static void give(RecordEntry& entry, RecordEntryKind kind, uint32_t value = 0) {
    entry.kind = kind;
    entry.values[0] = value;
}

static void givePass(RecordReader& reader, RecordEntry& entry, uint32_t delta) {
    give(entry, entryPass);
    reader.readingNext = true;
    reader.readingDelta = delta;
}

static Step readEntry(RecordReader& reader, RecordEntry& entry) {
    memset(&entry, 0, sizeof entry);
    if (reader.readingNext) {
        reader.readingNext = false;
        reader.clock += reader.readingDelta;
        return give(entry, entryClock, reader.clock), stepEntry;
    }
    if (reader.pairsLeft > 0) {
        reader.pairsLeft -= 1;
        return givePass(reader, entry, reader.pairsLeft == 0 ? reader.lastDelta : 0), stepEntry;
    }
    if (reader.cut) return stepEnd;
    if (reader.offset >= reader.payloadEnd) {
        if (reader.cutAt) return reader.cut = true, stepEnd;
        Step step = enterBlock(reader);
        if (step != stepEntry) return step;
    }
    uint32_t start = reader.offset;
    Operands in = {reader, false};
    uint32_t code = in.byte();
    uint32_t* v = entry.values;
    if (code < codePackedPasses) {
        givePass(reader, entry, code);
    } else if (code < codeBarePass) {
        reader.pairsLeft = (code & 0x0F) + 1;
        reader.lastDelta = (code >> 4) & 3;
        givePass(reader, entry, 0);
    } else {
        switch (code) {
        case codeBarePass: give(entry, entryPass); break;
        case codeClock: give(entry, entryClock, reader.clock + in.varint()); break;
        case codeMouseMove:
            give(entry, entryMouseMove, reader.pointX + (uint32_t)unzigzag(in.varint()));
            v[1] = reader.pointY + (uint32_t)unzigzag(in.varint());
            break;
        case codeMessage:
            give(entry, entryMessage, in.varint());
            v[1] = in.varint();
            v[2] = in.varint();
            break;
        case codeView:
            give(entry, entryView, in.byte());
            v[1] = (uint32_t)unzigzag(in.varint());
            v[2] = (uint32_t)unzigzag(in.varint());
            v[3] = in.varint();
            v[4] = in.varint();
            if (v[0] > 1) in.shortOf = true;
            break;
        case codeActive:
            give(entry, entryActive, in.byte());
            if (v[0] > 1) in.shortOf = true;
            break;
        case codeCheckpoint:
            give(entry, entryCheckpoint, in.varint());
            entry.partCount = (uint8_t)in.byte();
            if (entry.partCount < 1 || entry.partCount > recordMaxParts) in.shortOf = true;
            for (uint32_t i = 0; i < entry.partCount && !in.shortOf; ++i) {
                uint32_t bytes[4] = {in.byte(), in.byte(), in.byte(), in.byte()};
                entry.digests[i] = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24;
            }
            break;
        case codeStart:
            give(entry, entryStart, in.varint());
            v[1] = in.varint();
            v[2] = in.varint();
            break;
        case codeEnd: give(entry, entryEnd, in.varint()); break;
        default: return stepDamaged;
        }
    }
    if (in.shortOf) {
        // Only the data's end may stop an entry short, and only in a cut block.
        if (!reader.cutAt || reader.offset < reader.payloadEnd) return stepDamaged;
        reader.offset = start;
        reader.readingNext = false;
        reader.pairsLeft = 0;
        return reader.cut = true, stepEnd;
    }
    if (entry.kind == entryClock) reader.clock = v[0];
    if (entry.kind == entryMouseMove) reader.pointX = v[0], reader.pointY = v[1];
    return stepEntry;
}

// The two head lines: "zelmo-record N\n" and "zelmo VERSION\n". Sets offset past them.
static RecordProblem readHead(RecordReader& reader) {
    uint32_t length = (uint32_t)strlen(formatLine);
    uint32_t compared = reader.size < length ? reader.size : length;
    if (compared == 0 || memcmp(reader.bytes, formatLine, compared) != 0) return recordForeign;
    uint32_t at = compared, format = 0;
    while (at < reader.size && reader.bytes[at] >= '0' && reader.bytes[at] <= '9' && at < length + 9)
        format = format * 10 + (reader.bytes[at++] - '0');
    if (at == reader.size) return recordCut;
    if (at == length || reader.bytes[at] != '\n' || format == 0) return recordDamaged;
    reader.format = format;
    if (format > recordFormat) return recordNewer;
    static const char programLine[] = "zelmo ";
    at += 1;
    for (uint32_t i = 0; i < sizeof programLine - 1; ++i, ++at) {
        if (at == reader.size) return recordCut;
        if (reader.bytes[at] != (uint8_t)programLine[i]) return recordDamaged;
    }
    uint32_t n = 0;
    for (; at < reader.size && reader.bytes[at] != '\n'; ++at, ++n) {
        if (n + 1 >= sizeof reader.version || reader.bytes[at] < 0x21 || reader.bytes[at] > 0x7E) return recordDamaged;
        reader.version[n] = (char)reader.bytes[at];
    }
    if (at == reader.size) return recordCut;
    if (n == 0) return recordDamaged;
    reader.offset = reader.payloadEnd = reader.nextBlock = at + 1;
    return recordWhole;
}

RecordProblem recordOpen(RecordReader& reader, const uint8_t* bytes, uint32_t size, uint32_t* endOffset) {
    reader = {};
    reader.bytes = bytes;
    reader.size = size;
    if (endOffset) *endOffset = 0;
    RecordProblem head = readHead(reader);
    if (head == recordCut) reader.offset = reader.payloadEnd = reader.nextBlock = size;  // no entry to read
    if (head != recordWhole) return head;
    RecordReader start = reader;
    RecordEntry entry;
    bool ended = false;
    Step step;
    while ((step = readEntry(reader, entry)) == stepEntry) {
        if (ended) return recordDamaged;  // nothing follows the end
        ended = entry.kind == entryEnd;
    }
    if (step == stepDamaged) return recordDamaged;
    if (endOffset) *endOffset = reader.offset;
    bool cut = reader.cut || !ended;
    reader = start;
    return cut ? recordCut : recordWhole;
}

bool recordRead(RecordReader& reader, RecordEntry& entry) { return readEntry(reader, entry) == stepEntry; }
