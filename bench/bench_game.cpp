// SPDX-License-Identifier: MIT
// The game's costs in a real Mesa context: one play frame during a blast with 20 critters, and the
// start-up work before the first title frame (window, font, the 17 pictures).
#include <benchmark/benchmark.h>
#include <stdio.h>

#include "draw/glyph_font.h"
#include "game/assets.h"
#include "game/rules.h"
#include "platform/gl.h"
#include "shell/config.h"
#include "shell/input.h"
#include "shell/window.h"

namespace {

// A blast in the middle of the field with every critter inside it, still burning.
void setUpBlast() {
    sequencer.elapsed = 0;
    setUpRound();
    for (uint32_t i = 0; i < critterCount; ++i) critterPos[i] = {380.0f + 2 * i, 280.0f + i};
    chargeLive = blasting = 1;
    chargePos = {400, 300};
    blastStart = 0;
}

void playFrameDuringBlast(benchmark::State& state) {
    setUpBlast();
    uint32_t t = 500;  // stage 3: 20 smoke sprites, critters caught and walking
    for (auto _ : state) {
        sequencer.elapsed = t;
        benchmark::DoNotOptimize(playFrame());
        state.PauseTiming();
        glFinish();
        state.ResumeTiming();
    }
}
BENCHMARK(playFrameDuringBlast)->Unit(benchmark::kMicrosecond);

void startUpToTitle(benchmark::State& state) {
    for (auto _ : state) {
        displayConfig.fullscreen = 0;
        createMainWindow(windowProc);
        buildGlyphFont("Arial", 120, 600, &programFont);
        loadGameAssets();
        titleFrame();
        presentFrame();
        state.PauseTiming();
        releaseGameAssets();
        freeGlyphFont(programFont.listBase);
        destroyMainWindow();
        releaseRenderContext();
        state.ResumeTiming();
    }
}
BENCHMARK(startUpToTitle)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    displayConfig.fullscreen = 0;
    if (!createMainWindow(windowProc)) {
        fprintf(stderr, "bench_game: %s (run with SDL_VIDEODRIVER=offscreen)\n", platLastError());
        return 1;
    }
    buildGlyphFont("Arial", 120, 600, &programFont);
    loadGameAssets();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
