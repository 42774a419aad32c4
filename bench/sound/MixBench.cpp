// The cost of mixing: 32 event sounds at once (loops, an envelope, a transform each),
// per second of 44.1 kHz stereo sound produced. The figure to watch is the share of one
// core, printed as the "core" counter: CPU time over the second of sound it made.

#include "player/engine/sound/SoundMixer.h"

#include <benchmark/benchmark.h>
#include <cmath>

using namespace quillon::engine;

namespace {

std::shared_ptr<const Pcm> Tone(double hertz) {
    auto pcm = std::make_shared<Pcm>();
    for (int i = 0; i < MixRate; ++i) {
        const auto s = static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * hertz * i / MixRate));
        pcm->samples.push_back(s);
        pcm->samples.push_back(s);
    }
    return pcm;
}

void MixSounds(benchmark::State& state) {
    const auto count = static_cast<int>(state.range(0));
    const bool shaped = state.range(1) != 0;
    SoundMixer mixer;
    for (int i = 0; i < count; ++i) {
        PlayRequest request;
        request.pcm = Tone(200 + 37 * i);
        request.loops = 1000000;
        request.start = i * 100;
        request.transform = VolumePanTransform(80, i % 2 ? 30 : -30);
        if (shaped) {
            request.envelope = {{0, 0, 0}, {22050, 32768, 16384}, {44100, 16384, 32768}};
        }
        mixer.play(request);
    }
    // One frame at 24 frames a second, as the player mixes it.
    std::vector<std::int16_t> frame(MixRate / 24 * 2);
    for (auto _ : state) {
        std::fill(frame.begin(), frame.end(), 0);
        mixer.mix(frame);
        benchmark::DoNotOptimize(frame.data());
    }
    // Seconds of sound made per iteration: the core share is time per iteration over it.
    state.counters["sound_s_per_iter"] = 1.0 / 24;
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(frame.size() / 2));
}

} // namespace

BENCHMARK(MixSounds)->Args({32, 0})->Args({32, 1})->Args({1, 0})->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
