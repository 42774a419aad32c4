// avm2-bench: the ActionScript 3 machine's speed on an int loop of ten million
// iterations (i++, compare, branch), as a compiler emits it. Prints the median of
// five runs in processor time (what the machine costs, whatever else runs) and in
// wall time; the target is at most 1 s.

#include "player/engine/script/avm2/Vm.h"
#include "support/AbcWriter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double CpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

std::vector<std::uint8_t> IntLoop(std::int32_t iterations) {
    using quillon::test::AbcCode;
    quillon::test::AbcWriter abc;
    AbcCode code(abc);
    code.pushThisScope().pushInt(0).setLocal(1);
    const auto body = code.label(), test = code.label();
    code.branch(0x10, test);
    code.place(body).op(0x09).getLocal(1).op(0xc0).setLocal(1); // label; i = i + 1 (increment_i)
    code.place(test).getLocal(1).pushInt(iterations).branch(0x15, body); // iflt
    code.getLocal(1).traceTop().op(0x47);
    const std::uint32_t init = abc.method();
    abc.body(init, code);
    abc.script(init);
    return abc.bytes();
}

} // namespace

int main() {
    constexpr std::int32_t kIterations = 10'000'000;
    const auto bytes = IntLoop(kIterations);
    std::vector<double> times, cpu;
    std::string last;
    for (int run = 0; run < 5; ++run) {
        quillon::avm2::Limits limits;
        limits.steps = 1'000'000'000;
        quillon::avm2::Vm vm([&](const std::string& line) { last = line; }, limits);
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuMilliseconds();
        vm.runAbc(bytes);
        cpu.push_back(CpuMilliseconds() - cpuStart);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        times.push_back(took.count());
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("int loop, %d iterations: median %.1f ms processor time, %.1f ms wall time; "
                "traced %s\n",
                kIterations, cpu[cpu.size() / 2], times[times.size() / 2], last.c_str());
    return last == std::to_string(kIterations) ? 0 : 1;
}
