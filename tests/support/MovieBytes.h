#pragma once
// Small movie files for the window's and the player's tests: a stage, a frame rate and
// ShowFrame tags, written by the movie writer.

#include "support/Bytes.h"

#include <cstdint>
#include <filesystem>

namespace quillon::test {

struct MovieParams {
    std::uint8_t version = 10;
    std::uint16_t frameRate8_8 = 24 * 256;
    std::uint16_t frameCount = 1;
    std::int32_t xmax = 11000; // twips
    std::int32_t ymax = 8000;
    std::size_t padding = 0; // extra End tags, to give the body some size
};

// A plain movie: header, frame rectangle, rate, count, ShowFrame tags and End tags; the
// declared length is the real one.
Bytes PlainMovie(const MovieParams& params = {});
Bytes CompressedMovie(const MovieParams& params = {});

void SetDeclaredLength(Bytes& movie, std::uint32_t length);

// Writes a file whole; reads one whole, or nothing when it cannot be read.
void WriteBytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadBytes(const std::filesystem::path& path);

} // namespace quillon::test
