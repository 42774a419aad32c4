// The script interpreter's loop speed: one million turns of a loop that increments a
// register, compares it and branches, inside a DefineFunction2 body.

#include "player/engine/MovieEngine.h"
#include "support/ActionAssembler.h"

#include <benchmark/benchmark.h>

using namespace quillon::testing;

namespace {

Bytes LoopMovie() {
    // function loop() { var r1 = 0; do { r1++; } while (r1 < 1000000); return r1; }
    ActionAssembler body;
    body.push({0})
        .storeRegister(1)
        .op(Action::Pop)
        .label("top")
        .push({Register{1}})
        .op(Action::Increment)
        .storeRegister(1)
        .op(Action::Pop)
        .push({Register{1}, 1000000})
        .op(Action::Less2)
        .ifTrue("top")
        .push({Register{1}})
        .op(Action::Return);
    ActionAssembler a;
    a.function(FunctionSpec("loop", {}, 2, 0x02 | 0x08 | 0x20, true), body)
        .push({0, "loop"})
        .op(Action::CallFunction)
        .op(Action::Trace);
    MovieWriter movie(100, 100);
    movie.doAction(a.block());
    movie.showFrame();
    return movie.bytes();
}

void BM_MillionTurnLoop(benchmark::State& state) {
    const Bytes movie = LoopMovie();
    std::string traced;
    for (auto _ : state) {
        quillon::engine::MovieEngine engine;
        quillon::engine::ScriptOptions options;
        options.trace = [&traced](const std::string& line) { traced = line; };
        engine.setScriptOptions(options);
        engine.loadBytes(movie); // the first frame's script runs here
    }
    if (traced != "1000000") {
        state.SkipWithError("the loop did not finish");
    }
}
BENCHMARK(BM_MillionTurnLoop)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
