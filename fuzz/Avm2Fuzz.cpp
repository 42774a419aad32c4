// The ActionScript 3 machine on any bytes: read them as an ABC file and run its
// entry script under small limits. Every outcome must be a clear error or a run.

#include "codec/Errors.h"
#include "player/engine/script/avm2/Vm.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quillon::avm2::Limits limits;
    limits.steps = 200'000;
    limits.maxObjects = 100'000;
    limits.maxArrayLength = 1u << 16;
    limits.maxStringLength = 1u << 20;
    limits.maxFrameValues = 1u << 16;
    quillon::avm2::Vm vm([](const std::string&) {}, limits);
    try {
        vm.runAbc(std::span<const std::uint8_t>(data, size));
    } catch (const quillon::QuillonError& e) {
        // QUILLON_FUZZ_VERBOSE=1 shows what the machine made of a finding.
        if (std::getenv("QUILLON_FUZZ_VERBOSE")) {
            std::fprintf(stderr, "%s\n", e.what());
        }
    }
    return 0;
}
