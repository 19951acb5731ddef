// SPDX-License-Identifier: MIT
// Time to build the whole glyph font ("Arial", 120 pixels, weight 600) in a real Mesa context.
#include <benchmark/benchmark.h>
#include <stdio.h>

#include "draw/glyph_font.h"
#include "platform/gl.h"
#include "shell/config.h"
#include "shell/input.h"
#include "shell/window.h"

static void buildFontBench(benchmark::State& state) {
    for (auto _ : state) {
        GlyphFont font;
        buildGlyphFont("Arial", 120, 600, &font);
        benchmark::DoNotOptimize(font.listBase);
        state.PauseTiming();
        glDeleteLists(font.listBase, glyphCount);
        glDeleteTextures(glyphCount, font.textures);
        state.ResumeTiming();
    }
}
BENCHMARK(buildFontBench)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    displayConfig.fullscreen = 0;
    if (!createMainWindow(windowProc)) {
        fprintf(stderr, "bench_font: %s (run with SDL_VIDEODRIVER=offscreen)\n", platLastError());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    destroyMainWindow();
    releaseRenderContext();
    return 0;
}
