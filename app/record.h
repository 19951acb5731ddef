// SPDX-License-Identifier: MIT
// Record and replay: a session kept as it is played, and played again exactly, with checkpoints.
//
// A record (record_file.h) holds what the game's course depends on: every reading of the clock
// seam, every message the main loop takes from the message seam, the game's view of its window
// (fullscreen, and the box the pointer is mapped through) and the active flag whenever they change,
// the random generator's state at the start, and checkpoints: a digest of each part of the state
// (the framework's: input, scene, sequencer, random; then the program's own parts) at the start,
// every checkpointIntervalMs of its clock and at the end. It is written as it goes and flushed at
// least once a second.
//
// A replay gives the program the recorded readings and messages through the same seams, and the
// recorded view, so the same frames run from the same states in any window: pointer positions are
// mapped through the recorded box, a recorded F1 changes the recorded view only. The viewer's
// Escape or close ends it, a minimised window pauses it, and the rest of the viewer's input is
// ignored. At each checkpoint it compares; the first difference is said once (which idle pass of
// the main loop, and which part first). With check set it runs without a window, as fast as it
// can, and stops at the first difference.
#pragma once
#include <stdint.h>

// Bytes of the program's state that a checkpoint digests, read as they lie in memory.
struct StateField {
    const void* data;
    uint32_t size;
};
// A named part of the state; a table of them ends with a null name.
struct StatePart {
    const char* name;
    const StateField* fields;
    uint32_t fieldCount;
};

struct SessionOptions {
    const char* recordPath;  // --record FILE, or null
    const char* replayPath;  // --replay FILE, or null
    bool check;              // --check: no window, as fast as it can
    const char* version;     // the program's version, which a record names
};
extern SessionOptions sessionOptions;

enum { checkpointIntervalMs = 2000, recordFlushMs = 1000, recordMaxBytes = 256 << 20 };

// What a replay found, kept up to date as it runs (read after sessionEnd for the whole).
struct ReplayReport {
    uint32_t ticks;             // idle passes of the main loop replayed
    uint32_t checkpoints;       // checkpoints compared
    uint32_t differingTick;     // the idle pass at which the first difference was found (when differs)
    const char* differingPart;  // the part that first differs: a state part's name, or "course" when
                                // the run took another course than its record's; null while none
    bool cut;                   // the record was cut short, and replayed to its last whole entry
};
extern ReplayReport replayReport;

// Before anything of the system starts, as sessionOptions ask: a replay's file is read and checked
// whole; a record's file is made and its head written. parts (borrowed for the run, may be null)
// are the program's own state parts, at most 12. False, with one line on stderr, when the run must
// not start (a replay that cannot be read, damaged, foreign or of a newer format; a record that
// cannot be made).
bool sessionPrepare(const StatePart* parts);
// Whether this run replays without a window.
bool sessionWindowless();
// Once the window is up, before the sequencer starts: installs the session's clock and message
// sources (and, for a replay, frameCallback and the recorded view).
void sessionBegin();
// After the main loop, before the window goes: a record gets its last checkpoint and its end and is
// closed; a replay compares what is left of its record and says how it ended. Puts the seams back.
// Returns exitCode, or for a replay 0 when every checkpoint matched and 1 on a difference.
uint32_t sessionEnd(uint32_t exitCode);
