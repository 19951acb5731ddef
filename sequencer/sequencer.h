// SPDX-License-Identifier: MIT
// The scene sequencer: runs a fixed table of scenes one after another against the millisecond clock.
//
// Scene functions take no arguments and read the time from sequencer.elapsed. Times are
// unsigned 32-bit milliseconds and wrap modulo 2^32.
#pragma once
#include <stdint.h>

struct Scene {
    int32_t duration;        // milliseconds before the sequencer moves on; negative: unlimited
    int32_t reserved1;       // -1 in every table; unused
    int32_t reserved2;       // -1 in every table; unused
    void (*enter)();         // run when the scene is entered; may be null
    bool (*restartClock)();  // run right after enter; true restarts the clock; may be null
    bool (*frame)();         // run once per tick; true: the scene is done. Null ends the table.
    uint8_t active;          // set when entered; unused
    uint8_t done;            // cleared when entered; last frame result; set when left
};

struct Sequencer {
    uint32_t frameCount;   // frames run and presented since start
    uint32_t frameCount2;  // always incremented with frameCount
    uint32_t elapsed;      // ms: systemTime() - startTime at the latest tick
    uint32_t startTime;    // ms: when the current clock started
    uint32_t frameDelta;   // ms: elapsed minus the previous tick's elapsed
    int32_t current;       // index of the current scene; scene functions may change it
    Scene* scenes;         // the table, borrowed; its last record has a null frame
};

extern Sequencer sequencer;

// Enters scene 0 and zeroes the clock against systemTime(), whatever scene 0's restartClock says.
void startSequencer(Sequencer& s);
// Marks the scene at index entered and runs its enter and restartClock (both taken from that
// record, even if enter moves current).
void enterScene(Sequencer& s, int32_t index);
// Leaves the current scene (done, or its duration has run out) and enters the next one, or runs
// the scene's frame and presents it. Returns false only once the end of the table is current.
bool tickSequencer(Sequencer& s);

// Stock scene functions.
bool alwaysTrue();
bool alwaysFalse();
void doNothing();
