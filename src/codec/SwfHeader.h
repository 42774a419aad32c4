#pragma once
// The SWF file header: signature, version, declared length, and at the start of the
// plain body the frame rectangle and the frame rate.

#include "codec/swf/BitReader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace quillon {

// A seekable read-only view of bytes held in memory.
class MemoryStream {
public:
    explicit MemoryStream(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::span<const std::uint8_t> bytes() const { return bytes_; }
    std::size_t position() const { return position_; }
    void seek(std::size_t position) { position_ = position; }
    // The byte at an offset; every byte at or past the end reads as 0.
    std::uint8_t at(std::size_t offset) const {
        return offset < bytes_.size() ? bytes_[offset] : 0;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

struct SwfHeaderInfo {
    std::int32_t version = 0;
    std::int32_t declaredLength = 0; // a stored value of 2^31 or more reads as negative
    std::int32_t frameRate = 0;      // whole frames per second; the fraction is dropped
    std::int32_t Xmin = 0;
    std::int32_t Xmax = 0;
    std::int32_t Ymin = 0;
    std::int32_t Ymax = 0;
};

// The frame rectangle of the movie whose header was read last, and the part of it
// that the player shows. Both in twips; only the UI thread touches them.
extern std::int32_t FrameXMin, FrameXMax, FrameYMin, FrameYMax;
extern std::int32_t ViewLeft, ViewTop, ViewRight, ViewBottom;

// Reads the header of a plain movie image, publishes its frame rectangle and resets
// the view rectangle to it, and leaves the stream at position 0. Never fails: bytes
// past the end read as 0.
SwfHeaderInfo ReadSwfHeader(MemoryStream& image);

// The four rectangle fields from offset 8, in the order Xmin, Xmax, Ymin, Ymax.
std::array<std::int32_t, 4> ReadFrameRect(MemoryStream& image);

// The length in bytes of a rectangle whose fields are nbits wide.
constexpr std::size_t FrameRectBytes(unsigned nbits) {
    return swf::RectBytes(nbits);
}

// Header fields that the rest of the system reads without touching the globals.
struct SwfHeaderFields {
    std::array<char, 3> signature{};
    std::uint8_t version = 0;
    std::uint32_t declaredLength = 0;
    std::array<std::int32_t, 4> frameRect{}; // Xmin, Xmax, Ymin, Ymax
    std::uint16_t frameRate8_8 = 0;          // 8.8 fixed point
    std::uint16_t frameCount = 0;
    std::size_t bodyStart = 0; // offset of the first tag
};
SwfHeaderFields ParseSwfHeaderFields(std::span<const std::uint8_t> image);

} // namespace quillon
