// SPDX-License-Identifier: MIT
// Record and replay of a session through the clock and message seams, with checkpoints of the state.
#include "app/record.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "app/app.h"
#include "app/record_file.h"
#include "platform/platform.h"
#include "sequencer/sequencer.h"
#include "shell/config.h"
#include "shell/input.h"
#include "shell/window.h"
#include "support/support.h"

SessionOptions sessionOptions = {nullptr, nullptr, false, "0"};
ReplayReport replayReport;

namespace {

// --- The state's parts --------------------------------------------------------------------------

const StateField inputFields[] = {{inputState.keys, sizeof inputState.keys},
                                  {&inputState.mouseX, sizeof inputState.mouseX},
                                  {&inputState.mouseY, sizeof inputState.mouseY},
                                  {&inputState.leftButton, 1},
                                  {&inputState.rightButton, 1}};
const StateField sequencerFields[] = {{&sequencer.frameCount, 4}, {&sequencer.frameCount2, 4}, {&sequencer.elapsed, 4},
                                      {&sequencer.startTime, 4},  {&sequencer.frameDelta, 4},  {&sequencer.current, 4}};
const StateField randomFields[] = {{&randomState, sizeof randomState}};
// The scene table's flags are digested by walking the table (sceneDigest).
const StatePart frameworkParts[] = {{"input", inputFields, 5},
                                    {"scene", nullptr, 0},
                                    {"sequencer", sequencerFields, 6},
                                    {"random generator", randomFields, 1}};
enum : uint32_t { frameworkPartCount = 4, maxProgramParts = recordMaxParts - frameworkPartCount };

const StatePart* parts[recordMaxParts];
uint32_t partCount;

uint32_t sceneDigest() {
    uint32_t hash = recordDigest(recordDigestSeed, &sequencer.current, 4);
    for (const Scene* scene = sequencer.scenes; scene; ++scene) {
        hash = recordDigest(hash, &scene->active, 1);
        hash = recordDigest(hash, &scene->done, 1);
        if (!scene->frame) break;
    }
    return hash;
}

void digestState(RecordEntry& entry, uint32_t tick) {
    entry = {};
    entry.kind = entryCheckpoint;
    entry.values[0] = tick;
    entry.partCount = (uint8_t)partCount;
    for (uint32_t i = 0; i < partCount; ++i) {
        uint32_t hash = recordDigestSeed;
        for (uint32_t f = 0; f < parts[i]->fieldCount; ++f)
            hash = recordDigest(hash, parts[i]->fields[f].data, parts[i]->fields[f].size);
        entry.digests[i] = parts[i]->fields ? hash : sceneDigest();
    }
}

RecordEntry entryOf(RecordEntryKind kind, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0, uint32_t d = 0,
                    uint32_t e = 0) {
    RecordEntry entry = {};
    entry.kind = kind;
    uint32_t values[5] = {a, b, c, d, e};
    memcpy(entry.values, values, sizeof values);
    return entry;
}

RecordEntry viewEntry() {
    return entryOf(entryView, displayConfig.fullscreen, (uint32_t)shownRect.x, (uint32_t)shownRect.y,
                   (uint32_t)shownRect.width, (uint32_t)shownRect.height);
}

bool sameEntry(const RecordEntry& a, const RecordEntry& b) { return memcmp(a.values, b.values, sizeof a.values) == 0; }

// Seconds and tenths, for the lines the player reads.
void formatSeconds(char* text, uint32_t ms) { formatString(text, "%u.%u s", ms / 1000, ms % 1000 / 100); }

// --- Recording ----------------------------------------------------------------------------------

struct Recording {
    bool on, begun;
    RecordWriter writer;
    ClockSource clock;  // the seams it stands in front of
    MessageSource source;
    uint32_t lastReading, ticks, checkpointTick, checkpointClock, lastFlush;
    bool checkpointed, failed;
    RecordEntry view, active;
};
Recording recording;

// A write that fails (a full disk) is said once; the game plays on unrecorded.
void writeFailed() {
    if (recording.failed) return;
    recording.failed = true;
    char line[formatLimit];
    formatString(line, "cannot write the record %s (%s): the game plays on without it", sessionOptions.recordPath,
                 strerror(errno));
    platReportError(line);
}

void recordEntry(const RecordEntry& entry) {
    if (!recording.failed && !recordWrite(recording.writer, entry)) writeFailed();
}

uint32_t recordingClock() {
    uint32_t now = recording.clock();
    recording.lastReading = now;
    recordEntry(entryOf(entryClock, now));
    return now;
}

// What changed since the last pass goes first: the view, the active flag, a checkpoint when due.
void recordChanges() {
    RecordEntry view = viewEntry(), active = entryOf(entryActive, appFlags.active);
    if (!sameEntry(view, recording.view)) recordEntry(recording.view = view);
    if (!sameEntry(active, recording.active)) recordEntry(recording.active = active);
    bool due = recording.ticks > recording.checkpointTick &&
               recording.lastReading - recording.checkpointClock >= checkpointIntervalMs;
    if (!recording.checkpointed || due) {
        RecordEntry checkpoint;
        digestState(checkpoint, recording.ticks);
        recordEntry(checkpoint);
        recording.checkpointed = true;
        recording.checkpointTick = recording.ticks;
        recording.checkpointClock = recording.lastReading;
    }
    if (platReadSystemClock() - recording.lastFlush >= recordFlushMs) {
        recording.lastFlush = platReadSystemClock();
        if (!recording.failed && !recordFlush(recording.writer)) writeFailed();
    }
}

bool recordingSource(PlatMessage* out) {
    recordChanges();
    if (!recording.source(out)) {
        recordEntry(entryOf(entryPass));
        recording.ticks += 1;
        return false;
    }
    // Size, place and activation reach the record as the view and the active flag they make (some
    // come from inside window calls, not from here).
    if (out->message == WM_MOUSEMOVE) {
        recordEntry(entryOf(entryMouseMove, lowWord(out->lParam), highWord(out->lParam)));
    } else if (out->message != WM_SIZE && out->message != WM_MOVE && out->message != WM_ACTIVATE) {
        recordEntry(entryOf(entryMessage, out->message, out->wParam, out->lParam));
    }
    return true;
}

bool prepareRecording() {
    recording = {};
    FILE* file = platOpenFile(sessionOptions.recordPath, true);
    if (!file) {
        char line[formatLimit];
        formatString(line, "cannot create the record %s (%s)", sessionOptions.recordPath, strerror(errno));
        platReportError(line);
        return false;
    }
    recording.on = true;
    if (!recordWriterOpen(recording.writer, file, sessionOptions.version)) writeFailed();
    return true;
}

// --- Replaying ----------------------------------------------------------------------------------

struct Replaying {
    bool on;
    uint8_t* bytes;
    uint32_t size, endOffset;
    RecordReader reader;
    RecordEntry next;
    bool haveNext;
    ClockSource clock;
    MessageSource viewer;  // the viewer's own input
    RecordEntry view;
    uint32_t lastReading, clockBase, realBase, lastShown, pausedAt;
    bool begun, started, ended, stopped, viewerEnded, paused;
};
Replaying replaying;

bool peekEntry(RecordEntry& entry) {
    if (!replaying.haveNext) replaying.haveNext = recordRead(replaying.reader, replaying.next);
    entry = replaying.next;
    return replaying.haveNext;
}

void takeEntry() { replaying.haveNext = false; }

void say(const char* text) { platReportError(text); }

uint32_t intoRecord() { return replaying.lastReading - replaying.clockBase; }

// The first difference, said once; a check stops there.
void differs(uint32_t tick, const char* part, const char* also) {
    if (replayReport.differingPart) return;
    replayReport.differingTick = tick;
    replayReport.differingPart = part;
    char seconds[32], line[formatLimit];
    formatSeconds(seconds, intoRecord());
    bool otherProgram = strcmp(replaying.reader.version, sessionOptions.version) != 0;
    formatString(line, "%s: the replay first differs from the record at idle pass %u (%s in), in the %s%s%s%s%s%s",
                 sessionOptions.replayPath, tick, seconds, part, *also ? " (then also the " : "", also,
                 *also ? ")" : "", otherProgram ? "; it was recorded by zelmo " : "",
                 otherProgram ? replaying.reader.version : "");
    say(line);
    if (sessionOptions.check) replaying.stopped = true;
}

void compareCheckpoint(const RecordEntry& recorded) {
    RecordEntry now;
    digestState(now, replayReport.ticks);
    replayReport.checkpoints += 1;
    if (recorded.partCount != partCount) return differs(recorded.values[0], "set of state parts", "");
    const char* first = nullptr;
    char also[formatLimit] = "";
    for (uint32_t i = 0; i < partCount; ++i) {
        if (recorded.digests[i] == now.digests[i]) continue;
        if (!first) first = parts[i]->name;
        else snprintf(also + strlen(also), sizeof also - strlen(also), "%s%s", *also ? ", the " : "", parts[i]->name);
    }
    if (first) differs(recorded.values[0], first, also);
}

void applyView() {
    shownRect = {(int32_t)replaying.view.values[1], (int32_t)replaying.view.values[2],
                 (int32_t)replaying.view.values[3], (int32_t)replaying.view.values[4]};
}

uint32_t replayClock() {
    RecordEntry entry;
    if (replaying.ended) return replaying.lastReading;
    if (!peekEntry(entry) || entry.kind != entryClock) {
        // The run reads the clock where its record has none: another course (or the record's end).
        if (replaying.haveNext) differs(replayReport.ticks, "course", "");
        replaying.ended = true;
        return replaying.lastReading;
    }
    takeEntry();
    if (!replaying.started) {
        replaying.started = true;
        replaying.clockBase = entry.values[0];
        replaying.realBase = platReadSystemClock();
    }
    replaying.lastReading = entry.values[0];
    return entry.values[0];
}

// Rests up to ms of the system's clock, or until the viewer acts. The platform rests only for its
// own message source, so that one is put back meanwhile.
void restForViewer(uint32_t ms) {
    MessageSource own = platMessageSource;
    platMessageSource = replaying.viewer;
    platWaitMessage(ms);
    platMessageSource = own;
}

// The viewer's own input: Escape or a close ends the replay, a minimised window pauses it, a new
// size lays the picture out anew (the recorded view is put back before the next frame).
void takeViewerInput() {
    PlatMessage message;
    while (replaying.viewer(&message)) {
        uint32_t id = message.message;
        if ((id == WM_KEYDOWN && (message.wParam & 0xFF) == VK_ESCAPE) || id == WM_CLOSE) replaying.viewerEnded = true;
        if (id == WM_SIZE || id == WM_MOVE) platDispatchMessage(&message);
        if (id == WM_ACTIVATE && highWord(message.wParam) != 0 && !replaying.paused) {
            replaying.paused = true;
            replaying.pausedAt = platReadSystemClock();
        }
        if (id == WM_ACTIVATE && highWord(message.wParam) == 0 && replaying.paused) {
            replaying.paused = false;
            replaying.realBase += platReadSystemClock() - replaying.pausedAt;
        }
    }
}

// A viewer sees the frames at the record's pace: each waits for its time, and frames that come late
// are drawn but not shown (at least one every 100 ms is), so that the replay catches up.
void paceTick(const RecordEntry& reading) {
    if (!replaying.started) return;
    uint32_t due = reading.values[0] - replaying.clockBase;
    for (;;) {
        uint32_t now = platReadSystemClock() - replaying.realBase;
        if (now >= due || replaying.viewerEnded) break;
        restForViewer(due - now);
        takeViewerInput();
    }
    uint32_t real = platReadSystemClock();
    framesHidden = real - replaying.realBase > due + 25 && real - replaying.lastShown < 100;
    if (!framesHidden) replaying.lastShown = real;
}

bool quitMessage(PlatMessage* out) {
    replaying.ended = true;
    *out = {nullptr, WM_QUIT, 0, 0};
    return true;
}

bool replaySource(PlatMessage* out) {
    if (!sessionOptions.check) {
        takeViewerInput();
        while (replaying.paused && !replaying.viewerEnded) {
            restForViewer(mainLoopRestMs);
            takeViewerInput();
        }
    }
    if (replaying.ended || replaying.stopped || replaying.viewerEnded) return quitMessage(out);
    RecordEntry entry;
    while (peekEntry(entry)) {
        if (entry.kind == entryView) replaying.view = entry;
        else if (entry.kind == entryActive) appFlags.active = (uint8_t)entry.values[0];
        else if (entry.kind == entryCheckpoint) compareCheckpoint(entry);
        else break;
        takeEntry();
    }
    applyView();
    if (replaying.stopped || !peekEntry(entry) || entry.kind == entryEnd) return quitMessage(out);
    takeEntry();
    // The record's messages go to the shell's window procedure, as the main loop delivers them; the
    // loop is handed a message that does nothing, so that this pass runs no frame.
    if (entry.kind == entryMouseMove) {
        windowProc(mainWindow, WM_MOUSEMOVE, 0, makeLParam(entry.values[0], entry.values[1]));
    } else if (entry.kind == entryMessage) {
        windowProc(mainWindow, entry.values[0], entry.values[1], entry.values[2]);
    } else if (entry.kind == entryPass) {
        RecordEntry reading;
        if (!peekEntry(reading)) return quitMessage(out);  // cut between a pass and its reading
        replayReport.ticks += 1;
        if (!sessionOptions.check && reading.kind == entryClock) paceTick(reading);
        return false;
    } else {
        differs(replayReport.ticks, "course", "");  // a reading or a start where the run takes a message
        return quitMessage(out);
    }
    *out = {nullptr, WM_NULL, 0, 0};
    return true;
}

// The recorded Escape ends the run as it did; a recorded F1 has changed the recorded view, which
// the record holds, and leaves the viewer's window as it is.
bool replaySystemKeys() {
    if (inputState.keys[VK_ESCAPE]) return false;
    inputState.keys[VK_F1] = 0;
    return true;
}

bool readWhole(const char* path) {
    FILE* file = platOpenFile(path, false);
    if (!file) return false;
    uint32_t capacity = 0;
    for (;;) {
        if (replaying.size == capacity) {
            if (capacity == recordMaxBytes) break;
            capacity = capacity ? capacity * 2 : 65536;
            uint8_t* grown = (uint8_t*)memRealloc(replaying.bytes, capacity);
            if (!grown) break;
            replaying.bytes = grown;
        }
        size_t got = fread(replaying.bytes + replaying.size, 1, capacity - replaying.size, file);
        replaying.size += (uint32_t)got;
        if (got == 0) break;
    }
    bool whole = !ferror(file) && feof(file);
    fclose(file);
    return whole;
}

bool refuse(const char* why, const char* more = "") {
    char line[formatLimit];
    formatString(line, "%s %s%s", sessionOptions.replayPath, why, more);
    say(line);
    memFree(replaying.bytes);
    replaying = {};
    return false;
}

bool prepareReplay() {
    replaying = {};
    replayReport = {};
    if (!readWhole(sessionOptions.replayPath)) {
        return refuse(replaying.size >= recordMaxBytes ? "cannot be read: it is larger than any record (256 MiB)"
                                                       : "cannot be read: ",
                      replaying.size >= recordMaxBytes ? "" : strerror(errno ? errno : EIO));
    }
    char detail[formatLimit];
    switch (recordOpen(replaying.reader, replaying.bytes, replaying.size, &replaying.endOffset)) {
    case recordForeign: return refuse("is not a zelmo record");
    case recordNewer:
        formatString(detail, "%u, newer than this zelmo reads (%u): a newer zelmo replays it", replaying.reader.format,
                     recordFormat);
        return refuse("is a record of format ", detail);
    case recordDamaged:
        formatString(detail, " (at byte %u of %u)", replaying.reader.offset, replaying.size);
        return refuse("is damaged: it is not as it was written", detail);
    case recordCut: replayReport.cut = true; break;
    case recordWhole: break;
    }
    RecordEntry start;
    if (!peekEntry(start)) return refuse("is cut short before its first entry: there is nothing to replay");
    if (start.kind != entryStart) return refuse("is damaged: it does not begin with the start of a run");
    if (start.values[1] != displayConfig.width || start.values[2] != displayConfig.height) {
        formatString(detail, " on a %u x %u screen; this zelmo plays on %u x %u", start.values[1], start.values[2],
                     displayConfig.width, displayConfig.height);
        return refuse("was recorded", detail);
    }
    replaying.on = true;
    return true;
}

void beginReplay() {
    RecordEntry start;
    peekEntry(start);
    takeEntry();
    randomState = start.values[0];
    replaying.begun = true;
    replaying.view = viewEntry();
    replaying.clock = platClockSource;
    replaying.viewer = platMessageSource;
    platClockSource = replayClock;
    platMessageSource = replaySource;
    frameCallback = replaySystemKeys;
    framesHidden = sessionOptions.check;
}

// What is left of the record once the run's loop is over: the last checkpoint and the end.
uint32_t endReplay() {
    if (!replaying.begun) {  // the run did not start
        memFree(replaying.bytes);
        replaying = {};
        return 1;
    }
    RecordEntry entry;
    while (!replaying.viewerEnded && !replaying.stopped && peekEntry(entry)) {
        takeEntry();
        if (entry.kind == entryCheckpoint) compareCheckpoint(entry);
        else if (entry.kind != entryEnd) differs(replayReport.ticks, "course", "");  // the run ended before its record
        if (entry.kind != entryCheckpoint) break;
    }
    platClockSource = replaying.clock;
    platMessageSource = replaying.viewer;
    framesHidden = false;
    char seconds[32], line[formatLimit];
    formatSeconds(seconds, intoRecord());
    if (replayReport.cut && !replaying.viewerEnded && !replayReport.differingPart) {
        formatString(line, "%s is cut short at byte %u: replayed to its last whole entry, at idle pass %u (%s in)",
                     sessionOptions.replayPath, replaying.endOffset, replayReport.ticks, seconds);
        say(line);
    }
    if (!replayReport.differingPart && !replaying.viewerEnded) {
        formatString(line,
                     replayReport.checkpoints ? "%s: %u idle passes (%s) replayed, every checkpoint matching (%u)\n"
                                              : "%s: %u idle passes (%s) replayed, up to its first checkpoint\n",
                     sessionOptions.replayPath, replayReport.ticks, seconds, replayReport.checkpoints);
        platWriteStdout(line, (uint32_t)strlen(line));
    }
    memFree(replaying.bytes);
    replaying = {};
    return replayReport.differingPart ? 1 : 0;
}

}  // namespace

