#pragma once
// Movies made in code for the format tests: plain movies with a real tag stream, and
// their "CWS" and "ZWS" forms made directly with zlib and liblzma.

#include "support/Bytes.h"
#include "support/TempDir.h"

#include <cstdint>
#include <span>

namespace quillon::test {

struct PlainMovieShape {
    std::uint8_t version = 15;
    std::uint16_t frameCount = 3;
    unsigned showFrames = 3; // ShowFrame tags written
    bool endTag = true;      // whether the End tag closes the stream
    std::size_t filler = 0;  // bytes of a DefineBinaryData-like tag, varied but compressible
};

// A plain "FWS" movie whose declared length is its size.
Bytes TaggedMovie(const PlainMovieShape& shape = {});

void PutLe32(Bytes& bytes, std::size_t at, std::uint32_t value);

// "CWS" + the plain movie's header bytes 3 to 7 + a zlib stream of its body.
Bytes ZlibMovie(const Bytes& plain);

struct ZwsShape {
    bool endMarker = true;
    // Replaces the declared length / the LZMA data length when set.
    std::int64_t declaredLength = -1;
    std::int64_t lzmaLength = -1;
};
// "ZWS" + header bytes 3 to 7 + LZMA data length + properties + LZMA1 data, made
// with liblzma, with or without the end marker.
Bytes LzmaMovie(std::span<const std::uint8_t> plain, const ZwsShape& shape = {});

} // namespace quillon::test
