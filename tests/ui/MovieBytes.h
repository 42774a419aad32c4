#pragma once
// Small movie files made in code for the window's tests.

#include "codec/SwfImage.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace quillon::test {

struct MovieParams {
    std::uint8_t version = 10;
    std::uint16_t frameRate8_8 = 24 * 256;
    std::uint16_t frameCount = 1;
    std::int32_t xmax = 11000; // twips
    std::int32_t ymax = 8000;
    std::size_t padding = 0; // extra End tags, to give the body some size
};

// A plain movie: header, frame rectangle (15-bit fields), rate, count, ShowFrame tags
// and an End tag; the declared length is the real one.
inline std::vector<std::uint8_t> PlainMovie(const MovieParams& params = {}) {
    std::vector<std::uint8_t> bytes = {'F', 'W', 'S', params.version, 0, 0, 0, 0};
    const unsigned nbits = 15;
    std::vector<bool> stream;
    for (int i = 4; i >= 0; --i) {
        stream.push_back((nbits >> i) & 1u);
    }
    for (std::int32_t field : {0, params.xmax, 0, params.ymax}) {
        for (int i = static_cast<int>(nbits) - 1; i >= 0; --i) {
            stream.push_back((static_cast<std::uint32_t>(field) >> i) & 1u);
        }
    }
    while (stream.size() % 8 != 0) {
        stream.push_back(false);
    }
    for (std::size_t i = 0; i < stream.size(); i += 8) {
        std::uint8_t byte = 0;
        for (std::size_t b = 0; b < 8; ++b) {
            byte = static_cast<std::uint8_t>((byte << 1) | (stream[i + b] ? 1 : 0));
        }
        bytes.push_back(byte);
    }
    bytes.push_back(static_cast<std::uint8_t>(params.frameRate8_8 & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(params.frameRate8_8 >> 8));
    bytes.push_back(static_cast<std::uint8_t>(params.frameCount & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(params.frameCount >> 8));
    for (int frame = 0; frame < params.frameCount; ++frame) {
        bytes.push_back(0x40); // ShowFrame
        bytes.push_back(0x00);
    }
    for (std::size_t i = 0; i < params.padding + 1; ++i) {
        bytes.push_back(0x00); // End
        bytes.push_back(0x00);
    }
    const auto length = static_cast<std::uint32_t>(bytes.size());
    for (int i = 0; i < 4; ++i) {
        bytes[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    }
    return bytes;
}

inline std::vector<std::uint8_t> CompressedMovie(const MovieParams& params = {}) {
    return CompressSwfImage(PlainMovie(params), 9);
}

inline void SetDeclaredLength(std::vector<std::uint8_t>& movie, std::uint32_t length) {
    for (int i = 0; i < 4; ++i) {
        movie[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    }
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace quillon::test
