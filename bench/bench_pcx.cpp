// SPDX-License-Identifier: MIT
// Decoding speed of loadPcx beside SDL2_image's PCX loader, on the same bytes.
#include <SDL_image.h>
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <stdio.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "assets/pcx.h"
#include "tools/pcx_writer.h"

namespace {

// A picture with the mix of runs and single pixels that painted artwork has.
std::vector<uint8_t> makePicture(int width, int height) {
    std::vector<uint8_t> indices((size_t)width * height), palette(768);
    uint32_t noise = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            uint8_t base = (uint8_t)(((x / 12) ^ (y / 9)) * 7 % 200);
            indices[(size_t)y * width + x] = (noise >> 16) % 5 == 0 ? (uint8_t)(base + (noise >> 24) % 40) : base;
        }
    for (int i = 0; i < 768; ++i) palette[i] = (uint8_t)(i * 13);
    std::vector<uint8_t> file = encodePcx(width, height, indices.data(), palette.data());
    uint32_t size = (uint32_t)file.size();
    std::vector<uint8_t> record(size + 4);
    for (int i = 0; i < 4; ++i) record[i] = (uint8_t)(size >> (8 * i));
    std::copy(file.begin(), file.end(), record.begin() + 4);
    return record;
}

void loadPcxBench(benchmark::State& state) {
    std::vector<uint8_t> record = makePicture((int)state.range(0), (int)state.range(1));
    for (auto _ : state) {
        Texture texture;
        bool ok = loadPcx(texture, record.data(), 0);
        benchmark::DoNotOptimize(ok);
        freeImage(texture);
    }
    state.SetLabel("zelmo loadPcx");
}

void sdlImagePcxBench(benchmark::State& state) {
    std::vector<uint8_t> record = makePicture((int)state.range(0), (int)state.range(1));
    for (auto _ : state) {
        SDL_RWops* rw = SDL_RWFromConstMem(record.data() + 4, (int)record.size() - 4);
        SDL_Surface* surface = IMG_LoadPCX_RW(rw);
        benchmark::DoNotOptimize(surface);
        SDL_FreeSurface(surface);
        SDL_RWclose(rw);
    }
    state.SetLabel("SDL2_image IMG_LoadPCX_RW");
}

}  // namespace

BENCHMARK(loadPcxBench)->Args({400, 300})->Args({512, 64})->Unit(benchmark::kMicrosecond);
BENCHMARK(sdlImagePcxBench)->Args({400, 300})->Args({512, 64})->Unit(benchmark::kMicrosecond);

// Prints each run as usual, then the ratio of SDL2_image's time to ours for each picture size.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) times[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* size : {"400/300", "512/64"}) {
            double ours = times[std::string("loadPcxBench/") + size];
            double theirs = times[std::string("sdlImagePcxBench/") + size];
            if (ours > 0) printf("%s: SDL2_image takes %.2fx the time of loadPcx\n", size, theirs / ours);
        }
    }

private:
    std::map<std::string, double> times;
};

int main(int argc, char** argv) {
    // Both decoders allocate from the heap rather than fresh mappings: otherwise the kernel's page
    // faults on every new 480 KB buffer (the same for both) would be timed instead of the decoding.
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
