// SPDX-License-Identifier: MIT
// The record file of a session: its entries written into checked blocks as they come, and read back.
//
// A record is two text lines, "zelmo-record 1" (the format) and "zelmo VERSION" (the program that
// wrote it), each ending in '\n', then blocks. A block is its payload's length (2 bytes, little
// endian, 1..65535), that length's complement (2 bytes), the payload, and the payload's FNV-1a
// digest (4 bytes). A payload holds whole entries, each a code byte and its operands; varints are
// unsigned LEB128 of at most 32 bits, signed ones zigzag first; clock readings are differences
// from the reading before (from 0 for the first), modulo 2^32; pointer positions differences from
// the position before (from 0, 0):
//
//   0x00..0x7F   an idle pass, then a clock reading: the code is the difference (0..127 ms)
//   0x80..0xBF   k + 1 idle passes with readings +0 (k: bits 0..3), then one with +d (d: bits 4..5)
//   0xC0         an idle pass with no reading (the window was minimised)
//   0xC1 v       a clock reading +v
//   0xC2 x y     WM_MOUSEMOVE by x, y (signed)
//   0xC3 m w l   another message: number, wParam, lParam
//   0xC4 f x y w h  the game's view: fullscreen f (a byte, 0 or 1), shown box x, y (signed), w x h
//   0xC5 a       appFlags.active (a byte, 0 or 1)
//   0xC6 t n d.. a checkpoint after idle pass t: n (a byte, 1..recordMaxParts) digests of 4 bytes
//   0xC7 s w h   the start: the random generator's state, the virtual screen's width and height
//   0xC8 c       the end of the run, with its exit code
//
// Nothing here allocates: the writer owns a block's buffer, the reader borrows the caller's bytes.
#pragma once
#include <stdint.h>
#include <stdio.h>

enum : uint32_t {
    recordFormat = 1,            // the format this program writes and the newest it reads
    recordMaxParts = 16,         // digests a checkpoint holds at most
    recordBlockCapacity = 16384  // payload bytes a writer gathers before it writes a block
};

enum RecordEntryKind : uint8_t {
    entryPass,        // an idle pass of the main loop: the message source had nothing
    entryClock,       // a clock reading: values[0]
    entryMouseMove,   // WM_MOUSEMOVE at client pixel values[0], values[1]
    entryMessage,     // message values[0] with wParam values[1], lParam values[2]
    entryView,        // fullscreen values[0], shown box values[1..4] (x, y as int32_t, width, height)
    entryActive,      // appFlags.active values[0]
    entryCheckpoint,  // after idle pass values[0]: partCount digests
    entryStart,       // random state values[0], virtual screen values[1] x values[2]
    entryEnd,         // exit code values[0]
};

struct RecordEntry {
    RecordEntryKind kind;
    uint32_t values[5];
    uint8_t partCount;  // entryCheckpoint only
    uint32_t digests[recordMaxParts];
};

// FNV-1a over size bytes, continuing from hash (start with recordDigestSeed).
enum : uint32_t { recordDigestSeed = 2166136261u };
uint32_t recordDigest(uint32_t hash, const void* bytes, uint32_t size);

// --- Writing --------------------------------------------------------------------------------

struct RecordWriter {
    FILE* file;  // owned from recordWriterOpen to recordWriterClose; null when closed or failed
    uint8_t block[recordBlockCapacity];
    uint32_t used;                   // payload bytes gathered
    uint32_t clock, pointX, pointY;  // the last reading and pointer position written
    bool passPending;                // an idle pass whose clock reading may follow
    uint32_t zeroPasses;             // idle passes with +0 readings held back to be packed
};

// Takes file (opened for writing) and writes the two head lines naming version (they reach the
// file with the first block). False when they cannot be written; the file is closed then.
bool recordWriterOpen(RecordWriter& writer, FILE* file, const char* version);
// Adds an entry; a block full enough is written. False once a write has failed (the file is
// closed then, and every later call does nothing and returns false).
bool recordWrite(RecordWriter& writer, const RecordEntry& entry);
// Writes what is gathered as a block and flushes the file. False on a failed write (file closed).
bool recordFlush(RecordWriter& writer);
// Flushes, then closes the file. False when a write or the close failed.
bool recordWriterClose(RecordWriter& writer);

// --- Reading ----------------------------------------------------------------------------------

enum RecordProblem {
    recordWhole,    // every block checked, and the end entry last
    recordCut,      // cut short, as a killed run leaves it: its entries up to the cut are read
    recordForeign,  // not a record
    recordNewer,    // of a newer format than recordFormat
    recordDamaged,  // changed inside: a head line, a block or an entry is not as written
};

struct RecordReader {
    const uint8_t* bytes;  // borrowed for the reader's life
    uint32_t size;
    uint32_t format;      // the first line's number (for recordNewer)
    char version[64];     // the second line's program version
    uint32_t offset;      // next byte of the current payload
    uint32_t payloadEnd;  // end of the current payload (its whole end; the data's end when cut)
    uint32_t nextBlock;   // where the next block begins
    uint32_t cutAt;       // where the data ends inside a cut block, else 0
    uint32_t clock, pointX, pointY;
    uint32_t pairsLeft;  // idle passes (each with its reading) still to give from a packed code
    uint32_t lastDelta;  // the reading of the last of them
    bool readingNext;    // the reading that goes with the idle pass just given
    uint32_t readingDelta;
    bool cut;  // reached the cut: no more entries
};

// Checks the head lines and every block, and reads every entry once (so that a damaged record is
// refused before any of it is used); then sets the reader back to the first entry. A cut record's
// last block is taken up to its last whole entry, unchecked: the run was killed while writing it.
// *endOffset (when not null) is where the last entry read ends.
RecordProblem recordOpen(RecordReader& reader, const uint8_t* bytes, uint32_t size, uint32_t* endOffset);
// The next entry; false at the end of the entries (the end of the data, or a cut).
bool recordRead(RecordReader& reader, RecordEntry& entry);
