// The in-memory transforms on any movie: decompress, and compress then decompress.

#include "codec/SwfImage.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) {
        return 0;
    }
    const std::span<const std::uint8_t> input(data, size);
    std::vector<std::uint8_t> plain;
    const quillon::InflateOutcome outcome = quillon::DecompressSwfImage(input, plain);
    if (plain.size() < 8 || plain[0] != 'F') {
        __builtin_trap();
    }
    // Whatever was read compresses and comes back byte for byte when its declared length
    // is its real one.
    if (outcome == quillon::InflateOutcome::Complete && plain.size() <= (1u << 20)) {
        std::vector<std::uint8_t> again;
        const auto compressed = quillon::CompressSwfImage(plain, 6);
        if (quillon::DecompressSwfImage(compressed, again) != quillon::InflateOutcome::Complete ||
            again != plain) {
            __builtin_trap();
        }
    }
    return 0;
}
