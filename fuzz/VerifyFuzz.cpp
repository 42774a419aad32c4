// The movie check on any file, and the LZMA form of any plain image read back exactly.

#include "codec/SwfImage.h"
#include "codec/Verify.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    const quillon::MovieCheck check = quillon::CheckMovie(input);
    if (check.sound() && check.plainLength != check.declaredLength) {
        __builtin_trap();
    }
    if (size < 8 || size > (1u << 16)) {
        return 0;
    }
    // Any bytes taken as a plain movie whose declared length is its size.
    std::vector<std::uint8_t> plain(input.begin(), input.end());
    plain[0] = 'F';
    for (int i = 0; i < 4; ++i) {
        plain[4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    }
    plain[3] = std::max(plain[3], quillon::LzmaMinimumVersion);
    const auto zws = quillon::CompressSwfImage(plain, quillon::CompressionMethod::Lzma);
    std::vector<std::uint8_t> back;
    if (quillon::DecompressSwfImage(zws, back) != quillon::InflateOutcome::Complete ||
        back != plain) {
        __builtin_trap();
    }
    // The check judges the LZMA form as it judges the plain one.
    if (quillon::CheckMovie(zws).problems != quillon::CheckMovie(plain).problems) {
        __builtin_trap();
    }
    return 0;
}
