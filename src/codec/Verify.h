#pragma once
// Checking a movie for damage without playing it: the header against the data, the
// compressed stream, and the tag stream of the plain movie read by tag headers only.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quillon {

struct MovieCheck {
    std::string signature;             // the file's first three bytes (fewer when shorter)
    std::uint8_t version = 0;          // header byte 3
    std::uint32_t declaredLength = 0;  // header bytes 4 to 7
    std::uint64_t plainLength = 0;     // length of the plain movie the file really holds
    std::uint16_t frameCount = 0;      // as the header says
    std::uint32_t showFrames = 0;      // ShowFrame tags in the top-level tag stream
    std::vector<std::string> problems; // empty for a sound movie
    bool sound() const { return problems.empty(); }
};

MovieCheck CheckMovie(std::span<const std::uint8_t> file);

// Reads the file whole and checks it; a file that cannot be read is a problem too.
MovieCheck CheckMovieFile(const std::string& path);

} // namespace quillon
