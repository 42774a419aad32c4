// The header reader on any bytes.

#include "codec/SwfHeader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quillon::MemoryStream stream({data, size});
    const quillon::SwfHeaderInfo info = quillon::ReadSwfHeader(stream);
    const quillon::SwfHeaderFields fields = quillon::ParseSwfHeaderFields({data, size});
    // The two readings of one header agree.
    if (info.Xmin != fields.frameRect[0] || info.Ymax != fields.frameRect[3] ||
        info.version != fields.version) {
        __builtin_trap();
    }
    return 0;
}
