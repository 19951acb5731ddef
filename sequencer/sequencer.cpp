// SPDX-License-Identifier: MIT
// The scene sequencer's clock and per-frame tick.
#include "sequencer/sequencer.h"

#include "platform/platform.h"
#include "shell/input.h"
#include "shell/window.h"

Sequencer sequencer = {0, 0, 0, 0, 0, 0, nullptr};

bool alwaysTrue() { return true; }
bool alwaysFalse() { return false; }
void doNothing() {}

static void restartClock(Sequencer& s) {
    s.elapsed = 0;
    s.frameDelta = 0;
    s.startTime = systemTime();
}

void enterScene(Sequencer& s, int32_t index) {
    Scene& scene = s.scenes[index];
    scene.active = 1;
    scene.done = 0;
    if (scene.enter) scene.enter();
    if (scene.restartClock && scene.restartClock()) restartClock(s);
}

void startSequencer(Sequencer& s) {
    enterScene(s, 0);
    restartClock(s);
}

static bool sceneIsOver(const Scene& scene, uint32_t elapsed) {
    return scene.done != 0 || (scene.duration >= 0 && (int32_t)elapsed >= scene.duration);
}

bool tickSequencer(Sequencer& s) {
    if (!s.scenes[s.current].frame) return false;

    uint32_t now = systemTime();
    s.frameDelta = (now - s.startTime) - s.elapsed;
    s.elapsed = now - s.startTime;

    Scene& scene = s.scenes[s.current];
    if (sceneIsOver(scene, s.elapsed)) {
        scene.done = 1;
        // The next clock starts exactly where this scene's time ran out; an unlimited scene
        // left through done moves it back by 1 ms.
        s.startTime += (uint32_t)scene.duration;
        s.current += 1;
        enterScene(s, s.current);
        return true;
    }

    bool done = scene.frame();
    s.scenes[s.current].done = done ? 1 : 0;
    presentFrame();
    framePresented();
    s.frameCount += 1;
    s.frameCount2 += 1;
    return true;
}
