#include "support/MovieFixtures.h"

#include "codec/swf/TagCodes.h"
#include "support/MovieWriter.h"

#include <lzma.h>
#include <stdexcept>

namespace quillon::test {

void PutLe32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

Bytes TaggedMovie(const PlainMovieShape& shape) {
    testing::MovieWriter movie(550, 400, 24, shape.version);
    movie.setHeaderFrameCount(shape.frameCount);
    movie.setBackground({0x20, 0x40, 0x60});
    if (shape.filler > 0) {
        Bytes filler(shape.filler);
        std::uint32_t state = 12345;
        for (std::size_t i = 0; i < filler.size(); ++i) {
            state = state * 1103515245u + 12345u;
            // Words from a small alphabet: compressible, yet not trivially so.
            filler[i] = static_cast<std::uint8_t>("abcdefgh ijklmnop"[(state >> 16) % 17]);
        }
        movie.tag(swf::tags::DefineBinaryData, filler);
    }
    for (unsigned i = 0; i < shape.showFrames; ++i) {
        movie.showFrame();
    }
    if (!shape.endTag) {
        movie.leaveOutEndTag();
    }
    return movie.bytes();
}

Bytes ZlibMovie(const Bytes& plain) {
    Bytes out = Zlib(Bytes(plain.begin() + 8, plain.end()));
    out.insert(out.begin(), plain.begin(), plain.begin() + 8);
    out[0] = 'C';
    return out;
}

Bytes LzmaMovie(std::span<const std::uint8_t> plain, const ZwsShape& shape) {
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    options.dict_size = 1 << 20;
    options.ext_flags = shape.endMarker ? LZMA_LZMA1EXT_ALLOW_EOPM : 0;
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    const std::size_t body = plain.size() - 8;
    Bytes out(17 + body + body / 2 + 1024);
    std::copy(plain.begin(), plain.begin() + 8, out.begin());
    out[0] = 'Z';
    // The properties of LZMA1EXT are those of LZMA1.
    lzma_filter plainFilter{LZMA_FILTER_LZMA1, &options};
    if (lzma_properties_encode(&plainFilter, out.data() + 12) != LZMA_OK) {
        throw std::runtime_error("lzma_properties_encode failed");
    }
    std::size_t used = 0;
    if (lzma_raw_buffer_encode(filters, nullptr, plain.data() + 8, body, out.data() + 17, &used,
                               out.size() - 17) != LZMA_OK) {
        throw std::runtime_error("lzma_raw_buffer_encode failed");
    }
    out.resize(17 + used);
    PutLe32(out, 8, static_cast<std::uint32_t>(shape.lzmaLength >= 0 ? shape.lzmaLength : used));
    if (shape.declaredLength >= 0) {
        PutLe32(out, 4, static_cast<std::uint32_t>(shape.declaredLength));
    }
    return out;
}

} // namespace quillon::test