bool sessionPrepare(const StatePart* programParts) {
    partCount = 0;
    for (const StatePart& part : frameworkParts) parts[partCount++] = &part;
    for (uint32_t i = 0; programParts && programParts[i].name && i < maxProgramParts; ++i)
        parts[partCount++] = &programParts[i];
    if (sessionOptions.replayPath) return prepareReplay();
    if (sessionOptions.recordPath) return prepareRecording();
    return true;
}

bool sessionWindowless() { return replaying.on && sessionOptions.check; }

void sessionBegin() {
    if (replaying.on) return beginReplay();
    if (!recording.on) return;
    recording.clock = platClockSource;
    recording.source = platMessageSource;
    platClockSource = recordingClock;
    platMessageSource = recordingSource;
    recording.begun = true;
    recording.lastFlush = platReadSystemClock();
    recordEntry(entryOf(entryStart, randomState, displayConfig.width, displayConfig.height));
}

uint32_t sessionEnd(uint32_t exitCode) {
    if (replaying.on) return endReplay();
    if (!recording.on) return exitCode;
    if (recording.begun) {
        platClockSource = recording.clock;
        platMessageSource = recording.source;
        RecordEntry checkpoint;
        digestState(checkpoint, recording.ticks);
        recordEntry(checkpoint);
        recordEntry(entryOf(entryEnd, exitCode));
    }
    if (!recording.failed && !recordWriterClose(recording.writer)) writeFailed();
    recording = {};
    return exitCode;
}
