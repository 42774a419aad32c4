#pragma once
// Movies made in code for the format tests: plain movies with a real tag stream, and
// their "CWS" and "ZWS" forms made directly with zlib and liblzma.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quillon::test {

using Bytes = std::vector<std::uint8_t>;

struct PlainMovieShape {
    std::uint8_t version = 15;
    std::uint16_t frameCount = 3;
    unsigned showFrames = 3; // ShowFrame tags written
    bool endTag = true;      // whether the End tag closes the stream
    std::size_t filler = 0;  // bytes of a DefineBinaryData-like tag, varied but compressible
};

// A plain "FWS" movie whose declared length is its size.
Bytes PlainMovie(const PlainMovieShape& shape = {});

void PutLe32(Bytes& bytes, std::size_t at, std::uint32_t value);

// "CWS" + the plain movie's header bytes 3 to 7 + a zlib stream of its body.
Bytes ZlibMovie(std::span<const std::uint8_t> plain);

struct ZwsShape {
    bool endMarker = true;
    // Replaces the declared length / the LZMA data length when set.
    std::int64_t declaredLength = -1;
    std::int64_t lzmaLength = -1;
};
// "ZWS" + header bytes 3 to 7 + LZMA data length + properties + LZMA1 data, made
// with liblzma, with or without the end marker.
Bytes LzmaMovie(std::span<const std::uint8_t> plain, const ZwsShape& shape = {});

// zlib's own inflate of a whole zlib stream; throws when it is not one.
Bytes InflateAll(std::span<const std::uint8_t> stream);

// A fresh folder under the temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, std::span<const std::uint8_t> bytes);
Bytes ReadFile(const std::string& path);

} // namespace quillon::test
